#include "netclient/portdecoder.h"

#include <algorithm>

namespace {

// Below this value a byte is a character of its own (never a second byte).
constexpr unsigned char kFirstTrailByte = 0x40;

qsizetype charsWithoutCrLf(const QString &text)
{
    return text.size() - 2 * text.count(QStringLiteral("\r\n"));
}

} // namespace

qsizetype PortDecoder::cutPlace(QByteArrayView bytes, qsizetype from)
{
    for (qsizetype i = std::max<qsizetype>(from, 0); i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < kFirstTrailByte && b != '\r')
            return i + 1;
    }
    return -1;
}

QString PortDecoder::decode(const QByteArray &arrival, qsizetype keepChars)
{
    const qsizetype tailBytes = std::max<qsizetype>(keepChars, 1) * kTailBytesPerChar;
    if (arrival.size() > tailBytes) {
        const qsizetype cut = cutPlace(arrival, arrival.size() - tailBytes);
        if (cut > 0 && cut < arrival.size()) {
            // After the cut both decoders start clean: what the whole stream's
            // decoder would give from there on, this one gives too.
            Cp950::Decoder tail;
            QString text = tail.decode(arrival.mid(cut));
            if (charsWithoutCrLf(text) >= keepChars) {
                m_decoder = tail;
                return text;
            }
        }
    }
    return m_decoder.decode(arrival);
}
