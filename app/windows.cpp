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

Form *Windows::get(const QString &name)
{
    if (Form *f = loaded(name))
        return f;
    auto it = registry().find(name);
    if (it == registry().end() || !it->factory || g_ending)
        return nullptr;
    WindowBehaviour::install();
    Form *form = it->factory();
    form->setObjectName(name);
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
    QPointer<Form> form = get(name);
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
