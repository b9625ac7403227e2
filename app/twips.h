#pragma once

#include <QRect>
#include <QtMath>

class QWidget;

// Window layouts are given in twips: 1440 to the inch, so 15 to a pixel at
// 96 dpi. Qt's high-dpi scaling takes it from there.
constexpr int kTwipsPerPixel = 15;

constexpr int twips(int t)
{
    return t >= 0 ? (t + kTwipsPerPixel / 2) / kTwipsPerPixel
                  : -((-t + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

// Places w at left, top with width × height, all in twips.
void place(QWidget *w, int left, int top, int width, int height);
