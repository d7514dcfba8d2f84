#pragma once

#include <functional>
#include <memory>

class MainWindowLink;

// The task editor as the main window sees it. The main window holds it while it is loaded
// and drops it once it has been unloaded; the next showing loads it afresh.
class TaskEditor
{
public:
    virtual ~TaskEditor() = default;

    enum class AfterShowing { StillLoaded, Unloaded };

    // Shows the editor modally over the main window and returns once it is closed or hidden.
    virtual AfterShowing showModal() = 0;
    // Unloads the editor: it drops anything pending and brings the main window up to date.
    virtual void unload() = 0;
};

// Loads an editor for the main window, or gives nullptr when it cannot load (the user has been told why).
using TaskEditorLoader = std::function<std::unique_ptr<TaskEditor>(MainWindowLink &)>;
