// What the serial terminal's pane makes of the bytes that arrive: decoded from
// code page 950, in pieces of at most the port's input buffer, entering the
// text by the display rules, with the size cap, and the box's shown form
// following each arrival.

#include "fuzz/fuzzcheck.h"

#include "app/codepage.h"
#include "console/mscomm.h"
#include "console/terminaltext.h"

namespace {

constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';

// What an arrival puts in holds its line ends as CR LF pairs only, and no backspace.
void checkShown(const QString &shown)
{
    FUZZ_CHECK(!shown.contains(u'\b'));
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (shown.at(i) == kCr)
            FUZZ_CHECK(i + 1 < shown.size() && shown.at(i + 1) == kLf);
        if (shown.at(i) == kLf)
            FUZZ_CHECK(i > 0 && shown.at(i - 1) == kCr);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray input = Fuzz::bytes(data, size);
    const QByteArray stream = input.mid(1);
    Fuzz::Draw draw(input);

    // Half the time the box is nearly full already (what it holds may be
    // anything: the user can edit it), so that arrivals meet the cap. Its
    // shown form is put together from the shown form of the repeated unit,
    // which ends in a CR LF pair, so that each input costs less.
    TerminalText term;
    QString shownForm;
    const bool nearCap = data[0] & 0x80;
    if (nearCap) {
        const QString unit = Cp950::toUnicode(stream) + QStringLiteral("\r\n");
        const QString unitShown = TerminalText::toDisplay(unit);
        const qsizetype length = TerminalText::kCapChars - 1500 + draw.below(3000);
        QString start;
        start.reserve(length + unit.size());
        while (start.size() + unit.size() <= length) {
            start += unit;
            shownForm += unitShown;
        }
        const QString last = unit.left(length - start.size());
        start += last;
        shownForm += TerminalText::toDisplay(last);
        term.setText(start);
    }

    // The largest arrival: the input buffer and a held-back lead byte, each
    // character doubled at most (CR becomes CR LF).
    constexpr qsizetype kMaxArrivalChars = 2 * (MSComm::kInBufferSize + 1);
    constexpr qsizetype kTail = 512;
    Cp950::Decoder decoder;
    bool dropped = false;
    bool backspaced = false;
    const QList<QByteArray> pieces = Fuzz::pieces(stream, draw, MSComm::kInBufferSize);
    for (qsizetype n = 0; n <= pieces.size(); ++n) {
        const QString text = n < pieces.size() ? decoder.decode(pieces.at(n)) : decoder.flush();
        backspaced = backspaced || text.contains(u'\b');
        // The whole text before is kept where the arrival drops its start or
        // where it is short; otherwise its end, since copying it each time
        // would cost more than the rules themselves.
        const qsizetype beforeSize = term.length();
        const qsizetype drop = beforeSize > TerminalText::kCapChars ? TerminalText::kDropChars : 0;
        const bool fullCopy = drop > 0 || beforeSize <= kTail;
        const QString before = fullCopy ? term.text() : term.text().right(kTail);
        const qsizetype beforeStart = fullCopy ? 0 : beforeSize - kTail;
        TerminalText::DisplayEdit edit;
        const QString shown = term.showData(text, &edit);
        const QString &after = term.text();
        checkShown(shown);
        FUZZ_CHECK(shown.size() <= 2 * text.size());

        // The text only loses its oldest characters at the cap and, to a
        // leading backspace, its last one; nothing else changes, nothing is lost.
        const qsizetype kept = after.size() - shown.size();
        FUZZ_CHECK(kept == beforeSize - drop || (kept == beforeSize - drop - 1 && text.contains(u'\b')));
        const qsizetype from = qMax(drop, beforeStart);
        FUZZ_CHECK(QStringView(after).mid(from - drop, kept - (from - drop))
                   == QStringView(before).mid(from - beforeStart, kept - (from - drop)));
        FUZZ_CHECK(QStringView(after).mid(kept) == shown);
        FUZZ_CHECK(after.size() <= TerminalText::kCapChars + kMaxArrivalChars);
        FUZZ_CHECK(after.size() <= qMax(beforeSize, TerminalText::kCapChars) + shown.size());

        // The box's edit stays inside what it shows and shows the text.
        FUZZ_CHECK(edit.dropFront >= 0 && edit.dropFront <= shownForm.size());
        FUZZ_CHECK(edit.dropBack >= 0 && edit.dropBack <= shownForm.size() - edit.dropFront + edit.prepend.size());
        TerminalText::applyEdit(shownForm, edit);
        if (n == pieces.size() || after.size() <= kTail)
            FUZZ_CHECK(shownForm == TerminalText::toDisplay(after));
        dropped = dropped || drop > 0;
    }
    // Decoded text holds no character that the shown form uses as a mark
    // (the length of the text does not matter to this).
    if (!nearCap)
        FUZZ_CHECK(TerminalText::fromDisplay(shownForm) == term.text());

    // Without backspaces and the cap, where the arrivals were cut does not matter.
    if (!nearCap && !dropped && !backspaced) {
        TerminalText whole;
        whole.showData(Cp950::toUnicode(stream));
        FUZZ_CHECK(whole.text() == term.text());
    }
    return 0;
}
