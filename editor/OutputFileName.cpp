#include "OutputFileName.h"

QString OutputFileName::withExtension(const QString &path, const QString &extension)
{
    const qsizetype nameStart = qMax(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1;
    if (nameStart >= path.size())
        return path;
    const qsizetype dot = path.lastIndexOf(u'.');
    // A dot that begins the name marks a hidden file, not an extension.
    if (dot > nameStart)
        return path.left(dot + 1) + extension;
    return path + u'.' + extension;
}
