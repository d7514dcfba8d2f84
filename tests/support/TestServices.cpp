#include "TestServices.h"

#include "TestAppDir.h"

WindowServices TestServices::windowsForDir(const TestAppDir &dir)
{
    return {dir.path(), boxes, fileDialog, texts, clock, zone, soundSources};
}

Scheduler::Services TestServices::forDir(const TestAppDir &dir, TaskEditorLoader loadEditor)
{
    return {windowsForDir(dir), recorder, desktop, desktop, std::move(loadEditor)};
}
