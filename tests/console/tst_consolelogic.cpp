#include "console/consoleguard.h"
#include "console/linesettings.h"
#include "console/mscomm.h"
#include "console/terminallogic.h"

#include <QSignalSpy>
#include <QTest>

using namespace TerminalLogic;

// The terminal's setting texts and conversions, the modem-line events and the
// guard that lets one console exchange run at a time.
class TstConsoleLogic : public QObject
{
    Q_OBJECT

private slots:
    void lineSettings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("canonical"); // empty: refused
        QTest::newRow("usual") << "57600,n,8,1" << "57600,n,8,1";
        QTest::newRow("blanks, upper case") << " 9600 , E , 7 , 2 " << "9600,e,7,2";
        QTest::newRow("odd, 1.5 stop bits") << "1200,o,5,1.5" << "1200,o,5,1.5";
        for (const char *bad : {"fast", "57600,n,8", "0,n,8,1", "99999999,n,8,1", "57600,x,8,1",
                                "57600,n,9,1", "57600,n,8,3"})
            QTest::newRow(bad) << bad << "";
    }
    void lineSettings()
    {
        QFETCH(QString, text);
        QFETCH(QString, canonical);
        QString error;
        const auto s = LineSettings::parse(text, &error);
        QCOMPARE(s ? s->text() : QString(), canonical);
        // A refusal names the bad text and the expected form.
        if (!s)
            QVERIFY2(error.contains('"' + text + '"') && error.contains("57600,n,8,1"),
                     qPrintable(error));
    }

    void conversions()
    {
        QCOMPARE(toInt16(" -2 "), std::optional<qint16>(-2));
        QVERIFY(!toInt16("40000") && !toInt16("COM3"));
        QCOMPARE(toInt32("2"), std::optional<qint32>(2));
        QVERIFY(!toInt32("3000000000") && !toInt32("2.5") && !toInt32(""));
        // A NUL does not end the text: what follows it makes it no number.
        const QString nul = QStringLiteral("2") + QChar::Null + QStringLiteral("x");
        QVERIFY(!toInt16(nul) && !toInt32(nul) && !toBool(nul));
        QCOMPARE(toBool("FALSE"), std::optional<bool>(false));
        QCOMPARE(toBool("-1"), std::optional<bool>(true));
        QVERIFY(!toBool("yes"));
        // The connect clock starts again after a day.
        QCOMPARE(connectTime(10 * 3600 + 59 * 60 + 59) + connectTime(86399)
                     + connectTime(86400 + 3661),
                 "10:59:59 23:59:59 01:01:01 ");
    }

    void modemLineEvents()
    {
        using P = QSerialPort;
        auto events = [](P::PinoutSignals before, P::PinoutSignals after) {
            return MSComm::modemLineEvents(before, after);
        };
        QCOMPARE(events({}, P::ClearToSendSignal), QList<int>{MSComm::comEvCTS});
        QCOMPARE(events(P::DataSetReadySignal, P::DataCarrierDetectSignal),
                 (QList<int>{MSComm::comEvDSR, MSComm::comEvCD}));
        QCOMPARE(events({}, P::RingIndicatorSignal), QList<int>{MSComm::comEvRing});
        // Only a ring's start counts; the port's own lines never do.
        QVERIFY(events(P::RingIndicatorSignal, {}).isEmpty());
        QVERIFY(events({}, P::DataTerminalReadySignal | P::RequestToSendSignal).isEmpty());
    }

    // A moved scope holds the exchange; releasing twice ends it once.
    void guardScopes()
    {
        ConsoleGuard guard;
        QSignalSpy finished(&guard, &ConsoleGuard::finished);
        ConsoleGuard::Scope first = guard.tryBegin();
        ConsoleGuard::Scope moved = std::move(first);
        QVERIFY(moved && !first && !guard.tryBegin());
        first.release();
        QVERIFY(guard.isBusy());
        moved.release();
        moved.release();
        QVERIFY(!guard.isBusy() && finished.count() == 1);
    }
};

QTEST_GUILESS_MAIN(TstConsoleLogic)
#include "tst_consolelogic.moc"
