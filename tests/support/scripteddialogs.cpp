#include "tests/support/scripteddialogs.h"

ScriptedDialogs::ScriptedDialogs()
{
    Dialogs::install(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    Dialogs::install(nullptr);
}

QStringList ScriptedDialogs::messages() const
{
    QStringList texts;
    for (const Shown &s : m_shown) {
        if (s.kind == Kind::Message)
            texts << s.text;
    }
    return texts;
}

void ScriptedDialogs::runAction()
{
    if (!m_actions.isEmpty())
        m_actions.dequeue()();
}

QMessageBox::StandardButton ScriptedDialogs::message(QWidget *, const QString &text,
                                                     QMessageBox::StandardButtons buttons,
                                                     QMessageBox::Icon icon, const QString &title)
{
    m_shown.append({Kind::Message, text, title, buttons, icon, QString()});
    runAction();
    if (!m_buttons.isEmpty())
        return m_buttons.dequeue();
    for (const auto b : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::Retry}) {
        if (buttons.testFlag(b))
            return b;
    }
    return QMessageBox::NoButton;
}

QString ScriptedDialogs::input(QWidget *, const QString &prompt, const QString &title,
                               const QString &defaultText)
{
    m_shown.append({Kind::Input, prompt, title, {}, QMessageBox::NoIcon, defaultText});
    runAction();
    return m_inputs.isEmpty() ? defaultText : m_inputs.dequeue();
}

QString ScriptedDialogs::openFile(QWidget *parent, const QString &title, const QString &filter)
{
    m_shown.append({Kind::OpenFile, QString(), title, {}, QMessageBox::NoIcon, filter});
    if (m_realFileDialogs)
        return Dialogs::qt().openFile(parent, title, filter);
    runAction();
    return m_files.isEmpty() ? QString() : m_files.dequeue();
}

QString ScriptedDialogs::saveFile(QWidget *parent, const QString &title, const QString &filter)
{
    m_shown.append({Kind::SaveFile, QString(), title, {}, QMessageBox::NoIcon, filter});
    if (m_realFileDialogs)
        return Dialogs::qt().saveFile(parent, title, filter);
    runAction();
    return m_saveFiles.isEmpty() ? QString() : m_saveFiles.dequeue();
}
