#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <initializer_list>

class QAbstractButton;
class QFont;
class QWidget;

// The program's common look: graphical buttons with a light-blue gradient face.
void applyButtonFace(QAbstractButton *button);

// The face of every window's texts: the layouts in twips were drawn for an
// 8-point dialog face, whose texts Arial's metrics (Liberation Sans, Arial)
// fit. Without either, base's face, narrowed.
QFont windowFont(const QFont &base);

// The face of the text that a device sends: fixed pitch, with the Chinese
// characters at twice the width of the others (Noto Sans Mono CJK); without
// it, base's size in the system's fixed-pitch face.
QFont terminalFont(const QFont &base);

// font made factor times as large, whether its size is set in points or in
// pixels (the window face's is in pixels).
QFont scaledFont(QFont font, qreal factor);

// font with its letters drawn at percent of the width they have (a face
// without a narrow cut is narrowed by the font engine).
QFont narrowedFont(QFont font, int percent);

// Gives window the program's face and makes every drop-down list of the
// program open as wide as its longest item.
void applyWindowLook(QWidget *window);

// A picture of the artwork at resource (SVG), size pixels at the
// application's device pixel ratio; a null pixmap when the resource is missing.
QPixmap artwork(const QString &resource, const QSize &size);

// The artwork drawn from its SVG now, as an image at the given device pixel
// ratio (artwork() takes the build's pre-drawn pixels where it can).
QImage artworkImage(const QString &resource, const QSize &size, qreal ratio);

// An icon of the artwork at resource (SVG) in square pictures of the given
// sides.
QIcon artworkIcon(const QString &resource, std::initializer_list<int> sizes);
