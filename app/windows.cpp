#include "app/windows.h"

#include "app/form.h"

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
    auto it = registry().find(name);
    if (it == registry().end() || !it->instance || it->instance->isUnloaded())
        return nullptr;
    return it->instance;
}

Form *Windows::get(const QString &name)
{
    if (Form *f = loaded(name))
        return f;
    auto it = registry().find(name);
    if (it == registry().end() || !it->factory || g_ending)
        return nullptr;
    Form *form = it->factory();
    form->setObjectName(name);
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
    auto it = registry().find(name);
    if (it == registry().end())
        return;
    if (it->loading && loaded(name))
        return; // the request that started the load shows it when the load ends
    const Mode mode = it->mode;
    QPointer<Form> form = get(name);
    if (!form)
        return;
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
