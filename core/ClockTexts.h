#pragma once

#include <QString>
#include <QTimeZone>

// The short texts by which the windows tell when something happens.
class ClockTexts
{
public:
    // "还有 1 天 02:35:10", or "还有 02:35:10" within a day; a part second counts as a whole one.
    static QString countdown(qint64 msLeft);
    // A length of time, as "1 小时 2 分 3 秒", "2 分 3 秒" or "3 秒".
    static QString duration(qint64 seconds);
    // A moment on the zone's wall clock, as "12-08 06:00:00".
    static QString moment(qint64 ms, const QTimeZone &zone);
};
