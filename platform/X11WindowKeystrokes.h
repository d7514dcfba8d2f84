#pragma once

#include "WindowKeystrokes.h"

// Finds the window in the X tree, activates it and sends F12 through XTest.
// Works with a window manager and, through the input focus, without one.
class X11WindowKeystrokes : public WindowKeystrokes
{
public:
    bool activateAndSendF12(const QString &title) override;
    // The same for any key, given as an X key symbol (XK_Return, say).
    bool activateAndSendKey(const QString &title, unsigned long keySymbol);
};
