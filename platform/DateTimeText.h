#pragma once

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTime>

// The one rule by which dates and times become texts and texts become values again:
// the locale's short date with a four-digit year, and its long time with seconds and no zone.
class DateTimeText
{
public:
    explicit DateTimeText(const QLocale &locale = QLocale::system());

    QString dateText(QDate date) const;
    QString timeText(QTime time) const;

    // An invalid value when the text is not a date or a time of day.
    QDate readDate(const QString &text) const;
    QTime readTime(const QString &text) const;

private:
    QTime readClock(const QString &text) const;

    QLocale m_locale;
    QString m_dateFormat;
    QString m_timeFormat;
    QStringList m_amTexts;
    QStringList m_pmTexts;
    QRegularExpression m_clockPattern;
};
