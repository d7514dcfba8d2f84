#pragma once

#include <functional>

#include <QProcess>
#include <QStringList>

// The real quillsnd.exe of this build, started with the arguments given; killed at the end if
// it still runs. It inherits this process's environment unless given another.
class RecorderProcess
{
public:
    // childSetup runs in the child just before the recorder is executed.
    explicit RecorderProcess(const QStringList &arguments,
                             const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                             const std::function<void()> &childSetup = {});
    ~RecorderProcess();

    static QString path() { return QStringLiteral(QUILL_RECORDER_PATH); }
    // The one argument the scheduler gives it.
    static QString argument(qint64 seconds, const QString &outputPath);

    void signal(int signalNumber);
    // Keeps the event loop running meanwhile. The exit status, or -1 when it crashed or still runs.
    int waitForExit(int timeoutMs = 30000);
    // What it has said on standard error so far.
    QString errorOutput();
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QByteArray m_errorOutput;
};

// What ffprobe says of a recorded file, and what sox measures in it once FFmpeg has decoded it to
// mono (a stereo tone misreads): how much of it plays, how loud it is and its rough frequency.
struct RecordingCheck
{
    static RecordingCheck of(const QString &path);

    // The 440 Hz tone of PrivatePulseServer, clearly above silence.
    bool holdsTheTone() const { return rms > 0.1 && frequency > 430 && frequency < 450; }
    QString describe() const;

    QString format; // "container/codec"
    qint64 bitRate = 0;
    double probedSeconds = 0, playableSeconds = 0, rms = 0, frequency = 0;
};
