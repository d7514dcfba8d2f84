#pragma once

#include <QString>

// Starts the recorder and lets it run on its own.
class ProgramLauncher
{
public:
    virtual ~ProgramLauncher() = default;

    // Whether executable is there and can be started.
    virtual bool canLaunch(const QString &executable) const = 0;
    // Starts executable with argument as its one parameter; false when it could not be started
    // (missing, not executable, or the start itself failed).
    virtual bool launch(const QString &executable, const QString &argument) = 0;
};
