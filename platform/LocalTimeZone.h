#pragma once

#include <QObject>
#include <QTimeZone>

// The zone whose wall clock the tasks' start dates and times are read on: the machine's zone in
// force, which may change while the program runs (a user's setting, a laptop that travels).
class LocalTimeZone : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual QTimeZone current() const = 0;

signals:
    // The machine's zone is another one now: every wall-clock judgement is to be made again.
    void changed();
};
