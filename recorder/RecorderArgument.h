#pragma once

#include "AudioFileKind.h"

#include <QString>
#include <QStringList>

// The recorder's arguments as the scheduler writes them: "/t&SECONDS&/o&OUTPUTPATH", and for a
// task with a source of its own a second one, "/s&SOURCE". The path is everything after the first
// "&/o&", so it may itself hold "&" and spaces.
class RecorderArgument
{
public:
    enum class SourceKind { RecordersChoice, Device, Stream };

    // The program's arguments without the program's own name.
    explicit RecorderArgument(const QStringList &arguments);

    bool isValid() const { return m_error.isEmpty(); }
    // Why the arguments are refused, for the user.
    QString errorString() const { return m_error; }

    qint64 seconds() const { return m_seconds; }
    QString outputPath() const { return m_outputPath; }
    AudioFileKind kind() const { return m_kind; }
    // A sound server's source name or a stream's http or https address; empty for the recorder's choice.
    QString source() const { return m_source; }
    SourceKind sourceKind() const { return m_sourceKind; }

private:
    QString check(const QStringList &arguments);
    QString checkSource(const QString &argument);

    qint64 m_seconds = 0;
    QString m_outputPath;
    AudioFileKind m_kind = AudioFileKind::Wav;
    QString m_source;
    SourceKind m_sourceKind = SourceKind::RecordersChoice;
    QString m_error;
};
