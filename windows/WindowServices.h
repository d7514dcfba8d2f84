#pragma once

#include <QString>

class Clock;
class DateTimeText;
class FileDialog;
class LocalTimeZone;
class MessageBoxes;

// What every window needs from outside: where the program lies, the boxes and dialogs it asks
// through, the clock with its texts,
// and the machine's zone in force.
struct WindowServices
{
    QString applicationDirectory;
    MessageBoxes &messageBoxes;
    FileDialog &fileDialog;
    const DateTimeText &dateTimeText;
    const Clock &clock;
    const LocalTimeZone &timeZone;

    // The task store, which lies beside the program.
    QString storePath() const;
};
