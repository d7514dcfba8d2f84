#include "TaskDueCheck.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

constexpr qint64 MsPerSecond = 1000;
// Far enough from a start to be on either side of any change of the zone's offset around it.
constexpr qint64 AroundMs = 2 * 24 * 3600 * MsPerSecond;

int offsetMsAt(const QTimeZone &zone, qint64 utcMs)
{
    return zone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(utcMs, Qt::UTC)) * int(MsPerSecond);
}

} // namespace

qint64 TaskDueCheck::startMsecs(QDate date, QTime time, const QTimeZone &zone)
{
    // The wall-clock reading counted as if it were UTC; the moment is that less the zone's offset then.
    const qint64 wallMs = QDateTime(date, time, Qt::UTC).toMSecsSinceEpoch();
    if (!zone.isValid())
        return wallMs;
    const int before = offsetMsAt(zone, wallMs - AroundMs);
    const int after = offsetMsAt(zone, wallMs + AroundMs);

    std::optional<qint64> first;
    for (const int offset : {before, offsetMsAt(zone, wallMs), after}) {
        const qint64 candidate = wallMs - offset;
        if (offsetMsAt(zone, candidate) == offset && (!first || candidate < *first))
            first = candidate;
    }
    if (first)
        return *first;

    // No moment shows this reading: it lies in a skipped stretch, which ends at the change.
    const QTimeZone::OffsetData change =
        zone.nextTransition(QDateTime::fromMSecsSinceEpoch(wallMs - std::max(before, after) - 1, Qt::UTC));
    return change.atUtc.isValid() ? change.atUtc.toMSecsSinceEpoch() : wallMs - before;
}

std::optional<qint64> TaskDueCheck::readableStartMsecs(QDate startDate, QTime startTime, const QTimeZone &zone)
{
    if (!startDate.isValid() || !startTime.isValid())
        return std::nullopt;
    return startMsecs(startDate, startTime, zone);
}

std::optional<qint64> TaskDueCheck::lengthSeconds(const QString &parameterText)
{
    static const QRegularExpression wholeNumber(QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{1,18}")));
    if (!wholeNumber.match(parameterText).hasMatch())
        return std::nullopt;
    return parameterText.toLongLong();
}

TaskDueCheck::Result TaskDueCheck::check(QDate startDate, QTime startTime, const QString &parameterText,
                                         const QDateTime &now, const QTimeZone &zone)
{
    const std::optional<qint64> start = readableStartMsecs(startDate, startTime, zone);
    if (!start)
        return {Verdict::Passed, {}};
    const qint64 lateMs = now.toMSecsSinceEpoch() - *start;
    if (lateMs < 0)
        return {Verdict::NotYet, {}};
    const qint64 lateSeconds = lateMs / MsPerSecond;
    if (lateSeconds == 0)
        return {Verdict::Due, parameterText};

    const std::optional<qint64> length = lengthSeconds(parameterText);
    if (!length || lateSeconds >= *length)
        return {Verdict::Passed, {}};
    return {Verdict::Due, QString::number(*length - lateSeconds)};
}
