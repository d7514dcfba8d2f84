#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

#include <memory>
#include <optional>

struct icalrecurrencetype;

// A series' recurrence rule (RFC 5545 RRULE text), expanded by libical on floating wall-clock times:
// it gives the dates of the occurrences, and the task's own start time is kept on each date.
class SeriesRule
{
public:
    // Nothing when libical cannot read the text, or when the rule would set the time of day or repeat
    // within a day, since a task's time is its own.
    static std::optional<SeriesRule> read(const QString &text);

    ~SeriesRule();
    SeriesRule(const SeriesRule &other);
    SeriesRule &operator=(const SeriesRule &other);

    // Up to `count` occurrence dates after `after`, for a series that starts at `first` and `time`
    // (COUNT and INTERVAL count from there).
    QList<QDate> datesAfter(QDate first, QTime time, QDate after, int count) const;
    std::optional<QDate> nextAfter(QDate first, QTime time, QDate after) const;

private:
    explicit SeriesRule(std::unique_ptr<icalrecurrencetype> rule);

    std::unique_ptr<icalrecurrencetype> m_rule;
};
