#pragma once

#include "Task.h"

#include <QString>
#include <QTimeZone>

#include <optional>

// What the list of tasks marks beside a task's fields: a task whose recording lies wholly in the
// past is missed, and a task that starts while the one before it would still record cuts that one
// off, as every start ends the running recorder.
class TaskMarks
{
public:
    struct Mark
    {
        bool missed = false;
        // It cuts off the task before it, or is cut off by the task after it.
        bool clashes = false;
        QString toolTip;
    };

    static constexpr auto MissedToolTip = "已错过: 录音时间已过";

    // The mark of row, with the rows listed before and after it (nothing when there are none).
    static Mark of(const std::optional<Task> &previous, const std::optional<Task> &row,
                   const std::optional<Task> &next, qint64 nowMs, const QTimeZone &zone);
};
