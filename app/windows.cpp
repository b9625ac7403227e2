#include "app/windows.h"

#include "app/form.h"
#include "app/windowbehaviour.h"

#include <QApplication>
#include <QEventLoop>
#include <QHash>
#include <QPointer>
#include <QSet>

namespace {

struct Entry
{
    Windows::Mode mode = Windows::Mode::Modeless;
    Windows::Factory factory;
    QPointer<Form> instance;
    bool loading = false;
};

QHash<QString, Entry> &registry()
{
    static QHash<QString, Entry> r;
    return r;
}

bool g_ending = false;

// The entry of name; a warning (and nullptr) for a name never registered.
Entry *entry(const QString &name)
{
    auto it = registry().find(name);
    if (it == registry().end()) {
        qWarning("No window is registered under the name \"%s\"", qPrintable(name));
        return nullptr;
    }
    return &*it;
}

} // namespace

void Windows::add(const QString &name, Mode mode, Factory factory)
{
    Entry &e = registry()[name];
    e.mode = mode;
    e.factory = std::move(factory);
}

bool Windows::has(const QString &name)
{
    return registry().contains(name);
}

Form *Windows::loaded(const QString &name)
{
    const Entry *e = entry(name);
    if (!e || !e->instance || e->instance->isUnloaded())
        return nullptr;
    return e->instance;
}

Form *Windows::get(const QString &name, Form *owner)
{
    if (Form *f = loaded(name))
        return f;
    auto it = registry().find(name);
    if (it == registry().end() || !it->factory || g_ending)
        return nullptr;
    WindowBehaviour::install();
    Form *form = it->factory();
    form->setObjectName(name);
    if (owner && owner != form)
        form->setOwner(owner);
    WindowBehaviour::keepOnScreen(form);
    it->instance = form;
    // The load may wait on the event loop; a second request meanwhile gets
    // this same instance instead of loading another.
    it->loading = true;
    QPointer<Form> guard(form);
    form->formLoad();
    it = registry().find(name);
    if (it != registry().end())
        it->loading = false;
    if (!guard || guard->isUnloaded())
        return nullptr;
    return form;
}

void Windows::show(const QString &name)
{
    // The active window shows it: a click there, or the program's start.
    showModalOver(name, qobject_cast<Form *>(QApplication::activeWindow()));
}

void Windows::showModalOver(const QString &name, Form *ownerForm)
{
    const Entry *e = entry(name);
    if (!e)
        return;
    if (e->loading && loaded(name))
        return; // the request that started the load shows it when the load ends
    const Mode mode = e->mode;
    const QPointer<Form> owner(ownerForm);
    QPointer<Form> form = get(name, owner);
    if (!form)
        return;
    if (owner && owner != form)
        form->setOwner(owner);
    WindowBehaviour::placeForShowing(form, owner, mode == Mode::Modal);
    if (mode == Mode::Modeless) {
        form->show();
        form->raise();
        form->activateWindow();
        return;
    }
    form->setWindowModality(Qt::ApplicationModal);
    form->show();
    form->raise();
    form->activateWindow();
    QEventLoop loop;
    QObject::connect(form, &Form::unloaded, &loop, &QEventLoop::quit);
    QObject::connect(form, &QObject::destroyed, &loop, &QEventLoop::quit);
    if (form && !form->isUnloaded())
        loop.exec();
    // The owner is the active window again, as it was before.
    if (owner && !owner->isUnloaded() && owner->isVisible() && !g_ending)
        owner->activateWindow();
}

namespace {

// Shows a window that belongs to an owner still loading once the owner has
// been shown: a window manager stacks a transient window over its owner
// only when the owner is there first.
class ShowAfterOwner final : public QObject
{
public:
    ShowAfterOwner(Form *window, Form *owner) : QObject(window), m_window(window), m_owner(owner)
    {
        setObjectName(QString::fromLatin1(kName));
        owner->installEventFilter(this);
        connect(owner, &Form::unloaded, this, &ShowAfterOwner::present);
        connect(owner, &QObject::destroyed, this, &ShowAfterOwner::present);
    }

    static constexpr const char *kName = "showAfterOwner";

    static void presentNow(Form *window, Form *owner)
    {
        WindowBehaviour::placeForShowing(window, owner, true);
        window->show();
        window->raise();
        window->activateWindow();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_owner && event->type() == QEvent::Show) {
            // From the event loop: the owner's window is then being mapped.
            QMetaObject::invokeMethod(this, &ShowAfterOwner::present, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void present()
    {
        if (m_owner)
            m_owner->removeEventFilter(this);
        if (m_window && !m_window->isUnloaded() && !Windows::isEnding()) {
            Form *owner = m_owner && !m_owner->isUnloaded() ? m_owner.data() : nullptr;
            presentNow(m_window, owner);
        }
        deleteLater();
    }

    QPointer<Form> m_window;
    QPointer<Form> m_owner;
};

} // namespace

void Windows::showOwned(const QString &name, Form *owner)
{
    const QPointer<Form> form = get(name, owner);
    if (!form || form->isVisible())
        return;
    if (form->findChild<QObject *>(QString::fromLatin1(ShowAfterOwner::kName),
                                   Qt::FindDirectChildrenOnly))
        return; // already waiting for its owner
    if (owner && !owner->isVisible() && !owner->isUnloaded()) {
        new ShowAfterOwner(form, owner);
        return;
    }
    ShowAfterOwner::presentNow(form, owner);
}

void Windows::unload(const QString &name)
{
    if (Form *f = loaded(name))
        f->close();
}

void Windows::endProgram()
{
    g_ending = true;
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget *w : widgets)
        w->hide();
    QCoreApplication::exit(0);
}

bool Windows::isEnding()
{
    return g_ending;
}

void Windows::clear()
{
    // Take the instances out first: deleting a window may run code that looks
    // the registry up.
    QList<QPointer<Form>> instances;
    for (Entry &e : registry())
        instances << e.instance;
    registry().clear();
    for (const QPointer<Form> &f : instances)
        delete f.data();
    g_ending = false;
}
