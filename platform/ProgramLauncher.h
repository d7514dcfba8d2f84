#pragma once

#include <QString>
#include <QStringList>

// Starts the recorder and lets it run on its own.
class ProgramLauncher
{
public:
    virtual ~ProgramLauncher() = default;

    // Whether executable is there and can be started.
    virtual bool canLaunch(const QString &executable) const = 0;
    // Starts executable with these parameters; false when it could not be started (missing, not
    // executable, or the start itself failed).
    virtual bool launch(const QString &executable, const QStringList &arguments) = 0;
};
