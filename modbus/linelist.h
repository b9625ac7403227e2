#pragma once

#include <QElapsedTimer>
#include <QListView>
#include <QTimer>

class LineListModel;

// A list box for lines that come by the thousand: a list view over a
// LineListModel, every row one text line high. It keeps the latest kMaxLines
// lines; older ones leave from the top. Its lines change at once; the view
// learns of them at most kRefreshMs later, a burst of lines in one batch, and
// the line selected by setCurrentRow() is selected and scrolled to then.
// Ctrl+C copies the selected lines.
class LineList : public QListView
{
    Q_OBJECT

public:
    // A view lays out all its rows for each batch: ten batches a second are
    // as many as a reader follows.
    static constexpr int kRefreshMs = 100;
    // Lines kept: with the frames of a fast poll about two seconds of a
    // reply list, with a timer of 100 ms over half an hour of a send list.
    static constexpr qsizetype kMaxLines = 20000;

    explicit LineList(QWidget *parent = nullptr, qsizetype maxLines = kMaxLines);

    void addItem(const QString &line);
    void addItem(QLatin1StringView line);
    void clear();
    // Lines held, also those the view has not been shown yet.
    int count() const;
    QString text(int row) const;

    // The selected line (also one waiting to be shown); -1 when none is.
    int currentRow() const;
    // Selects line row and scrolls so that it shows.
    void setCurrentRow(int row);

    // Bytes held for the lines.
    qsizetype memoryBytes() const;
    // Shows what has been added now, without waiting for the next batch.
    void refresh();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void scheduleRefresh(bool nowIfDue);
    void copySelection();

    LineListModel *m_model = nullptr;
    // Running number of the line to select at the next refresh; -1 for none.
    qint64 m_selectNumber = -1;
    QElapsedTimer m_sinceRefresh;
    QTimer m_refreshTimer;
};
