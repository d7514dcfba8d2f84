#include "RecorderCommandLine.h"

QString RecorderCommandLine::parameterText(const QString &Parm, const QString &recfile)
{
    return QStringLiteral("/t&") + Parm + QStringLiteral("&/o&") + recfile;
}
