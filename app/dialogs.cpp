#include "app/dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QStringList>

namespace {

class QtDialogs final : public Dialogs
{
public:
    QMessageBox::StandardButton message(QWidget *parent, const QString &text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::Icon icon, const QString &title) override
    {
        QMessageBox box(icon, title, text, buttons, parent);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    }

    QString input(QWidget *parent, const QString &prompt, const QString &title,
                  const QString &defaultText) override
    {
        bool ok = false;
        const QString text =
            QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, defaultText, &ok);
        return ok ? text : QString();
    }

    QString openFile(QWidget *parent, const QString &title, const QString &filter) override
    {
        return QFileDialog::getOpenFileName(parent, title, QString(), filter);
    }

    QString saveFile(QWidget *parent, const QString &title, const QString &filter) override
    {
        // Qt's own dialog: a desktop's dialog may ask its own replace
        // question whatever the option says.
        return QFileDialog::getSaveFileName(
            parent, title, QString(), filter, nullptr,
            QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog);
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
    return Dialogs::current().message(parent, text, buttons, icon, titleOrDefault(title));
}

QString inputBox(QWidget *parent, const QString &prompt, const QString &title,
                 const QString &defaultText)
{
    return Dialogs::current().input(parent, prompt, titleOrDefault(title), defaultText);
}

QString openFileDialog(QWidget *parent, const QString &title, const QString &filter)
{
    return Dialogs::current().openFile(parent, title, filter);
}

QString saveFileDialog(QWidget *parent, const QString &title, const QString &filter)
{
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
