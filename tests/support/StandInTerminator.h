#pragma once

#include "ProcessTerminator.h"

#include <QList>
#include <QStringList>

// Ends make-believe recorders. While none runs, or while they end at once, a call is answered at
// once; lingering ones hold it, as the real terminator waits for an exit, until the test ends them.
class StandInTerminator : public ProcessTerminator
{
public:
    void endProcessesNamed(const QString &name, std::function<void()> allEnded) override;

    // The lingering recorders have exited: every held call is answered.
    void endAll();
    int waitingCalls() const { return int(m_waiting.size()); }

    bool recordersLinger = false;
    // How many recorders run now; each start adds one.
    int running = 0;
    QStringList namesAskedFor;

private:
    QList<std::function<void()>> m_waiting;
};
