#include "app/module1.h"
#include "app/windows.h"
#include "modbus/linelist.h"
#include "modbus/modbus.h"
#include "modbus/modbushelp.h"
#include "modbus/modbustcp.h"
#include "modbus/modbustext.h"
#include "netclient/winsock.h"
#include "tests/support/modbusserver.h"
#include "tests/support/scripteddialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QString kDesignFrame = QStringLiteral("10 20 00 00 00 06    21 04 00 00 00 40");
// Reads five holding registers: a reply of 19 bytes.
const QString kFive = QStringLiteral("00 01 00 00 00 06 01 03 00 00 00 05");
const QString kIndent(35, QLatin1Char(' '));
// The last display lines of the replies: registers hold 0A00 + address.
const QString kDesignReplyLast = kIndent + QStringLiteral("3A 0A 3B 0A 3C 0A 3D 0A 3E 0A 3F ");
const QString kFiveLast = kIndent + QStringLiteral("04 ");
const QRegularExpression kTimeOfDay(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"));

QString visibleLabels(const std::array<QLabel *, 8> &labels, QWidget *window)
{
    QString s;
    for (QLabel *l : labels)
        s += l->isVisibleTo(window) ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}

} // namespace

class TstModbusTcp : public QObject
{
    Q_OBJECT

    ModbusTestServer m_server;
    QTemporaryDir m_dir;
    QString m_startDir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    ModbusTCP *w = nullptr;

    void connectWindow()
    {
        const long accepted = m_server.connectionsAccepted();
        w->ServeripText->setText(QStringLiteral("127.0.0.1"));
        w->ServerPortText->setText(QString::number(m_server.port()));
        w->cmdConnect->click();
        QTRY_VERIFY(w->cmdSend->isEnabled());
        // Up on the server's side too, so that it can also close it.
        QTRY_COMPARE(m_server.connectionsAccepted(), accepted + 1);
    }

    // Sends the frame in txtString and waits for its reply.
    void exchange(const QString &frame)
    {
        const qint64 before = w->counters().recvPackets;
        w->txtString->setText(frame);
        w->cmdSend->click();
        QTRY_COMPARE(w->counters().recvPackets, before + 1);
    }

    // Sent bytes and packets, received bytes and packets, difference and share
    // lost, as the boxes show them (they follow the counters within moments).
    void compareStatBoxes(const QStringList &expected)
    {
        const QList<QLineEdit *> boxes{w->txtSendByte,      w->txtSendPacket, w->txtReceiveByte,
                                       w->txtReceivePacket, w->txtDiffPacket, w->txtDiffPercent};
        for (int i = 0; i < boxes.size(); ++i)
            QTRY_COMPARE(boxes.at(i)->text(), expected.at(i));
    }

