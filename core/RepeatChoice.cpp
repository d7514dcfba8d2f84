#include "RepeatChoice.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace {

const QStringList DayCodes = {QStringLiteral("MO"), QStringLiteral("TU"), QStringLiteral("WE"), QStringLiteral("TH"),
                              QStringLiteral("FR"), QStringLiteral("SA"), QStringLiteral("SU")};
const QStringList DayNames = {QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三"), QStringLiteral("四"),
                              QStringLiteral("五"), QStringLiteral("六"), QStringLiteral("日")};
const QList<int> MondayToFriday = {1, 2, 3, 4, 5};
// The end of the chosen day on floating local time; a bare date means the same.
const QRegularExpression UntilText(QStringLiteral("^(\\d{8})(T235959)?$"));

// A whole number within its bounds, or nothing.
std::optional<int> numberIn(const QString &text, int least, int most)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    return ok && number >= least && number <= most ? std::optional(number) : std::nullopt;
}

} // namespace

std::optional<RepeatChoice> RepeatChoice::fromRule(const QString &text, QDate start)
{
    QHash<QString, QString> parts;
    for (const QString &part : text.trimmed().split(u';', Qt::SkipEmptyParts)) {
        const QString name = part.section(u'=', 0, 0).toUpper();
        if (!part.contains(u'=') || parts.contains(name))
            return std::nullopt;
        parts.insert(name, part.section(u'=', 1).toUpper());
    }
    const QStringList known = {QStringLiteral("FREQ"), QStringLiteral("INTERVAL"), QStringLiteral("BYDAY"),
                               QStringLiteral("UNTIL"), QStringLiteral("COUNT")};
    for (auto part = parts.constBegin(); part != parts.constEnd(); ++part) {
        if (!known.contains(part.key()))
            return std::nullopt;
    }
    const QString frequency = parts.value(QStringLiteral("FREQ"));
    const bool weekly = frequency == QStringLiteral("WEEKLY");
    if ((!weekly && frequency != QStringLiteral("DAILY")) || (!weekly && parts.contains(QStringLiteral("BYDAY")))
        || (parts.contains(QStringLiteral("UNTIL")) && parts.contains(QStringLiteral("COUNT"))))
        return std::nullopt;

    RepeatChoice choice;
    choice.kind = weekly ? Kind::Weekly : Kind::Daily;
    if (parts.contains(QStringLiteral("INTERVAL"))) {
        const std::optional<int> interval = numberIn(parts.value(QStringLiteral("INTERVAL")), 1, MostInterval);
        if (!interval)
            return std::nullopt;
        choice.interval = *interval;
    }
    if (parts.contains(QStringLiteral("BYDAY"))) {
        for (const QString &code : parts.value(QStringLiteral("BYDAY")).split(u',')) {
            const int day = int(DayCodes.indexOf(code)) + 1;
            if (day == 0 || choice.days.contains(day))
                return std::nullopt;
            choice.days.append(day);
        }
        std::sort(choice.days.begin(), choice.days.end());
        if (choice.days == MondayToFriday)
            choice.kind = Kind::Weekdays;
        else if (choice.days != QList<int>{start.dayOfWeek()})
            choice.kind = Kind::ChosenDays;
    }
    if (parts.contains(QStringLiteral("UNTIL"))) {
        const QRegularExpressionMatch until = UntilText.match(parts.value(QStringLiteral("UNTIL")));
        choice.end = End::Until;
        choice.until = QDate::fromString(until.captured(1), QStringLiteral("yyyyMMdd"));
        if (!choice.until.isValid())
            return std::nullopt;
    } else if (parts.contains(QStringLiteral("COUNT"))) {
        const std::optional<int> count = numberIn(parts.value(QStringLiteral("COUNT")), 1, MostCount);
        if (!count)
            return std::nullopt;
        choice.end = End::Count;
        choice.count = *count;
    }
    return choice;
}

QString RepeatChoice::dayName(int day)
{
    return DayNames.at(day - 1);
}

QList<int> RepeatChoice::weekDays(QDate start) const
{
    switch (kind) {
    case Kind::Weekdays:
        return MondayToFriday;
    case Kind::ChosenDays:
        if (!days.isEmpty()) {
            QList<int> sorted = days;
            std::sort(sorted.begin(), sorted.end());
            return sorted;
        }
        [[fallthrough]];
    case Kind::Weekly:
        return {start.dayOfWeek()};
    default:
        return {};
    }
}

QString RepeatChoice::toRule(QDate start) const
{
    if (kind == Kind::Once)
        return {};
    QStringList parts{kind == Kind::Daily ? QStringLiteral("FREQ=DAILY") : QStringLiteral("FREQ=WEEKLY")};
    if (interval > 1)
        parts << QStringLiteral("INTERVAL=%1").arg(interval);
    QStringList codes;
    for (const int day : weekDays(start))
        codes << DayCodes.at(day - 1);
    if (!codes.isEmpty())
        parts << QStringLiteral("BYDAY=") + codes.join(u',');
    if (end == End::Until)
        parts << QStringLiteral("UNTIL=%1T235959").arg(until.toString(QStringLiteral("yyyyMMdd")));
    else if (end == End::Count)
        parts << QStringLiteral("COUNT=%1").arg(count);
    return parts.join(u';');
}

QString RepeatChoice::words(QDate start) const
{
    if (kind == Kind::Once)
        return QStringLiteral("不重复");
    const QString every = interval > 1 ? QStringLiteral("每 %1 ").arg(interval) : QStringLiteral("每");
    QString text;
    if (kind == Kind::Daily) {
        text = every + QStringLiteral("天");
    } else if (kind == Kind::Weekdays) {
        text = interval > 1 ? QStringLiteral("周一至周五, %1周").arg(every) : QStringLiteral("周一至周五");
    } else {
        QStringList names;
        for (const int day : weekDays(start))
            names << dayName(day);
        text = every + QStringLiteral("周") + (names.size() == 1 && interval == 1 ? QString() : QStringLiteral(" "))
               + names.join(QStringLiteral(", "));
    }
    if (end == End::Until)
        text += QStringLiteral(", 直到 ") + until.toString(Qt::ISODate);
    else if (end == End::Count)
        text += QStringLiteral(", 共 %1 次").arg(count);
    return text;
}
