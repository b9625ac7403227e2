#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <initializer_list>

class QAbstractButton;

// The program's common look: graphical buttons with a light-blue gradient face.
void applyButtonFace(QAbstractButton *button);

// A picture of the artwork at resource (SVG), size pixels at the
// application's device pixel ratio; a null pixmap when the resource is missing.
QPixmap artwork(const QString &resource, const QSize &size);

// The artwork drawn from its SVG now, as an image at the given device pixel
// ratio (artwork() takes the build's pre-drawn pixels where it can).
QImage artworkImage(const QString &resource, const QSize &size, qreal ratio);

// An icon of the artwork at resource (SVG) in square pictures of the given
// sides.
QIcon artworkIcon(const QString &resource, std::initializer_list<int> sizes);
