#pragma once

#include <QString>

// The recorder's one argument, the only interface between the two programs.
class RecorderCommandLine
{
public:
    // "/t&", the stop length, "&/o&", the output file: plain text, no quotes, no escaping.
    static QString parameterText(const QString &Parm, const QString &recfile);
};
