#include "console/consoleguard.h"
#include "console/linesettings.h"
#include "console/mscomm.h"
#include "console/terminallogic.h"

#include <QSignalSpy>
#include <QTest>

using namespace TerminalLogic;

class TstConsoleLogic : public QObject
{
    Q_OBJECT

private slots:
    void lineSettings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("canonical"); // empty: refused
        QTest::newRow("usual") << QStringLiteral("57600,n,8,1") << QStringLiteral("57600,n,8,1");
        QTest::newRow("upper case, blanks") << QStringLiteral(" 9600 , E , 7 , 2 ")
                                            << QStringLiteral("9600,e,7,2");
        QTest::newRow("odd, one and a half") << QStringLiteral("1200,o,5,1.5")
                                             << QStringLiteral("1200,o,5,1.5");
        QTest::newRow("word") << QStringLiteral("fast") << QString();
        QTest::newRow("three fields") << QStringLiteral("57600,n,8") << QString();
        QTest::newRow("zero baud") << QStringLiteral("0,n,8,1") << QString();
        QTest::newRow("huge baud") << QStringLiteral("99999999,n,8,1") << QString();
        QTest::newRow("bad parity") << QStringLiteral("57600,x,8,1") << QString();
        QTest::newRow("nine data bits") << QStringLiteral("57600,n,9,1") << QString();
        QTest::newRow("three stop bits") << QStringLiteral("57600,n,8,3") << QString();
    }
    void lineSettings()
    {
        QFETCH(QString, text);
        QFETCH(QString, canonical);
        QString error;
        const auto s = LineSettings::parse(text, &error);
        if (canonical.isEmpty()) {
            QVERIFY(!s);
            // The user is told what was wrong and what is expected.
            QVERIFY2(error.contains(QStringLiteral("\"%1\"").arg(text)), qPrintable(error));
            QVERIFY2(error.contains(QStringLiteral("57600,n,8,1")), qPrintable(error));
        } else {
            QVERIFY2(s, qPrintable(error));
            QCOMPARE(s->text(), canonical);
        }
    }

    void savedSettingConversions()
    {
        QCOMPARE(toInt16(QStringLiteral("3")), std::optional<qint16>(3));
        QCOMPARE(toInt16(QStringLiteral(" -2 ")), std::optional<qint16>(-2));
        QVERIFY(!toInt16(QStringLiteral("40000")));
        QVERIFY(!toInt16(QStringLiteral("COM3")));
        QCOMPARE(toInt32(QStringLiteral("2")), std::optional<qint32>(2));
        QVERIFY(!toInt32(QStringLiteral("3000000000")));
        QVERIFY(!toInt32(QStringLiteral("2.5")));
        QVERIFY(!toInt32(QString()));
        QCOMPARE(toBool(QStringLiteral("True")), std::optional<bool>(true));
        QCOMPARE(toBool(QStringLiteral("FALSE")), std::optional<bool>(false));
        QCOMPARE(toBool(QStringLiteral("-1")), std::optional<bool>(true));
        QCOMPARE(toBool(QStringLiteral("0")), std::optional<bool>(false));
        QVERIFY(!toBool(QStringLiteral("yes")));
    }

    void connectClock_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("shown");
        QTest::newRow("start") << qint64(0) << QStringLiteral("00:00:00 ");
        QTest::newRow("hours") << qint64(10 * 3600 + 59 * 60 + 59) << QStringLiteral("10:59:59 ");
        QTest::newRow("just below a day") << qint64(86399) << QStringLiteral("23:59:59 ");
        QTest::newRow("after a day, again from zero") << qint64(86400 + 3661)
                                                      << QStringLiteral("01:01:01 ");
    }
    void connectClock()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, shown);
        QCOMPARE(connectTime(seconds), shown);
    }

    void eventTexts()
    {
        using K = CommEventText::Kind;
        QCOMPARE(commEventText(MSComm::comEvReceive).kind, K::None);
        QCOMPARE(commEventText(MSComm::comEvSend).kind, K::None);
        QCOMPARE(commEventText(MSComm::comEvCTS).text, QStringLiteral("偵測到 CTS 變更"));
        QCOMPARE(commEventText(MSComm::comEventFrame).text, QStringLiteral("訊框(framing)錯誤"));
        QCOMPARE(commEventText(MSComm::comEventDCB).kind, K::Error);
        // 1005 has no code of its own.
        QCOMPARE(commEventText(1005).text, QStringLiteral("無法辨識的錯誤或事件"));
        QCOMPARE(commEventText(0).kind, K::Error);
    }

    void modemLineEvents_data()
    {
        using P = QSerialPort;
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::addColumn<QList<int>>("events");
        QTest::newRow("CTS on") << 0 << int(P::ClearToSendSignal) << QList<int>{MSComm::comEvCTS};
        QTest::newRow("DSR off, CD on")
            << int(P::DataSetReadySignal) << int(P::DataCarrierDetectSignal)
            << QList<int>{MSComm::comEvDSR, MSComm::comEvCD};
        QTest::newRow("ring starts") << 0 << int(P::RingIndicatorSignal)
                                     << QList<int>{MSComm::comEvRing};
        QTest::newRow("ring ends") << int(P::RingIndicatorSignal) << 0 << QList<int>{};
        QTest::newRow("own lines do not count")
            << 0 << int(P::DataTerminalReadySignal | P::RequestToSendSignal) << QList<int>{};
    }
    void modemLineEvents()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        QFETCH(QList<int>, events);
        QCOMPARE(MSComm::modemLineEvents(QSerialPort::PinoutSignals(before),
                                         QSerialPort::PinoutSignals(after)),
                 events);
    }

    void guardLetsOneExchangeRun()
    {
        ConsoleGuard guard;
        QSignalSpy refused(&guard, &ConsoleGuard::refused);
        QSignalSpy finished(&guard, &ConsoleGuard::finished);
        {
            ConsoleGuard::Scope first = guard.tryBegin();
            QVERIFY(first);
            QVERIFY(guard.isBusy());
            ConsoleGuard::Scope second = guard.tryBegin();
            QVERIFY(!second);
            QCOMPARE(refused.count(), 1);
            // Moving the scope keeps the exchange running.
            ConsoleGuard::Scope moved = std::move(first);
            QVERIFY(guard.isBusy());
            QCOMPARE(finished.count(), 0);
        }
        QVERIFY(!guard.isBusy());
        QCOMPARE(finished.count(), 1);
        ConsoleGuard::Scope again = guard.tryBegin();
        QVERIFY(again);
        again.release();
        again.release();
        QCOMPARE(finished.count(), 2);
        QVERIFY(!guard.isBusy());
    }
};

QTEST_GUILESS_MAIN(TstConsoleLogic)
#include "tst_consolelogic.moc"
