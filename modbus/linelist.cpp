#include "modbus/linelist.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

constexpr int kTextMargin = 2; // px left of each line

} // namespace

LineList::LineList(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::StyledPanel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    m_refreshTimer.setSingleShot(true);
    connect(&m_refreshTimer, &QTimer::timeout, this, &LineList::refresh);
    verticalScrollBar()->setSingleStep(1);
}

void LineList::addItem(const QString &line)
{
    m_lines.append(line);
    scheduleRefresh();
}

void LineList::addItem(QLatin1StringView line)
{
    m_lines.append(line);
    scheduleRefresh();
}

void LineList::clear()
{
    m_lines.clear();
    m_measuredLongest = -1;
    m_longestWidth = 0;
    m_scrollToCurrent = false;
    const bool hadSelection = m_current != -1;
    m_current = -1;
    refresh();
    if (hadSelection)
        emit currentRowChanged(-1);
}

void LineList::setCurrentRow(int row)
{
    selectRow(row, true);
}

void LineList::selectRow(int row, bool scroll)
{
    if (row < -1 || row >= count())
        return;
    m_scrollToCurrent = scroll && row >= 0;
    if (row != m_current) {
        m_current = row;
        scheduleRefresh();
        emit currentRowChanged(row);
    } else if (scroll) {
        scheduleRefresh();
    }
}

void LineList::scheduleRefresh()
{
    if (!m_sinceRefresh.isValid() || m_sinceRefresh.elapsed() >= kRefreshMs) {
        refresh();
        return;
    }
    if (!m_refreshTimer.isActive())
        m_refreshTimer.start(static_cast<int>(kRefreshMs - m_sinceRefresh.elapsed()));
}

void LineList::refresh()
{
    m_refreshTimer.stop();
    m_sinceRefresh.start();
    updateScrollBars();
    if (m_scrollToCurrent && m_current >= 0) {
        QScrollBar *bar = verticalScrollBar();
        const int rows = std::max(1, visibleRows());
        if (m_current < bar->value())
            bar->setValue(m_current);
        else if (m_current >= bar->value() + rows)
            bar->setValue(m_current - rows + 1);
    }
    m_scrollToCurrent = false;
    viewport()->update();
}

int LineList::lineHeight() const
{
    return fontMetrics().height();
}

int LineList::visibleRows() const
{
    return viewport()->height() / std::max(1, lineHeight());
}

void LineList::updateScrollBars()
{
    // Only a new longest line is measured; the rest is arithmetic.
    if (m_lines.longest() != m_measuredLongest) {
        m_measuredLongest = m_lines.longest();
        m_longestWidth =
            m_measuredLongest < 0 ? 0 : fontMetrics().horizontalAdvance(m_lines.at(m_measuredLongest));
    }
    const int rows = visibleRows();
    QScrollBar *v = verticalScrollBar();
    v->setPageStep(std::max(1, rows));
    v->setRange(0, std::max(0, count() - rows));
    QScrollBar *h = horizontalScrollBar();
    h->setPageStep(viewport()->width());
    h->setSingleStep(std::max(1, fontMetrics().averageCharWidth()));
    h->setRange(0, std::max(0, m_longestWidth + 2 * kTextMargin - viewport()->width()));
}

void LineList::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    const int h = lineHeight();
    const int first = verticalScrollBar()->value();
    const int last = std::min(count() - 1, first + viewport()->height() / std::max(1, h) + 1);
    const int x = kTextMargin - horizontalScrollBar()->value();
    const QPalette &pal = palette();
    const int ascent = fontMetrics().ascent();
    for (int row = first; row <= last; ++row) {
        const int y = (row - first) * h;
        if (row == m_current) {
            p.fillRect(QRect(0, y, viewport()->width(), h), pal.brush(QPalette::Highlight));
            p.setPen(pal.color(QPalette::HighlightedText));
        } else {
            p.setPen(pal.color(QPalette::Text));
        }
        p.drawText(x, y + ascent, m_lines.at(row));
    }
}

void LineList::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void LineList::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_measuredLongest = -1;
        refresh();
    }
}

void LineList::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int row = verticalScrollBar()->value()
                    + static_cast<int>(event->position().y()) / std::max(1, lineHeight());
    if (row < count())
        selectRow(row, false);
}

void LineList::keyPressEvent(QKeyEvent *event)
{
    if (count() == 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int page = std::max(1, visibleRows());
    int row = m_current;
    switch (event->key()) {
    case Qt::Key_Up:
        row = std::max(0, m_current - 1);
        break;
    case Qt::Key_Down:
        row = std::min(count() - 1, m_current + 1);
        break;
    case Qt::Key_PageUp:
        row = std::max(0, m_current - page);
        break;
    case Qt::Key_PageDown:
        row = std::min(count() - 1, m_current + page);
        break;
    case Qt::Key_Home:
        row = 0;
        break;
    case Qt::Key_End:
        row = count() - 1;
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    selectRow(row, true);
}
