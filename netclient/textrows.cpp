#include "netclient/textrows.h"

#include <algorithm>

TextRows::TextRows(int width) : m_width(width)
{
    m_rows.emplace_back();
}

bool TextRows::endsRow(QChar c)
{
    // Besides CR and LF, the characters that the document itself takes as the
    // end of a block: they must end a row here too.
    switch (c.unicode()) {
    case u'\r':
    case u'\n':
    case kRowEnd:
    case 0xFDD0:
    case 0xFDD1:
        return true;
    default:
        return false;
    }
}

void TextRows::clear()
{
    m_rows.clear();
    m_rows.emplace_back();
    m_textSize = 0;
    m_documentSize = 0;
    m_lastWasHighSurrogate = false;
}

QString TextRows::reset(QStringView text, int width)
{
    m_width = width;
    clear();
    return append(text);
}

QString TextRows::append(QStringView text)
{
    QString out;
    out.reserve(text.size() + (m_width > 0 ? text.size() / m_width + 1 : 0));
    for (const QChar c : text) {
        Row *open = &m_rows.back();
        if (endsRow(c)) {
            out += QChar(kRowEnd);
            ++open->chars;
            m_rows.emplace_back();
        } else {
            // A surrogate pair stays in one row.
            const bool pairGoesOn = c.isLowSurrogate() && m_lastWasHighSurrogate;
            if (m_width > 0 && open->chars >= m_width && !pairGoesOn) {
                out += QChar(kRowEnd);
                open->wrapped = true;
                ++m_documentSize;
                open = &m_rows.emplace_back();
            }
            out += c;
            ++open->chars;
        }
        m_lastWasHighSurrogate = c.isHighSurrogate();
    }
    m_textSize += text.size();
    m_documentSize += text.size();
    return out;
}

qsizetype TextRows::dropFront(qsizetype chars)
{
    qsizetype left = std::clamp<qsizetype>(chars, 0, m_textSize);
    qsizetype places = 0;
    m_textSize -= left;
    while (left > 0) {
        Row &first = m_rows.front();
        if (left >= first.chars && m_rows.size() > 1) {
            places += first.chars + (first.wrapped ? 1 : 0);
            left -= first.chars;
            m_rows.pop_front();
            continue;
        }
        first.chars -= left;
        places += left;
        left = 0;
    }
    if (m_textSize == 0)
        m_lastWasHighSurrogate = false;
    m_documentSize -= places;
    return places;
}

qsizetype TextRows::textOffset(qsizetype documentPlace) const
{
    qsizetype document = 0;
    qsizetype text = 0;
    for (const Row &r : m_rows) {
        if (documentPlace < document + r.chars)
            return text + std::max<qsizetype>(documentPlace - document, 0);
        text += r.chars;
        document += r.chars + (r.wrapped ? 1 : 0);
        if (documentPlace < document)
            return text;
    }
    return m_textSize;
}
