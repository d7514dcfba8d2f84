#pragma once

#include "ProcessTerminator.h"

#include <QList>
#include <QObject>

// Finds the processes in /proc, asks them to end with SIGTERM and sends SIGKILL to those
// still running after a grace period. Each process is held by a pidfd, so the late SIGKILL
// cannot reach a new process that was given the same id.
class LinuxProcessTerminator : public QObject, public ProcessTerminator
{
    Q_OBJECT

public:
    explicit LinuxProcessTerminator(QObject *parent = nullptr);
    ~LinuxProcessTerminator() override;

    void endProcessesNamed(const QString &name) override;

private:
    void killAndClose(const QList<int> &pidfds);

    QList<int> m_pendingPidfds;
};
