#include "console/controls.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

TerminalBox::TerminalBox(QWidget *parent) : QPlainTextEdit(parent)
{
    // The text is replaced all the time; an undo history would only grow.
    setUndoRedoEnabled(false);
    connect(document(), &QTextDocument::contentsChanged, this, &TerminalBox::takeBackUserEdit);
}

void TerminalBox::setText(const QString &text)
{
    m_text.setText(text);
    m_ourEdit = true;
    setPlainText(TerminalText::toDisplay(text));
    m_ourEdit = false;
}

QString TerminalBox::showData(const QString &data)
{
    TerminalText::DisplayEdit edit;
    const QString shown = m_text.showData(data, &edit);
    m_ourEdit = true;
    QTextCursor c(document());
    if (edit.dropFront > 0) {
        c.setPosition(edit.dropFront, QTextCursor::KeepAnchor);
        c.removeSelectedText();
    }
    if (!edit.prepend.isEmpty()) {
        c.movePosition(QTextCursor::Start);
        c.insertText(edit.prepend);
    }
    c.movePosition(QTextCursor::End);
    if (edit.dropBack > 0) {
        c.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, static_cast<int>(edit.dropBack));
        c.removeSelectedText();
    }
    if (!edit.append.isEmpty())
        c.insertText(edit.append);
    m_ourEdit = false;
    return shown;
}

void TerminalBox::moveCaretToEnd()
{
    moveCursor(QTextCursor::End);
}

void TerminalBox::takeBackUserEdit()
{
    if (m_ourEdit)
        return;
    m_text.setText(TerminalText::fromDisplay(document()->toRawText()));
}

void TerminalBox::keyPressEvent(QKeyEvent *event)
{
    const QString typed = event->text();
    if (m_keyPress && typed.size() == 1) {
        int code = typed.at(0).unicode();
        m_keyPress(code);
        if (code == 0) {
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TerminalBox::inputMethodEvent(QInputMethodEvent *event)
{
    // Composed characters (Chinese input) are typed keys too.
    const QString committed = event->commitString();
    if (m_keyPress && !committed.isEmpty()) {
        QString kept;
        for (const QChar c : committed) {
            int code = c.unicode();
            m_keyPress(code);
            if (code != 0)
                kept.append(c);
        }
        if (kept != committed) {
            QInputMethodEvent rest(event->preeditString(), event->attributes());
            rest.setCommitString(kept, event->replacementStart(), event->replacementLength());
            QPlainTextEdit::inputMethodEvent(&rest);
            return;
        }
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QLabel::mousePressEvent(event);
}
