#pragma once

#include <QString>

class Clock;
class DateTimeText;
class FileDialog;
class LocalTimeZone;
class MessageBoxes;
class SoundSourceList;

// What every window needs from outside: where the program lies, the boxes and dialogs it asks
// through, the clock with its texts, the machine's zone in force, and the sound server's sources.
struct WindowServices
{
    QString applicationDirectory;
    MessageBoxes &messageBoxes;
    FileDialog &fileDialog;
    const DateTimeText &dateTimeText;
    const Clock &clock;
    const LocalTimeZone &timeZone;
    SoundSourceList &soundSources;

    // The task store, which lies beside the program.
    QString storePath() const;
};
