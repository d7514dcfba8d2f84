#pragma once

#include <QProcess>

#include <csignal>
#include <functional>
#include <memory>

class FakeNotifications;

// The real recorder of this build with the one argument the scheduler gives it and any further ones, and what it told.
class RecorderRun
{
public:
    explicit RecorderRun(FakeNotifications &notifications) : m_notifications(notifications) {}

    // Forgets the notices told so far.
    void start(int seconds, const QString &path, const QStringList &more = {}, const std::function<void()> &childSetup = {},
               const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    // The exit status, or -1 when it crashed or still runs after withinMs; the stand-ins answer meanwhile.
    int exitStatus(int withinMs = 30000);
    // Never to pid 0: that would signal the whole process group.
    void signal(int number) { m_process->processId() > 0 && ::kill(pid_t(m_process->processId()), number); }
    // The body of its one notice, once standard error from the recorder's own name on says it first; empty otherwise.
    QString told();
    QProcess::ProcessState state() const { return m_process->state(); }

private:
    FakeNotifications &m_notifications;
    std::unique_ptr<QProcess> m_process; // its destructor kills it
    QString m_error;
};
