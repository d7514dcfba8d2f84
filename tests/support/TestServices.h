#pragma once

#include "DateTimeText.h"
#include "ManualClock.h"
#include "ManualTimeZone.h"
#include "RecordedDesktop.h"
#include "RecorderLaunch.h"
#include "RecorderStopClient.h"
#include "Scheduler.h"
#include "ScriptedFileDialog.h"
#include "ScriptedMessageBoxes.h"
#include "StandInRecorders.h"
#include "StandInSoundSources.h"
#include "X11WindowKeystrokes.h"

class TestAppDir;

// What a window needs from outside, all set or answered by the test, with stand-ins for the recorder's processes.
class TestServices
{
public:
    ScriptedMessageBoxes boxes;
    ScriptedFileDialog fileDialog;
    ManualClock clock;
    ManualTimeZone zone;
    const DateTimeText texts{QLocale(QLocale::English, QLocale::UnitedStates)};
    StandInRecorders recorders;
    X11WindowKeystrokes keystrokes;
    RecorderStopClient stopClient;
    RecorderLaunch recorder{recorders, recorders, keystrokes, stopClient};
    RecordedDesktop desktop;
    StandInSoundSources soundSources;

    WindowServices windowsForDir(const TestAppDir &dir);
    Scheduler::Services forDir(const TestAppDir &dir, TaskEditorLoader loadEditor = {});
};
