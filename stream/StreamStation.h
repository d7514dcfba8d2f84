#pragma once

#include <QString>

// What a stream tells of itself: the station's name, what it plays now, its codec and bit rate.
struct StreamStation
{
    QString name;
    QString title;
    QString codec;
    qint64 bitRate = 0; // bits per second, 0 when unknown
};
