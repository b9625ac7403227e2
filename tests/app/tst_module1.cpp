#include "app/module1.h"
#include "app/tickcount.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

class TstModule1 : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { TickCount::setOffset(0); }

    void delayYieldsOnceForZeroOrNegative()
    {
        for (const int ms : {0, -5}) {
            bool ran = false;
            QMetaObject::invokeMethod(this, [&ran] { ran = true; }, Qt::QueuedConnection);
            Module1::Delay(ms);
            QVERIFY2(ran, "pending events are handled by a zero wait");
        }
    }

    void delayAcrossTickWrap()
    {
        // Start 30 ms before the counter wraps to 0; the wait must still be full.
        TickCount::setOffset(0u - 30u - static_cast<quint32>(TickCount::now()));
        QElapsedTimer clock;
        clock.start();
        Module1::Delay(80);
        QVERIFY2(clock.elapsed() >= 79, "a wait over the wrap-around ends early");
        QVERIFY2(TickCount::now() < 1000u, "the counter wrapped during the wait");
    }

    void nestedDelaysKeepTheirOwnStart()
    {
        QElapsedTimer clock;
        clock.start();
        qint64 innerEnd = -1;
        QTimer::singleShot(10, this, [&] {
            Module1::Delay(100);
            innerEnd = clock.elapsed();
        });
        Module1::Delay(30);
        // The outer wait cannot return before the inner one that runs inside it.
        QVERIFY(innerEnd >= 99);
        QVERIFY(clock.elapsed() >= innerEnd);
    }

    void delayReturnsWhenApplicationQuits()
    {
        QTimer::singleShot(20, [] { QCoreApplication::exit(0); });
        QElapsedTimer clock;
        clock.start();
        Module1::Delay(5000);
        QVERIFY2(clock.elapsed() < 4000, "a wait outlived the end of the program");
    }

    void appendChecksum_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("abc") << "abc" << "abc26";
        QTest::newRow("empty") << "" << "0";
        QTest::newRow("sum 9, one digit") << QString(QChar(9)) << QString(QChar(9)) + "9";
        QTest::newRow("sum 256") << QStringLiteral("\x7f\x7f\x02") << QStringLiteral("\x7f\x7f\x02") + "00";
        // 終 is B2 D7 in code page 950: only its second byte (D7 = 215) counts.
        QTest::newRow("double-byte") << QStringLiteral("終") << QStringLiteral("終D7");
        QTest::newRow("double-byte plus ascii")
            << QStringLiteral("終A") << QStringLiteral("終A") + "18";
    }
    void appendChecksum()
    {
        QFETCH(QString, text);
        QTEST(Module1::AppendChecksum(text), "expected");
    }

    void padSingleDigit()
    {
        QCOMPARE(Module1::PadSingleDigit(QStringLiteral("7\r")), QStringLiteral("07"));
        QCOMPARE(Module1::PadSingleDigit(QStringLiteral("7")), QStringLiteral("7"));
        QCOMPARE(Module1::PadSingleDigit(QString()), QString());
        QCOMPARE(Module1::PadSingleDigit(QStringLiteral("12\r")), QStringLiteral("12\r"));
    }
};

QTEST_GUILESS_MAIN(TstModule1)
#include "tst_module1.moc"
