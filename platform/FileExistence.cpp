#include "FileExistence.h"

#include <QFileInfo>

bool FileExistence::FileExists(const QString &fileName)
{
    if (fileName.isEmpty())
        return false;
    QFileInfo file(fileName);
    // The answer must be the file system's now, not what an earlier look saw.
    file.setCaching(false);
    return file.isFile();
}
