#pragma once

#include "app/dialogs.h"

#include <QList>
#include <QQueue>
#include <QString>

#include <functional>

// Dialogs that tests answer: every box shown is recorded, and each answer is
// taken from a queue (a default answer when the queue is empty). Installed for
// as long as the object lives.
class ScriptedDialogs : public Dialogs
{
public:
    enum class Kind { Message, Input, OpenFile, SaveFile };

    struct Shown
    {
        Kind kind;
        QString text;    // message text or input prompt
        QString title;
        QMessageBox::StandardButtons buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString defaultText; // input boxes; the filter for file dialogs
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;

    // Answers for the next boxes, in order. A message answer without a queued
    // button presses the box's first button (Ok, Yes or Retry).
    void answerMessage(QMessageBox::StandardButton button) { m_buttons.enqueue(button); }
    void answerInput(const QString &text) { m_inputs.enqueue(text); }
    void answerOpenFile(const QString &path) { m_files.enqueue(path); }
    void answerSaveFile(const QString &path) { m_saveFiles.enqueue(path); }
    // File dialogs are Qt's own from now on (recorded all the same), for a
    // test to drive them as a user would.
    void useRealFileDialogs() { m_realFileDialogs = true; }
    // Runs while the next box of any kind is "open", before it is answered.
    void whileShown(std::function<void()> action) { m_actions.enqueue(std::move(action)); }

    const QList<Shown> &shown() const { return m_shown; }
    QStringList messages() const;
    void clear() { m_shown.clear(); }

    QMessageBox::StandardButton message(QWidget *parent, const QString &text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::Icon icon, const QString &title) override;
    QString input(QWidget *parent, const QString &prompt, const QString &title,
                  const QString &defaultText) override;
    QString openFile(QWidget *parent, const QString &title, const QString &filter) override;
    QString saveFile(QWidget *parent, const QString &title, const QString &filter) override;

private:
    void runAction();

    QList<Shown> m_shown;
    QQueue<QMessageBox::StandardButton> m_buttons;
    QQueue<QString> m_inputs;
    QQueue<QString> m_files;
    QQueue<QString> m_saveFiles;
    bool m_realFileDialogs = false;
    QQueue<std::function<void()>> m_actions;
};
