#include "RecorderCommandLine.h"

QString RecorderCommandLine::parameterText(const QString &Parm, const QString &recfile)
{
    return QStringLiteral("/t&") + Parm + QStringLiteral("&/o&") + recfile;
}

QStringList RecorderCommandLine::arguments(const QString &Parm, const QString &recfile, const QString &source)
{
    QStringList arguments{parameterText(Parm, recfile)};
    if (!source.isEmpty())
        arguments << QStringLiteral("/s&") + source;
    return arguments;
}
