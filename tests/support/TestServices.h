#pragma once

#include "DateTimeText.h"
#include "DetachedProgramLauncher.h"
#include "LinuxProcessTerminator.h"
#include "ManualClock.h"
#include "RecorderLaunch.h"
#include "Scheduler.h"
#include "ScriptedFileDialog.h"
#include "ScriptedMessageBoxes.h"
#include "X11WindowKeystrokes.h"

class TestAppDir;

// What a window needs from outside, for tests: message boxes answered by the test, a clock the
// test sets, and the real process control.
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
    RecorderLaunch recorder{terminator, launcher, keystrokes};

    Scheduler::Services forDir(const TestAppDir &dir, TaskEditorLoader loadEditor = {});
};
