#include "StandInLauncher.h"

#include "StandInTerminator.h"

bool StandInLauncher::launch(const QString &, const QString &argument)
{
    if (!present)
        return false;
    arguments << argument;
    ++m_terminator.running;
    return true;
}
