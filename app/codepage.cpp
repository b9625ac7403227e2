#include "app/codepage.h"


#include <cerrno>
#include <iconv.h>

namespace {

// One conversion descriptor per direction, opened on first use and kept: the
// program converts on every serial arrival and opening iconv is not cheap.
class Converter
{
public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts in; stops at an invalid sequence (returns EILSEQ) or at an
    // incomplete one at the end (EINVAL). consumed tells how far it got.
    int convert(const char *in, size_t inLen, QByteArray &out, size_t &consumed)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char *src = const_cast<char *>(in);
        size_t srcLeft = inLen;
        int result = 0;
        while (srcLeft > 0) {
            char buf[4096];
            char *dst = buf;
            size_t dstLeft = sizeof buf;
            const size_t rc = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf, static_cast<qsizetype>(dst - buf));
            if (rc == static_cast<size_t>(-1)) {
                if (errno == E2BIG)
                    continue;
                result = errno;
                break;
            }
        }
        consumed = inLen - srcLeft;
        return result;
    }

private:
    iconv_t m_cd;
};

Converter &encoder()
{
    thread_local Converter c("CP950", "UTF-8");
    return c;
}

Converter &decoder()
{
    thread_local Converter c("UTF-8", "CP950");
    return c;
}

bool isAscii(const QByteArray &bytes)
{
    for (const char ch : bytes) {
        if (static_cast<unsigned char>(ch) >= 0x80)
            return false;
    }
    return true;
}

// Decodes bytes; when keepTail is true an incomplete character at the end is
// left unconsumed and its length returned through tail.
QString decodeBytes(const QByteArray &bytes, bool keepTail, qsizetype &tail)
{
    tail = 0;
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    Converter &cd = decoder();
    QString text;
    const char *p = bytes.constData();
    size_t left = static_cast<size_t>(bytes.size());
    while (left > 0) {
        QByteArray utf8;
        size_t used = 0;
        const int err = cd.valid() ? cd.convert(p, left, utf8, used) : EILSEQ;
        text += QString::fromUtf8(utf8);
        p += used;
        left -= used;
        if (err == 0)
            break;
        if (err == EINVAL && keepTail) {
            tail = static_cast<qsizetype>(left);
            break;
        }
        // An invalid byte (or an incomplete one at the very end) stands for
        // itself as a replacement character; the rest is decoded normally.
        text += QChar(QChar::ReplacementCharacter);
        ++p;
        --left;
    }
    return text;
}

// glibc's iconv drops the tag characters U+E0000 to U+E007F without an
// error. They have no code in code page 950, so they become "?" here, before
// they can vanish.
QString markTags(const QString &text)
{
    QString out = text;
    for (qsizetype i = out.size() - 2; i >= 0; --i) {
        if (out.at(i).unicode() == 0xDB40 && out.at(i + 1).unicode() >= 0xDC00
            && out.at(i + 1).unicode() <= 0xDC7F)
            out.replace(i, 2, QLatin1Char('?'));
    }
    return out;
}

} // namespace

namespace Cp950 {

QByteArray fromUnicode(const QString &text)
{
    const QByteArray utf8 = markTags(text).toUtf8();
    if (isAscii(utf8))
        return utf8;
    Converter &cd = encoder();
    QByteArray out;
    const char *p = utf8.constData();
    size_t left = static_cast<size_t>(utf8.size());
    while (left > 0) {
        size_t used = 0;
        const int err = cd.valid() ? cd.convert(p, left, out, used) : EILSEQ;
        p += used;
        left -= used;
        if (err == 0)
            break;
        // Skip the whole UTF-8 sequence of the character that has no code.
        out.append('?');
        size_t skip = 1;
        while (skip < left && (static_cast<unsigned char>(p[skip]) & 0xC0) == 0x80)
            ++skip;
        p += skip;
        left -= skip;
    }
    return out;
}

QString toUnicode(const QByteArray &bytes)
{
    qsizetype tail = 0;
    return decodeBytes(bytes, false, tail);
}

QString Decoder::decode(const QByteArray &chunk)
{
    QByteArray bytes = m_pending.isEmpty() ? chunk : m_pending + chunk;
    m_pending.clear();
    qsizetype tail = 0;
    const QString text = decodeBytes(bytes, true, tail);
    if (tail > 0)
        m_pending = bytes.right(tail);
    return text;
}

QString Decoder::flush()
{
    const QString text = toUnicode(m_pending);
    m_pending.clear();
    return text;
}

} // namespace Cp950
