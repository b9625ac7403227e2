#pragma once

#include <QFileDialog>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QStringList>
#include <QTimer>

// Plays the user at Qt's own file dialogs while it lives: whenever one is
// open, types the next name into its file name box and presses its accept
// button. Records what each dialog showed, the names it refused, and every
// box that the dialog itself put up (answered No, or OK). A dialog open with
// no name left to type is cancelled.
class FileDialogUser : public QObject
{
    Q_OBJECT

public:
    struct Seen
    {
        QString title;
        QStringList nameFilters;
        QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
        QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
        QStringList refused;  // names typed that the dialog did not take
        QStringList ownBoxes; // texts of the boxes the dialog itself showed
    };

    explicit FileDialogUser(const QStringList &names);

    const QList<Seen> &seen() const { return m_seen; }
    int namesLeft() const { return int(m_names.size()); }

private:
    void tick();
    void answerOwnBoxes(QFileDialog *dialog);
    void typeNextName(QFileDialog *dialog);

    QQueue<QString> m_names;
    QList<Seen> m_seen;
    QPointer<QFileDialog> m_current;
    QTimer m_timer;
    bool m_acting = false;
};
