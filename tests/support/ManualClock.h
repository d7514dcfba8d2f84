#pragma once

#include "Clock.h"

// A clock that stands still until the test moves it. Setting it lets time pass; stepping it moves
// the wall clock alone, as a user or a time service setting the clock does.
class ManualClock : public Clock
{
public:
    explicit ManualClock(QDateTime now = QDateTime(QDate(2026, 12, 24), QTime(5, 59, 59)))
        : m_now(std::move(now))
    {
    }

    QDateTime now() const override { return m_now; }
    qint64 steadyMs() const override { return m_steadyMs; }

    void set(const QDateTime &now)
    {
        m_steadyMs += m_now.msecsTo(now);
        m_now = now;
    }
    void step(const QDateTime &now) { m_now = now; }

private:
    QDateTime m_now;
    qint64 m_steadyMs = 0;
};
