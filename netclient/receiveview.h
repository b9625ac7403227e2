#pragma once

#include "netclient/textrows.h"

#include <QPlainTextEdit>
#include <QPointer>

#include <functional>

class QTimer;

// A read-only text box for data that keeps arriving: its text (text()) changes
// at once with every append or drop at the front, and what it shows catches up
// at most kRefreshMs later, all changes of that time in one go, edited in
// place instead of laid out anew. Rows are cut at the width of the box (see
// TextRows), so a line without end stays cheap to show. A user can scroll,
// select and copy; a copy gives the text itself, CR and LF included.
//
// A follower view shows a transformation of this text that maps each
// character to the same number of characters (the hex view): it is brought up
// to date from the same changes when this view catches up.
class ReceiveView : public QPlainTextEdit
{
    Q_OBJECT

public:
    static constexpr int kRefreshMs = 20;

    explicit ReceiveView(QWidget *parent = nullptr);

    // The text, whether or not the box shows it yet.
    QString text() const { return textView().toString(); }
    QStringView textView() const { return QStringView(m_text).mid(m_start); }
    qsizetype size() const { return m_text.size() - m_start; }

    void setText(const QString &text);
    void clearText() { setText(QString()); }
    void append(QStringView text);
    void dropFront(qsizetype chars);

    // Most characters kept: beyond it the front goes, as a last guard for a
    // caller that appends without dropping.
    void setMaximumChars(qsizetype chars) { m_maximum = chars; }
    // Characters in a row; 0 takes the width of the box. Rows of the view's
    // own come every multipleOf characters at most (3 keeps hex bytes whole).
    void setRowMultiple(int multipleOf) { m_rowMultiple = std::max(multipleOf, 1); }

    // follower shows transform(text()); each character of the text becomes
    // charsPerChar characters.
    void setFollower(ReceiveView *follower, std::function<QString(QStringView)> transform,
                     int charsPerChar);

    // Brings what the box shows up to date now.
    void refresh();
    bool isUpToDate() const { return !m_replacePending && m_dropPending == 0 && m_appendPending.isEmpty(); }

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;

private:
    int rowWidth() const;
    // Forgets the pending edits: the box shows the whole text anew.
    void showAnew();
    // Drops the front beyond the maximum, then has the box catch up.
    void keepBoundAndSchedule();
    void schedule();
    void applyPending();
    void compact();

    QString m_text;
    qsizetype m_start = 0;
    qsizetype m_maximum = -1;
    int m_rowMultiple = 1;
    TextRows m_rows;

    // Changes not yet shown: the whole text anew, or a drop at the front of
    // what the box shows followed by an append.
    bool m_replacePending = false;
    qsizetype m_dropPending = 0;
    QString m_appendPending;

    QTimer *m_refreshTimer = nullptr;
    QPointer<ReceiveView> m_follower;
    std::function<QString(QStringView)> m_transform;
    int m_charsPerChar = 1;
};
