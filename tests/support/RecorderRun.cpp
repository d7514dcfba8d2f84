#include "RecorderRun.h"

#include "PrivateBus.h"
#include "RecorderCommandLine.h"

#include <QTest>

void RecorderRun::start(int seconds, const QString &path, const QStringList &more, const std::function<void()> &childSetup,
                        const QProcessEnvironment &environment)
{
    m_notifications.notices.clear();
    m_error.clear();
    m_process = std::make_unique<QProcess>();
    m_process->setProcessEnvironment(environment);
    if (childSetup)
        m_process->setChildProcessModifier(childSetup);
    m_process->start(QStringLiteral(QUILL_RECORDER_PATH), QStringList{RecorderCommandLine::parameterText(QString::number(seconds), path)} + more);
    m_process->waitForStarted();
}

int RecorderRun::exitStatus(int withinMs)
{
    const bool ended = QTest::qWaitFor([this] { return m_process->state() == QProcess::NotRunning; }, withinMs);
    return ended && m_process->exitStatus() == QProcess::NormalExit ? m_process->exitCode() : -1;
}

QString RecorderRun::told()
{
    const auto toldOnce = [this] {
        m_error += QString::fromLocal8Bit(m_process->readAllStandardError());
        return m_notifications.notices.size() == 1
               && m_error.mid(m_error.indexOf("quillsnd.exe: ")).startsWith("quillsnd.exe: " + m_notifications.notices.first().body + "\n");
    };
    if (!QTest::qWaitFor(toldOnce, 30000))
        return {};
    const FakeNotifications::Notice notice = m_notifications.notices.first();
    return notice.applicationName + " " + notice.summary == "Quillsound Quillsound" ? notice.body : QString();
}
