#pragma once

#include <QString>

// Starts the recorder and lets it run on its own.
class ProgramLauncher
{
public:
    virtual ~ProgramLauncher() = default;

    // Starts executable with argument as its one parameter; a program that cannot be
    // started is passed over without a word.
    virtual void launch(const QString &executable, const QString &argument) = 0;
};
