#pragma once

#include "ProgramLauncher.h"

// Starts the program detached and without a shell, so the argument reaches it unchanged.
// A Windows program is handed to wine when wine is installed.
class DetachedProgramLauncher : public ProgramLauncher
{
public:
    bool canLaunch(const QString &executable) const override;
    bool launch(const QString &executable, const QString &argument) override;
};
