#pragma once

#include "StoreError.h"
#include "StoredLength.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

class Clock;
class QComboBox;

// The editor's entry lists: the start's month, day, year, hour, minute and second, and the
// recording's days, hours, minutes and seconds. Each list offers its whole numbers, yet any typed
// text is taken as it stands.
class EditorEntryLists
{
public:
    struct Lists
    {
        QComboBox *month;
        QComboBox *day;
        QComboBox *year;
        QComboBox *hour;
        QComboBox *minute;
        QComboBox *second;
        QComboBox *days;
        QComboBox *hours;
        QComboBox *minutes;
        QComboBox *seconds;
    };

    explicit EditorEntryLists(const Lists &lists);

    // Gives every list its entries while each keeps showing its design text.
    void fill();
    // Selects the clock's present moment in the start lists.
    void preselectStart(const Clock &clock);
    // Shows a stored task; a value that could not be read leaves its lists empty.
    void showTask(QTime start, const std::optional<StoredLength> &length, QDate date);
    // The start lists show their design texts again.
    void resetStart();

    // The start as typed, "hour:minute:second" and "month-day-year".
    QString startTimeText() const;
    QString startDateText() const;
    // The recording's length in seconds, or why the lists do not make one.
    StoreError lengthSeconds(int *totalSeconds) const;
    // The recording's length as the store keeps it for reading.
    QString recordLengthText() const;

private:
    Lists m_lists;
};
