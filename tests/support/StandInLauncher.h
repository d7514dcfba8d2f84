#pragma once

#include "ProgramLauncher.h"

#include <QStringList>

class StandInTerminator;

// Starts nothing: notes each start's argument, and counts the start as a running recorder that
// the terminator then has to end.
class StandInLauncher : public ProgramLauncher
{
public:
    explicit StandInLauncher(StandInTerminator &terminator) : m_terminator(terminator) {}

    bool canLaunch(const QString &) const override { return present; }
    bool launch(const QString &executable, const QString &argument) override;

    // Whether the recorder is there to be started.
    bool present = true;
    QStringList arguments;

private:
    StandInTerminator &m_terminator;
};
