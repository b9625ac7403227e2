#include "tests/support/filedialoguser.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

FileDialogUser::FileDialogUser(const QStringList &names)
{
    for (const QString &name : names)
        m_names.enqueue(name);
    connect(&m_timer, &QTimer::timeout, this, &FileDialogUser::tick);
    m_timer.start(10);
}

void FileDialogUser::tick()
{
    QFileDialog *dialog = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *d = qobject_cast<QFileDialog *>(w); d && d->isVisible())
            dialog = d;
    }
    if (!dialog)
        return;
    if (dialog != m_current) {
        m_current = dialog;
        m_seen.append({dialog->windowTitle(), dialog->nameFilters(), dialog->acceptMode(),
                       dialog->fileMode(), {}, {}});
    }
    // A box of the dialog's own runs its loop inside our press of the
    // accept button: answered from there.
    answerOwnBoxes(dialog);
    if (m_acting)
        return;
    m_acting = true;
    if (m_names.isEmpty()) {
        dialog->reject();
    } else if (QApplication::activeWindow() != dialog) {
        // The user types into the dialog in front, with its name box
        // focused: the dialog follows focused typing only.
        dialog->activateWindow();
    } else {
        typeNextName(dialog);
    }
    m_acting = false;
}

void FileDialogUser::answerOwnBoxes(QFileDialog *dialog)
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(w);
        if (box && box->isVisible() && box->parentWidget() == dialog) {
            m_seen.last().ownBoxes << box->text();
            QAbstractButton *no = box->button(QMessageBox::No);
            if (no)
                no->click();
            else
                box->reject();
        }
    }
}

void FileDialogUser::typeNextName(QFileDialog *dialog)
{
    const QString name = m_names.dequeue();
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    if (!edit || !buttons) {
        m_seen.last().refused << name;
        return;
    }
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, name);
    QPushButton *accept = buttons->button(
        dialog->acceptMode() == QFileDialog::AcceptSave ? QDialogButtonBox::Save : QDialogButtonBox::Open);
    const QPointer<QFileDialog> alive(dialog);
    if (accept && accept->isEnabled())
        accept->click();
    if (alive && alive->isVisible())
        m_seen.last().refused << name;
}
