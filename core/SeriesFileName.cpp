#include "SeriesFileName.h"

QString SeriesFileName::forDate(const QString &filename, QDate date)
{
    const QString stamp = QLatin1Char(' ') + date.toString(Qt::ISODate);
    const qsizetype nameStart = filename.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = filename.lastIndexOf(QLatin1Char('.'));
    // A dot that starts the name (".rc") or lies in a folder's name is no extension.
    if (dot <= nameStart)
        return filename + stamp;
    return filename.left(dot) + stamp + filename.mid(dot);
}
