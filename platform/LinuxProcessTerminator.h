#pragma once

#include "ProcessTerminator.h"

#include <QList>
#include <QObject>

#include <memory>

// Finds the processes in /proc, asks them to end with SIGTERM and sends SIGKILL to those still
// running after a grace period. Each process is held by a pidfd, which also tells when it has
// exited, and through which the late SIGKILL cannot reach a new process given the same id.
class LinuxProcessTerminator : public QObject, public ProcessTerminator
{
    Q_OBJECT

public:
    explicit LinuxProcessTerminator(QObject *parent = nullptr);
    // Processes still within their grace period are forced now rather than left running.
    ~LinuxProcessTerminator() override;

    void endProcessesNamed(const QString &name, std::function<void()> allEnded) override;

private:
    struct Ending;

    void exited(Ending *ending, int pidfd);
    void force(Ending *ending);
    void finish(Ending *ending);

    QList<std::shared_ptr<Ending>> m_endings;
};
