#include "app/form.h"

#include "app/twips.h"

#include <QCloseEvent>
#include <QLinearGradient>
#include <QPainter>

void place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(twipsRect(left, top, width, height));
}

Form::Form(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // Every layout in twips was drawn for a narrow 8-point dialog face.
    QFont face = font();
    face.setPointSize(8);
    face.setStretch(QFont::SemiCondensed);
    setFont(face);
}

void Form::setClientSizeTwips(int width, int height)
{
    resize(twips(width), twips(height));
}

void Form::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted() && !m_unloaded) {
        m_unloaded = true;
        emit unloaded();
    }
}

void Form::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!m_background.isNull()) {
        p.drawPixmap(0, 0, m_background);
        return;
    }
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(0xF4, 0xF8, 0xFF));
    g.setColorAt(1, QColor(0xC8, 0xDC, 0xF4));
    p.fillRect(rect(), g);
}
