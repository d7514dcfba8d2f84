#include "TaskMarks.h"

#include "ClockTexts.h"
#include "TaskDueCheck.h"

#include <QStringList>

#include <algorithm>

namespace {

// When a task records, on the clock; a length that is no whole number records for its first second only.
struct Span
{
    qint64 startMs;
    qint64 endMs;
};

std::optional<Span> spanOf(const std::optional<Task> &task, const QTimeZone &zone)
{
    if (!task)
        return std::nullopt;
    const std::optional<qint64> start = TaskDueCheck::readableStartMsecs(task->startDate(), task->startTime(), zone);
    if (!start)
        return std::nullopt;
    const qint64 seconds = TaskDueCheck::lengthSeconds(task->parameter()).value_or(1);
    return Span{*start, *start + std::max<qint64>(seconds, 1) * 1000};
}

} // namespace

TaskMarks::Mark TaskMarks::of(const std::optional<Task> &previous, const std::optional<Task> &row,
                              const std::optional<Task> &next, qint64 nowMs, const QTimeZone &zone)
{
    Mark mark;
    const std::optional<Span> own = spanOf(row, zone);
    if (!own)
        return mark;
    if (own->endMs <= nowMs) {
        mark.missed = true;
        mark.toolTip = QString::fromUtf8(MissedToolTip);
        return mark;
    }
    QStringList tips;
    // A task that is already over cuts off nothing and is cut off by nothing.
    if (const std::optional<Span> before = spanOf(previous, zone);
        before && before->endMs > nowMs && own->startMs < before->endMs) {
        tips << QStringLiteral("开始时将截断 «%1» 的录音 (%2).")
                    .arg(previous->program(), ClockTexts::moment(own->startMs, zone));
    }
    if (const std::optional<Span> after = spanOf(next, zone); after && after->endMs > nowMs && after->startMs < own->endMs) {
        tips << QStringLiteral("«%1» 开始时, 本录音将于 %2 被截断.")
                    .arg(next->program(), ClockTexts::moment(after->startMs, zone));
    }
    mark.clashes = !tips.isEmpty();
    mark.toolTip = tips.join(u'\n');
    return mark;
}
