#include "app/windowbehaviour.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace {

// Presses the focused push button on Enter. Qt does that only for default
// buttons, and the program's buttons never are one.
class EnterPressesButton final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *button = qobject_cast<QPushButton *>(watched);
        if (!button || button->autoDefault() || button->isDefault())
            return false; // Qt presses a default button itself
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        if (key->modifiers() & ~Qt::KeypadModifier)
            return false;
        // One press per stroke: a held key does not repeat it.
        if (!key->isAutoRepeat())
            button->click();
        return true;
    }
};

// Keeps the windows it watches on their screens.
class ScreenKeeper final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show) {
            auto *window = qobject_cast<QWidget *>(watched);
            if (window && window->isWindow() && window->isVisible())
                WindowBehaviour::moveOntoScreen(window);
        }
        return false;
    }
};

template <class T>
T *applicationWide()
{
    static QPointer<T> object;
    if (!object && qApp)
        object = new T(qApp);
    return object;
}

// The top-left corner that brings frame inside area; its left and top edges
// stay visible when it is larger.
QPoint insideArea(const QRect &frame, const QRect &area)
{
    return {std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())),
            std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height()))};
}

} // namespace

namespace WindowBehaviour {

void install()
{
    static bool installed = false;
    if (installed || !qApp)
        return;
    installed = true;
    qApp->installEventFilter(applicationWide<EnterPressesButton>());
}

void placeForShowing(QWidget *window, QWidget *owner, bool modal)
{
    if (window->isVisible())
        return;
    const bool overOwner = modal && owner && owner != window && owner->isVisible();
    // The window system keeps only a dialog above its owner.
    if (modal && window->windowType() == Qt::Window)
        window->setWindowFlags((window->windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog);
    window->winId(); // its native window: to be transient, and for its frame
    QWindow *handle = window->windowHandle();
    if (overOwner && handle)
        handle->setTransientParent(owner->windowHandle());
    if (window->testAttribute(Qt::WA_Moved))
        return;
    QScreen *screen = overOwner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen || !handle)
        return;
    if (!window->testAttribute(Qt::WA_Resized))
        window->adjustSize(); // the size that showing would give it
    // A window manager may add the frame only when the window first shows;
    // until then the owner's frame is the best guess (the program's windows
    // all have the same one).
    QMargins margins = handle->frameMargins();
    if (margins.isNull() && overOwner && owner->windowHandle())
        margins = owner->windowHandle()->frameMargins();
    QRect frame(QPoint(), window->size().grownBy(margins));
    frame.moveCenter(overOwner ? owner->frameGeometry().center()
                               : screen->availableGeometry().center());
    window->move(insideArea(frame, screen->availableGeometry()));
}

void keepOnScreen(QWidget *window)
{
    window->installEventFilter(applicationWide<ScreenKeeper>());
}

void moveOntoScreen(QWidget *window)
{
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    const QRect frame = window->frameGeometry();
    const QPoint inside = insideArea(frame, screen->availableGeometry());
    if (inside != frame.topLeft())
        window->move(inside);
}

} // namespace WindowBehaviour

void makeEditableAsTyped(QComboBox *combo)
{
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    // The default completer completes to an item and, on Enter, makes the
    // list choose an item that differs from the text only in case; without
    // it the list chooses only an item that equals the text.
    combo->setCompleter(nullptr);
}
