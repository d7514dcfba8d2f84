#pragma once

#include "Clock.h"

// A clock that stands still until the test moves it.
class ManualClock : public Clock
{
public:
    explicit ManualClock(QDateTime now = QDateTime(QDate(2026, 12, 24), QTime(5, 59, 59)))
        : m_now(std::move(now))
    {
    }

    QDateTime now() const override { return m_now; }
    void set(const QDateTime &now) { m_now = now; }

private:
    QDateTime m_now;
};
