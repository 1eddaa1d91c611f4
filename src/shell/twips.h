#pragma once
// Control geometry is drawn in twips; the screen has 15 twips to a logical
// pixel (96 dpi). Qt scales logical pixels by the screen's device-pixel
// ratio itself.

#include <QRect>
#include <QWidget>

namespace kolumbra::shell {

inline constexpr int TwipsPerPixel = 15;

constexpr int Pixels(int twips) { return (twips + TwipsPerPixel / 2) / TwipsPerPixel; }

inline void PlaceAt(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(QRect(Pixels(left), Pixels(top), Pixels(width), Pixels(height)));
}

}  // namespace kolumbra::shell
