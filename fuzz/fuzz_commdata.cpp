// The data connections of the network client: what a send puts on the wire,
// the hex views, what an arrival adds to its port's buffer, and the eight
// bounded receive buffers with the box that shows the selected one, fed with
// arrivals, port switches, clears and box changes in any order.
//
// Input: the small bounded text's limit, then operations. An operation byte's
// low three bits say what (0 to 3 an arrival, 4 a port picked in the list,
// 5 the box emptied, 6 the box set to the selected buffer, 7 a buffer
// cleared), its upper five bits modulo 10, less 1, the index (-1 to 8); an
// arrival with bit 7 set comes on the selected port. An arrival is a length
// byte and that many characters (fuzztext.h); 0xFB makes it a flood of about
// the buffer's size.

#include "fuzz/fuzzcheck.h"
#include "fuzz/fuzztext.h"

#include "app/module1.h"
#include "netclient/commdata.h"

#include <algorithm>

using namespace CommData;

namespace {

// The input read front to back; zeros once it is used up.
class Input
{
public:
    explicit Input(QByteArrayView bytes) : m_bytes(bytes) {}
    bool atEnd() const { return m_at >= m_bytes.size(); }
    unsigned char byte() { return atEnd() ? 0 : static_cast<unsigned char>(m_bytes[m_at++]); }
    QByteArrayView take(qsizetype n)
    {
        n = std::min(n, m_bytes.size() - m_at);
        const QByteArrayView out = m_bytes.sliced(m_at, n);
        m_at += n;
        return out;
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_at = 0;
};

bool isUpperHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
}

// Three characters per character, two hex digits and ".", that read back as
// the low bytes; the view of two texts is the two views, so a hex box can
// follow the receive box's appends and drops.
void checkHexView(const QString &s, qsizetype cut)
{
    const QString hex = HexView(s);
    FUZZ_CHECK(hex.size() == s.size() * kHexCharsPerChar);
    QByteArray low;
    low.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        low += static_cast<char>(s.at(i).unicode() & 0xFF);
        FUZZ_CHECK(isUpperHexDigit(hex.at(3 * i)) && isUpperHexDigit(hex.at(3 * i + 1)));
        FUZZ_CHECK(hex.at(3 * i + 2) == u'.');
    }
    FUZZ_CHECK(QByteArray::fromHex(hex.toLatin1()) == low);
    cut = std::clamp<qsizetype>(cut, 0, s.size());
    FUZZ_CHECK(HexView(QStringView(s).left(cut)) + HexView(QStringView(s).mid(cut)) == hex);
}

// A CR, one or more CR LF pairs, an LF: once the pairs go, a pair is left.
bool hasNestedPairs(QStringView text)
{
    for (qsizetype i = 0; i + 3 < text.size(); ++i) {
        if (text.at(i) != u'\r')
            continue;
        qsizetype j = i + 1;
        while (j + 1 < text.size() && text.at(j) == u'\r' && text.at(j + 1) == u'\n')
            j += 2;
        if (j > i + 1 && j < text.size() && text.at(j) == u'\n')
            return true;
    }
    return false;
}

// Every CR LF pair of the arrival goes, nothing else: lone CRs and LFs and
// all other characters stay in their order.
void checkReceivedText(const QString &arrival)
{
    const QString got = receivedText(arrival);
    const qsizetype pairs = arrival.count(QStringLiteral("\r\n"));
    FUZZ_CHECK(got.size() == arrival.size() - 2 * pairs);
    FUZZ_CHECK(got.count(u'\r') == arrival.count(u'\r') - pairs);
    FUZZ_CHECK(got.count(u'\n') == arrival.count(u'\n') - pairs);
    FUZZ_CHECK(QString(got).remove(u'\r').remove(u'\n') == QString(arrival).remove(u'\r').remove(u'\n'));
    // A pair is left only where removed pairs stood between a CR and an LF.
    if (!hasNestedPairs(arrival))
        FUZZ_CHECK(!got.contains(QStringLiteral("\r\n")));
}

