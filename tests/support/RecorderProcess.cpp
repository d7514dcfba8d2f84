#include "RecorderProcess.h"

#include <csignal>

#include <QTest>

RecorderProcess::RecorderProcess(const QStringList &arguments, const QProcessEnvironment &environment,
                                 const std::function<void()> &childSetup)
{
    m_process.setProcessEnvironment(environment);
    if (childSetup)
        m_process.setChildProcessModifier(childSetup);
    m_process.start(path(), arguments);
    m_process.waitForStarted();
}

RecorderProcess::~RecorderProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString RecorderProcess::path()
{
    return QStringLiteral(QUILL_RECORDER_PATH);
}

QString RecorderProcess::argument(qint64 seconds, const QString &outputPath)
{
    return QStringLiteral("/t&%1&/o&%2").arg(seconds).arg(outputPath);
}

void RecorderProcess::signal(int signalNumber)
{
    // Never 0: that would signal the whole process group.
    if (m_process.processId() > 0)
        ::kill(pid_t(m_process.processId()), signalNumber);
}

int RecorderProcess::waitForExit(int timeoutMs)
{
    const bool ended = QTest::qWaitFor([this] { return m_process.state() == QProcess::NotRunning; }, timeoutMs);
    if (!ended || m_process.exitStatus() != QProcess::NormalExit)
        return -1;
    return m_process.exitCode();
}

QString RecorderProcess::errorOutput()
{
    m_errorOutput += m_process.readAllStandardError();
    return QString::fromLocal8Bit(m_errorOutput);
}
