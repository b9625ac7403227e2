#pragma once

#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>

class QAbstractButton;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// A control's place in its window: left, top, width and height in twips.
struct Twips
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Base of every window of the program: a top-level widget that is destroyed
// when it closes (the next use loads a fresh one) and runs formLoad() once per
// load, before it is first shown.
//
// It also offers the services that the windows' handlers need, because they
// wait with the event loop running and so meet clicks, arrivals and closes of
// the same window inside their waits:
// - operations: one at a time per window; a second one is refused while the
//   first waits, an action can be queued behind the running one, and a close
//   that arrives meanwhile is held until the operation ends (unless the window
//   lets closes through);
// - waits that tell whether the handler may go on: false once the window has
//   closed or gone, or the program is ending; the pointer is the busy one
//   while they run;
// - a window closed while one of its own waits, boxes or modal windows runs
//   is destroyed only once the last of them has returned, so that neither the
//   handler nor the widget that called it runs on a destroyed window;
// - modal windows shown with this window as their owner;
// - layout helpers that create a named control at a place given in twips.
class Form : public QWidget
{
    Q_OBJECT

public:
    explicit Form(QWidget *parent = nullptr);
    ~Form() override;

    // The window's loading step; runs once, right after construction.
    virtual void formLoad() {}

    // True once the window has been closed; it is destroyed soon after.
    bool isUnloaded() const { return m_unloaded; }

    // Client area size in twips. The controls sit at fixed places, so the
    // user cannot resize the window.
    void setClientSizeTwips(int width, int height);

    // Moves the focus off a control that lies wholly outside the client area
    // (the program keeps state there) to the next one inside, or to the
    // window itself when there is none.
    void keepFocusInside();

    // The button that Esc presses: the one that closes the window without
    // acting (Cancel, Exit), as in Qt's own dialogs.
    void setCancelButton(QAbstractButton *button);

    // Picture drawn behind the controls; without one a light gradient is drawn.
    void setBackgroundPicture(const QPixmap &picture) { m_background = picture; update(); }

    // --- Operations ---------------------------------------------------------
    // Held by a running operation; the window is free again when it goes.
    // Empty (false) when the operation must not start.
    class Operation
    {
    public:
        Operation() = default;
        Operation(Operation &&other) noexcept : m_form(other.m_form) { other.m_form = nullptr; }
        Operation &operator=(Operation &&other) noexcept;
        Operation(const Operation &) = delete;
        Operation &operator=(const Operation &) = delete;
        ~Operation() { release(); }

        explicit operator bool() const { return !m_form.isNull(); }
        // Ends the operation before the scope goes.
        void release();

    private:
        friend class Form;
        explicit Operation(Form *form) : m_form(form) {}
        QPointer<Form> m_form;
    };

    // Starts an operation: an empty scope (and operationRefused()) while
    // another one runs.
    Operation beginOperation();
    bool isOperationRunning() const { return m_operationRunning; }
    // Runs action once the running operation has ended, or at once when none
    // runs. Queued actions run one after another, in the order queued; one
    // whose context has gone meanwhile is dropped.
    void afterOperation(QObject *context, std::function<void()> action);
    // A close arrived during an operation and waits for its end.
    bool isClosePending() const { return m_closePending; }

    // --- Waits --------------------------------------------------------------
    // Waits ms with the event loop running. False when the handler must stop:
    // the window has closed or gone meanwhile, or the program is ending; a
    // caller then touches nothing of the window and returns. A wait of 0 ms is
    // a single yield and leaves the pointer as it is.
    bool wait(int ms);
    // Yields to the event loop, then tests done(), until done() is true (true)
    // or the handler must stop as for wait() (false). It sleeps between the
    // events instead of spinning.
    bool waitUntil(const std::function<bool()> &done);

    // Keeps the window of w (when it is a Form) from being destroyed while
    // the scope lives: a close meanwhile unloads it as always, and it is
    // destroyed from the event loop once the last such scope has gone.
    class Hold
    {
    public:
        explicit Hold(QWidget *w);
        ~Hold();
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;

    private:
        QPointer<Form> m_form;
    };

    // Held while a box, a file dialog or a modal window of w's window runs: a
    // Hold, and the ordinary pointer over it even inside a wait (the box
    // takes the clicks, nothing waits there).
    class DialogScope
    {
    public:
        explicit DialogScope(QWidget *w);
        ~DialogScope();
        DialogScope(const DialogScope &) = delete;
        DialogScope &operator=(const DialogScope &) = delete;

