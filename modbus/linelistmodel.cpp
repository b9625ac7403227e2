#include "modbus/linelistmodel.h"

#include <algorithm>

LineListModel::LineListModel(qsizetype maxLines, QObject *parent)
    : QAbstractListModel(parent), m_lines(maxLines)
{
}

void LineListModel::append(QStringView line)
{
    m_lines.append(line);
}

void LineListModel::append(QLatin1StringView line)
{
    m_lines.append(line);
}

void LineListModel::clear()
{
    beginResetModel();
    m_lines.clear();
    m_shownFirst = m_lines.firstNumber();
    m_shownCount = 0;
    endResetModel();
}

bool LineListModel::hasUnpublished() const
{
    return m_shownFirst != m_lines.firstNumber() || m_shownCount != m_lines.size();
}

void LineListModel::publish()
{
    const quint64 storeFirst = m_lines.firstNumber();
    const quint64 storeEnd = storeFirst + static_cast<quint64>(m_lines.size());
    // Rows whose lines have left the store go first, from the top.
    if (storeFirst > m_shownFirst) {
        const quint64 shownEnd = m_shownFirst + static_cast<quint64>(m_shownCount);
        const auto gone = static_cast<qsizetype>(std::min(storeFirst, shownEnd) - m_shownFirst);
        if (gone > 0) {
            beginRemoveRows(QModelIndex(), 0, static_cast<int>(gone - 1));
            m_shownFirst += static_cast<quint64>(gone);
            m_shownCount -= gone;
            endRemoveRows();
        }
        if (m_shownCount == 0)
            m_shownFirst = storeFirst;
    }
    const quint64 shownEnd = m_shownFirst + static_cast<quint64>(m_shownCount);
    if (storeEnd > shownEnd) {
        const auto added = static_cast<qsizetype>(storeEnd - shownEnd);
        beginInsertRows(QModelIndex(), static_cast<int>(m_shownCount),
                        static_cast<int>(m_shownCount + added - 1));
        m_shownCount += added;
        endInsertRows();
    }
}

int LineListModel::rowOfLine(qsizetype i) const
{
    if (i < 0 || i >= m_lines.size())
        return -1;
    const quint64 number = m_lines.firstNumber() + static_cast<quint64>(i);
    if (number < m_shownFirst || number >= m_shownFirst + static_cast<quint64>(m_shownCount))
        return -1;
    return static_cast<int>(number - m_shownFirst);
}

qsizetype LineListModel::lineOfRow(int row) const
{
    if (row < 0 || row >= m_shownCount)
        return -1;
    const quint64 number = m_shownFirst + static_cast<quint64>(row);
    if (number < m_lines.firstNumber())
        return -1;
    return static_cast<qsizetype>(number - m_lines.firstNumber());
}

QModelIndex LineListModel::index(int row, int column, const QModelIndex &parent) const
{
    if (row < 0 || row >= m_shownCount || column != 0 || parent.isValid())
        return QModelIndex();
    return createIndex(row, column);
}

int LineListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_shownCount);
}

QVariant LineListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || index.parent().isValid() || index.row() < 0
        || index.row() >= m_shownCount)
        return QVariant();
    // A row whose line has already left shows nothing until the next publish.
    return m_lines.at(lineOfRow(index.row()));
}

Qt::ItemFlags LineListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
