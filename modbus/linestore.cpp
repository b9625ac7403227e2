#include "modbus/linestore.h"

#include <algorithm>

LineStore::LineStore(qsizetype maxLines) : m_maxLines(std::max<qsizetype>(1, maxLines)) {}

void LineStore::append(QStringView line)
{
    // List lines are hex digits and blanks: copied as they are, without a
    // conversion buffer. Anything else goes through UTF-8.
    for (const QChar c : line) {
        if (c.unicode() >= 0x80) {
            append(QByteArrayView(line.toUtf8()));
            return;
        }
    }
    const qsizetype n = line.size();
    QByteArray &block = blockFor(n);
    const qsizetype start = block.size();
    block.resize(start + n);
    char *out = block.data() + start;
    for (qsizetype i = 0; i < n; ++i)
        out[i] = static_cast<char>(line[i].unicode());
    index(QByteArrayView(out, n));
}

void LineStore::append(QLatin1StringView line)
{
    for (const char c : line) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            append(QStringView(QString(line)));
            return;
        }
    }
    append(QByteArrayView(line.data(), line.size()));
}

void LineStore::append(QByteArrayView utf8)
{
    QByteArray &block = blockFor(utf8.size());
    const qsizetype start = block.size();
    block.append(utf8);
    index(QByteArrayView(block.constData() + start, utf8.size()));
}

QByteArray &LineStore::blockFor(qsizetype n)
{
    if (m_blocks.empty() || m_blocks.back().capacity() - m_blocks.back().size() < n) {
        QByteArray block;
        block.reserve(std::max(kBlockBytes, n));
        m_blocks.push_back(std::move(block));
    }
    const quint64 blockNo = m_firstBlock + m_blocks.size() - 1;
    m_nextStart = (blockNo << 32) | static_cast<quint32>(m_blocks.back().size());
    return m_blocks.back();
}

void LineStore::index(QByteArrayView added)
{
    m_index.push_back(m_nextStart);
    if (added.size() > m_longestLine.size())
        m_longestLine = added.toByteArray();
    while (size() > m_maxLines)
        dropOldest();
}

void LineStore::dropOldest()
{
    m_index.pop_front();
    ++m_firstNumber;
    // Blocks before the one that holds the new first line hold no line now.
    const quint64 keepFrom = m_index.empty() ? m_firstBlock + m_blocks.size() - 1
                                             : m_index.front() >> 32;
    while (m_firstBlock < keepFrom) {
        m_blocks.pop_front();
        ++m_firstBlock;
    }
}

void LineStore::clear()
{
    m_firstNumber += m_index.size();
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_index.clear();
    m_index.shrink_to_fit();
    m_firstBlock = 0;
    m_longestLine.clear();
    m_longestLine.squeeze();
}

QByteArrayView LineStore::bytesAt(qsizetype i) const
{
    if (i < 0 || i >= size())
        return {};
    const quint64 where = m_index[static_cast<size_t>(i)];
    const quint64 blockNo = where >> 32;
    const auto start = static_cast<qsizetype>(where & 0xFFFFFFFFu);
    const QByteArray &block = m_blocks[static_cast<size_t>(blockNo - m_firstBlock)];
    qsizetype end = block.size();
    if (i + 1 < size()) {
        const quint64 next = m_index[static_cast<size_t>(i + 1)];
        if ((next >> 32) == blockNo)
            end = static_cast<qsizetype>(next & 0xFFFFFFFFu);
    }
    return QByteArrayView(block.constData() + start, end - start);
}

QString LineStore::at(qsizetype i) const
{
    const QByteArrayView bytes = bytesAt(i);
    return QString::fromUtf8(bytes.data(), bytes.size());
}

qsizetype LineStore::memoryBytes() const
{
    qsizetype total = static_cast<qsizetype>(m_index.size() * sizeof(quint64));
    for (const QByteArray &block : m_blocks)
        total += block.capacity();
    return total + m_longestLine.capacity();
}
