// What arrives on one of the network client's data connections, decoded from
// code page 950 by the decoder that, of an arrival far larger than the
// receive buffer keeps, decodes only the end: what the buffer keeps is what
// decoding everything gives.

#include "fuzz/fuzzcheck.h"

#include "app/codepage.h"
#include "netclient/commdata.h"
#include "netclient/portdecoder.h"

#include <algorithm>

namespace {

bool isCutByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b < 0x40 && b != '\r';
}

// The place after the first byte from `from` on that can end a character
// and no CR LF pair's first half; decoding on from there needs nothing
// before it.
void checkCutPlace(const QByteArray &bytes, qsizetype from)
{
    const qsizetype cut = PortDecoder::cutPlace(bytes, from);
    const qsizetype start = std::max<qsizetype>(from, 0);
    FUZZ_CHECK(cut == -1 || (cut > start && cut <= bytes.size()));
    const qsizetype stop = cut < 0 ? bytes.size() : cut - 1;
    for (qsizetype i = start; i < stop; ++i)
        FUZZ_CHECK(!isCutByte(bytes.at(i)));
    if (cut < 0)
        return;
    FUZZ_CHECK(isCutByte(bytes.at(cut - 1)));
    // The text cut there is the two texts joined.
    FUZZ_CHECK(Cp950::toUnicode(bytes) == Cp950::toUnicode(bytes.left(cut)) + Cp950::toUnicode(bytes.mid(cut)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray input = Fuzz::bytes(data, size);
    const QByteArray stream = input.mid(1);
    Fuzz::Draw draw(input);
    // The characters the receive buffer keeps: small, so that arrivals of
    // four bytes per character kept and more come often.
    const auto b0 = static_cast<unsigned char>(data[0]);
    const qsizetype keep = (b0 & 0x80) ? 1 + (b0 & 0x7F) * 8 : 1 + (b0 & 0x7F) % 48;

    checkCutPlace(stream, draw.below(stream.size() + 2) - 1);

    PortDecoder ours;
    Cp950::Decoder whole;
    CommData::BoundedText ourBuffer(keep);
    CommData::BoundedText wholeBuffer(keep);
    for (const QByteArray &arrival : Fuzz::pieces(stream, draw, stream.size())) {
        const QString text = ours.decode(arrival, keep);
        const QString all = whole.decode(arrival);
        // The end of the text is the same; only an arrival of more than four
        // bytes per character kept loses its start, and then at least what
        // the buffer keeps is left, with no CR LF pair cut in two.
        FUZZ_CHECK(all.endsWith(text));
        const QString added = CommData::receivedText(text);
        if (text.size() < all.size()) {
            FUZZ_CHECK(arrival.size() > keep * PortDecoder::kTailBytesPerChar);
            FUZZ_CHECK(added.size() >= keep);
            const QString start = all.left(all.size() - text.size());
            FUZZ_CHECK(CommData::receivedText(all) == CommData::receivedText(start) + added);
        }
        ourBuffer.append(added);
        wholeBuffer.append(CommData::receivedText(all));
        FUZZ_CHECK(ourBuffer.view() == wholeBuffer.view());
    }
    // Whatever was held back, the next arrival decodes alike.
    const QByteArray next = input.left(1) + "\x40";
    FUZZ_CHECK(ours.decode(next, keep) == whole.decode(next));

    // A new connection starts clean.
    ours.reset();
    Cp950::Decoder fresh;
    FUZZ_CHECK(ours.decode(stream.right(3), keep) == fresh.decode(stream.right(3)));
    return 0;
}
