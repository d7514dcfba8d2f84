#pragma once

#include <QRect>

// Forms are laid out in twips; on screen 15 twips make one pixel.
inline QRect twipsRect(int left, int top, int width, int height)
{
    constexpr int TwipsPerPixel = 15;
    return {left / TwipsPerPixel, top / TwipsPerPixel, width / TwipsPerPixel, height / TwipsPerPixel};
}
