#pragma once

#include "ProcessTerminator.h"
#include "ProgramLauncher.h"

#include <QList>
#include <QStringList>

// Make-believe recorder processes, started and ended in place of real ones. A start notes its
// argument and counts as running. An end is answered at once while none runs, or while they end at
// once; lingering ones hold it, as the real terminator waits for an exit, until the test ends them.
class StandInRecorders : public ProcessTerminator, public ProgramLauncher
{
public:
    bool canLaunch(const QString &) const override { return present; }
    bool launch(const QString &executable, const QString &argument) override;
    void endProcessesNamed(const QString &name, std::function<void()> allEnded) override;
    // The lingering recorders have exited: every held end is answered.
    void endAll();

    // Whether the recorder is there to be started.
    bool present = true;
    bool linger = false;
    int running = 0;
    QStringList arguments;
    QStringList namesEnded;

private:
    QList<std::function<void()>> m_waiting;
};
