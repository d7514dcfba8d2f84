#pragma once

#include <QDateTime>

// The wall clock, behind an interface so that tests can set the time.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // A steady count of milliseconds that no setting of the wall clock moves, to tell a step of
    // the wall clock from time passing.
    virtual qint64 steadyMs() const = 0;
};
