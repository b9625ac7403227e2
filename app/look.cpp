#include "app/look.h"

#include <QAbstractButton>

void applyButtonFace(QAbstractButton *button)
{
    button->setStyleSheet(QStringLiteral(
        "QAbstractButton { border: 1px solid #6f9fd8; border-radius: 3px; color: #0b2a5b;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f2f8ff, stop:0.5 #cfe3fb,"
        " stop:1 #a9cbf2); }"
        "QAbstractButton:hover { border-color: #3d7cc9; }"
        "QAbstractButton:pressed { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
        " stop:0 #a9cbf2, stop:1 #e4f0ff); }"
        "QAbstractButton:disabled { color: #8a98ab; border-color: #b5c6dc;"
        " background: #e3ebf5; }"));
}
