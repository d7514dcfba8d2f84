#include "TestServices.h"

#include "TestAppDir.h"

Scheduler::Services TestServices::forDir(const TestAppDir &dir, TaskEditorLoader loadEditor)
{
    return {dir.path(), boxes,    fileDialog, texts, clock, QTimeZone::systemTimeZone(), recorder, desktop,
            desktop, std::move(loadEditor)};
}
