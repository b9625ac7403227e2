#include "console/controls.h"

#include "console/terminallogic.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

TerminalBox::TerminalBox(QWidget *parent) : QPlainTextEdit(parent)
{
    // The text is replaced all the time; an undo history would only grow.
    setUndoRedoEnabled(false);
    connect(document(), &QTextDocument::contentsChanged, this, &TerminalBox::takeBackUserEdit);
    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setSingleShot(true);
    m_refreshTimer->setTimerType(Qt::PreciseTimer);
    m_refreshTimer->setInterval(kRefreshMs);
    connect(m_refreshTimer, &QTimer::timeout, this, &TerminalBox::refresh);
}

void TerminalBox::setText(const QString &text)
{
    m_text.setText(text);
    m_pending.clear();
    m_pendingChars = 0;
    m_refreshTimer->stop();
    m_ourEdit = true;
    setPlainText(TerminalText::toDisplay(text));
    m_ourEdit = false;
    if (m_caretToEnd) {
        m_caretToEnd = false;
        moveCursor(QTextCursor::End);
    }
}

QString TerminalBox::showData(const QString &data)
{
    TerminalText::DisplayEdit edit;
    const QString shown = m_text.showData(data, &edit);
    m_pendingChars += edit.append.size() + edit.prepend.size();
    m_pending.append(std::move(edit));
    if (!m_refreshTimer->isActive())
        m_refreshTimer->start();
    return shown;
}

void TerminalBox::moveCaretToEnd()
{
    if (!m_pending.isEmpty())
        m_caretToEnd = true; // once the box has caught up
    else
        moveCursor(QTextCursor::End);
}

void TerminalBox::refresh()
{
    m_refreshTimer->stop();
    if (m_pending.isEmpty())
        return;
    m_ourEdit = true;
    if (m_pendingChars >= kRebuildChars) {
        // Most of what shows is new: laying it out once is cheaper.
        setPlainText(TerminalText::toDisplay(m_text.text()));
    } else {
        QTextCursor c(document());
        for (const TerminalText::DisplayEdit &edit : std::as_const(m_pending)) {
            if (edit.dropFront > 0) {
                c.setPosition(0);
                c.setPosition(static_cast<int>(edit.dropFront), QTextCursor::KeepAnchor);
                c.removeSelectedText();
            }
            if (!edit.prepend.isEmpty()) {
                c.setPosition(0);
                c.insertText(edit.prepend);
            }
            c.movePosition(QTextCursor::End);
            if (edit.dropBack > 0) {
                c.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor,
                               static_cast<int>(edit.dropBack));
                c.removeSelectedText();
            }
            if (!edit.append.isEmpty())
                c.insertText(edit.append);
        }
    }
    m_ourEdit = false;
    m_pending.clear();
    m_pendingChars = 0;
    if (m_caretToEnd) {
        m_caretToEnd = false;
        moveCursor(QTextCursor::End);
    }
}

bool TerminalBox::event(QEvent *event)
{
    // Whatever the user does to the box acts on what it shows: bring that up
    // to date first.
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::Drop:
        refresh();
        break;
    default:
        break;
    }
    return QPlainTextEdit::event(event);
}

void TerminalBox::insertFromMimeData(const QMimeData *source)
{
    refresh();
    QPlainTextEdit::insertFromMimeData(source);
}

void TerminalBox::takeBackUserEdit()
{
    if (m_ourEdit)
        return;
    m_text.setText(TerminalText::fromDisplay(document()->toRawText()));
}

void TerminalBox::keyPressEvent(QKeyEvent *event)
{
    // Only keys that type a character reach the handler; the others act on
    // the box as in any text box.
    int code = TerminalLogic::keyAscii(event->key(), event->modifiers(), event->text());
    if (m_keyPress && code != 0) {
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

void RuledHeading::paintEvent(QPaintEvent *)
{
    QString shown = text();
    const QFontMetrics fm(font());
    while (!shown.isEmpty() && fm.horizontalAdvance(shown) > contentsRect().width())
        shown.chop(1);
    QPainter p(this);
    style()->drawItemText(&p, contentsRect(), int(alignment()), palette(), isEnabled(), shown,
                          foregroundRole());
}
