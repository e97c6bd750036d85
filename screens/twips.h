#pragma once

#include <QRect>

#include <cmath>

// Layout is written in twips, as the screen tables give it; one logical pixel is 15 twips (96 dpi).
inline constexpr int twipsPerPixel = 15;

inline int twips(double value) { return static_cast<int>(std::lround(value / twipsPerPixel)); }

inline QRect twipsRect(double left, double top, double width, double height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

inline double toTwips(int pixels) { return static_cast<double>(pixels) * twipsPerPixel; }
