#pragma once

#include "StoreError.h"

#include <QString>

class QWidget;

// What the task editor may reach of the main window: the window it sits over, the next task's
// labels that it writes when it closes, the re-read of the tasks, and the end of its own claims.
class MainWindowLink
{
public:
    virtual ~MainWindowLink() = default;

    static constexpr auto ApplicationTitle = "QuillScheduler";

    // The labels of the next task that the editor writes when it closes.
    enum class NextTaskLabel { StartTime, StartDate, Program, Filename, Parameter };

    // The main window itself: the editor's owner, centred on and repainted by it.
    virtual QWidget &ownerWindow() = 0;
    // Re-reads the tasks in start order and removes a first task that has no start date.
    virtual StoreError read_recorder() = 0;
    virtual void setNextTaskCaption(NextTaskLabel label, const QString &text) = 0;
    // Our own claim holds the store's write lock until the recorder it fired has started, which
    // may take the seconds the recorder before it needs to end: a user's write waits it out
    // instead of failing as if another program held the store.
    virtual void waitForOwnClaims() = 0;
};
