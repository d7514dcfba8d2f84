#include "StandInTerminator.h"

void StandInTerminator::endProcessesNamed(const QString &name, std::function<void()> allEnded)
{
    namesAskedFor << name;
    if (running > 0 && recordersLinger) {
        m_waiting << std::move(allEnded);
        return;
    }
    running = 0;
    allEnded();
}

void StandInTerminator::endAll()
{
    running = 0;
    // Taken first: an answer may start the next ending.
    const QList<std::function<void()>> waiting = std::exchange(m_waiting, {});
    for (const auto &allEnded : waiting)
        allEnded();
}
