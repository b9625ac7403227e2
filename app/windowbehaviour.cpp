#include "app/windowbehaviour.h"

#include "app/form.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace {

// The keyboard rules of every window. Enter on a focused push button
// presses it: Qt does that only for default buttons, and the program's
// buttons never are one. A control that lies wholly outside its window's
// client area gets no key and no shortcut, and loses the focus when it gets
// it: the program keeps state in such controls, and the serial window's
// terminal pane, narrowed out of sight, would still send what is typed.
class KeyboardRules final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
        case QEvent::FocusIn:
        case QEvent::Resize:
            break;
        default:
            return false;
        }
        if (!watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::Resize) {
            // A window that shrinks may leave its focused control outside.
            if (widget->isWindow())
                keepFocusInsideLater(widget);
            return false;
        }
        if (WindowBehaviour::liesOutsideWindow(widget)) {
            keepFocusInsideLater(widget->window());
            if (event->type() == QEvent::FocusIn)
                return false;
            if (event->type() == QEvent::KeyPress)
                keepFocusInside(widget->window()); // before the next key comes
            return true;
        }
        if (event->type() == QEvent::KeyPress)
            return pressButtonOnEnter(widget, static_cast<QKeyEvent *>(event));
        return false;
    }

private:
    static bool pressButtonOnEnter(QWidget *widget, const QKeyEvent *key)
    {
        auto *button = qobject_cast<QPushButton *>(widget);
        if (!button || button->autoDefault() || button->isDefault())
            return false; // Qt presses a default button itself
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        if (key->modifiers() & ~Qt::KeypadModifier)
            return false;
        // One press per stroke: a held key does not repeat it.
        if (!key->isAutoRepeat())
            button->click();
        return true;
    }

    static void keepFocusInside(QWidget *window)
    {
        if (auto *form = qobject_cast<Form *>(window))
            form->keepFocusInside();
    }

    // After the event: a focus change or a layout may still be under way.
    static void keepFocusInsideLater(QWidget *window)
    {
        auto *form = qobject_cast<Form *>(window);
        if (!form)
            return;
        QMetaObject::invokeMethod(form, &Form::keepFocusInside, Qt::QueuedConnection);
    }
};

// Keeps modal windows from being minimised. A modal window blocks every
// other window, so a minimised one would leave the program unusable with
// nothing to see; some window managers (openbox) offer a minimise button on
// every dialog whatever its hints say, and minimise its owners with it.
// Restored, it brings its owners back with it.
class ModalStaysUp final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::WindowStateChange || !watched->isWidgetType())
            return false;
        auto *window = static_cast<QWidget *>(watched);
        if (!window->isWindow() || !window->isModal() || !window->isMinimized())
            return false;
        const QPointer<QWidget> guard(window);
        QMetaObject::invokeMethod(
            window,
            [guard] {
                if (!guard || !guard->isVisible() || !guard->isMinimized())
                    return;
                guard->setWindowState(guard->windowState() & ~Qt::WindowMinimized);
                guard->raise();
                guard->activateWindow();
            },
            Qt::QueuedConnection);
        return false;
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
    qApp->installEventFilter(applicationWide<KeyboardRules>());
    qApp->installEventFilter(applicationWide<ModalStaysUp>());
}

bool liesOutsideWindow(const QWidget *w)
{
    const QWidget *window = w->window();
    QRect seen = w->rect();
    for (const QWidget *c = w; c != window; c = c->parentWidget()) {
        seen = seen.translated(c->pos()) & c->parentWidget()->rect();
        if (seen.isEmpty())
            return true;
    }
    return false;
}

QWidget *shownWindowFor(QWidget *w)
{
    for (QWidget *window = w ? w->window() : nullptr; window;) {
        if (window->isVisible())
            return window;
        const auto *form = qobject_cast<const Form *>(window);
        window = form && form->owner() ? form->owner()->window() : nullptr;
    }
    if (QWidget *active = QApplication::activeWindow())
        return active;
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->isVisible() && qobject_cast<Form *>(window))
            return window;
    }
    return nullptr;
}

void placeForShowing(QWidget *window, QWidget *owner, bool belongsToOwner)
{
    if (window->isVisible())
        return;
    QWidget *shownOwner = belongsToOwner && owner && owner != window ? shownWindowFor(owner)
                                                                     : nullptr;
    if (shownOwner == window)
        shownOwner = nullptr;
    if (belongsToOwner) {
        // The window system keeps only a dialog above its owner; minimised
        // on its own, it would take the owner (and the launcher) with it.
        window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                               | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    }
    window->winId(); // its native window: to be transient, and for its frame
    QWindow *handle = window->windowHandle();
    if (shownOwner && handle)
        handle->setTransientParent(shownOwner->windowHandle());
    if (window->testAttribute(Qt::WA_Moved))
        return;
    QScreen *screen = shownOwner ? shownOwner->screen() : QGuiApplication::primaryScreen();
    if (!screen || !handle)
        return;
    if (!window->testAttribute(Qt::WA_Resized))
        window->adjustSize(); // the size that showing would give it
    // A window manager may add the frame only when the window first shows;
    // until then the owner's frame is the best guess (the program's windows
    // all have the same one).
    QMargins margins = handle->frameMargins();
    if (margins.isNull() && shownOwner && shownOwner->windowHandle())
        margins = shownOwner->windowHandle()->frameMargins();
    QRect frame(QPoint(), window->size().grownBy(margins));
    frame.moveCenter(shownOwner ? shownOwner->frameGeometry().center()
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
