#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QLatin1StringView>

#include <deque>
#include <limits>

// The lines of a list that grows at its end and keeps at most maxLines() of
// them: the oldest leave from the top. Kept compactly: the text in UTF-8 in
// blocks of 64 KiB and 8 bytes of index per line, so that appending costs the
// same however many lines there are, and a block is freed once its last line
// has left.
class LineStore
{
public:
    static constexpr qsizetype kUnbounded = std::numeric_limits<qsizetype>::max();
    static constexpr qsizetype kBlockBytes = 64 * 1024;

    explicit LineStore(qsizetype maxLines = kUnbounded);

    void append(QStringView line);
    void append(QByteArrayView utf8);
    void append(QLatin1StringView line);
    void clear();

    qsizetype maxLines() const { return m_maxLines; }
    qsizetype size() const { return static_cast<qsizetype>(m_index.size()); }
    bool isEmpty() const { return m_index.empty(); }
    QString at(qsizetype i) const;
    QByteArrayView bytesAt(qsizetype i) const;

    // Running number of line 0: how many lines have left the store (from the
    // top or by clear()) since it was made. Line i has the number firstNumber() + i.
    quint64 firstNumber() const { return m_firstNumber; }

    // The longest line (in bytes) added since the store was last cleared,
    // also when it has left since: what a list must be wide enough for.
    QString longestLine() const { return QString::fromUtf8(m_longestLine); }
    qsizetype longestBytes() const { return m_longestLine.size(); }

    // Bytes held for the text and the index.
    qsizetype memoryBytes() const;

private:
    // The block that the next n bytes go to, and where in it they start.
    QByteArray &blockFor(qsizetype n);
    void index(QByteArrayView added);
    void dropOldest();

    qsizetype m_maxLines;
    std::deque<QByteArray> m_blocks;
    // Running number of m_blocks.front().
    quint64 m_firstBlock = 0;
    // Running block number in the high half, offset in the low half.
    std::deque<quint64> m_index;
    quint64 m_nextStart = 0;
    quint64 m_firstNumber = 0;
    QByteArray m_longestLine;
};
