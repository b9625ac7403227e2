#include "app/form.h"

#include "app/look.h"
#include "app/tickcount.h"
#include "app/twips.h"
#include "app/windowbehaviour.h"
#include "app/windows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

void place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(twipsRect(left, top, width, height));
}

Form::Form(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    applyWindowLook(this);
}

Form::~Form() = default;

void Form::setClientSizeTwips(int width, int height)
{
    setFixedSize(twips(width), twips(height));
}

void Form::keepFocusInside()
{
    const QWidget *focused = focusWidget();
    if (!focused || !WindowBehaviour::liesOutsideWindow(focused))
        return;
    focusNextPrevChild(true);
    if (QWidget *still = focusWidget(); still && WindowBehaviour::liesOutsideWindow(still))
        still->clearFocus();
}

void Form::setCancelButton(QAbstractButton *button)
{
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setObjectName(QStringLiteral("cancelShortcut"));
    const QPointer<QAbstractButton> target(button);
    connect(escape, &QShortcut::activated, this, [target] {
        if (target && target->isVisible() && target->isEnabled())
            target->click();
    });
}

bool Form::focusNextPrevChild(bool next)
{
    // Qt's own walk of the Tab chain, with the controls outside taken out of
    // it for the moment. A control whose focus goes to a proxy keeps its
    // policy: setting it would set the proxy's too.
    struct Passed
    {
        QPointer<QWidget> widget;
        Qt::FocusPolicy policy;
    };
    QList<Passed> passed;
    const auto children = findChildren<QWidget *>();
    for (QWidget *w : children) {
        if ((w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() && w->window() == this
            && WindowBehaviour::liesOutsideWindow(w)) {
            passed.append({w, w->focusPolicy()});
            w->setFocusPolicy(Qt::NoFocus);
        }
    }
    const bool moved = QWidget::focusNextPrevChild(next);
    for (const Passed &p : passed) {
        if (p.widget)
            p.widget->setFocusPolicy(p.policy);
    }
    return moved;
}

// --- Operations -------------------------------------------------------------

Form::Operation &Form::Operation::operator=(Operation &&other) noexcept
{
    if (this != &other) {
        release();
        m_form = other.m_form;
        other.m_form = nullptr;
    }
    return *this;
}

void Form::Operation::release()
{
    if (!m_form)
        return;
    Form *form = m_form;
    m_form = nullptr;
    form->endOperation();
}

Form::Operation Form::beginOperation()
{
    if (m_operationRunning || m_unloaded) {
        operationRefused();
        return Operation();
    }
    m_operationRunning = true;
    return Operation(this);
}

void Form::afterOperation(QObject *context, std::function<void()> action)
{
    m_queued.append({context, std::move(action)});
    if (!m_operationRunning)
        QTimer::singleShot(0, this, &Form::runQueued);
}

void Form::endOperation()
{
    m_operationRunning = false;
    // What waited for the end runs from the event loop, after the handler that
    // held the operation has returned.
    if (!m_queued.isEmpty() || m_closePending)
        QTimer::singleShot(0, this, &Form::runQueued);
}

void Form::runQueued()
{
    if (m_operationRunning || m_unloaded)
        return; // the next end of an operation comes back here
    while (!m_queued.isEmpty()) {
        const QueuedAction next = m_queued.takeFirst();
        if (!next.context)
            continue;
        const QPointer<Form> self(this);
        next.action();
        if (!self || m_unloaded)
            return; // closed by the action: nothing more runs on it
        if (m_operationRunning)
            return; // the action started an operation: the rest follows its end
    }
    if (m_closePending) {
        m_closePending = false;
        close();
    }
}

// --- Waits ------------------------------------------------------------------

namespace {

bool mayGoOn(const QPointer<Form> &form)
{
    return form && !form->isUnloaded() && !Windows::isEnding();
}

// The busy pointer, which still lets clicks through, while a wait runs: set by
// the outermost wait, or by a wait inside a box that showed the ordinary one.
class BusyPointer
{
public:
    explicit BusyPointer(bool busy)
    {
        const QCursor *shown = QApplication::overrideCursor();
        m_set = busy && (!shown || shown->shape() != Qt::BusyCursor);
        if (m_set)
            QApplication::setOverrideCursor(Qt::BusyCursor);
    }
    ~BusyPointer()
    {
        if (m_set)
            QApplication::restoreOverrideCursor();
    }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;

private:
    bool m_set = false;
};

} // namespace

bool Form::wait(int ms)
{
    // Measured on the tick counter as Delay() measures, but ended as soon as
    // the window goes, not only when the time is up.
    const quint32 start = TickCount::now();
    const auto remaining = [start, ms] {
        return qint64(ms) - qint64(quint32(TickCount::now() - start));
    };
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    QObject::connect(&wake, &QTimer::timeout, [&wake, &remaining] {
        if (const qint64 left = remaining(); left > 0)
            wake.start(int(left));
    });
    wake.start(int(std::max<qint64>(remaining(), 0)));
    return waitFor([&remaining] { return remaining() <= 0; }, ms > 0);
}

bool Form::waitUntil(const std::function<bool()> &done)
{
    return waitFor(done, true);
}

bool Form::waitFor(const std::function<bool()> &done, bool busy)
{
    const QPointer<Form> self(this);
    const Hold hold(this);
    const BusyPointer pointer(busy);
    QEventLoop loop;
    loop.processEvents(QEventLoop::AllEvents);
    for (;;) {
        if (!mayGoOn(self))
            return false;
        if (done())
            return true;
        // Every change that done() can see comes from an event; sleep until
        // the next one instead of spinning.
        loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

// --- Holds ------------------------------------------------------------------

Form::Hold::Hold(QWidget *w) : m_form(w ? qobject_cast<Form *>(w->window()) : nullptr)
{
    if (m_form)
        ++m_form->m_holds;
}

Form::Hold::~Hold()
{
    if (!m_form || --m_form->m_holds > 0 || !m_form->m_deletePending)
        return;
    m_form->m_deletePending = false;
    // Posted from here, it is handled once control is back in the event loop
    // that called the handler, after the widget that called it is done.
    QCoreApplication::postEvent(m_form, new QDeferredDeleteEvent);
}

Form::DialogScope::DialogScope(QWidget *w) : m_hold(w)
{
    const QCursor *shown = QApplication::overrideCursor();
    if (shown && shown->shape() == Qt::BusyCursor) {
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        m_arrow = true;
    }
}

Form::DialogScope::~DialogScope()
{
    if (m_arrow)
        QApplication::restoreOverrideCursor();
}

// --- Modal windows ----------------------------------------------------------

bool Form::showModal(const QString &name)
{
    const QPointer<Form> self(this);
    {
        const DialogScope scope(this);
        Windows::showModalOver(name, this);
    }
    return mayGoOn(self);
}

Form *Form::owner() const
{
    if (!m_owner || m_owner->isUnloaded())
        return nullptr;
    return m_owner;
}

// --- Controls ---------------------------------------------------------------

QTimer *Form::newTimer(const QString &name, int intervalMs)
{
    auto *t = new QTimer(this);
    t->setObjectName(name);
    t->setTimerType(Qt::PreciseTimer);
    t->setInterval(intervalMs);
    return t;
}

void Form::prepareControl(QObject *control)
{
    if (auto *l = qobject_cast<QLabel *>(control))
        l->setTextFormat(Qt::PlainText);
}

void Form::place(QWidget *w, const Twips &at)
{
    w->setGeometry(twipsRect(at.left, at.top, at.width, at.height));
}

QLabel *Form::label(const QString &name, const QString &text, const Twips &at, QWidget *parent)
{
    auto *l = placed<QLabel>(name, at, parent);
    l->setText(text);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QPushButton *Form::button(const QString &name, const QString &text, const Twips &at,
                          QWidget *parent)
{
    auto *b = placed<QPushButton>(name, at, parent);
    b->setText(text);
    b->setAutoDefault(false);
    b->setDefault(false);
    applyButtonFace(b);
    return b;
}

QLineEdit *Form::textBox(const QString &name, const QString &text, const Twips &at,
                         QWidget *parent)
{
    auto *e = placed<QLineEdit>(name, at, parent);
    e->setText(text);
    return e;
}

QGroupBox *Form::frame(const QString &name, const QString &caption, const Twips &at,
                       QWidget *parent)
{
    auto *g = placed<QGroupBox>(name, at, parent);
    g->setTitle(caption);
    // The controls of the group are the window's own, placed over it.
    g->lower();
    return g;
}

QFrame *Form::shape(const QString &name, const Twips &at, QWidget *parent)
{
    auto *f = placed<QFrame>(name, at, parent);
    f->setFrameShape(QFrame::Box);
    // A frame lies behind the controls it surrounds and lets clicks through.
    f->setAttribute(Qt::WA_TransparentForMouseEvents);
    f->lower();
    return f;
}

QLabel *Form::picture(const QString &name, const QPixmap &pixmap, const Twips &at,
                      QWidget *parent)
{
    QLabel *p = label(name, QString(), at, parent);
    p->setPixmap(pixmap);
    return p;
}

// --- Events -----------------------------------------------------------------

void Form::closeEvent(QCloseEvent *event)
{
    if (m_operationRunning && m_holdClose && !Windows::isEnding()) {
        // Closed when the running operation has ended.
        m_closePending = true;
        event->ignore();
        operationRefused();
        return;
    }
    QWidget::closeEvent(event);
    if (event->isAccepted() && !m_unloaded) {
        m_unloaded = true;
        emit unloaded();
    }
}

bool Form::event(QEvent *event)
{
    if (event->type() == QEvent::DeferredDelete && m_holds > 0) {
        // Destroyed when the last hold goes (see Hold).
        m_deletePending = true;
        return true;
    }
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate && !m_unloaded)
        formActivate();
    return handled;
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