    private:
        Hold m_hold;
        bool m_arrow = false;
    };

    // --- Modal windows ------------------------------------------------------
    // Shows window name modally with this window as its owner and returns when
    // it has closed: true when this window is still open then.
    bool showModal(const QString &name);
    // The window that showed this one modally, while it is open.
    Form *owner() const;
    void setOwner(Form *owner) { m_owner = owner; }

    // --- Controls -----------------------------------------------------------
    // Creates a control of kind T named name (also its objectName), a child of
    // parent or, without one, of the window. A label shows its text as plain
    // text: much of what labels show comes from a device, a file or the user.
    template <class T>
    T *control(const QString &name, QWidget *parent = nullptr)
    {
        auto *w = new T(parent ? parent : this);
        w->setObjectName(name);
        prepareControl(w);
        return w;
    }

    // Creates a control array: element i is named "name(i)".
    template <class T, std::size_t N>
    void controlArray(std::array<T *, N> &elements, const QString &name,
                      QWidget *parent = nullptr)
    {
        for (std::size_t i = 0; i < N; ++i)
            elements[i] = control<T>(QStringLiteral("%1(%2)").arg(name).arg(i), parent);
    }

    // A control of kind T at a place in twips.
    template <class T>
    T *placed(const QString &name, const Twips &at, QWidget *parent = nullptr)
    {
        T *w = control<T>(name, parent);
        place(w, at);
        return w;
    }

    // Named controls at their places, in the program's look: a label, a button
    // with the house face (never a default button: Enter belongs to the boxes),
    // a text box, a captioned frame around a group of controls, a plain
    // rectangle and a picture.
    QLabel *label(const QString &name, const QString &text, const Twips &at,
                  QWidget *parent = nullptr);
    QPushButton *button(const QString &name, const QString &text, const Twips &at,
                        QWidget *parent = nullptr);
    QLineEdit *textBox(const QString &name, const QString &text, const Twips &at,
                       QWidget *parent = nullptr);
    QGroupBox *frame(const QString &name, const QString &caption, const Twips &at,
                     QWidget *parent = nullptr);
    QFrame *shape(const QString &name, const Twips &at, QWidget *parent = nullptr);
    QLabel *picture(const QString &name, const QPixmap &pixmap, const Twips &at,
                    QWidget *parent = nullptr);
    // A named timer of the window (not started) that calls onTick each
    // interval. It is precise: a coarse timer may fire 5 % early or late.
    template <class W>
    QTimer *timer(const QString &name, int intervalMs, void (W::*onTick)())
    {
        QTimer *t = newTimer(name, intervalMs);
        connect(t, &QTimer::timeout, static_cast<W *>(this), onTick);
        return t;
    }
    static void place(QWidget *w, const Twips &at);
    static void place(QWidget *w, int left, int top, int width, int height)
    {
        place(w, Twips{left, top, width, height});
    }

signals:
    // Emitted when the window closes, before it is destroyed.
    void unloaded();

protected:
    // A second operation was refused, or a close is held: the window may say
    // that it is busy.
    virtual void operationRefused() {}
    // Whether a close during an operation waits for its end (the default). A
    // window that lets it through has its waits return false instead.
    void setCloseHeldDuringOperation(bool held) { m_holdClose = held; }
    // The window has become the active one.
    virtual void formActivate() {}

    void closeEvent(QCloseEvent *event) override;
    // Tab and Shift+Tab pass over controls outside the client area.
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    QTimer *newTimer(const QString &name, int intervalMs);
    static void prepareControl(QObject *control);
    bool waitFor(const std::function<bool()> &done, bool busy);

    struct QueuedAction
    {
        QPointer<QObject> context;
        std::function<void()> action;
    };
    void endOperation();
    void runQueued();

    QPixmap m_background;
    bool m_unloaded = false;
    bool m_operationRunning = false;
    bool m_holdClose = true;
    bool m_closePending = false;
    QList<QueuedAction> m_queued;
    QPointer<Form> m_owner;
    int m_holds = 0;
    bool m_deletePending = false;
};

// A handler's check after a box or a nested loop that did not go through the
// window's own waits: the window still exists and has not closed (a closed
// window may exist a moment longer while its boxes unwind).
template <class F>
bool stillOpen(const QPointer<F> &window)
{
    return window && !window->isUnloaded();
}
