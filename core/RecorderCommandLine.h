#pragma once

#include <QString>
#include <QStringList>

// The recorder's arguments, the only interface between the two programs.
class RecorderCommandLine
{
public:
    // "/t&", the stop length, "&/o&", the output file: plain text, no quotes, no escaping.
    static QString parameterText(const QString &Parm, const QString &recfile);
    // That one argument, and for a task with a source of its own a second one, "/s&" and the source,
    // so that a task without one starts any recorder exactly as before.
    static QStringList arguments(const QString &Parm, const QString &recfile, const QString &source);
};
