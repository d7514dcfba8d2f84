#pragma once

#include "LocalTimeZone.h"

// A machine's zone that the test changes, as the system's time settings do.
class ManualTimeZone : public LocalTimeZone
{
public:
    QTimeZone current() const override { return m_zone; }
    void set(const QTimeZone &zone)
    {
        m_zone = zone;
        emit changed();
    }

private:
    QTimeZone m_zone = QTimeZone::systemTimeZone();
};