// The text, its checksum digits when on, then the terminator; an empty box
// sends nothing. Each terminator is the characters its caption names.
void checkSend(const QString &text, int terminator, bool checksum)
{
    const QString wire = dataSendText(text, terminator, checksum);
    const QString end = terminatorText(terminator);
    const QStringList captions = terminatorCaptions();
    FUZZ_CHECK(captions.size() == kTerminators);
    if (terminator >= 0 && terminator < kTerminators) {
        QString named = captions.at(terminator);
        named.remove(QStringLiteral("None")).remove(QStringLiteral("CS_")).remove(u'_');
        named.replace(QStringLiteral("CR"), QStringLiteral("\r")).replace(QStringLiteral("LF"), QStringLiteral("\n"));
        FUZZ_CHECK(end == named);
    } else {
        FUZZ_CHECK(end.isEmpty());
    }
    if (text.isEmpty()) {
        FUZZ_CHECK(wire.isEmpty());
        return;
    }
    FUZZ_CHECK(wire.startsWith(text) && wire.endsWith(end));
    const QString middle = wire.mid(text.size(), wire.size() - text.size() - end.size());
    if (!checksum) {
        FUZZ_CHECK(middle.isEmpty());
        return;
    }
    FUZZ_CHECK(middle.size() == 1 || middle.size() == 2);
    for (const QChar c : middle)
        FUZZ_CHECK(isUpperHexDigit(c));
    FUZZ_CHECK(Module1::AppendChecksum(text) == text + middle);
}

// A bounded text and the copy that its changes build: the copy is the text,
// which keeps the latest characters up to its limit, short of it only where
// the cut would split a surrogate pair.
void appendBounded(BoundedText &t, QString &copy, const QString &text)
{
    const QString before = t.toString();
    const BoundedText::Change c = t.append(text);
    FUZZ_CHECK(c.dropped >= 0 && c.dropped <= before.size());
    copy.remove(0, c.dropped);
    copy += c.appended;
    FUZZ_CHECK(t.view() == copy);
    FUZZ_CHECK(t.size() <= t.limit());
    const QString joined = before + text;
    FUZZ_CHECK(joined.endsWith(t.view()));
    const qsizetype kept = joined.size() - t.size();
    const qsizetype full = std::min(t.limit(), joined.size());
    const bool pairCut = kept >= 2 && joined.at(kept - 2).isHighSurrogate()
                         && joined.at(kept - 1).isLowSurrogate();
    FUZZ_CHECK(t.size() == full || (t.size() == full - 1 && pairCut));
    FUZZ_CHECK(kept == 0 || kept == joined.size() || !joined.at(kept - 1).isHighSurrogate()
               || !joined.at(kept).isLowSurrogate());
}

// The receive box and its hex view as the window keeps them, changed only by
// the updates the buffers hand out and by the window's own settings. The hex
// view is followed while the box is short (the view of a full buffer costs
// more than all the rest of a run); the hex part of each update is checked
// against the text part always.
struct Box
{
    static constexpr qsizetype kHexFollowedChars = 4096;

    // The text is data from start on: characters dropped at the front are
    // only skipped until they are half of it, as a full box drops a few at
    // each arrival.
    QString data;
    qsizetype start = 0;
    QString hex;
    bool hexFollowed = true;

    QStringView text() const { return QStringView(data).mid(start); }
    qsizetype size() const { return data.size() - start; }

    void set(const QString &to)
    {
        data = to;
        start = 0;
        hexFollowed = to.size() <= kHexFollowedChars;
        hex = hexFollowed ? HexView(to) : QString();
    }
    void apply(const CommBuffers::BoxUpdate &u)
    {
        if (u.replace) {
            set(u.text);
            return;
        }
        FUZZ_CHECK(u.dropped >= 0 && u.dropped <= size());
        FUZZ_CHECK(u.hexDropped() == u.dropped * kHexCharsPerChar);
        start += u.dropped;
        data += u.text;
        if (start > data.size() / 2) {
            data.remove(0, start);
            start = 0;
        }
        hexFollowed = hexFollowed && size() <= kHexFollowedChars;
        if (!hexFollowed) {
            hex.clear();
            return;
        }
        FUZZ_CHECK(u.hexDropped() <= hex.size());
        hex.remove(0, u.hexDropped());
        hex += u.hexText();
    }
    // The hex box shows the receive box's hex view.
    void checkHex() const
    {
        if (hexFollowed)
            FUZZ_CHECK(hex == HexView(text()));
    }
};

