#include "WindowServices.h"

#include <QDir>

QString WindowServices::storePath() const
{
    return QDir(applicationDirectory).filePath(QStringLiteral("AddSchedule.mdb"));
}
