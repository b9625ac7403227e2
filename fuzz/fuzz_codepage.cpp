// Code page 950: the decoder of what arrives from the device and the server,
// across arrivals cut anywhere, and the encoder of what the program sends.

#include "fuzz/fuzzcheck.h"

#include "app/codepage.h"
#include "app/module1.h"

namespace {

constexpr qsizetype kEncodedBytes = 256;

// Text through the encoder and back: every character comes back as itself
// or, where code page 950 has no code for it, as "?"; none is lost or added.
void checkEncoder(const QString &text)
{
    const QByteArray encoded = Cp950::fromUnicode(text);
    const QString back = Cp950::toUnicode(encoded);
    FUZZ_CHECK(!back.contains(QChar(QChar::ReplacementCharacter)));
    const QList<uint> want = text.toUcs4();
    const QList<uint> got = back.toUcs4();
    FUZZ_CHECK(got.size() == want.size());
    for (qsizetype i = 0; i < got.size(); ++i)
        FUZZ_CHECK(got[i] == want[i] || got[i] == u'?');

    // The checksum goes behind the text: one or two upper-case hex digits.
    const QString summed = Module1::AppendChecksum(text);
    FUZZ_CHECK(summed.startsWith(text));
    const QString sum = summed.mid(text.size());
    FUZZ_CHECK(sum.size() == 1 || sum.size() == 2);
    for (const QChar c : sum)
        FUZZ_CHECK((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = Fuzz::bytes(data, size);

    // Each character comes from one or two bytes.
    const QString whole = Cp950::toUnicode(bytes);
    FUZZ_CHECK(QStringView(whole).isValidUtf16());
    const qsizetype characters = whole.toUcs4().size();
    FUZZ_CHECK(characters <= bytes.size() && 2 * characters >= bytes.size());

    // Cut into arrivals, the stream decodes as the whole does; at most one
    // lead byte waits between arrivals.
    Fuzz::Draw draw(bytes);
    Cp950::Decoder decoder;
    QString joined;
    for (const QByteArray &piece : Fuzz::pieces(bytes, draw, 64)) {
        joined += decoder.decode(piece);
        Cp950::Decoder held = decoder;
        FUZZ_CHECK(held.flush().size() <= 1);
    }
    joined += decoder.flush();
    FUZZ_CHECK(!decoder.hasPending());
    FUZZ_CHECK(joined == whole);

    // The encoder's work grows with the square of the characters it has no
    // code for; short texts keep the runs fast.
    const QByteArray head = bytes.left(kEncodedBytes);
    checkEncoder(whole.left(kEncodedBytes));
    checkEncoder(QString::fromUtf8(head));
    // Any UTF-16, lone surrogates included.
    checkEncoder(QString(reinterpret_cast<const QChar *>(head.constData()), head.size() / 2));
    return 0;
}
