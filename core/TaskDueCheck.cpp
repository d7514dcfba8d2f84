#include "TaskDueCheck.h"

#include "DateTimeText.h"

#include <QRegularExpression>

TaskDueCheck::Result TaskDueCheck::check(const QString &startDateText, const QString &startTimeText,
                                         const QString &parameterText, const QDateTime &now,
                                         const DateTimeText &dateTimeText)
{
    const QDate startDate = dateTimeText.readDate(startDateText);
    const QTime startTime = dateTimeText.readTime(startTimeText);
    if (!startDate.isValid() || !startTime.isValid())
        return {Verdict::Passed, {}};

    const qint64 lateMs = QDateTime(startDate, startTime).msecsTo(now);
    if (lateMs < 0)
        return {Verdict::NotYet, {}};
    const qint64 lateSeconds = lateMs / 1000;
    if (lateSeconds == 0)
        return {Verdict::Due, parameterText};

    static const QRegularExpression wholeNumber(QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{1,18}")));
    if (!wholeNumber.match(parameterText).hasMatch())
        return {Verdict::Passed, {}};
    const qint64 length = parameterText.toLongLong();
    if (lateSeconds >= length)
        return {Verdict::Passed, {}};
    return {Verdict::Due, QString::number(length - lateSeconds)};
}
