#pragma once

// What the fuzz targets share: the check of a property and the cutting of an
// input into arrivals.

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken property ends the run as a crash, so that libFuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                                   \
    do {                                                                                   \
        if (!(cond)) {                                                                     \
            std::fprintf(stderr, "property broken: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

namespace Fuzz {

// The input as bytes, without a copy; valid while the input is.
inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                   static_cast<qsizetype>(size));
}

// A repeatable sequence of numbers drawn from the input, so that the same
// input always gives the same cuts.
class Draw
{
public:
    explicit Draw(const QByteArray &input)
    {
        for (const char c : input)
            m_state = (m_state ^ static_cast<uint8_t>(c)) * 0x100000001b3ULL;
        m_state |= 1;
    }
    explicit Draw(uint64_t seed) : m_state(seed | 1) {}

    uint64_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return m_state;
    }
    // 0 to n - 1; 0 when n is 0.
    qsizetype below(qsizetype n) { return n > 0 ? static_cast<qsizetype>(next() % uint64_t(n)) : 0; }

private:
    uint64_t m_state = 0xcbf29ce484222325ULL;
};

// bytes cut into pieces of 0 to maxPiece bytes (mostly short, sometimes
// long, now and then empty); together they are bytes again.
inline QList<QByteArray> pieces(const QByteArray &bytes, Draw &draw, qsizetype maxPiece)
{
    QList<QByteArray> out;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype kind = draw.below(8);
        const qsizetype limit = kind == 0 ? 1 : kind < 6 ? qMin<qsizetype>(16, maxPiece) : maxPiece;
        const qsizetype n = qMin(draw.below(limit + 1), bytes.size() - at);
        out << bytes.mid(at, n);
        at += n;
    }
    return out;
}

} // namespace Fuzz
