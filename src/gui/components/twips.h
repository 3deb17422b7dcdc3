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
