#include "app/codepage.h"

#include <QTest>

class TstCodepage : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip()
    {
        const QString text = QStringLiteral("PortView 終端機 狀態: A:\\>");
        const QByteArray bytes = Cp950::fromUnicode(text);
        QCOMPARE(bytes.mid(9, 6), QByteArray::fromHex("b2d7badd bef7"));
        QCOMPARE(Cp950::toUnicode(bytes), text);
    }

    void unmappableAndInvalidAreReplaced()
    {
        QCOMPARE(Cp950::fromUnicode(QStringLiteral("a\u00e9b")), QByteArray("a?b"));
        QCOMPARE(Cp950::toUnicode(QByteArray("A\xff" "B")), QStringLiteral("A\uFFFDB"));
        // Invisible ones too, rather than vanishing: the byte order mark and
        // a tag character (U+E0020); a lone half of a pair as well.
        QCOMPARE(Cp950::fromUnicode(QStringLiteral("\uFEFFa\U000E0020b\U000E007F")), QByteArray("?a?b?"));
        QCOMPARE(Cp950::fromUnicode(QString(QChar(0xDB40)) + "c"), QByteArray("?c"));
    }

    // A double-byte character split over two arrivals is joined, wherever
    // the split falls.
    void decoderJoinsSplitCharacters()
    {
        const QString text = QStringLiteral("設定: 57600,n,8,1 連線時間");
        const QByteArray stream = Cp950::fromUnicode(text);
        for (qsizetype cut = 0; cut <= stream.size(); ++cut) {
            Cp950::Decoder d;
            const QString head = d.decode(stream.left(cut));
            QCOMPARE(head + d.decode(stream.mid(cut)), text);
            QVERIFY(!d.hasPending());
        }
    }

    void lonePendingLeadByteIsFlushed()
    {
        Cp950::Decoder d;
        QCOMPARE(d.decode(QByteArray("x\xb2")), QStringLiteral("x"));
        QVERIFY(d.hasPending());
        QCOMPARE(d.flush(), QString(QChar(QChar::ReplacementCharacter)));
        QVERIFY(!d.hasPending());
    }
};

QTEST_GUILESS_MAIN(TstCodepage)
#include "tst_codepage.moc"
