#pragma once

#include <QString>
#include <QTimeZone>

class Clock;
class DateTimeText;
class FileDialog;
class MessageBoxes;

// What every window needs from outside: where the program lies, the boxes and dialogs it asks
// through, and the clock with its texts.
struct WindowServices
{
    QString applicationDirectory;
    MessageBoxes &messageBoxes;
    FileDialog &fileDialog;
    const DateTimeText &dateTimeText;
    const Clock &clock;
    // The zone whose wall clock the tasks' start dates and times are read on.
    QTimeZone timeZone;

    // The task store, which lies beside the program.
    QString storePath() const;
};
