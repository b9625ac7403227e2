#pragma once

#include "app/codepage.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Decodes what arrives on one data connection (code page 950, a double-byte
// character may be split between arrivals). A device port that streams fast
// hands over arrivals far larger than a receive buffer keeps, and only an
// arrival's end can stay in the buffer: of such an arrival only the end is
// decoded, from a place where the text can be cut without changing anything
// after it, so that a flood costs what the buffer keeps, not what came.
class PortDecoder
{
public:
    // The end of an arrival decoded when it is longer than this many bytes per
    // character kept.
    static constexpr qsizetype kTailBytesPerChar = 4;

    // The text of arrival as a decoder of the whole stream gives it; or, when
    // the arrival's end alone gives at least keepChars characters once its CR
    // LF pairs are removed, the text of that end only. Either way the text
    // ends the same, and the next arrival is decoded the same.
    QString decode(const QByteArray &arrival, qsizetype keepChars);
    // A new stream (a new connection).
    void reset() { m_decoder = Cp950::Decoder(); }

    // The place just after the first byte at or after from that stands for a
    // whole character and cannot end a CR LF pair's first half: a byte below
    // 0x40 other than CR, which in code page 950 is never the second byte of
    // a double-byte character. -1 when there is none.
    static qsizetype cutPlace(QByteArrayView bytes, qsizetype from);

private:
    Cp950::Decoder m_decoder;
};
