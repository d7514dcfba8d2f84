#pragma once

#include <QDateTime>

// The wall clock, behind an interface so that tests can set the time.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};
