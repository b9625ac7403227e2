#pragma once

#include "modbus/linestore.h"

#include <QAbstractListModel>

// The lines of a LineStore as the rows of a list model. Lines go into the
// store at once; views learn of the lines added, and of those that left from
// the top, only at publish(), all of them in one insertion and one removal,
// so that a view lays itself out once per batch however fast lines come.
class LineListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit LineListModel(qsizetype maxLines = LineStore::kUnbounded, QObject *parent = nullptr);

    void append(QStringView line);
    void append(QLatin1StringView line);
    // Empties the store and the rows at once.
    void clear();

    const LineStore &lines() const { return m_lines; }
    // Lines added or gone that views have not been told of.
    bool hasUnpublished() const;
    void publish();

    // The row of line i of the store (the store's index once published); -1
    // when views do not have it yet.
    int rowOfLine(qsizetype i) const;
    // The store's index of the line in row; -1 when it has left the store.
    qsizetype lineOfRow(int row) const;

    // Views ask for every row's index when they lay out: answered without
    // the generic checks.
    QModelIndex index(int row, int column = 0, const QModelIndex &parent = QModelIndex()) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    LineStore m_lines;
    // Running number of the line in row 0, and the number of rows views have.
    quint64 m_shownFirst = 0;
    qsizetype m_shownCount = 0;
};
