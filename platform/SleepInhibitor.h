#pragma once

#include <QString>

// Keeps the machine from going to sleep while something must not be interrupted.
class SleepInhibitor
{
public:
    virtual ~SleepInhibitor() = default;
    // Asks for sleep to wait; a second hold before release changes nothing.
    virtual void hold(const QString &why) = 0;
    virtual void release() = 0;
};
