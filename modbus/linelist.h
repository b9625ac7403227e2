#pragma once

#include "modbus/linestore.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QTimer>

// A list box for lines that accumulate by the thousand: each line is one text
// line high, only the lines in view are painted, and the lines themselves sit
// in a LineStore, so adding a line costs the same however long the list is.
// Its contents and selection change at once; what is drawn follows at most
// kRefreshMs later, so that a burst of additions is drawn once.
class LineList : public QAbstractScrollArea
{
    Q_OBJECT

public:
    static constexpr int kRefreshMs = 40;

    explicit LineList(QWidget *parent = nullptr);

    void addItem(const QString &line);
    void addItem(QLatin1StringView line);
    void clear();
    int count() const { return static_cast<int>(m_lines.size()); }
    QString text(int row) const { return m_lines.at(row); }

    // -1 when no line is selected.
    int currentRow() const { return m_current; }
    // Selects row and scrolls so that it shows.
    void setCurrentRow(int row);

    // Bytes held for the lines.
    qsizetype memoryBytes() const { return m_lines.memoryBytes(); }

signals:
    void currentRowChanged(int row);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void selectRow(int row, bool scroll);
    void scheduleRefresh();
    void refresh();
    void updateScrollBars();
    int lineHeight() const;
    int visibleRows() const;

    LineStore m_lines;
    int m_current = -1;
    bool m_scrollToCurrent = false;
    qsizetype m_measuredLongest = -1;
    int m_longestWidth = 0;
    QElapsedTimer m_sinceRefresh;
    QTimer m_refreshTimer;
};
