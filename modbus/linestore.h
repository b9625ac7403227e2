#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QLatin1StringView>

#include <deque>
#include <vector>

// The lines of a list that only grows or is emptied as a whole, kept compactly:
// the text in UTF-8 in blocks of 64 KiB and 8 bytes of index per line, so that
// appending costs the same however many lines there are.
class LineStore
{
public:
    void append(QStringView line);
    void append(QByteArrayView utf8);
    void append(QLatin1StringView line);
    void clear();

    qsizetype size() const { return static_cast<qsizetype>(m_index.size()); }
    bool isEmpty() const { return m_index.empty(); }
    QString at(qsizetype i) const;
    QByteArrayView bytesAt(qsizetype i) const;

    // Index of the longest line in bytes, -1 when empty.
    qsizetype longest() const { return m_longest; }
    // Bytes held for the text and the index.
    qsizetype memoryBytes() const;

    static constexpr qsizetype kBlockBytes = 64 * 1024;

private:
    // The block that the next n bytes go to, and where in it they start.
    QByteArray &blockFor(qsizetype n);
    void index(qsizetype n);

    std::vector<QByteArray> m_blocks;
    // Block number in the high half, offset in the low half.
    std::deque<quint64> m_index;
    qsizetype m_longest = -1;
    qsizetype m_longestBytes = -1;
    quint64 m_nextStart = 0;
};
