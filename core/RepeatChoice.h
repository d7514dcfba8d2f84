#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

// A task's repeat as the editor offers it, to and from the RFC 5545 rule text that the store keeps.
// A weekly repeat falls on the start date's weekday, so the rule depends on the start date.
struct RepeatChoice
{
    enum class Kind { Once, Daily, Weekdays, Weekly, ChosenDays };
    enum class End { Never, Until, Count };

    Kind kind = Kind::Once;
    // Every so many days or weeks.
    int interval = 1;
    // The chosen weekdays, Monday 1 to Sunday 7; none means the start date's.
    QList<int> days;
    End end = End::Never;
    QDate until;
    int count = 1;

    static constexpr int MostInterval = 99;
    static constexpr int MostCount = 9999;

    // Nothing for a rule the editor cannot show as it is (another tool's), and for no rule.
    static std::optional<RepeatChoice> fromRule(const QString &text, QDate start);
    // Empty for a task that does not repeat.
    QString toRule(QDate start) const;
    // The repeat in a few words, for a tooltip.
    QString words(QDate start) const;
    // A weekday's short name, Monday 1 to Sunday 7.
    static QString dayName(int day);

private:
    QList<int> weekDays(QDate start) const;
};
