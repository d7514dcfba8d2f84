#pragma once

#include "ProcessTerminator.h"
#include "ProgramLauncher.h"

#include <QList>
#include <QStringList>

// Make-believe recorders: a start notes its argument; an end is answered at once, or held by lingering ones until endAll().
class StandInRecorders : public ProcessTerminator, public ProgramLauncher
{
public:
    bool canLaunch(const QString &) const override { return present; }
    bool launch(const QString &executable, const QStringList &argumentsOfStart) override;
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