    // Waits for every reply: counted in bytes, since replies to frames in
    // flight together may arrive as one block.
    void settle(int replyBytes)
    {
        QTRY_COMPARE(w->counters().recvBytes, w->counters().sendPackets * replyBytes);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_server.start(), m_server.error().c_str());
        m_startDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
    }
    void cleanupTestCase()
    {
        QDir::setCurrent(m_startDir);
        m_server.stop();
    }
    void init()
    {
        m_dialogs = std::make_unique<ScriptedDialogs>();
        registerModbusWindows();
        w = Windows::get<ModbusTCP>(QStringLiteral("ModbusTCP"));
        QVERIFY(w);
        w->show();
    }
    void cleanup()
    {
        Windows::clear();
        m_dialogs.reset();
        ModbusText::setFixedNow(QDateTime());
        QLocale::setDefault(QLocale::system());
        QFile::remove(QStringLiteral("DataLog.txt"));
    }

    void loadsWithEverythingReachable()
    {
        QCOMPARE(w->windowTitle(), QStringLiteral("ModbusTCP test"));
        QVERIFY(w->cmdConnect->isEnabled() && w->cmdStartTimer->isEnabled() && w->cmdStopTimer->isEnabled());
        QVERIFY(!w->cmdClose->isEnabled() && !w->cmdSend->isEnabled());
        QVERIFY(!w->cmdStartPolling->isEnabled() && !w->cmdStopPolling->isEnabled());
        QCOMPARE(w->cboFunction->currentIndex(), 0);
        QCOMPARE(w->txtExplanation->toPlainText(),
                 ModbusHelp::explanation(0).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        QCOMPARE(visibleLabels(w->lbCommand, w), QStringLiteral("11111100"));
        QCOMPARE(visibleLabels(w->lbResponse, w), QStringLiteral("11110000"));
        // No control lies outside the window; the byte labels keep their places.
        for (QWidget *child : w->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            QVERIFY2(w->rect().contains(child->geometry()), qPrintable(child->objectName()));
        QCOMPARE(w->lbTCPHead[1]->geometry().topLeft(), QPoint(56, 496));
        QCOMPARE(w->lbResponse[0]->geometry().topLeft(), QPoint(336, 528));

        // Typing into the list looks an item up; it adds none.
        w->cboFunction->setEditText(QStringLiteral("Function Code 05"));
        QVERIFY(w->txtExplanation->toPlainText().startsWith(QStringLiteral("[Prefixed 6 bytes for")));
        w->cboFunction->setEditText(ModbusHelp::functionItems().at(6));
        QVERIFY(w->txtExplanation->toPlainText().startsWith(QStringLiteral("[Prefixed 6 bytes of")));
        QCOMPARE(w->cboFunction->count(), 8);
    }

    void openedModallyAndClosedByExit()
    {
        Windows::clear();
        registerModbusWindows();
        bool wasModal = false;
        QTimer::singleShot(0, this, [&wasModal] {
            Form *f = Windows::loaded(QStringLiteral("ModbusTCP"));
            wasModal = f && f->isModal();
            if (f)
                f->findChild<QPushButton *>(QStringLiteral("CmdEXIT"))->click();
        });
        Windows::show(QStringLiteral("ModbusTCP"));
        QVERIFY(wasModal);
        QVERIFY(!Windows::loaded(QStringLiteral("ModbusTCP")));
    }

    void framesRepliesAndStatistics()
    {
        connectWindow();
        exchange(kDesignFrame);
        QCOMPARE(w->lstSend->text(0), QStringLiteral("10 20 00 00 00 06 --> 21 04 00 00 00 40 "));
        QCOMPARE(w->lstReceive->count(), 11);
        QCOMPARE(w->lstReceive->text(0),
                 QStringLiteral("10 20 00 00 00 83 --> 21 04 80 0A 00 0A 01 0A 02 0A 03 0A "));
        QCOMPARE(w->lstReceive->text(10), kDesignReplyLast);
        QCOMPARE(visibleLabels(w->lbCommand, w), QStringLiteral("11111100"));
        QCOMPARE(w->lbResponse[1]->toolTip(), QStringLiteral(" Function call=4) "));

        for (int i = 0; i < 2; ++i)
            exchange(kFive);
        QCOMPARE(w->lstReceive->text(13), QStringLiteral("00 01 00 00 00 0D --> 01 03 0A 0A 00 0A 01 0A 02 0A 03 0A "));
        QCOMPARE(w->lstReceive->text(14), kFiveLast);
        QCOMPARE(w->lstSend->currentRow(), 2);
        QCOMPARE(w->lstReceive->currentRow(), 14);
        compareStatBoxes({"36", "3", "175", "3", "0", "0.00 %"});

        // Function 15 shows every request label; an unknown one only the first,
        // and the hidden ones keep their tips.
        exchange(QStringLiteral("00 01 00 00 00 08 01 0F 00 00 00 08 01 FF"));
        exchange(QStringLiteral("00 02 00 00 00 02 01 41"));
        QCOMPARE(visibleLabels(w->lbCommand, w), QStringLiteral("11110000"));
        QCOMPARE(visibleLabels(w->lbResponse, w), QStringLiteral("11000000"));
        QVERIFY(w->lbCommand[7]->toolTip().startsWith(QStringLiteral(" Byte 7-(B+6)")));
        QCOMPARE(w->lstReceive->text(w->lstReceive->count() - 1),
                 QStringLiteral("00 02 00 00 00 03 --> 01 C1 01 "));

        // Clear Receive empties the lists only; Clear and a new connection the statistics.
        w->CmdClearSend->click();
        QCOMPARE(w->lstSend->count() + w->lstReceive->count(), 0);
        QCOMPARE(w->lstReceive->currentRow(), -1);
        compareStatBoxes({"58", "5", "196", "5", "0", "0.00 %"});
        w->cmdClearStatistic->click();
        compareStatBoxes({"0", "0", "0", "0", "0", "0.00 %"});
        exchange(kFive);
        w->cmdClose->click();
        connectWindow();
        compareStatBoxes({"0", "0", "0", "0", "0", "0.00 %"});
    }

    void refusedFramesSendNothing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("blank") << "   " << "empty";
        QTest::newRow("not hex") << "10 20 00 00 00 06 21 0x4" << "\"0x4\"";
        QTest::newRow("above FF") << "10 20 00 00 00 06 21 104" << "\"104\"";
        QTest::newRow("short") << "10 20 00 00 00 06 21" << "7 bytes";
    }
    void refusedFramesSendNothing()
    {
        QFETCH(QString, text);
        QFETCH(QString, mentions);
        connectWindow();
        const long requests = m_server.requests();
        w->txtString->setText(text);
        w->cmdSend->click();
        QCOMPARE(m_dialogs->messages().size(), 1);
        QVERIFY2(m_dialogs->messages().first().contains(mentions), qPrintable(m_dialogs->messages().first()));
        QCOMPARE(w->lstSend->count(), 0);
        compareStatBoxes({"0", "0", "0", "0", "0", "0.00 %"});
        // Had anything gone out, the server would have answered it or dropped us.
        exchange(kFive);
        QCOMPARE(m_server.requests(), requests + 1);
        QCOMPARE(w->counters().sendPackets, 1);
    }

    void enterSendsExactlyOneFrame()
    {
        QTest::keyClick(w->txtString, Qt::Key_Return);
        QCOMPARE(m_dialogs->messages(), QStringList{QStringLiteral("Not currently connected")});
        QCOMPARE(w->counters().sendPackets, 0);
        connectWindow();
        QTest::keyClick(w->txtString, Qt::Key_Return);
        QTRY_COMPARE(w->counters().recvPackets, 1);
        QTest::keyClick(w->txtString, Qt::Key_Enter);
        QTRY_COMPARE(w->counters().recvPackets, 2);
        QCOMPARE(w->counters().sendPackets, 2);
        QVERIFY(w->isVisible());
        QCOMPARE(m_dialogs->messages().size(), 1);
    }

    void pollingForABoundedNumberOfCycles()
    {
        connectWindow();
        const long requests = m_server.requests();
        w->txtString->setText(kFive);
        QElapsedTimer clock;
        clock.start();
        w->cmdStartPolling->click();
        QVERIFY(w->Polling && !w->cmdStartPolling->isEnabled() && w->cmdStopPolling->isEnabled());
        QTRY_VERIFY(w->counters().recvPackets >= 300);
        w->cmdStopPolling->click();
        const qint64 elapsed = clock.elapsed();
        QVERIFY(!w->Polling && w->cmdStartPolling->isEnabled() && !w->cmdStopPolling->isEnabled());
        const double average = w->txtTimeAverage->text().toDouble();
        const double recvAtStop = w->txtReceivePacket->text().toDouble();
        settle(19);

        const qint64 sent = w->counters().sendPackets;
        QCOMPARE(m_server.requests(), requests + sent);
        compareStatBoxes({QString::number(sent * 12), QString::number(sent), QString::number(sent * 19),
                          QString::number(sent), "0", "0.00 %"});
        QCOMPARE(w->lstReceive->count(), int(sent * 2));
        const int minTime = w->txtTimeMin->text().toInt();
        const int maxTime = w->txtTimeMax->text().toInt();
        QVERIFY2(minTime <= maxTime && maxTime <= elapsed, qPrintable(QStringLiteral("%1 %2").arg(minTime).arg(maxTime)));
        QCOMPARE(maxTime, Module1::MaxTime);
        // The average is the polling time over the packets received.
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{3,}\\.\\d$")).match(w->txtTimeAverage->text()).hasMatch());
        QVERIFY2(average * recvAtStop <= elapsed + recvAtStop, qPrintable(w->txtTimeAverage->text()));

        // Disconnect leaves polling on: back on line the first frame restarts the
        // cycle, and Start followed by Stop ends it.
        w->cmdStartPolling->click();
        QTRY_VERIFY(w->counters().recvPackets >= sent + 20);
        w->cmdClose->click();
        QVERIFY(w->Polling && !w->cmdStartPolling->isEnabled() && !w->cmdStopPolling->isEnabled());
        connectWindow();
        w->cmdSend->click();
        QTRY_VERIFY(w->counters().recvPackets >= 20);
        w->cmdStartPolling->click();
        w->cmdStopPolling->click();
        settle(19);
        QVERIFY(!w->Polling);
    }

    void timerMode()
    {
        w->cmdStopTimer->click(); // before any start: still writes the stop time
        QVERIFY(kTimeOfDay.match(w->txtStopTime->text()).hasMatch());
        QVERIFY(w->cmdStartTimer->isEnabled() && !w->cmdStopTimer->isEnabled());
        w->cmdStartTimer->click(); // not connected: ignored
        QVERIFY(!w->timer1Enabled() && w->cmdStartTimer->isEnabled());
        w->Timer1_Timer();
        QCOMPARE(m_dialogs->messages(), QStringList{QStringLiteral("Not currently connected")});

        connectWindow();
        w->txtString->setText(kFive);
        w->txtInterval->setText(QStringLiteral("20"));
        w->cmdSetInterval->click();
        w->cmdStartTimer->click();
        QVERIFY(w->Timer1->isActive() && w->Timer1->interval() == 20);
        QVERIFY(!w->cmdStartTimer->isEnabled() && w->cmdStopTimer->isEnabled());
        QVERIFY(kTimeOfDay.match(w->txtStartTime->text()).hasMatch());
        QCOMPARE(w->txtStopTime->text(), QStringLiteral("Stop Time"));
        QTRY_VERIFY(w->counters().recvPackets >= 3);

        // 0 stops the ticks with the timer still on; bad texts keep the interval.
        w->txtInterval->setText(QStringLiteral("0"));
        w->cmdSetInterval->click();
        QVERIFY(w->timer1Enabled() && !w->Timer1->isActive());
        for (const char *bad : {"abc", "40000", "-1", ""}) {
            w->txtInterval->setText(QString::fromLatin1(bad));
            w->cmdSetInterval->click();
            QVERIFY(w->Timer1->interval() == 0 && !w->Timer1->isActive());
        }
        QCOMPARE(m_dialogs->messages().size(), 5);
        QVERIFY(m_dialogs->messages().at(1).contains(QStringLiteral("\"abc\"")));
        w->txtInterval->setText(QStringLiteral("15"));
        w->cmdSetInterval->click();
        const qint64 before = w->counters().sendPackets;
        QTRY_VERIFY(w->counters().sendPackets >= before + 2);

        w->cmdStopTimer->click();
        QVERIFY(!w->Timer1->isActive() && w->cmdStartTimer->isEnabled() && !w->cmdStopTimer->isEnabled());
        settle(19);
        QTRY_COMPARE(w->txtReceiveByte->text(), QString::number(w->counters().sendPackets * 19));
        w->cmdStartTimer->click();
        w->cmdClose->click();
        QVERIFY(!w->Timer1->isActive() && !w->cmdStartTimer->isEnabled() && !w->cmdStopTimer->isEnabled());
    }

    void dataLogHoldsWhatWasShown()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ModbusText::setFixedNow(QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
        connectWindow();
        exchange(kFive); // before the log: not in it
        w->chkDataLog->click();
        QVERIFY(w->DataLogOn);
        exchange(kDesignFrame);
        exchange(kFive);
        QFile log(QStringLiteral("DataLog.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly)); // on disk while still open
        QCOMPARE(log.readAll(),
                 "5/6/24 07:08:09 >>>> 10 20 00 00 00 06 --> 21 04 00 00 00 40 \r\n"
                 " <<<< " + kDesignReplyLast.toLatin1() + "\r\n"
                 "5/6/24 07:08:09 >>>> 00 01 00 00 00 06 --> 01 03 00 00 00 05 \r\n"
                 " <<<< " + kFiveLast.toLatin1() + "\r\n");
        log.close();

        // Unticked and ticked again: only what came after.
        w->chkDataLog->click();
        exchange(kFive);
        w->chkDataLog->click();
        exchange(kFive);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().count("\r\n"), 2);
        log.close();

        w->cmdClose->click(); // unticks the box
        QVERIFY(!w->chkDataLog->isChecked() && !w->DataLogOn);
        QVERIFY(m_dialogs->messages().isEmpty());
    }

    void failuresAroundTheConnection()
    {
        // A log that cannot be written is refused with a message.
        QVERIFY(QDir().mkdir(QStringLiteral("DataLog.txt")));
        w->chkDataLog->click();
        QVERIFY(QDir().rmdir(QStringLiteral("DataLog.txt")));
        QVERIFY(!w->chkDataLog->isChecked() && !w->DataLogOn);
        QVERIFY(m_dialogs->messages().value(0).startsWith(QStringLiteral("DataLog.txt cannot be written")));

        // A connect that cannot start says nothing and stops the logging.
        w->chkDataLog->click();
        w->ServerPortText->setText(QStringLiteral("port"));
        w->cmdConnect->click();
        QVERIFY(!w->DataLogOn && w->chkDataLog->isChecked());
        QCOMPARE(w->Winsock1->State(), int(Winsock::sckClosed));

        // A refused connection shows the socket's description, then a retry works.
        Winsock probe;
        probe.LocalPort = 0;
        QVERIFY(probe.Listen());
        w->ServerPortText->setText(QString::number(probe.LocalPort));
        probe.Close();
        w->ServeripText->setText(QStringLiteral("127.0.0.1"));
        w->cmdConnect->click();
        QTRY_COMPARE(m_dialogs->messages().size(), 2);
        QVERIFY(!m_dialogs->messages().at(1).isEmpty());
        connectWindow();
        emit w->Winsock1->Error(Winsock::sckConnectionReset, QStringLiteral("reset"));
        QCOMPARE(m_dialogs->messages().size(), 2); // not while connected
    }

    void serverClosesTheConnection()
    {
        connectWindow();
        exchange(kFive);
        m_server.closeConnections();
        QTRY_COMPARE(w->Winsock1->State(), int(Winsock::sckClosing));
        QVERIFY2(m_dialogs->messages().isEmpty(), "told only once it is closed here too");
        QVERIFY(w->cmdSend->isEnabled());
        w->cmdSend->click();
        QCOMPARE(m_dialogs->messages(), QStringList{QStringLiteral("Not currently connected")});
        w->cmdClose->click();
        QTRY_COMPARE(m_dialogs->messages().size(), 2);
        QCOMPARE(m_dialogs->messages().last(), QStringLiteral("Connection is closed."));
        QCOMPARE(w->counters().sendPackets, 1);

        // Closed by the server, then Exit: still told.
        connectWindow();
        m_server.closeConnections();
        QTRY_COMPARE(w->Winsock1->State(), int(Winsock::sckClosing));
        w->CmdEXIT->click();
        QTRY_COMPARE(m_dialogs->messages().size(), 3);
        QCOMPARE(m_dialogs->messages().last(), QStringLiteral("Connection is closed."));
    }
};

QTEST_MAIN(TstModbusTcp)
#include "tst_modbustcp.moc"
