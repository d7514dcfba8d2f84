#pragma once

#include "AudioFileKind.h"

#include <QString>
#include <QStringList>

// The recorder's one argument, "/t&SECONDS&/o&OUTPUTPATH", as the scheduler writes it. The path is
// everything after the first "&/o&", so it may itself hold "&" and spaces.
class RecorderArgument
{
public:
    // The program's arguments without the program's own name.
    explicit RecorderArgument(const QStringList &arguments);

    bool isValid() const { return m_error.isEmpty(); }
    // Why the arguments are refused, for the user.
    QString errorString() const { return m_error; }

    qint64 seconds() const { return m_seconds; }
    QString outputPath() const { return m_outputPath; }
    AudioFileKind kind() const { return m_kind; }

private:
    QString check(const QStringList &arguments);

    qint64 m_seconds = 0;
    QString m_outputPath;
    AudioFileKind m_kind = AudioFileKind::Wav;
    QString m_error;
};
