#pragma once

// Text for the targets whose units take any UTF-16: one character per input
// byte, so that the fuzzer reaches the characters that matter (line ends,
// the row ends of a text view, surrogates, alone or in pairs) with one byte.

#include <QByteArrayView>
#include <QString>

namespace Fuzz {

// Bytes 0xF8 to 0xFF stand for these; every other byte is its Latin-1
// character (CR, LF and the rest).
inline constexpr char16_t kSpecialChars[] = {
    u'\u2029', // paragraph separator: a row end of a text document
    u'\uFDD0', // the document's own block marks
    u'\uFDD1',
    u'\xD83D', // a high surrogate,
    u'\xDE00', // a low one (together U+1F600)
    u'\u4E2D', // a double-byte character of code page 950
    u'\xDC00', // another low surrogate
    u'\xD800', // another high surrogate
};
inline constexpr unsigned char kFirstSpecialByte = 0xF8;

inline QChar charOf(unsigned char b)
{
    return b >= kFirstSpecialByte ? QChar(kSpecialChars[b - kFirstSpecialByte]) : QChar(b);
}

inline QString textOf(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *p = out.data();
    for (const char c : bytes)
        *p++ = charOf(static_cast<unsigned char>(c));
    return out;
}

} // namespace Fuzz
