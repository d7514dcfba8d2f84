#pragma once

#include "StoreError.h"

#include <QDate>
#include <QString>
#include <QTime>

// Turns the texts of the editor's entry lists into the values of a task. Failures come back as
// numbered errors like the store's, so that the save traps both in one place.
class EntryConversion
{
public:
    enum Number : int {
        Overflow = 6,
        TypeMismatch = 13,
        ConversionError = 3421,
    };

    // Days, hours, minutes and seconds read as decimal numbers (sign and fraction allowed),
    // totalled in seconds and rounded half to even into a 32-bit signed integer.
    static StoreError lengthSeconds(const QString &days, const QString &hours, const QString &minutes,
                                    const QString &seconds, int *total);
    // "hour:minute:second" on the 24-hour clock.
    static StoreError readStartTime(const QString &text, QTime *time);
    // "month-day-year"; a year of one or two digits is taken as 2000 to 2029 or 1930 to 1999.
    static StoreError readStartDate(const QString &text, QDate *date);
    // The length as the sentence that the task shows, from the texts as they were typed.
    static QString recordLengthText(const QString &days, const QString &hours, const QString &minutes,
                                    const QString &seconds);

    static StoreError typeMismatch();
    static StoreError overflow();
    static StoreError conversionError();
};
