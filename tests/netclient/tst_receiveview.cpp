#include "netclient/commdata.h"
#include "netclient/receiveview.h"
#include "netclient/textrows.h"
#include "tests/support/randomtext.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>

namespace {

constexpr QChar kRowEnd(TextRows::kRowEnd);

// The document that rows of width give for text, built the plain way: every
// CR and LF a row end, and a row end of the view's own after width characters
// unless a row end follows anyway or a surrogate pair would be cut.
QString plainLayout(const QString &text, int width)
{
    QString out;
    int inRow = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            out += kRowEnd;
            inRow = 0;
            continue;
        }
        const bool pair = c.isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate();
        if (width > 0 && inRow >= width && !pair) {
            out += kRowEnd;
            inRow = 0;
        }
        out += c;
        ++inRow;
    }
    return out;
}

QString randomPiece(QRandomGenerator &rng, int maxLength)
{
    static const char16_t pool[] = {u'a', u'b', u'c', u'\r', u'\n', u'\u4E2D', u'\xD83D', u'\xDE00'};
    return randomText(rng, pool, maxLength);
}

bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

// What a box shows, its rows joined back: the text without its CR and LF.
QString shownJoined(const QPlainTextEdit &box)
{
    return box.document()->toRawText().remove(kRowEnd);
}

} // namespace

// The rows in which a receive box shows a long text, and the box itself: it
// follows appends and front drops in place, shows the text, copies it exactly,
// and keeps its hex view in step.
class TstReceiveView : public QObject
{
    Q_OBJECT

private slots:
    // Appending in pieces and dropping at the front give the same document
    // as laying the remaining text out whole (up to the first row, which a
    // drop may shorten); the document keeps one place per character.
    void rowsFollowAppendsAndDrops()
    {
        QRandomGenerator rng(1314);
        for (int round = 0; round < 300; ++round) {
            const int width = rng.bounded(0, 9);
            TextRows rows(width);
            QString text;
            QString document;
            for (int step = 0; step < 12; ++step) {
                const QString piece = randomPiece(rng, 12);
                text += piece;
                document += rows.append(piece);
                if (rng.bounded(3) == 0) {
                    qsizetype n = rng.bounded(int(text.size()) + 1);
                    // Drops never cut a surrogate pair, as the buffers drop.
                    if (n > 0 && n < text.size() && text.at(n).isLowSurrogate())
                        ++n;
                    const qsizetype places = rows.dropFront(n);
                    text.remove(0, n);
                    document.remove(0, places);
                }
                QCOMPARE(rows.textSize(), text.size());
                QCOMPARE(rows.documentSize(), document.size());
                QString joined = document;
                joined.remove(kRowEnd);
                QString plain = text;
                plain.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
                QCOMPARE(joined, plain);
            }
            // Laid out whole, with no drop before: the plain layout.
            TextRows whole;
            QCOMPARE(whole.reset(text, width), plainLayout(text, width));
            // Every place of the document stands for its character of the text.
            for (qsizetype p = 0; p < document.size(); ++p) {
                const qsizetype t = rows.textOffset(p);
                if (document.at(p) != kRowEnd)
                    QCOMPARE(text.at(t), document.at(p));
                else if (t < text.size() && isLineEnd(text.at(t)))
                    continue; // the row end of a CR or LF
                else // a row end of the view's own, after a row that is cut
                    QVERIFY(t > 0 && !isLineEnd(text.at(t - 1)));
            }
            QCOMPARE(rows.textOffset(document.size()), text.size());
        }
    }

    void rowEndsAtTheWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("rows"); // row ends as "|"
        QTest::newRow("cut") << 3 << "abcdefg" << "abc|def|g";
        QTest::newRow("full row then CR") << 3 << "abc\rde" << "abc|de";
        QTest::newRow("lone LF") << 0 << "a\nb" << "a|b";
        QTest::newRow("pair kept whole") << 2 << QStringLiteral("a\U0001F600b") << QStringLiteral("a\U0001F600|b");
    }
    void rowEndsAtTheWidth()
    {
        QFETCH(int, width);
        QFETCH(QString, text);
        TextRows r(width);
        QTEST(r.append(text).replace(kRowEnd, QLatin1Char('|')), "rows");
    }

    // The box shows what it was given, catches up in place, copies the text
    // itself, and its follower shows the hex view of the same text.
    void boxFollowsItsText()
    {
        ReceiveView box;
        ReceiveView hex;
        box.resize(200, 120);
        hex.resize(200, 120);
        hex.setRowMultiple(3);
        box.setMaximumChars(64);
        hex.setMaximumChars(64 * 3);
        box.setFollower(&hex, [](QStringView s) { return CommData::HexView(s); }, 3);
        box.show();
        hex.show();

        QRandomGenerator rng(46);
        QString text;
        for (int step = 0; step < 200; ++step) {
            const QString piece = randomPiece(rng, 20);
            const qsizetype drop = std::max<qsizetype>(text.size() + piece.size() - 64, 0);
            text += piece;
            text.remove(0, drop);
            box.dropFront(drop);
            box.append(piece);
            if (rng.bounded(4) == 0) {
                text = randomPiece(rng, 30);
                box.setText(text);
            }
            QCOMPARE(box.text(), text);
            if (rng.bounded(5) == 0) {
                box.refresh();
                QVERIFY(box.isUpToDate() && hex.isUpToDate());
                QCOMPARE(shownJoined(box), QString(text).remove(u'\r').remove(u'\n'));
                QCOMPARE(hex.text(), CommData::HexView(text));
                QCOMPARE(shownJoined(hex), hex.text());
            }
        }
        // Without a refresh by hand, the box catches up by itself.
        box.append(u"tail");
        QTRY_VERIFY(box.isUpToDate());
        QTRY_VERIFY(hex.text().endsWith(CommData::HexView(u"tail")));

        // A copy of the whole box gives the text, CR and LF included.
        box.setText(QStringLiteral("line one\r\nline two that is long enough to wrap in the box\rend"));
        box.refresh();
        box.selectAll();
        box.copy();
        QCOMPARE(QApplication::clipboard()->text(), box.text());
        // A part of it: from the second character to the tenth.
        QTextCursor c = box.textCursor();
        c.setPosition(1);
        c.setPosition(10, QTextCursor::KeepAnchor);
        box.setTextCursor(c);
        box.copy();
        QCOMPARE(QApplication::clipboard()->text(), box.text().mid(1, 9));
    }

    // A box scrolled to its end stays there as data comes; its text keeps
    // its bound even when given more.
    void followsTheEndWithinItsBound()
    {
        ReceiveView box;
        box.resize(200, 60);
        box.setMaximumChars(500);
        box.show();
        for (int i = 0; i < 100; ++i)
            box.append(QStringLiteral("row %1\n").arg(i));
        box.refresh();
        QVERIFY(box.size() <= 500);
        QVERIFY(box.text().endsWith(QStringLiteral("row 99\n")));
        QScrollBar *bar = box.verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        // Scrolled up by the user: it stays where it is.
        bar->setValue(0);
        box.append(u"more\n");
        box.refresh();
        QCOMPARE(bar->value(), 0);
    }
};

QTEST_MAIN(TstReceiveView)
#include "tst_receiveview.moc"
