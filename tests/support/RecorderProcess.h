#pragma once

#include <functional>

#include <QProcess>
#include <QString>
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
    RecorderProcess(const RecorderProcess &) = delete;
    RecorderProcess &operator=(const RecorderProcess &) = delete;

    static QString path();
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
