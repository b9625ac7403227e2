#pragma once

#include <QByteArray>
#include <QString>

// Conversions between text and the program's ANSI code page, code page 950
// (Traditional Chinese Big5), through iconv.
namespace Cp950 {

// Characters that code page 950 cannot hold become "?".
QByteArray fromUnicode(const QString &text);

// Bytes that are not valid code page 950 become U+FFFD, one per bad byte.
QString toUnicode(const QByteArray &bytes);

// Turns a byte stream that arrives in chunks into text. A double-byte character
// whose lead byte ends one chunk is held back and joined with the next chunk.
class Decoder
{
public:
    QString decode(const QByteArray &chunk);
    // Text of whatever is still held back (a lone lead byte), emptied.
    QString flush();
    bool hasPending() const { return !m_pending.isEmpty(); }

private:
    QByteArray m_pending;
};

} // namespace Cp950
