#include "TaskMarks.h"

#include "ClockTexts.h"
#include "TaskDueCheck.h"

#include <QStringList>

#include <algorithm>
#include <optional>

namespace {

enum FieldIndex { StartDateIndex = 0, StartTimeIndex = 1, ProgramIndex = 2, ParameterIndex = 4 };

// When a task records, on the clock; a length that is no whole number records for its first second only.
struct Span
{
    qint64 startMs;
    qint64 endMs;
};

std::optional<Span> spanOf(const QVariantList &fields, const QTimeZone &zone)
{
    if (fields.size() <= ParameterIndex)
        return std::nullopt;
    const std::optional<qint64> start =
        TaskDueCheck::startMsecs(fields.at(StartDateIndex), fields.at(StartTimeIndex), zone);
    if (!start)
        return std::nullopt;
    const qint64 seconds = TaskDueCheck::lengthSeconds(fields.at(ParameterIndex).toString()).value_or(1);
    return Span{*start, *start + std::max<qint64>(seconds, 1) * 1000};
}

} // namespace

TaskMarks::Mark TaskMarks::of(const QVariantList &previous, const QVariantList &row, const QVariantList &next,
                              qint64 nowMs, const QTimeZone &zone)
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
                    .arg(previous.at(ProgramIndex).toString(), ClockTexts::moment(own->startMs, zone));
    }
    if (const std::optional<Span> after = spanOf(next, zone); after && after->endMs > nowMs && after->startMs < own->endMs) {
        tips << QStringLiteral("«%1» 开始时, 本录音将于 %2 被截断.")
                    .arg(next.at(ProgramIndex).toString(), ClockTexts::moment(after->startMs, zone));
    }
    mark.clashes = !tips.isEmpty();
    mark.toolTip = tips.join(u'\n');
    return mark;
}
