// The rows in which the network client's receive box shows a long text: any
// text appended in any pieces, dropped at the front, laid out anew at
// another width. The document that the returned changes build holds every
// character of the text once, in rows no wider than the width, and each of
// its places maps back to its place in the text.
//
// Input: the first width, then operations. An operation byte's low three bits
// say what (0, 1, 5, 6: append the next n characters, n its upper five bits;
// 2, 7: drop n times 1 to 4 (the next byte) characters; 3: lay out anew at
// the width its upper bits give; 4: clear).

#include "fuzz/fuzzcheck.h"
#include "fuzz/fuzztext.h"

#include "netclient/textrows.h"

#include <algorithm>
#include <vector>

namespace {

constexpr QChar kRowEnd(TextRows::kRowEnd);

bool endsRow(QChar c)
{
    return c == u'\r' || c == u'\n' || c == kRowEnd || c == QChar(0xFDD0) || c == QChar(0xFDD1);
}

// The widths a view may have; 0 and below: no row ends of its own.
int widthOf(unsigned char b)
{
    return b % 24 - 2;
}

// The text's characters in the document, in order: every character that
// ends a row as a row end; and the view's own row ends between them, each
// before a character that ends no row, after a row of at least width
// characters, never between the halves of a surrogate pair.
void checkDocument(const TextRows &rows, const QString &text, const QString &document,
                   bool laidOutWhole, Fuzz::Draw &draw)
{
    FUZZ_CHECK(rows.textSize() == text.size());
    FUZZ_CHECK(rows.documentSize() == document.size());
    const int width = rows.width();
    // Plain pointers: the range-checked at() would cost more than the unit.
    const QChar *doc = document.constData();
    const QChar *txt = text.constData();
    std::vector<qsizetype> textPlace(size_t(document.size()) + 1);
    qsizetype t = 0;
    qsizetype inRow = 0;
    bool firstRow = true;
    for (qsizetype d = 0; d < document.size(); ++d) {
        const QChar c = doc[d];
        const bool matches = t < text.size() && (endsRow(txt[t]) ? c == kRowEnd : c == txt[t]);
        textPlace[size_t(d)] = t;
        if (matches) {
            ++t;
            if (c == kRowEnd) {
                inRow = 0;
                firstRow = false;
            } else {
                ++inRow;
            }
            continue;
        }
        // One of the view's own, which only a view with a width puts in.
        FUZZ_CHECK(c == kRowEnd && width > 0);
        FUZZ_CHECK(t < text.size() && !endsRow(txt[t]));
        FUZZ_CHECK(t == 0 || !(txt[t - 1].isHighSurrogate() && txt[t].isLowSurrogate()));
        // A front drop may have shortened the first row.
        FUZZ_CHECK(inRow >= width || firstRow);
        FUZZ_CHECK(!laidOutWhole || inRow == width
                   || (inRow == width + 1 && txt[t - 1].isLowSurrogate()));
        inRow = 0;
        firstRow = false;
    }
    FUZZ_CHECK(t == text.size());
    textPlace[size_t(document.size())] = text.size();

    // No row is wider than the width, but for a surrogate pair that ends it.
    if (width > 0) {
        qsizetype run = 0;
        for (qsizetype d = 0; d < document.size(); ++d) {
            if (doc[d] == kRowEnd) {
                run = 0;
                continue;
            }
            ++run;
            FUZZ_CHECK(run <= width
                       || (run == width + 1 && doc[d].isLowSurrogate() && doc[d - 1].isHighSurrogate()));
        }
    }

    // Each place of the document maps to the place of its character in the
    // text; a row end of the view's own to the place after its row. (A
    // mapping costs the rows: every place only in short documents.)
    FUZZ_CHECK(rows.textOffset(-1) == 0);
    FUZZ_CHECK(rows.textOffset(document.size() + 1) == text.size());
    if (document.size() <= 64) {
        for (qsizetype d = 0; d <= document.size(); ++d)
            FUZZ_CHECK(rows.textOffset(d) == textPlace[size_t(d)]);
    } else {
        for (int i = 0; i < 4; ++i) {
            const qsizetype d = draw.below(document.size() + 1);
            FUZZ_CHECK(rows.textOffset(d) == textPlace[size_t(d)]);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(data, qsizetype(size));
    qsizetype at = 0;
    const auto byte = [&] { return at < input.size() ? static_cast<unsigned char>(input[at++]) : 0; };

    Fuzz::Draw draw(Fuzz::bytes(data, size));
    TextRows rows(widthOf(byte()));
    QString text;
    QString document;
    // Since the last layout of the whole text, no front drop.
    bool laidOutWhole = true;
    int ops = 0;
    while (at < input.size()) {
        const unsigned char op = byte();
        switch (op & 7) {
        case 0:
        case 1:
        case 5:
        case 6: {
            // One arrival's characters.
            const qsizetype n = std::min<qsizetype>(op >> 3, input.size() - at);
            const QString piece = Fuzz::textOf(input.sliced(at, n));
            at += n;
            document += rows.append(piece);
            text += piece;
            break;
        }
        case 2:
        case 7: {
            // The buffer's bound drops the oldest characters (at most all).
            const qsizetype chars = (op >> 3) * (1 + byte() % 4);
            const qsizetype places = rows.dropFront(chars);
            FUZZ_CHECK(places >= 0 && places <= document.size());
            document.remove(0, places);
            text.remove(0, std::min(chars, text.size()));
            laidOutWhole = laidOutWhole && chars == 0;
            break;
        }
        case 3:
            // A resize lays the text out anew at the new width.
            document = rows.reset(text, widthOf(op >> 3));
            laidOutWhole = true;
            break;
        case 4:
            rows.clear();
            text.clear();
            document.clear();
            laidOutWhole = true;
            break;
        }
        // Each change in a short document, now and then in a long one.
        if (document.size() <= 128 || ++ops % 64 == 0)
            checkDocument(rows, text, document, laidOutWhole, draw);
        else
            FUZZ_CHECK(rows.textSize() == text.size() && rows.documentSize() == document.size());
    }
    checkDocument(rows, text, document, laidOutWhole, draw);
    // Appended in pieces or laid out whole, the document is the same.
    if (laidOutWhole) {
        TextRows whole;
        FUZZ_CHECK(whole.reset(text, rows.width()) == document);
    }
    return 0;
}
