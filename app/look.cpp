#include "app/look.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QResource>
#include <QStyleOption>
#include <QSvgRenderer>
#include <qdrawutil.h>

#include <algorithm>
#include <cstring>

namespace {

const QSize kFaceSize(120, 38);
// The windows' text size: 7.5 points at 96 dots per inch. Liberation Sans
// (Arial) at 8 points runs wider than the dialog face of the layouts.
constexpr int kFacePixels = 10;
// The terminal's text size: the longest line of the device's menu (53
// characters) fits the terminal box.
constexpr int kTerminalPixels = 12;
// The width of a drop-down list's button: the system's scroll bar width of
// the layouts' platform, narrower than the application style's.
constexpr int kComboButtonPixels = 16;
// The face's rounded corners keep their size when it is stretched.
const QMargins kFaceCorners(5, 5, 5, 5);

// Draws the face picture behind the caption of every button that uses it;
// the rest of the drawing is the application style's.
class ButtonFaceStyle final : public QProxyStyle
{
public:
    ButtonFaceStyle()
        : m_face(artwork(QStringLiteral(":/look/buttonface.svg"), kFaceSize)),
          m_pressed(artwork(QStringLiteral(":/look/buttonface-pressed.svg"), kFaceSize))
    {
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element == PE_PanelButtonCommand || element == PE_PanelButtonTool
            || element == PE_PanelButtonBevel) {
            drawFace(option, painter);
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        if (element == CE_PushButtonBevel) {
            drawFace(option, painter);
            return;
        }
        const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option);
        if (element == CE_PushButtonLabel && button) {
            QStyleOptionButton label(*button);
            label.palette.setColor(QPalette::ButtonText,
                                   !(option->state & State_Enabled) ? QColor(0x8a, 0x98, 0xab)
                                   : (option->state & State_MouseOver) ? QColor(0x00, 0x3f, 0x9e)
                                                                      : QColor(0x0b, 0x2a, 0x5b));
            QProxyStyle::drawControl(element, &label, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

private:
    void drawFace(const QStyleOption *option, QPainter *painter) const
    {
        const bool down = option->state & (State_Sunken | State_On);
        const QPixmap &face = down ? m_pressed : m_face;
        painter->save();
        if (!(option->state & State_Enabled))
            painter->setOpacity(0.55);
        qDrawBorderPixmap(painter, option->rect, kFaceCorners, face);
        if (option->state & State_HasFocus) {
            painter->setPen(QPen(QColor(0x3d, 0x6f, 0xae), 1, Qt::DotLine));
            painter->drawRoundedRect(option->rect.adjusted(3, 3, -4, -4), 2, 2);
        }
        painter->restore();
    }

    QPixmap m_face;
    QPixmap m_pressed;
};

// Drop-down lists: a narrower button, which leaves the chosen item more room,
// and a list that opens at least as wide as its longest item (by default one
// that the user may type in is only as wide as its box, and cuts longer
// items). The rest is the application style's.
class ListWidthStyle final : public QProxyStyle
{
public:
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option,
                         SubControl sub, const QWidget *widget) const override
    {
        QRect r = QProxyStyle::subControlRect(control, option, sub, widget);
        if (control == CC_ComboBox && (sub == SC_ComboBoxArrow || sub == SC_ComboBoxEditField)) {
            // A narrow list keeps room for its texts beside a narrower button
            // (the windows run left to right).
            const int gain = std::max(
                0, QProxyStyle::subControlRect(control, option, SC_ComboBoxArrow, widget).width()
                       - kComboButtonPixels);
            if (sub == SC_ComboBoxArrow)
                r.setLeft(r.left() + gain);
            else
                r.setRight(r.right() + gain);
        }
        if (control == CC_ComboBox && sub == SC_ComboBoxListBoxPopup) {
            if (const auto *combo = qobject_cast<const QComboBox *>(widget))
                r.setWidth(std::max(r.width(), listWidth(combo)));
        }
        return r;
    }

private:
    int listWidth(const QComboBox *combo) const
    {
        const QAbstractItemView *view = combo->view();
        const QFontMetrics fm(view->font());
        int widest = 0;
        for (int i = 0; i < combo->count(); ++i)
            widest = std::max(widest, fm.horizontalAdvance(combo->itemText(i)));
        // The items' text margins, the frames of the list and of its popup,
        // and the scroll bar of a list longer than the popup.
        int width = widest + 2 * (pixelMetric(PM_FocusFrameHMargin) + 1) + 2 * view->frameWidth();
        if (const auto *popup = qobject_cast<const QFrame *>(view->parentWidget()))
            width += 2 * popup->frameWidth();
        if (combo->count() > combo->maxVisibleItems())
            width += pixelMetric(PM_ScrollBarExtent);
        return width;
    }
};

// The build's raw pixels of resource at size ("name-WxH.argb" beside
// "name.svg"); a null pixmap when there are none.
QPixmap prerendered(const QString &resource, const QSize &size)
{
    if (!resource.endsWith(QLatin1String(".svg")))
        return {};
    const QResource raw(resource.chopped(4)
                        + QStringLiteral("-%1x%2.argb").arg(size.width()).arg(size.height()));
    const qint64 bytes = qint64(size.width()) * size.height() * 4;
    if (!raw.isValid() || raw.compressionAlgorithm() != QResource::NoCompression
        || raw.size() != bytes)
        return {};
    QImage picture(size, QImage::Format_ARGB32_Premultiplied);
    std::memcpy(picture.bits(), raw.data(), size_t(bytes));
    return QPixmap::fromImage(std::move(picture));
}

QStyle *buttonFaceStyle()
{
    // One style for every button of the run; it goes with the application.
    static QPointer<ButtonFaceStyle> style;
    if (!style) {
        style = new ButtonFaceStyle;
        style->setParent(qApp);
    }
    return style;
}

} // namespace

void applyButtonFace(QAbstractButton *button)
{
    button->setStyle(buttonFaceStyle());
    button->setAttribute(Qt::WA_Hover);
}

QFont windowFont(const QFont &base)
{
    static const QStringList faces = [] {
        QStringList found;
        for (const QString &face : {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")}) {
            if (QFontDatabase::hasFamily(face))
                found << face;
        }
        return found;
    }();
    QFont f = base;
    // In pixels, as the layouts are: a screen set to more dots per inch
    // enlarges both alike.
    f.setPixelSize(kFacePixels);
    if (faces.isEmpty()) {
        // The system's face is wider: narrowed, the layouts hold most texts.
        f.setStretch(QFont::SemiCondensed);
        return f;
    }
    // Characters that the face lacks (the Chinese texts) come from the
    // system's fallback faces.
    f.setFamilies(faces + base.families());
    return f;
}

QFont terminalFont(const QFont &base)
{
    static const QStringList faces = [] {
        QStringList found;
        for (const char *face : {"Noto Sans Mono CJK TC", "Noto Sans Mono CJK HK",
                                 "Noto Sans Mono CJK SC", "Noto Sans Mono CJK JP"}) {
            if (QFontDatabase::hasFamily(QLatin1String(face)))
                found << QLatin1String(face);
        }
        return found;
    }();
    QFont f = faces.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : base;
    if (!faces.isEmpty())
        f.setFamilies(faces);
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPixelSize(kTerminalPixels);
    return f;
}

void applyWindowLook(QWidget *window)
{
    window->setFont(windowFont(window->font()));
    if (!dynamic_cast<ListWidthStyle *>(QApplication::style()))
        QApplication::setStyle(new ListWidthStyle);
}

QImage artworkImage(const QString &resource, const QSize &size, qreal ratio)
{
    QSvgRenderer renderer(resource);
    if (!renderer.isValid())
        return {};
    QImage picture(size * ratio, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(size)));
    return picture;
}

QPixmap artwork(const QString &resource, const QSize &size)
{
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    if (ratio == 1.0) {
        QPixmap picture = prerendered(resource, size);
        if (!picture.isNull())
            return picture;
    }
    return QPixmap::fromImage(artworkImage(resource, size, ratio));
}

QIcon artworkIcon(const QString &resource, std::initializer_list<int> sizes)
{
    QIcon icon;
    for (const int side : sizes) {
        QPixmap picture = prerendered(resource, QSize(side, side));
        if (picture.isNull())
            picture = QPixmap::fromImage(artworkImage(resource, QSize(side, side), 1.0));
        if (!picture.isNull())
            icon.addPixmap(picture);
    }
    return icon;
}

QFont scaledFont(QFont font, qreal factor)
{
    if (font.pixelSize() > 0)
        font.setPixelSize(qRound(font.pixelSize() * factor));
    else
        font.setPointSizeF(font.pointSizeF() * factor);
    return font;
}

QFont narrowedFont(QFont font, int percent)
{
    const int stretch = font.stretch() > 0 ? font.stretch() : int(QFont::Unstretched);
    font.setStretch(std::max(1, stretch * percent / 100));
    return font;
}
