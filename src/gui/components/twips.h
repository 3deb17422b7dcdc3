#pragma once

#include <QRect>
#include <QWidget>

#include <cmath>

// Window geometry is designed in twips; 15 twips make one logical pixel.
namespace twips {

constexpr float kPerPixel = 15.0f;

inline int toPixels(float value) { return int(std::lround(value / kPerPixel)); }
inline float fromPixels(int pixels) { return float(pixels) * kPerPixel; }

inline void place(QWidget *widget, float left, float top, float width, float height)
{
    widget->setGeometry(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

} // namespace twips

// Designed rectangle of a control, in twips; Form_Resize works on these.
struct TwipRect
{
    float left = 0, top = 0, width = 0, height = 0;
};

namespace twips {

inline void place(QWidget *widget, const TwipRect &r)
{
    if (widget)
        place(widget, r.left, r.top, r.width, r.height);
}

} // namespace twips
