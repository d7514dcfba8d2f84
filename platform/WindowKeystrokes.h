#pragma once

#include <QString>

// Presses the recorder's own key in the recorder's window.
class WindowKeystrokes
{
public:
    virtual ~WindowKeystrokes() = default;

    // Brings the top-level window titled title (else one whose title begins with it) to the
    // front and sends it F12. False when there is no such window or no display.
    virtual bool activateAndSendF12(const QString &title) = 0;
};
