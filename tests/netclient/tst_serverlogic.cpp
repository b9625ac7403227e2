#include "netclient/serverlogic.h"

#include <QTest>

using namespace ServerLogic;

class TstServerLogic : public QObject
{
    Q_OBJECT

private slots:
    void portBox_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port"); // -1: refused
        QTest::newRow("design") << "1000" << 1000;
        QTest::newRow("lowest") << "0" << 0;
        QTest::newRow("highest") << "65535" << 65535;
        QTest::newRow("blanks around") << " 1001\t" << 1001;
        QTest::newRow("leading zeros") << "0000000000001000" << 1000;
        QTest::newRow("one past") << "65536" << -1;
        QTest::newRow("beyond 32 bits") << "4294968296" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("plus") << "+1000" << -1;
        QTest::newRow("fraction") << "1000.5" << -1;
        QTest::newRow("blank inside") << "10 00" << -1;
        QTest::newRow("other digits") << QString::fromUtf8("１０００") << -1;
    }
    void portBox()
    {
        QFETCH(QString, text);
        QFETCH(int, port);
        const std::optional<int> got = portFromText(text);
        QCOMPARE(got.value_or(-1), port);
        if (port < 0)
            QVERIFY(badPortText(text).contains(QStringLiteral("0 to 65535")));
    }

    void basePortFromOutside_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("problem");
        QTest::newRow("unset") << QByteArray() << 1000 << false;
        QTest::newRow("high") << QByteArray("23000") << 23000 << false;
        QTest::newRow("last that fits") << QByteArray("65527") << 65527 << false;
        QTest::newRow("data ports past 65535") << QByteArray("65528") << 1000 << true;
        QTest::newRow("zero") << QByteArray("0") << 1000 << true;
        QTest::newRow("not a number") << QByteArray("abc") << 1000 << true;
        QTest::newRow("placeholders in the value") << QByteArray("%0 %1%3") << 1000 << true;
    }
    void basePortFromOutside()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, problem);
        const BasePort base = basePortFrom(value);
        QTEST(base.port, "port");
        QCOMPARE(!base.problem.isEmpty(), problem);
        if (problem)
            QVERIFY2(base.problem.contains(QString::fromLatin1(kBasePortVariable))
                         && base.problem.contains(QString::fromLatin1(value)),
                     qPrintable(base.problem));
    }

    void listenFailuresNamePortsAndReasons_data()
    {
        const QString inUse = QStringLiteral("The bound address is already in use");
        const QString protectedAddress = QStringLiteral("The address is protected");
        QTest::addColumn<QList<ListenFailure>>("failures");
        QTest::addColumn<QString>("text");
        QTest::newRow("one port") << QList<ListenFailure>{{23003, inUse}}
                                  << "Cannot listen on port 23003: " + inUse + ".";
        QList<ListenFailure> all;
        for (int port = 1000; port <= 1008; ++port)
            all << ListenFailure{port, protectedAddress};
        QTest::newRow("all nine, no right to bind")
            << all << "Cannot listen on ports 1000 to 1008: " + protectedAddress
                          + ".\nPorts below 1024 may need administrator rights.";
        QTest::newRow("two reasons, runs and single ports")
            << QList<ListenFailure>{{21001, inUse}, {21002, inUse}, {21000, QString()},
                                    {21004, inUse}, {21005, inUse}, {21006, inUse}, {21008, inUse}}
            << "Cannot listen on ports 21001, 21002, 21004 to 21006 and 21008: " + inUse
                   + ".\nCannot listen on port 21000: no reason given.";
    }
    void listenFailuresNamePortsAndReasons()
    {
        QFETCH(QList<ListenFailure>, failures);
        QTEST(listenFailureText(failures), "text");
    }

    // A block is shown as text, a double-byte character split between two
    // blocks whole in the second, and a huge block by its end only.
    void shownTextOfBlocks()
    {
        Cp950::Decoder decoder;
        const QByteArray chinese = Cp950::fromUnicode(QStringLiteral("中文"));
        QCOMPARE(shownText(decoder, "ab" + chinese.left(3)), QStringLiteral("ab中"));
        QCOMPARE(shownText(decoder, chinese.mid(3) + "\r\n"), QStringLiteral("文\r\n"));

        const QByteArray huge = QByteArray(kShownMaxChars * 3, 'x') + "end";
        const QString shown = shownText(decoder, huge);
        QCOMPARE(shown.size(), kShownMaxChars);
        QVERIFY(shown.endsWith(QStringLiteral("xend")));
    }
};

QTEST_GUILESS_MAIN(TstServerLogic)
#include "tst_serverlogic.moc"
