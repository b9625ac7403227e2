#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// Every message box, input box and file dialog of the program goes through the
// installed Dialogs object: Qt's own dialogs in the program, a scripted fake in
// tests.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // A message box; an empty title shows the application title of the moment.
    // Returns the button pressed.
    virtual QMessageBox::StandardButton message(QWidget *parent, const QString &text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::Icon icon, const QString &title) = 0;

    // An input box. Returns the text entered; an empty text when cancelled.
    virtual QString input(QWidget *parent, const QString &prompt, const QString &title,
                          const QString &defaultText) = 0;

    // A file-open dialog. filter uses Qt's form ("Logs (*.log);;All (*)").
    // Returns the chosen path; an empty text when cancelled.
    virtual QString openFile(QWidget *parent, const QString &title, const QString &filter) = 0;
    // A file dialog that also takes the name of a file that does not exist
    // yet. It asks no replace question of its own: the caller asks its own.
    // Returns the chosen path; an empty text when cancelled.
    virtual QString saveFile(QWidget *parent, const QString &title, const QString &filter) = 0;

    // The installed dialogs (Qt's own unless a test installed others).
    static Dialogs &current();
    // Qt's own dialogs, whatever is installed.
    static Dialogs &qt();
    // Installs d (not owned); nullptr goes back to Qt's own.
    static void install(Dialogs *d);
};

// Shorthands for the installed dialogs.
QMessageBox::StandardButton msgBox(QWidget *parent, const QString &text,
                                   QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                   QMessageBox::Icon icon = QMessageBox::NoIcon,
                                   const QString &title = QString());
QString inputBox(QWidget *parent, const QString &prompt, const QString &title = QString(),
                 const QString &defaultText = QString());
QString openFileDialog(QWidget *parent, const QString &title, const QString &filter);
QString saveFileDialog(QWidget *parent, const QString &title, const QString &filter);

// The title that untitled message boxes show: "4630K" at start.
QString applicationTitle();
void setApplicationTitle(const QString &title);

// Turns a filter of the form "Text Files (*.TXT)|*.txt|All Files (*.*)|*.*"
// into Qt's form "Text Files (*.txt);;All Files (*)".
QString qtFileFilter(const QString &pipeFilter);
