#pragma once

#include "Clock.h"

// A clock that stands still until set, which lets time pass, or stepped, which moves the wall clock alone.
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