// A combo box index or a socket index: mostly ports, now and then none.
int indexOf(unsigned char op)
{
    return (op >> 3) % (CommBuffers::kPorts + 2) - 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input in(QByteArrayView(data, qsizetype(size)));
    BoundedText small(1 + in.byte() % 64);
    QString smallCopy;

    CommBuffers buffers;
    Box box;
    int selected = 0;
    // Floods cost what the buffer holds: one operation code only, once at most.
    constexpr unsigned char kFlood = 0xFB;
    constexpr int kMaxBigArrivals = 1;
    int bigArrivals = 0;
    int longUpdates = 0;
    // The box shows the selected buffer as the last change left both.
    bool mirrors = false;
    // Each time the box is set anew while a buffer is long, the box and the
    // next update copy it whole: a few such settings per run are enough.
    constexpr int kMaxLongResets = 8;
    int longResets = 0;
    while (!in.atEnd()) {
        const unsigned char op = in.byte();
        bool longBuffers = false;
        for (int p = 0; p < CommBuffers::kPorts; ++p)
            longBuffers = longBuffers || buffers.buffer(p).size() > Box::kHexFollowedChars;
        if (op % 8 >= 4 && op % 8 <= 6 && longBuffers && ++longResets > kMaxLongResets)
            continue;
        switch (op % 8) {
        case 0:
        case 1:
        case 2:
        case 3: {
            // An arrival on a socket; the selected one more often than not.
            const int index = (op & 0x80) ? selected : indexOf(op);
            const QString piece = Fuzz::textOf(in.take(in.byte()));
            checkHexView(piece, op);
            checkReceivedText(piece);
            checkSend(piece, static_cast<signed char>(op) % 10, op & 0x40);
            QString arrival = piece;
            if (op == kFlood && bigArrivals < kMaxBigArrivals) {
                // A flood: about the buffer's whole size in one arrival.
                ++bigArrivals;
                const QString unit = piece.isEmpty() ? QStringLiteral("x") : piece;
                const qsizetype want = CommBuffers::kBufferChars - 300 + 3 * in.byte();
                arrival = unit.repeated((want + unit.size() - 1) / unit.size());
            }
            const QString added = receivedText(arrival);
            appendBounded(small, smallCopy, added);

            const bool isPort = index >= 0 && index < CommBuffers::kPorts;
            // What the buffer held (its size and end: a copy of a full
            // buffer each time would cost more than the unit's work).
            const qsizetype beforeSize = buffers.buffer(index).size();
            const QString beforeEnd = buffers.buffer(index).right(64).toString();
            const std::optional<CommBuffers::BoxUpdate> u = buffers.receive(index, arrival, selected);
            FUZZ_CHECK(u.has_value() == (isPort && index == selected));
            // The buffer keeps the latest characters of what came: the
            // arrival's, behind those it held.
            const QStringView now = buffers.buffer(index);
            if (isPort) {
                FUZZ_CHECK(now.size() == std::min<qsizetype>(CommBuffers::kBufferChars, beforeSize + added.size())
                           || now.size() == CommBuffers::kBufferChars - 1);
                if (added.size() >= now.size()) {
                    FUZZ_CHECK(added.endsWith(now));
                } else {
                    FUZZ_CHECK(now.endsWith(added));
                    const QStringView held = now.chopped(added.size());
                    FUZZ_CHECK(held.size() <= beforeSize);
                    const qsizetype n = std::min(held.size(), beforeEnd.size());
                    FUZZ_CHECK(held.right(n) == QStringView(beforeEnd).right(n));
                }
            }
            if (!u)
                break;
            // A box that follows gets no more than the arrival.
            FUZZ_CHECK(u->replace || u->text.size() <= added.size());
            box.apply(*u);
            mirrors = true;
            // The box is the buffer: after each update while short, after
            // every eighth one when long.
            if (box.size() <= 4096 || ++longUpdates % 8 == 0)
                FUZZ_CHECK(box.text() == buffers.buffer(selected));
            if (box.size() <= 2048)
                box.checkHex();
            break;
        }
        case 4:
            // The user picks another port in the list; the box stays until
            // the window sets it.
            selected = indexOf(op);
            mirrors = false;
            break;
        case 5:
            box.set(QString());
            buffers.boxChanged();
            mirrors = false;
            break;
        case 6:
            // The window shows a buffer itself, as at a port switch.
            box.set(buffers.buffer(selected).toString());
            buffers.boxChanged();
            mirrors = true;
            break;
        case 7: {
            const int index = indexOf(op);
            buffers.clear(index);
            FUZZ_CHECK(buffers.buffer(index).isEmpty());
            mirrors = mirrors && index != selected;
            break;
        }
        }
        for (int p = 0; p < CommBuffers::kPorts; ++p)
            FUZZ_CHECK(buffers.buffer(p).size() <= CommBuffers::kBufferChars);
    }
    if (selected >= 0 && selected < CommBuffers::kPorts)
        FUZZ_CHECK(box.text() == buffers.buffer(selected) || !mirrors);
    box.checkHex();
    small.clear();
    FUZZ_CHECK(small.isEmpty() && small.view().isEmpty());
    return 0;
}
