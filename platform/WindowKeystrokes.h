#pragma once

#include <QString>

// Presses the recorder's own key in the recorder's window.
class WindowKeystrokes
{
public:
    virtual ~WindowKeystrokes() = default;

    // Brings the top-level window titled title (else one whose title begins with it) of another
    // program to the front and, once it is active, sends it F12. False when there is no such
    // window or no display, or the window did not become active.
    virtual bool activateAndSendF12(const QString &title) = 0;
};
