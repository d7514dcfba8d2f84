#include "SeriesToolTip.h"

#include "RepeatChoice.h"
#include "SeriesPlans.h"
#include "SeriesRule.h"

#include <QStringList>

QString SeriesToolTip::of(const SeriesPlan &plan)
{
    const std::optional<SeriesRule> rule = SeriesRule::read(plan.rule);
    if (!rule)
        return QString::fromUtf8(UnreadableText).arg(plan.rule);
    const QDate date = plan.row.startDate();
    const QTime time = plan.row.startTime();
    QStringList lines{words(plan)};
    // The row holds the next start; the rule gives those after it.
    QList<QDate> starts{date};
    starts += rule->datesAfter(plan.countsFrom(), time, date, ShownStarts - 1);
    for (const QDate &start : std::as_const(starts))
        lines << start.toString(Qt::ISODate) + u' ' + time.toString(QStringLiteral("HH:mm:ss"));
    return lines.join(u'\n');
}

QString SeriesToolTip::words(const SeriesPlan &plan)
{
    const std::optional<RepeatChoice> choice = RepeatChoice::fromRule(plan.rule, plan.row.startDate());
    return choice ? choice->words(plan.row.startDate()) : plan.rule;
}
