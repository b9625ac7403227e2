#include "app/codepage.h"
#include "netclient/commdata.h"
#include "netclient/portdecoder.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// Bytes as a device port sends them: text, line ends, Chinese in code page
// 950, and stray bytes of 0x80 and up that may or may not pair.
QByteArray randomBytes(QRandomGenerator &rng, int maxLength)
{
    static const QByteArray chinese = Cp950::fromUnicode(QStringLiteral("設定完成，連線正常"));
    QByteArray out;
    const int n = rng.bounded(maxLength + 1);
    while (out.size() < n) {
        switch (rng.bounded(6)) {
        case 0:
            out += "\r\n";
            break;
        case 1:
            out += rng.bounded(2) ? '\r' : '\n';
            break;
        case 2: {
            const int i = rng.bounded(int(chinese.size() / 2)) * 2;
            out += chinese.mid(i, 2);
            break;
        }
        case 3:
            out += char(0x80 + rng.bounded(0x80));
            break;
        default:
            out += char(rng.bounded(2) ? 'a' + rng.bounded(26) : 0x20 + rng.bounded(0x20));
        }
    }
    return out;
}

} // namespace

// What arrives on a data connection, decoded: the receive buffer ends up the
// same whether every arrival is decoded whole or only the end of a large one.
class TstPortDecoder : public QObject
{
    Q_OBJECT

private slots:
    void bufferAsIfDecodedWhole()
    {
        QRandomGenerator rng(1314);
        int cuts = 0;
        for (int round = 0; round < 400; ++round) {
            const qsizetype keep = rng.bounded(1, 40);
            PortDecoder ours;
            Cp950::Decoder whole;
            CommData::BoundedText ourBuffer(keep);
            CommData::BoundedText wholeBuffer(keep);
            for (int step = 0; step < 10; ++step) {
                // Now and then far more than the buffer keeps.
                const QByteArray arrival = randomBytes(rng, rng.bounded(4) ? 12 : int(keep) * 12);
                const QString text = ours.decode(arrival, keep);
                const QString all = whole.decode(arrival);
                if (text.size() != all.size())
                    ++cuts;
                QVERIFY(all.endsWith(text));
                ourBuffer.append(CommData::receivedText(text));
                wholeBuffer.append(CommData::receivedText(all));
                QCOMPARE(ourBuffer.toString(), wholeBuffer.toString());
            }
        }
        QVERIFY2(cuts > 100, "large arrivals are cut");
    }

    void cutPlace_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("place");
        QTest::newRow("after a blank") << QByteArray("ab cd") << 0 << 3;
        QTest::newRow("not after CR") << QByteArray("ab\r\ncd") << 0 << 4;
        QTest::newRow("from a place on") << QByteArray("a b c") << 2 << 4;
        QTest::newRow("second bytes only") << QByteArray("\xA4\x40\xA4\x41") << 0 << -1;
        QTest::newRow("digit after a lead byte") << QByteArray("\xA4\x31x") << 0 << 2;
    }
    void cutPlace()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, from);
        QFETCH(int, place);
        QCOMPARE(PortDecoder::cutPlace(bytes, from), qsizetype(place));
    }
};

QTEST_GUILESS_MAIN(TstPortDecoder)
#include "tst_portdecoder.moc"
