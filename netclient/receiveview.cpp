#include "netclient/receiveview.h"

#include <QEvent>
#include <QFontDatabase>
#include <QMimeData>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace {

// Rows when the box has no width yet.
constexpr int kDefaultRowChars = 64;

} // namespace

ReceiveView::ReceiveView(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    // The text is replaced all the time; an undo history would only grow.
    setUndoRedoEnabled(false);
    // Rows are cut to the box's width; wrapping only catches wide characters.
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAnywhere);
    // A fixed width for the rows, whether or not the text fills the box.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(8);
    setFont(fixed);
    m_rows = TextRows(rowWidth());
    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setSingleShot(true);
    m_refreshTimer->setTimerType(Qt::PreciseTimer);
    m_refreshTimer->setInterval(kRefreshMs);
    connect(m_refreshTimer, &QTimer::timeout, this, &ReceiveView::refresh);
}

void ReceiveView::setFollower(ReceiveView *follower, std::function<QString(QStringView)> transform,
                              int charsPerChar)
{
    m_follower = follower;
    m_transform = std::move(transform);
    m_charsPerChar = std::max(charsPerChar, 1);
    if (m_follower)
        m_follower->setText(m_transform(textView()));
}

void ReceiveView::setText(const QString &text)
{
    m_text = text;
    m_start = 0;
    showAnew();
    keepBoundAndSchedule();
}

void ReceiveView::append(QStringView text)
{
    if (text.isEmpty())
        return;
    m_text.append(text);
    if (!m_replacePending) {
        m_appendPending.append(text);
        // Once most of what the box would show is new, showing it anew costs less.
        if (m_appendPending.size() > size() / 2)
            showAnew();
    }
    keepBoundAndSchedule();
}

void ReceiveView::showAnew()
{
    m_replacePending = true;
    m_dropPending = 0;
    m_appendPending.clear();
}

void ReceiveView::keepBoundAndSchedule()
{
    if (m_maximum >= 0 && size() > m_maximum)
        dropFront(size() - m_maximum);
    schedule();
}

void ReceiveView::dropFront(qsizetype chars)
{
    chars = std::clamp<qsizetype>(chars, 0, size());
    if (chars == 0)
        return;
    m_start += chars;
    compact();
    if (!m_replacePending) {
        // What the box shows goes first; beyond it, what waits to be appended.
        const qsizetype shown = m_rows.textSize() - m_dropPending;
        const qsizetype fromShown = std::min(chars, shown);
        m_dropPending += fromShown;
        m_appendPending.remove(0, chars - fromShown);
    }
    schedule();
}

void ReceiveView::compact()
{
    // Dropped characters are only skipped; they are moved out once they are
    // as many as those kept, so each character is moved at most once.
    if (m_start == m_text.size()) {
        m_text.clear();
        m_start = 0;
    } else if (m_start >= m_text.size() - m_start) {
        m_text.remove(0, m_start);
        m_start = 0;
    }
}

void ReceiveView::schedule()
{
    if (!m_refreshTimer->isActive())
        m_refreshTimer->start();
}

int ReceiveView::rowWidth() const
{
    const int charWidth = std::max(fontMetrics().horizontalAdvance(QLatin1Char('0')), 1);
    const int usable = width() - 2 * frameWidth() - verticalScrollBar()->sizeHint().width()
                       - 2 * int(document()->documentMargin());
    int chars = usable > charWidth ? usable / charWidth : kDefaultRowChars;
    chars -= chars % m_rowMultiple;
    return std::max(chars, m_rowMultiple);
}

void ReceiveView::refresh()
{
    m_refreshTimer->stop();
    if (isUpToDate())
        return;
    QScrollBar *bar = verticalScrollBar();
    const bool followEnd = bar->value() == bar->maximum();
    applyPending();
    if (followEnd)
        bar->setValue(bar->maximum());
}

void ReceiveView::applyPending()
{
    QTextCursor c(document());
    if (m_replacePending) {
        const QString shown = m_rows.reset(textView(), rowWidth());
        c.select(QTextCursor::Document);
        c.removeSelectedText();
        c.insertText(shown);
        if (m_follower && m_transform)
            m_follower->setText(m_transform(textView()));
    } else {
        const qsizetype removed = m_rows.dropFront(m_dropPending);
        if (removed > 0) {
            c.setPosition(0);
            c.setPosition(int(removed), QTextCursor::KeepAnchor);
            c.removeSelectedText();
        }
        if (!m_appendPending.isEmpty()) {
            c.movePosition(QTextCursor::End);
            c.insertText(m_rows.append(m_appendPending));
        }
        if (m_follower && m_transform) {
            m_follower->dropFront(m_dropPending * m_charsPerChar);
            m_follower->append(m_transform(m_appendPending));
        }
    }
    m_replacePending = false;
    m_dropPending = 0;
    m_appendPending.clear();
    if (m_follower)
        m_follower->refresh();
}

bool ReceiveView::event(QEvent *event)
{
    // Whatever the user does acts on what the box shows: bring it up to date.
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::ContextMenu:
        refresh();
        break;
    default:
        break;
    }
    return QPlainTextEdit::event(event);
}

void ReceiveView::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    if (rowWidth() != m_rows.width()) {
        showAnew();
        schedule();
    }
}

QMimeData *ReceiveView::createMimeDataFromSelection() const
{
    // The selection moves with the edits that bring the box up to date; then
    // each place of the box has its character in the text.
    const_cast<ReceiveView *>(this)->refresh();
    const QTextCursor c = textCursor();
    const qsizetype from = m_rows.textOffset(c.selectionStart());
    const qsizetype to = m_rows.textOffset(c.selectionEnd());
    auto *data = new QMimeData;
    data->setText(textView().mid(from, std::max<qsizetype>(to - from, 0)).toString());
    return data;
}
