#pragma once

#include "DBusDesktopNotices.h"
#include "DateTimeText.h"
#include "DetachedProgramLauncher.h"
#include "LinuxProcessTerminator.h"
#include "LogindSleepInhibitor.h"
#include "ManualClock.h"
#include "RecorderLaunch.h"
#include "RecorderStopClient.h"
#include "Scheduler.h"
#include "ScriptedFileDialog.h"
#include "ScriptedMessageBoxes.h"
#include "X11WindowKeystrokes.h"

class TestAppDir;

// What a window needs from outside, for tests: message boxes answered by the test, a clock the
// test sets, and the real process control and desktop services (on whatever bus the test gives).
class TestServices
{
public:
    ScriptedMessageBoxes boxes;
    ScriptedFileDialog fileDialog;
    ManualClock clock;
    const DateTimeText texts{QLocale(QLocale::English, QLocale::UnitedStates)};
    LinuxProcessTerminator terminator;
    DetachedProgramLauncher launcher;
    X11WindowKeystrokes keystrokes;
    RecorderStopClient stopClient;
    RecorderLaunch recorder{terminator, launcher, keystrokes, stopClient};
    DBusDesktopNotices notices{QStringLiteral("QuillScheduler")};
    LogindSleepInhibitor sleepInhibitor{QStringLiteral("QuillScheduler")};

    WindowServices windowsForDir(const TestAppDir &dir);
    Scheduler::Services forDir(const TestAppDir &dir, TaskEditorLoader loadEditor = {});
};
