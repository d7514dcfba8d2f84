#include "SeriesRule.h"

#include <libical/ical.h>

namespace {

// A rule that matches no date (30 February) would be walked for ever.
constexpr int MostStepsPerLookup = 200000;

struct IteratorFree
{
    void operator()(icalrecur_iterator *iterator) const { icalrecur_iterator_free(iterator); }
};

icaltimetype floating(QDate date, QTime time)
{
    icaltimetype moment = icaltime_null_time();
    moment.year = date.year();
    moment.month = date.month();
    moment.day = date.day();
    moment.hour = time.hour();
    moment.minute = time.minute();
    moment.second = time.second();
    return moment;
}

bool isEmpty(const short *list)
{
    return list[0] == ICAL_RECURRENCE_ARRAY_MAX;
}

} // namespace

SeriesRule::SeriesRule(std::unique_ptr<icalrecurrencetype> rule)
    : m_rule(std::move(rule))
{
}

SeriesRule::~SeriesRule() = default;

SeriesRule::SeriesRule(const SeriesRule &other)
    : m_rule(std::make_unique<icalrecurrencetype>(*other.m_rule))
{
}

SeriesRule &SeriesRule::operator=(const SeriesRule &other)
{
    *m_rule = *other.m_rule;
    return *this;
}

std::optional<SeriesRule> SeriesRule::read(const QString &text)
{
    // libical may end the process on an error unless told otherwise; a rule another tool wrote must not.
    icalerror_set_errors_are_fatal(0);
    const QByteArray utf8 = text.trimmed().toUtf8();
    if (utf8.isEmpty())
        return std::nullopt;
    auto rule = std::make_unique<icalrecurrencetype>(icalrecurrencetype_from_string(utf8.constData()));
    icalerror_clear_errno();
    switch (rule->freq) {
    case ICAL_DAILY_RECURRENCE:
    case ICAL_WEEKLY_RECURRENCE:
    case ICAL_MONTHLY_RECURRENCE:
    case ICAL_YEARLY_RECURRENCE:
        break;
    default:
        return std::nullopt;
    }
    if (!isEmpty(rule->by_hour) || !isEmpty(rule->by_minute) || !isEmpty(rule->by_second) || rule->interval < 1)
        return std::nullopt;
    // libical accepts some rules it cannot walk (BYWEEKNO with FREQ=DAILY): try one step.
    const std::unique_ptr<icalrecur_iterator, IteratorFree> probe(
        icalrecur_iterator_new(*rule, floating(QDate(2000, 1, 1), QTime(0, 0))));
    if (!probe)
        return std::nullopt;
    return SeriesRule(std::move(rule));
}

QList<QDate> SeriesRule::datesAfter(QDate first, QTime time, QDate after, int count) const
{
    QList<QDate> dates;
    if (!first.isValid() || !time.isValid() || count <= 0)
        return dates;
    const std::unique_ptr<icalrecur_iterator, IteratorFree> iterator(
        icalrecur_iterator_new(*m_rule, floating(first, time)));
    if (!iterator)
        return dates;
    for (int step = 0; step < MostStepsPerLookup; ++step) {
        const icaltimetype next = icalrecur_iterator_next(iterator.get());
        if (icaltime_is_null_time(next))
            break;
        const QDate date(next.year, next.month, next.day);
        if (date <= after || (!dates.isEmpty() && date == dates.last()))
            continue;
        dates.append(date);
        if (dates.size() == count)
            break;
    }
    return dates;
}

std::optional<QDate> SeriesRule::nextAfter(QDate first, QTime time, QDate after) const
{
    const QList<QDate> dates = datesAfter(first, time, after, 1);
    return dates.isEmpty() ? std::nullopt : std::optional(dates.first());
}
