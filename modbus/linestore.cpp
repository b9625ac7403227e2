#include "modbus/linestore.h"

void LineStore::append(const QString &line)
{
    append(QByteArrayView(line.toUtf8()));
}

void LineStore::append(QByteArrayView utf8)
{
    const qsizetype n = utf8.size();
    if (m_blocks.empty() || m_blocks.back().capacity() - m_blocks.back().size() < n) {
        QByteArray block;
        block.reserve(std::max(kBlockBytes, n));
        m_blocks.push_back(std::move(block));
    }
    QByteArray &block = m_blocks.back();
    const quint64 where = (static_cast<quint64>(m_blocks.size() - 1) << 32)
                          | static_cast<quint32>(block.size());
    block.append(utf8);
    m_index.push_back(where);
    if (n > m_longestBytes) {
        m_longestBytes = n;
        m_longest = size() - 1;
    }
}

void LineStore::clear()
{
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_index.clear();
    m_index.shrink_to_fit();
    m_longest = -1;
    m_longestBytes = -1;
}

QByteArrayView LineStore::bytesAt(qsizetype i) const
{
    if (i < 0 || i >= size())
        return {};
    const quint64 where = m_index[static_cast<size_t>(i)];
    const auto blockNo = static_cast<size_t>(where >> 32);
    const auto start = static_cast<qsizetype>(where & 0xFFFFFFFFu);
    const QByteArray &block = m_blocks[blockNo];
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
    return total;
}
