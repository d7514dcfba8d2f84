#pragma once

#include <QString>
#include <QStringList>

// What ffprobe says of a recorded file, and what sox measures of it decoded to mono (a stereo tone misreads).
class Recording
{
public:
    explicit Recording(const QString &path);

    // Runs a tool to its end: what it said, or nothing when it failed.
    static QString output(const QString &program, const QStringList &arguments);

    double number(const char *pattern) const;
    double seconds() const { return number("Length \\(seconds\\):"); }
    // A 440 Hz tone, clearly above silence, for about this long.
    bool holdsTheTone(double from, double to) const;

    QString text;
};
