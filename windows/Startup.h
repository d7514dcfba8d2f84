#pragma once

#include "Scheduler.h"

#include <memory>

// Brings the program up: the output format choice, then the main window loaded and shown.
class Startup
{
public:
    // The shown main window, or nullptr when the store cannot be opened; the user has then been told why.
    static std::unique_ptr<Scheduler> showMainWindow(const Scheduler::Services &services);
};
