#include "console/linesettings.h"
#include "console/mscomm.h"
#include "console/terminallogic.h"

#include <QSignalSpy>
#include <QTest>

using namespace TerminalLogic;

Q_DECLARE_METATYPE(LineErrorCounts)

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
        QTest::newRow("mark") << "2400,M,8,1" << "2400,m,8,1";
        QTest::newRow("space") << "4800,s,7,2" << "4800,s,7,2";
        for (const char *bad : {"fast", "57600,n,8", "0,n,8,1", "99999999,n,8,1", "57600,x,8,1",
                                "57600,n,9,1", "57600,n,8,3"})
            QTest::newRow(bad) << bad << "";
    }
    void lineSettings()
    {
        QFETCH(QString, text);
        QString error;
        const auto s = LineSettings::parse(text, &error);
        QTEST(s ? s->text() : QString(), "canonical");
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

    // Character keys type their character; Backspace, Tab, Enter, Escape and
    // Ctrl with a letter their control codes, whatever text the system gives;
    // Delete, arrows, function keys and modifiers type nothing.
    void keyAscii_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        const int none = Qt::NoModifier;
        const int ctrl = Qt::ControlModifier;
        QTest::newRow("a") << int(Qt::Key_A) << none << "a" << int('a');
        QTest::newRow("shift A") << int(Qt::Key_A) << int(Qt::ShiftModifier) << "A" << int('A');
        QTest::newRow("space") << int(Qt::Key_Space) << none << " " << int(' ');
        QTest::newRow("keypad 5") << int(Qt::Key_5) << int(Qt::KeypadModifier) << "5" << int('5');
        QTest::newRow("e acute") << 0xE9 << none << "\u00e9" << 0xE9;
        QTest::newRow("layout without a key code") << int(Qt::Key_unknown) << none << "x" << int('x');
        QTest::newRow("AltGr Q gives @") << int(Qt::Key_At) << int(Qt::ControlModifier | Qt::AltModifier) << "@" << int('@');
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none << "\b" << 8;
        QTest::newRow("Backspace, no text") << int(Qt::Key_Backspace) << none << "" << 8;
        QTest::newRow("Tab") << int(Qt::Key_Tab) << none << "\t" << 9;
        QTest::newRow("Enter") << int(Qt::Key_Return) << none << "\r" << 13;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "\r" << 13;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << none << "\x1b" << 27;
        QTest::newRow("Ctrl+C as X11 gives it") << int(Qt::Key_C) << ctrl << "\x03" << 3;
        QTest::newRow("Ctrl+C with the letter") << int(Qt::Key_C) << ctrl << "c" << 3;
        QTest::newRow("Ctrl+Shift+Z") << int(Qt::Key_Z) << int(Qt::ControlModifier | Qt::ShiftModifier) << "" << 26;
        QTest::newRow("Ctrl+[") << int(Qt::Key_BracketLeft) << ctrl << "\x1b" << 27;
        QTest::newRow("Delete as X11 gives it") << int(Qt::Key_Delete) << none << "\x7f" << 0;
        QTest::newRow("Delete") << int(Qt::Key_Delete) << none << "" << 0;
        QTest::newRow("keypad Delete") << int(Qt::Key_Delete) << int(Qt::KeypadModifier) << "\x7f" << 0;
        QTest::newRow("Left") << int(Qt::Key_Left) << none << "" << 0;
        QTest::newRow("Down") << int(Qt::Key_Down) << int(Qt::KeypadModifier) << "" << 0;
        QTest::newRow("F1") << int(Qt::Key_F1) << none << "" << 0;
        QTest::newRow("Insert") << int(Qt::Key_Insert) << none << "" << 0;
        QTest::newRow("Shift alone") << int(Qt::Key_Shift) << int(Qt::ShiftModifier) << "" << 0;
        QTest::newRow("Backtab") << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << "" << 0;
        QTest::newRow("character 0x7F") << int(Qt::Key_unknown) << none << "\x7f" << 0;
        QTest::newRow("C1 control") << int(Qt::Key_unknown) << none << "\u0085" << 0;
        QTest::newRow("two characters") << int(Qt::Key_unknown) << none << "ab" << 0;
    }
    void keyAscii()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QTEST(TerminalLogic::keyAscii(key, Qt::KeyboardModifiers(modifiers), text), "code");
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

    // Each count that moved raises its error once, in the order of the codes.
    void lineErrorEvents_data()
    {
        QTest::addColumn<LineErrorCounts>("after");
        QTest::addColumn<QList<int>>("events");
        auto moved = [](quint64 LineErrorCounts::*count, quint64 by = 1) {
            LineErrorCounts c{5, 5, 5, 5, 5, 5};
            c.*count += by;
            return c;
        };
        QTest::newRow("none") << moved(&LineErrorCounts::breaks, 0) << QList<int>{};
        QTest::newRow("break") << moved(&LineErrorCounts::breaks) << QList<int>{MSComm::comEventBreak};
        QTest::newRow("framing, many") << moved(&LineErrorCounts::framing, 40) << QList<int>{MSComm::comEventFrame};
        QTest::newRow("overrun") << moved(&LineErrorCounts::overrun) << QList<int>{MSComm::comEventOverrun};
        QTest::newRow("buffer") << moved(&LineErrorCounts::bufferOverrun) << QList<int>{MSComm::comEventRxOver};
        QTest::newRow("parity") << moved(&LineErrorCounts::parity) << QList<int>{MSComm::comEventRxParity};
        QTest::newRow("transmit full") << moved(&LineErrorCounts::txFull) << QList<int>{MSComm::comEventTxFull};
        QTest::newRow("counter started again") << moved(&LineErrorCounts::parity, quint64(-5)) << QList<int>{MSComm::comEventRxParity};
        QTest::newRow("all") << LineErrorCounts{6, 6, 6, 6, 6, 6}
                             << QList<int>{MSComm::comEventBreak, MSComm::comEventFrame, MSComm::comEventOverrun,
                                           MSComm::comEventRxOver, MSComm::comEventRxParity, MSComm::comEventTxFull};
    }
    void lineErrorEvents()
    {
        QFETCH(LineErrorCounts, after);
        QTEST(MSComm::lineErrorEvents(LineErrorCounts{5, 5, 5, 5, 5, 5}, after), "events");
    }

};

QTEST_GUILESS_MAIN(TstConsoleLogic)
#include "tst_consolelogic.moc"
