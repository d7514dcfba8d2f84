#pragma once

#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include <optional>

// Decides whether a task is due, from its stored start and length.
class TaskDueCheck
{
public:
    enum class Verdict {
        NotYet, // its start is still to come
        Due,    // start the recorder now
        Passed, // its recording lies wholly in the past, or it has no start that can be read
    };

    struct Result
    {
        Verdict verdict;
        // The stop length to hand to the recorder: the task's own, or what is left of it when late.
        QString stopParameter;
    };

    // A task is due in its own second; a task whose second passed unseen (the program was not
    // running, the machine slept, the clock was stepped) is still due, with the seconds left,
    // for as long as its recording would be running. The start is a date and a time on the wall
    // clock of the zone; an invalid one stands for a start that is missing or cannot be read.
    static Result check(QDate startDate, QTime startTime, const QString &parameterText, const QDateTime &now,
                        const QTimeZone &zone);

    // The moment at which a wall-clock start in the zone happens, in milliseconds since 1970. A time
    // that the zone skips (the hour lost to summer time) happens when the skip ends; a time that it
    // passes twice happens at the first pass.
    static qint64 startMsecs(QDate date, QTime time, const QTimeZone &zone);
    // The start of a task whose start date and time are both valid, else nothing.
    static std::optional<qint64> readableStartMsecs(QDate startDate, QTime startTime, const QTimeZone &zone);
    // The stop length when it is a whole number of seconds in plain digits; else the task records
    // only when it starts in its own second.
    static std::optional<qint64> lengthSeconds(const QString &parameterText);
};
