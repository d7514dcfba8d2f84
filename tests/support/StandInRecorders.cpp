#include "StandInRecorders.h"

bool StandInRecorders::launch(const QString &, const QStringList &argumentsOfStart)
{
    if (!present)
        return false;
    arguments << argumentsOfStart.join(u' ');
    ++running;
    return true;
}

void StandInRecorders::endProcessesNamed(const QString &name, std::function<void()> allEnded)
{
    namesEnded << name;
    if (running > 0 && linger) {
        m_waiting << std::move(allEnded);
        return;
    }
    running = 0;
    allEnded();
}

void StandInRecorders::endAll()
{
    running = 0;
    // Taken first: an answer may start the next ending.
    const QList<std::function<void()>> waiting = std::exchange(m_waiting, {});
    for (const auto &allEnded : waiting)
        allEnded();
}
