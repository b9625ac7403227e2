#include "netclient/commdata.h"
#include "tests/support/randomtext.h"

#include <QRandomGenerator>
#include <QTest>

using namespace CommData;

namespace {

// A receive box and its hex view as a window keeps them, changed only by
// the updates that CommBuffers hands out.
struct Box
{
    QString text;
    QString hex;

    void apply(const CommBuffers::BoxUpdate &u)
    {
        if (u.replace) {
            text = u.text;
            hex = u.hexText();
            return;
        }
        QVERIFY2(u.dropped <= text.size(), "drops no more than the box holds");
        text.remove(0, u.dropped);
        text += u.text;
        hex.remove(0, u.hexDropped());
        hex += u.hexText();
    }
};

QString randomArrival(QRandomGenerator &rng, int maxLength)
{
    static const char16_t pool[] = {u'a', u'b', u'\r', u'\n', u'\u4E2D', u'\xD83D', u'\xDE00'};
    return randomText(rng, pool, maxLength);
}

} // namespace

// The data connections: what a send puts on the wire, what an arrival adds to
// its port's bounded buffer, and the box updates and hex views that follow.
// (The window's test follows arrivals on the selected and other ports.)
class TstCommData : public QObject
{
    Q_OBJECT

private slots:
    void hexView_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("hex");
        QTest::newRow("empty") << "" << "";
        QTest::newRow("digit") << "0" << "30.";
        QTest::newRow("line end") << "AB\r" << "41.42.0D.";
        QTest::newRow("NUL and 255") << (QString(QChar(0)) + QChar(0xFF)) << "00.FF.";
        QTest::newRow("double-byte: low byte") << QStringLiteral("中") << "2D.";
        QTest::newRow("surrogate pair") << QStringLiteral("\U0001F600") << "3D.00.";
    }
    void hexView()
    {
        QFETCH(QString, text);
        QTEST(HexView(text), "hex");
    }

    // Text, then the checksum digits when on, then the terminator.
    void dataSend_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("terminator");
        QTest::addColumn<bool>("checksum");
        QTest::addColumn<QString>("wire");
        QTest::newRow("CR_LF off") << "abc" << int(CR_LF) << false << "abc\r\n";
        QTest::newRow("CR_LF on") << "abc" << int(CR_LF) << true << "abc26\r\n";
        QTest::newRow("CS_CR off") << "abc" << int(CS_CR) << false << "abc\r";
        QTest::newRow("CS_CR on") << "abc" << int(CS_CR) << true << "abc26\r";
        QTest::newRow("None") << "abc" << int(None) << false << "abc";
        QTest::newRow("CR") << "abc" << int(CR) << false << "abc\r";
        QTest::newRow("LF") << "abc" << int(LF) << false << "abc\n";
        QTest::newRow("LF_CR") << "abc" << int(LF_CR) << false << "abc\n\r";
        QTest::newRow("one-digit checksum") << "\t" << int(None) << true << "\t9";
        QTest::newRow("empty sends nothing") << "" << int(CR) << true << "";
        QTest::newRow("index past the options") << "abc" << 6 << false << "abc";
        QTest::newRow("negative index") << "abc" << -1 << false << "abc";
    }
    void dataSend()
    {
        QFETCH(QString, text);
        QFETCH(int, terminator);
        QFETCH(bool, checksum);
        QTEST(dataSendText(text, terminator, checksum), "wire");
    }

    // Every CR LF pair of one arrival goes; lone ones and split pairs stay.
    void receivedText_data()
    {
        QTest::addColumn<QString>("arrival");
        QTest::addColumn<QString>("added");
        QTest::newRow("pairs") << "OK\r\nnext\r\n" << "OKnext";
        QTest::newRow("lone CR") << "A\rB" << "A\rB";
        QTest::newRow("LF CR is no pair") << "\n\r" << "\n\r";
        QTest::newRow("one pass") << "\r\r\n\n" << "\r\n";
        QTest::newRow("pair only") << "\r\n" << "";
    }
    void receivedText()
    {
        QFETCH(QString, arrival);
        QFETCH(QString, added);
        QCOMPARE(CommData::receivedText(arrival), added);
        CommBuffers buffers;
        buffers.receive(1, arrival, 0);
        QCOMPARE(buffers.buffer(1), QStringView(added));
    }

    // Each arrival is a whole message: a pair split between two stays.
    void pairSplitBetweenArrivalsStays()
    {
        CommBuffers buffers;
        buffers.receive(0, QStringLiteral("a\r"), 0);
        buffers.receive(0, QStringLiteral("\nb"), 0);
        QCOMPARE(buffers.buffer(0), u"a\r\nb");
    }

    // The text keeps the latest limit characters whatever the pieces, and
    // each change says exactly what went at the front and came at the end.
    void boundedText_data()
    {
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("maxPiece");
        QTest::newRow("small pieces") << 64 << 5;
        QTest::newRow("pieces near the limit") << 64 << 70;
        QTest::newRow("pieces past the limit") << 16 << 200;
        QTest::newRow("limit 1") << 1 << 3;
    }
    void boundedText()
    {
        QFETCH(int, limit);
        QFETCH(int, maxPiece);
        QRandomGenerator rng(uint(limit * 1000 + maxPiece));
        BoundedText t(limit);
        QString all;
        QString mirror;
        for (int i = 0; i < 3000; ++i) {
            const QString piece = randomArrival(rng, maxPiece);
            all += piece;
            const BoundedText::Change c = t.append(piece);
            mirror.remove(0, c.dropped);
            mirror += c.appended;
            QCOMPARE(t.view(), QStringView(mirror));
            QVERIFY(t.size() <= limit);
            QVERIFY2(all.endsWith(t.view()), "the latest characters stay");
            // Short of the limit only by a surrogate pair that it would split.
            const qsizetype kept = all.size() - t.size();
            QVERIFY(t.size() == std::min<qsizetype>(limit, all.size())
                    || (t.size() == limit - 1 && kept >= 2 && all.at(kept - 2).isHighSurrogate()
                        && all.at(kept - 1).isLowSurrogate()));
            QVERIFY(kept == 0 || t.isEmpty() || !all.at(kept - 1).isHighSurrogate()
                    || !all.at(kept).isLowSurrogate());
        }
        t.clear();
        QVERIFY(t.isEmpty());
    }

    // After a first arrival the box gets only what is new; indexes that are
    // no port are ignored.
    void updatesAndPortsOutOfRange()
    {
        CommBuffers b;
        b.receive(0, QStringLiteral("OK\r\nne"), 0);
        const auto u = b.receive(0, QStringLiteral("xt\r\n"), 0);
        QVERIFY(u && !u->replace && u->text == QStringLiteral("xt"));
        QVERIFY(!b.receive(8, QStringLiteral("x"), 8));
        QVERIFY(!b.receive(-1, QStringLiteral("x"), -1));
        b.clear(9);
        QVERIFY(b.buffer(-1).isEmpty());
    }

    // Whatever the order of arrivals, switches, clears and box changes, the
    // box and its hex view mirror the selected buffer after each arrival on
    // it, every buffer stays within its bound, and a mirrored box gets no
    // more than the arrival.
    void boxMirrorsTheSelectedBuffer()
    {
        QRandomGenerator rng(8);
        CommBuffers b;
        Box box;
        int selected = 0;
        for (int i = 0; i < 4000; ++i) {
            const int action = rng.bounded(100);
            if (action < 3) {
                selected = rng.bounded(CommBuffers::kPorts);
                box = Box();
                b.boxChanged();
            } else if (action < 5) {
                b.clear(rng.bounded(CommBuffers::kPorts));
            } else {
                const int port = rng.bounded(100) < 70 ? selected : rng.bounded(CommBuffers::kPorts);
                const bool big = rng.bounded(100) == 0;
                const QString arrival = randomArrival(rng, big ? 70000 : 3000);
                const auto u = b.receive(port, arrival, selected);
                QCOMPARE(u.has_value(), port == selected);
                if (!u)
                    continue;
                QVERIFY(u->replace || u->text.size() <= arrival.size());
                box.apply(*u);
                QCOMPARE(QStringView(box.text), b.buffer(selected));
                QCOMPARE(box.hex, HexView(box.text));
            }
            for (int p = 0; p < CommBuffers::kPorts; ++p)
                QVERIFY(b.buffer(p).size() <= CommBuffers::kBufferChars);
        }
    }
};

QTEST_GUILESS_MAIN(TstCommData)
#include "tst_commdata.moc"
