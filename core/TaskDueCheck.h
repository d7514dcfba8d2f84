#pragma once

#include <QDateTime>
#include <QString>

class DateTimeText;

// Decides whether the next task is due, from the texts the main window shows of it.
class TaskDueCheck
{
public:
    enum class Verdict {
        NotYet, // its start is still to come
        Due,    // start the recorder now
        Passed, // its recording lies wholly in the past, or its start cannot be read
    };

    struct Result
    {
        Verdict verdict;
        // The stop length to hand to the recorder: the task's own, or what is left of it when late.
        QString stopParameter;
    };

    // A task is due in its own second; a task whose second passed unseen (the program was not
    // running, the machine slept, the clock was stepped) is still due, with the seconds left,
    // for as long as its recording would be running.
    static Result check(const QString &startDateText, const QString &startTimeText, const QString &parameterText,
                        const QDateTime &now, const DateTimeText &dateTimeText);
};
