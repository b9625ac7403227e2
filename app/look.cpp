#include "app/look.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

void applyButtonFace(QAbstractButton *button)
{
    // The 120 x 38 face picture is stretched to the button; its rounded
    // corners keep their size.
    button->setStyleSheet(QStringLiteral(
        "QAbstractButton { border-image: url(:/look/buttonface.svg) 5 5 5 5 stretch stretch;"
        " border-width: 5px; padding: -3px 0px; color: #0b2a5b; }"
        "QAbstractButton:hover { color: #003f9e; }"
        "QAbstractButton:pressed { border-image: url(:/look/buttonface-pressed.svg) 5 5 5 5"
        " stretch stretch; }"
        "QAbstractButton:disabled { color: #8a98ab; }"));
}

QPixmap artwork(const QString &resource, const QSize &size)
{
    QSvgRenderer renderer(resource);
    if (!renderer.isValid())
        return {};
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap picture(size * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(size)));
    return picture;
}
