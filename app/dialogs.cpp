#include "app/dialogs.h"

#include "app/form.h"
#include "app/windowbehaviour.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QPointer>
#include <QStringList>

namespace {

// Runs a dialog made on the heap and hands it, with its result, to read. A
// dialog destroyed meanwhile with its parent is not read: a dialog on the
// stack would then be freed twice.
template <class D, class Read>
void runDialog(D *dialog, Read read)
{
    const QPointer<D> guard(dialog);
    const int result = dialog->exec();
    if (!guard)
        return;
    read(*dialog, result);
    delete dialog;
}

// A box stands over its window, transient for it; while that window is not
// shown yet (it is still loading), over the window that stands for it.
using WindowBehaviour::shownWindowFor;

class QtDialogs final : public Dialogs
{
public:
    QMessageBox::StandardButton message(QWidget *parent, const QString &text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::Icon icon, const QString &title) override
    {
        auto *box = new QMessageBox(icon, title, text, buttons, shownWindowFor(parent));
        // Texts may hold a device's reply or a file name: never markup.
        box->setTextFormat(Qt::PlainText);
        QMessageBox::StandardButton pressed = QMessageBox::NoButton;
        runDialog(box, [&pressed](QMessageBox &, int result) {
            pressed = static_cast<QMessageBox::StandardButton>(result);
        });
        return pressed;
    }

    QString input(QWidget *parent, const QString &prompt, const QString &title,
                  const QString &defaultText) override
    {
        auto *box = new QInputDialog(shownWindowFor(parent));
        box->setWindowTitle(title);
        box->setLabelText(prompt);
        box->setTextValue(defaultText);
        for (QLabel *l : box->findChildren<QLabel *>())
            l->setTextFormat(Qt::PlainText);
        QString text;
        runDialog(box, [&text](QInputDialog &d, int result) {
            if (result == QDialog::Accepted)
                text = d.textValue();
        });
        return text;
    }

    QString openFile(QWidget *parent, const QString &title, const QString &filter) override
    {
        auto *dialog = new QFileDialog(shownWindowFor(parent), title, QString(), filter);
        dialog->setFileMode(QFileDialog::ExistingFile);
        return chosen(dialog);
    }

    QString saveFile(QWidget *parent, const QString &title, const QString &filter) override
    {
        auto *dialog = new QFileDialog(shownWindowFor(parent), title, QString(), filter);
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        // Qt's own dialog: a desktop's dialog may ask its own replace
        // question whatever the option says.
        dialog->setOptions(QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog);
        return chosen(dialog);
    }

private:
    static QString chosen(QFileDialog *dialog)
    {
        QString path;
        runDialog(dialog, [&path](QFileDialog &d, int result) {
            if (result == QDialog::Accepted)
                path = d.selectedFiles().value(0);
        });
        return path;
    }
};

Dialogs *g_installed = nullptr;
QString g_title = QStringLiteral("4630K");

QString titleOrDefault(const QString &title)
{
    return title.isEmpty() ? g_title : title;
}

} // namespace

Dialogs &Dialogs::qt()
{
    static QtDialogs qtDialogs;
    return qtDialogs;
}

Dialogs &Dialogs::current()
{
    return g_installed ? *g_installed : qt();
}

void Dialogs::install(Dialogs *d)
{
    g_installed = d;
}

QMessageBox::StandardButton msgBox(QWidget *parent, const QString &text,
                                   QMessageBox::StandardButtons buttons, QMessageBox::Icon icon,
                                   const QString &title)
{
    const Form::DialogScope scope(parent);
    return Dialogs::current().message(parent, text, buttons, icon, titleOrDefault(title));
}

QString inputBox(QWidget *parent, const QString &prompt, const QString &title,
                 const QString &defaultText)
{
    const Form::DialogScope scope(parent);
    return Dialogs::current().input(parent, prompt, titleOrDefault(title), defaultText);
}

QString openFileDialog(QWidget *parent, const QString &title, const QString &filter)
{
    const Form::DialogScope scope(parent);
    return Dialogs::current().openFile(parent, title, filter);
}

QString saveFileDialog(QWidget *parent, const QString &title, const QString &filter)
{
    const Form::DialogScope scope(parent);
    return Dialogs::current().saveFile(parent, title, filter);
}

QString applicationTitle()
{
    return g_title;
}

void setApplicationTitle(const QString &title)
{
    g_title = title;
}

QString qtFileFilter(const QString &pipeFilter)
{
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i);
        // The description repeats the pattern, often upper-case; Qt shows the
        // description and matches the patterns in parentheses, so take them
        // from the pattern half. "*.*" means every file.
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        const qsizetype paren = description.indexOf(QLatin1Char('('));
        if (paren >= 0)
            description = description.left(paren).trimmed();
        filters << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}
