#include "ClockTexts.h"

#include <QDateTime>

#include <algorithm>

QString ClockTexts::countdown(qint64 msLeft)
{
    const qint64 seconds = (std::max<qint64>(msLeft, 0) + 999) / 1000;
    const qint64 days = seconds / 86400;
    const QString time = QStringLiteral("%1:%2:%3")
                             .arg(seconds % 86400 / 3600, 2, 10, QLatin1Char('0'))
                             .arg(seconds % 3600 / 60, 2, 10, QLatin1Char('0'))
                             .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return days > 0 ? QStringLiteral("还有 %1 天 %2").arg(days).arg(time) : QStringLiteral("还有 %1").arg(time);
}

QString ClockTexts::duration(qint64 seconds)
{
    const qint64 hours = seconds / 3600;
    const qint64 minutes = seconds % 3600 / 60;
    if (hours > 0)
        return QStringLiteral("%1 小时 %2 分 %3 秒").arg(hours).arg(minutes).arg(seconds % 60);
    if (minutes > 0)
        return QStringLiteral("%1 分 %2 秒").arg(minutes).arg(seconds % 60);
    return QStringLiteral("%1 秒").arg(seconds);
}

QString ClockTexts::moment(qint64 ms, const QTimeZone &zone)
{
    return QDateTime::fromMSecsSinceEpoch(ms, zone).toString(QStringLiteral("MM-dd HH:mm:ss"));
}
