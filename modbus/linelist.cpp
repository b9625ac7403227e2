#include "modbus/linelist.h"

#include "modbus/linelistmodel.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

// Every row as high as a line of text and as wide as the longest line the
// list has held: the view lays out rows of one size, which costs the same
// however many lines there are.
class LineDelegate : public QStyledItemDelegate
{
public:
    LineDelegate(const LineListModel *model, QObject *parent)
        : QStyledItemDelegate(parent), m_model(model)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const qsizetype longest = m_model->lines().longestBytes();
        if (longest != m_measuredBytes || option.font != m_measuredFont) {
            m_measuredBytes = longest;
            m_measuredFont = option.font;
            QStyleOptionViewItem sample = option;
            initStyleOption(&sample, index);
            sample.features |= QStyleOptionViewItem::HasDisplay;
            sample.text = m_model->lines().longestLine();
            const QWidget *widget = option.widget;
            QStyle *style = widget ? widget->style() : QApplication::style();
            m_size = style->sizeFromContents(QStyle::CT_ItemViewItem, &sample, QSize(), widget);
        }
        return m_size;
    }

private:
    const LineListModel *m_model;
    mutable qsizetype m_measuredBytes = -1;
    mutable QFont m_measuredFont;
    mutable QSize m_size;
};

} // namespace

LineList::LineList(QWidget *parent, qsizetype maxLines)
    : QListView(parent), m_model(new LineListModel(maxLines, this))
{
    setModel(m_model);
    setItemDelegate(new LineDelegate(m_model, this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_refreshTimer, &QTimer::timeout, this, &LineList::refresh);
}

void LineList::addItem(const QString &line)
{
    m_model->append(QStringView(line));
    scheduleRefresh(false);
}

void LineList::addItem(QLatin1StringView line)
{
    m_model->append(line);
    scheduleRefresh(false);
}

void LineList::clear()
{
    m_refreshTimer.stop();
    m_selectNumber = -1;
    m_model->clear();
}

int LineList::count() const
{
    return static_cast<int>(m_model->lines().size());
}

QString LineList::text(int row) const
{
    return m_model->lines().at(row);
}

int LineList::currentRow() const
{
    const LineStore &lines = m_model->lines();
    if (m_selectNumber >= 0 && static_cast<quint64>(m_selectNumber) >= lines.firstNumber())
        return static_cast<int>(static_cast<quint64>(m_selectNumber) - lines.firstNumber());
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !selectionModel()->isSelected(current))
        return -1;
    return static_cast<int>(m_model->lineOfRow(current.row()));
}

void LineList::setCurrentRow(int row)
{
    if (row < 0 || row >= count())
        return;
    m_selectNumber = static_cast<qint64>(m_model->lines().firstNumber()) + row;
    // A selection ends what a handler adds: shown at once unless the last
    // batch was just shown.
    scheduleRefresh(true);
}

qsizetype LineList::memoryBytes() const
{
    return m_model->lines().memoryBytes();
}

void LineList::scheduleRefresh(bool nowIfDue)
{
    // In a burst the timer runs already: nothing to work out per line.
    if (m_refreshTimer.isActive() && !nowIfDue)
        return;
    const qint64 wait =
        m_sinceRefresh.isValid() ? std::max<qint64>(0, kRefreshMs - m_sinceRefresh.elapsed()) : 0;
    if (wait == 0 && nowIfDue) {
        refresh();
        return;
    }
    if (!m_refreshTimer.isActive())
        m_refreshTimer.start(static_cast<int>(wait));
}

void LineList::refresh()
{
    m_refreshTimer.stop();
    m_sinceRefresh.start();
    m_model->publish();
    if (m_selectNumber < 0)
        return;
    const LineStore &lines = m_model->lines();
    const auto number = static_cast<quint64>(m_selectNumber);
    m_selectNumber = -1;
    if (number < lines.firstNumber())
        return; // it has left already
    const QModelIndex index =
        m_model->index(m_model->rowOfLine(static_cast<qsizetype>(number - lines.firstNumber())));
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

void LineList::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void LineList::copySelection()
{
    refresh();
    QModelIndexList selected = selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    QStringList texts;
    texts.reserve(selected.size());
    for (const QModelIndex &index : std::as_const(selected))
        texts << index.data().toString();
    QApplication::clipboard()->setText(texts.join(QLatin1Char('\n')));
}
