#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

class QAbstractButton;

// The program's common look: graphical buttons with a light-blue gradient face.
void applyButtonFace(QAbstractButton *button);

// A picture of the artwork at resource (SVG), size pixels at the
// application's device pixel ratio; a null pixmap when the resource is missing.
QPixmap artwork(const QString &resource, const QSize &size);
