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
const QString kFiveRegisters = QStringLiteral("00 01 00 00 00 06 01 03 00 00 00 05");
const QString kIndent(35, QLatin1Char(' '));

// The design frame's reply: 64 input registers of 0A00 + address.
const QString kDesignReplyFirst =
    QStringLiteral("10 20 00 00 00 83 --> 21 04 80 0A 00 0A 01 0A 02 0A 03 0A ");
const QString kDesignReplyLast = kIndent + QStringLiteral("3A 0A 3B 0A 3C 0A 3D 0A 3E 0A 3F ");
const QString kFiveFirst = QStringLiteral("00 01 00 00 00 0D --> 01 03 0A 0A 00 0A 01 0A 02 0A 03 0A ");
const QString kFiveLast = kIndent + QStringLiteral("04 ");

QString visibleLabels(const std::array<QLabel *, 8> &labels, QWidget *window)
{
    QString s;
    for (QLabel *l : labels)
        s += l->isVisibleTo(window) ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}

int closedPort()
{
    Winsock w;
    w.LocalPort = 0;
    if (!w.Listen())
        return 1;
    const int port = w.LocalPort;
    w.Close();
    return port;
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

    void open()
    {
        w = Windows::get<ModbusTCP>(QStringLiteral("ModbusTCP"));
        QVERIFY(w);
        w->show();
    }

    void connectWindow()
    {
        const long accepted = m_server.connectionsAccepted();
        w->ServeripText->setText(QStringLiteral("127.0.0.1"));
        w->ServerPortText->setText(QString::number(m_server.port()));
        w->cmdConnect->click();
        QTRY_VERIFY(w->cmdSend->isEnabled());
        QCOMPARE(w->Winsock1->State(), int(Winsock::sckConnected));
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

    // The boxes follow the counters within a fraction of a second.
    void compareStatBoxes(const char *sendByte, const char *sendPacket, const char *recvByte,
                          const char *recvPacket, const char *diff, const char *percent)
    {
        QTRY_COMPARE(w->txtSendByte->text(), QString::fromLatin1(sendByte));
        QTRY_COMPARE(w->txtSendPacket->text(), QString::fromLatin1(sendPacket));
        QTRY_COMPARE(w->txtReceiveByte->text(), QString::fromLatin1(recvByte));
        QTRY_COMPARE(w->txtReceivePacket->text(), QString::fromLatin1(recvPacket));
        QTRY_COMPARE(w->txtDiffPacket->text(), QString::fromLatin1(diff));
        QTRY_COMPARE(w->txtDiffPercent->text(), QString::fromLatin1(percent));
    }

    // Waits until every frame sent has had its reply of replyBytes. Counted in
    // bytes: replies to frames in flight together may arrive as one block.
    void settle(int replyBytes)
    {
        QTRY_COMPARE(w->counters().recvBytes, w->counters().sendPackets * replyBytes);
    }
    long m_requestsAtStart = 0;

private slots:
    void initTestCase()
    {
        QVERIFY2(m_server.start(), m_server.error().c_str());
        QVERIFY(m_dir.isValid());
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
        m_requestsAtStart = m_server.requests();
        open();
    }
    void cleanup()
    {
        Windows::clear();
        w = nullptr;
        m_dialogs.reset();
        ModbusText::setFixedNow(QDateTime());
        QLocale::setDefault(QLocale::system());
        QFile::remove(QStringLiteral("DataLog.txt"));
    }

    void loadsWithDesignState()
    {
        QCOMPARE(w->windowTitle(), QStringLiteral("ModbusTCP test"));
        QVERIFY(w->cmdConnect->isEnabled());
        QVERIFY(!w->cmdClose->isEnabled());
        QVERIFY(!w->cmdSend->isEnabled());
        QVERIFY(!w->cmdStartPolling->isEnabled());
        QVERIFY(!w->cmdStopPolling->isEnabled());
        QVERIFY(w->cmdStartTimer->isEnabled());
        QVERIFY(w->cmdStopTimer->isEnabled());
        QCOMPARE(w->ServeripText->text(), QStringLiteral("192.9.40.100"));
        QCOMPARE(w->ServerPortText->text(), QStringLiteral("502"));
        QCOMPARE(w->txtString->text(), kDesignFrame);
        QCOMPARE(w->txtInterval->text(), QStringLiteral("100"));
        QCOMPARE(w->Timer1->interval(), 100);
        QVERIFY(!w->Timer1->isActive());
        QCOMPARE(w->txtDiffPercent->text(), QStringLiteral("0.00 %"));
        QCOMPARE(w->txtTimeAverage->text(), QStringLiteral("000"));
        QCOMPARE(w->txtStartTime->text(), QStringLiteral("Start Time"));
        QCOMPARE(w->chkDataLog->text(), QStringLiteral("Save data log to \"DataLog.txt\" "));
        QVERIFY(!w->chkDataLog->isChecked());
        QCOMPARE(w->cboFunction->count(), 8);
        QCOMPARE(w->cboFunction->currentIndex(), 0);
        QCOMPARE(w->txtExplanation->toPlainText(),
                 ModbusHelp::explanation(0).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        QCOMPARE(visibleLabels(w->lbCommand, w), QStringLiteral("11111100"));
        QCOMPARE(visibleLabels(w->lbResponse, w), QStringLiteral("11110000"));
        QCOMPARE(w->lbCommand[1]->toolTip(), QStringLiteral(" Function call=1) "));
        QCOMPARE(w->lbTCPHead[5]->toolTip(),
                 QStringLiteral(" Length field (lower byte)=number of bytes following "));
        QCOMPARE(w->lbTCPHead[7]->text(), ModbusHelp::netIdExample());
        QCOMPARE(w->findChild<QLabel *>(QStringLiteral("lbCommand(7)")), w->lbCommand[7]);
        QCOMPARE(w->lbResponse[3]->text(), QStringLiteral("[Byte3]"));

        // Everything the window holds can be seen: no control lies outside it.
        const QRect area = w->rect();
        for (QWidget *child : w->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            QVERIFY2(area.contains(child->geometry()), qPrintable(child->objectName()));
        }
        // The byte labels keep their places: header at 240, 7440; rows at 7920.
        QCOMPARE(w->lbTCPHead[1]->geometry().topLeft(), QPoint(56, 496));
        QCOMPARE(w->lbResponse[0]->geometry().topLeft(), QPoint(336, 528));
    }

    void openedModallyByItsName()
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

    void designFrameAndItsReply()
    {
        connectWindow();
        QVERIFY(!w->cmdConnect->isEnabled());
        QVERIFY(w->cmdClose->isEnabled());
        QVERIFY(w->cmdStartPolling->isEnabled());
        QVERIFY(!w->cmdStopPolling->isEnabled());
        exchange(kDesignFrame);

        QCOMPARE(w->lstSend->count(), 1);
        QCOMPARE(w->lstSend->text(0), QStringLiteral("10 20 00 00 00 06 --> 21 04 00 00 00 40 "));
        QCOMPARE(w->lstSend->currentRow(), 0);
        QCOMPARE(w->lstReceive->count(), 11);
        QCOMPARE(w->lstReceive->text(0), kDesignReplyFirst);
        QCOMPARE(w->lstReceive->text(1), kIndent + "04 0A 05 0A 06 0A 07 0A 08 0A 09 0A ");
        QCOMPARE(w->lstReceive->text(10), kDesignReplyLast);
        QCOMPARE(w->lstReceive->currentRow(), 10);
        compareStatBoxes("12", "1", "137", "1", "0", "0.00 %");

        // The byte labels follow function code 4.
        QCOMPARE(visibleLabels(w->lbCommand, w), QStringLiteral("11111100"));
        QCOMPARE(visibleLabels(w->lbResponse, w), QStringLiteral("11110000"));
        QCOMPARE(w->lbCommand[1]->toolTip(), QStringLiteral(" Function call=4) "));
        QCOMPARE(w->lbResponse[1]->toolTip(), QStringLiteral(" Function call=4) "));
        QCOMPARE(w->lbCommand[4]->toolTip(), QStringLiteral(" Word count (high byte) "));
        QCOMPARE(w->lbResponse[2]->toolTip(),
                 QStringLiteral(" Byte count of response (B=2 x word count) "));
    }

    void nineteenByteRepliesAndStatistics()
    {
        connectWindow();
        for (int i = 0; i < 3; ++i)
            exchange(kFiveRegisters);
        QCOMPARE(w->lstReceive->count(), 6);
        QCOMPARE(w->lstReceive->text(4), kFiveFirst);
        QCOMPARE(w->lstReceive->text(5), kFiveLast);
        QCOMPARE(w->lstSend->currentRow(), 2);
        QCOMPARE(w->lstReceive->currentRow(), 5);
        compareStatBoxes("36", "3", "57", "3", "0", "0.00 %");

        // Clear Receive empties the lists only; Clear resets the statistics.
        w->CmdClearSend->click();
        QCOMPARE(w->lstSend->count(), 0);
        QCOMPARE(w->lstReceive->count(), 0);
        QCOMPARE(w->lstReceive->currentRow(), -1);
        QTRY_COMPARE(w->txtReceivePacket->text(), QStringLiteral("3"));
        w->cmdClearStatistic->click();
        compareStatBoxes("0", "0", "0", "0", "0", "0.00 %");
        QCOMPARE(w->txtTimeMin->text(), QStringLiteral("1000"));
        QCOMPARE(w->txtTimeMax->text(), QStringLiteral("0"));
        exchange(kFiveRegisters);
        compareStatBoxes("12", "1", "19", "1", "0", "0.00 %");

        // A new connection clears the statistics as well.
        w->cmdClose->click();
        connectWindow();
        compareStatBoxes("0", "0", "0", "0", "0", "0.00 %");
    }

    void byteLabelsFollowTheFrameSent()
    {
        connectWindow();
        exchange(QStringLiteral("00 01 00 00 00 08 01 0F 00 00 00 08 01 FF"));
        QCOMPARE(visibleLabels(w->lbCommand, w), QStringLiteral("11111111"));
        QCOMPARE(visibleLabels(w->lbResponse, w), QStringLiteral("11111100"));
        QCOMPARE(w->lbCommand[7]->toolTip(),
                 QStringLiteral(" Byte 7-(B+6): Data to be written (least significant is first coil) "));
        // An unknown code hides all but the first labels; hidden ones keep their tips.
        exchange(QStringLiteral("00 02 00 00 00 02 01 41"));
        QCOMPARE(visibleLabels(w->lbCommand, w), QStringLiteral("11110000"));
        QCOMPARE(visibleLabels(w->lbResponse, w), QStringLiteral("11000000"));
        QCOMPARE(w->lbCommand[1]->toolTip(), QStringLiteral(" Function call=65) "));
        QCOMPARE(w->lbCommand[7]->toolTip(),
                 QStringLiteral(" Byte 7-(B+6): Data to be written (least significant is first coil) "));
        // The exception reply of an unknown function is shown like any other block.
        QCOMPARE(w->lstReceive->text(w->lstReceive->count() - 1),
                 QStringLiteral("00 02 00 00 00 03 --> 01 C1 01 "));
    }

    void explanationFollowsTheList()
    {
        w->cboFunction->setCurrentIndex(4);
        const QString item4 = w->txtExplanation->toPlainText();
        QVERIFY(item4.endsWith(QStringLiteral("=00\n")));
        w->cboFunction->setEditText(QStringLiteral("Function Code 05"));
        QCOMPARE(w->txtExplanation->toPlainText(), item4);
        w->cboFunction->setEditText(ModbusHelp::functionItems().at(6));
        QVERIFY(w->txtExplanation->toPlainText().startsWith(
            QStringLiteral("[Prefixed 6 bytes of Modbus/TCP protocol]")));
        QCOMPARE(w->cboFunction->count(), 8);
    }

    void refusedFramesSendNothing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("blank") << QStringLiteral("   ") << QStringLiteral("empty");
        QTest::newRow("not hex") << QStringLiteral("10 20 00 00 00 06 21 0x4") << QStringLiteral("\"0x4\"");
        QTest::newRow("above FF") << QStringLiteral("10 20 00 00 00 06 21 104") << QStringLiteral("\"104\"");
        QTest::newRow("short") << QStringLiteral("10 20 00 00 00 06 21") << QStringLiteral("7 bytes");
    }
    void refusedFramesSendNothing()
    {
        QFETCH(QString, text);
        QFETCH(QString, mentions);
        connectWindow();
        w->txtString->setText(text);
        w->cmdSend->click();
        QCOMPARE(m_dialogs->messages().size(), 1);
        QVERIFY2(m_dialogs->messages().first().contains(mentions),
                 qPrintable(m_dialogs->messages().first()));
        QCOMPARE(m_dialogs->shown().first().icon, QMessageBox::Warning);
        QCOMPARE(w->lstSend->count(), 0);
        compareStatBoxes("0", "0", "0", "0", "0", "0.00 %");
        // Had anything gone out, the server would have answered it or dropped us.
        exchange(kFiveRegisters);
        QCOMPARE(m_server.requests(), m_requestsAtStart + 1);
        QCOMPARE(w->counters().sendPackets, 1);
        QCOMPARE(w->Winsock1->State(), int(Winsock::sckConnected));
    }

    void notConnected()
    {
        QTest::keyClick(w->txtString, Qt::Key_Return);
        QCOMPARE(m_dialogs->messages(), QStringList{QStringLiteral("Not currently connected")});
        QCOMPARE(m_dialogs->shown().first().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        w->Timer1_Timer();
        QCOMPARE(m_dialogs->messages().size(), 2);
        QCOMPARE(w->lstSend->count(), 0);
        compareStatBoxes("0", "0", "0", "0", "0", "0.00 %");
        // Start send needs a connection and is silent without one.
        w->cmdStartTimer->click();
        QVERIFY(!w->timer1Enabled());
        QVERIFY(w->cmdStartTimer->isEnabled());
        QCOMPARE(w->txtStartTime->text(), QStringLiteral("Start Time"));
        QCOMPARE(m_dialogs->messages().size(), 2);
        // Stop send before any start still writes the stop time.
        w->cmdStopTimer->click();
        QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"))
                    .match(w->txtStopTime->text())
                    .hasMatch());
        QVERIFY(w->cmdStartTimer->isEnabled());
        QVERIFY(!w->cmdStopTimer->isEnabled());
    }

    void enterSendsExactlyOneFrame()
    {
        connectWindow();
        w->activateWindow();
        w->txtString->setFocus();
        QTest::keyClick(w->txtString, Qt::Key_Return);
        QTRY_COMPARE(w->counters().recvPackets, 1);
        QTest::keyClick(w->txtString, Qt::Key_Enter);
        QTRY_COMPARE(w->counters().recvPackets, 2);
        QCOMPARE(w->counters().sendPackets, 2);
        QCOMPARE(w->lstSend->count(), 2);
        QVERIFY(w->isVisible());
        QVERIFY(m_dialogs->messages().isEmpty());
        for (QPushButton *b : w->findChildren<QPushButton *>())
            QVERIFY2(!b->autoDefault() && !b->isDefault(), qPrintable(b->objectName()));
    }

    void pollingForABoundedNumberOfCycles()
    {
        connectWindow();
        w->txtString->setText(kFiveRegisters);
        QElapsedTimer clock;
        clock.start();
        w->cmdStartPolling->click();
        QVERIFY(w->Polling);
        QVERIFY(!w->cmdStartPolling->isEnabled());
        QVERIFY(w->cmdStopPolling->isEnabled());
        QVERIFY(w->txtTimeMin->text().toInt() <= 1000);
        QVERIFY(w->txtStartTime->text() != QStringLiteral("Start Time"));
        QTRY_VERIFY(w->counters().recvPackets >= 300);
        w->cmdStopPolling->click();
        const qint64 elapsed = clock.elapsed();
        QVERIFY(!w->Polling);
        QVERIFY(w->cmdStartPolling->isEnabled());
        QVERIFY(!w->cmdStopPolling->isEnabled());
        settle(19);

        const qint64 sent = w->counters().sendPackets;
        QCOMPARE(m_server.requests(), m_requestsAtStart + sent);
        QTRY_COMPARE(w->txtSendPacket->text(), QString::number(sent));
        QTRY_COMPARE(w->txtReceivePacket->text(), QString::number(sent));
        QTRY_COMPARE(w->txtSendByte->text(), QString::number(sent * 12));
        QTRY_COMPARE(w->txtReceiveByte->text(), QString::number(sent * 19));
        QCOMPARE(w->lstSend->count(), int(sent));
        QCOMPARE(w->lstReceive->count(), int(sent * 2));
        QCOMPARE(w->lstReceive->currentRow(), int(sent * 2 - 1));

        const int minTime = w->txtTimeMin->text().toInt();
        const int maxTime = w->txtTimeMax->text().toInt();
        QVERIFY2(minTime <= maxTime && maxTime <= elapsed,
                 qPrintable(QStringLiteral("min %1 max %2").arg(minTime).arg(maxTime)));
        QCOMPARE(minTime, Module1::MinTime);
        QCOMPARE(maxTime, Module1::MaxTime);
        // The average is the polling time over the packets received.
        const QString average = w->txtTimeAverage->text();
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{3,}\\.\\d$")).match(average).hasMatch(),
                 qPrintable(average));
        const double recvAtStop = w->txtReceivePacket->text().toDouble();
        QVERIFY2(average.toDouble() * recvAtStop <= double(elapsed) + recvAtStop,
                 qPrintable(average));
        QVERIFY(w->txtStopTime->text() != QStringLiteral("Stop Time"));
    }

    void pollingSurvivesAReconnection()
    {
        connectWindow();
        w->txtString->setText(kFiveRegisters);
        w->cmdStartPolling->click();
        QTRY_VERIFY(w->counters().recvPackets >= 20);
        w->cmdClose->click();
        QVERIFY2(w->Polling, "Disconnect leaves polling on");
        QVERIFY(!w->cmdStartPolling->isEnabled());
        QVERIFY(!w->cmdStopPolling->isEnabled());

        // Back on line the first frame restarts the cycle; Start then Stop ends it.
        connectWindow();
        QVERIFY(w->cmdStartPolling->isEnabled());
        QVERIFY(!w->cmdStopPolling->isEnabled());
        w->cmdSend->click();
        QTRY_VERIFY(w->counters().recvPackets >= 20);
        w->cmdStartPolling->click();
        w->cmdStopPolling->click();
        settle(19);
        QVERIFY(!w->Polling);
        QTRY_COMPARE(w->txtReceiveByte->text(), QString::number(w->counters().sendPackets * 19));
    }

    void timerMode()
    {
        connectWindow();
        w->txtString->setText(kFiveRegisters);
        w->txtInterval->setText(QStringLiteral("20"));
        w->cmdSetInterval->click();
        QCOMPARE(w->Timer1->interval(), 20);
        w->cmdStartTimer->click();
        QVERIFY(w->timer1Enabled());
        QVERIFY(w->Timer1->isActive());
        QVERIFY(!w->cmdStartTimer->isEnabled());
        QVERIFY(w->cmdStopTimer->isEnabled());
        const QRegularExpression timeOfDay(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"));
        QVERIFY(timeOfDay.match(w->txtStartTime->text()).hasMatch());
        QCOMPARE(w->txtStopTime->text(), QStringLiteral("Stop Time"));
        QTRY_VERIFY(w->counters().recvPackets >= 3);

        // An interval of 0 stops the ticks with the timer still on; bad texts
        // are refused and leave the interval as it was.
        w->txtInterval->setText(QStringLiteral("0"));
        w->cmdSetInterval->click();
        QVERIFY(w->timer1Enabled());
        QVERIFY(!w->Timer1->isActive());
        for (const char *bad : {"abc", "40000", "-1", ""}) {
            w->txtInterval->setText(QString::fromLatin1(bad));
            w->cmdSetInterval->click();
            QCOMPARE(w->Timer1->interval(), 0);
            QVERIFY(!w->Timer1->isActive());
        }
        QCOMPARE(m_dialogs->messages().size(), 4);
        QVERIFY(m_dialogs->messages().first().contains(QStringLiteral("\"abc\"")));
        w->txtInterval->setText(QStringLiteral("15"));
        w->cmdSetInterval->click();
        QVERIFY(w->Timer1->isActive());
        const qint64 before = w->counters().sendPackets;
        QTRY_VERIFY(w->counters().sendPackets >= before + 2);

        w->cmdStopTimer->click();
        QVERIFY(!w->timer1Enabled());
        QVERIFY(!w->Timer1->isActive());
        QVERIFY(w->cmdStartTimer->isEnabled());
        QVERIFY(!w->cmdStopTimer->isEnabled());
        QVERIFY(timeOfDay.match(w->txtStopTime->text()).hasMatch());
        settle(19);
        QTRY_COMPARE(w->txtReceiveByte->text(), QString::number(w->counters().sendPackets * 19));

        // Disconnect switches the timer off and disables both its buttons.
        w->cmdStartTimer->click();
        w->cmdClose->click();
        QVERIFY(!w->timer1Enabled());
        QVERIFY(!w->Timer1->isActive());
        QVERIFY(!w->cmdStartTimer->isEnabled());
        QVERIFY(!w->cmdStopTimer->isEnabled());
    }

    void dataLogHoldsWhatWasShown()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ModbusText::setFixedNow(QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
        connectWindow();
        exchange(kFiveRegisters); // before the log: not in it
        w->chkDataLog->click();
        QVERIFY(w->DataLogOn);
        QFile log(QStringLiteral("DataLog.txt"));
        QVERIFY(log.exists());
        QCOMPARE(log.size(), 0);
        exchange(kDesignFrame);
        exchange(kFiveRegisters);

        const QByteArray expected =
            "5/6/24 07:08:09 >>>> 10 20 00 00 00 06 --> 21 04 00 00 00 40 \r\n"
            " <<<< " + kDesignReplyLast.toLatin1() + "\r\n"
            "5/6/24 07:08:09 >>>> 00 01 00 00 00 06 --> 01 03 00 00 00 05 \r\n"
            " <<<< " + kFiveLast.toLatin1() + "\r\n";
        // On disk while the log is still open.
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll(), expected);
        log.close();

        // Unticking closes the log; ticking again starts it afresh.
        w->chkDataLog->click();
        QVERIFY(!w->DataLogOn);
        exchange(kFiveRegisters);
        w->chkDataLog->click();
        exchange(kFiveRegisters);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll(),
                 QByteArray("5/6/24 07:08:09 >>>> 00 01 00 00 00 06 --> 01 03 00 00 00 05 \r\n"
                            " <<<< ") + kFiveLast.toLatin1() + "\r\n");
        log.close();

        // Disconnect unticks the box and so closes the log.
        w->cmdClose->click();
        QVERIFY(!w->chkDataLog->isChecked());
        QVERIFY(!w->DataLogOn);
        QVERIFY(m_dialogs->messages().isEmpty());
    }

    void dataLogThatCannotBeWritten()
    {
        QVERIFY(QDir().mkdir(QStringLiteral("DataLog.txt")));
        w->chkDataLog->click();
        QVERIFY(QDir().rmdir(QStringLiteral("DataLog.txt")));
        QVERIFY(!w->chkDataLog->isChecked());
        QVERIFY(!w->DataLogOn);
        QCOMPARE(m_dialogs->messages().size(), 1);
        QVERIFY(m_dialogs->messages().first().startsWith(QStringLiteral("DataLog.txt cannot be written")));
    }

    void failedConnectStopsLoggingSilently()
    {
        w->chkDataLog->click();
        QVERIFY(w->DataLogOn);
        w->ServerPortText->setText(QStringLiteral("port"));
        w->cmdConnect->click();
        QVERIFY(!w->DataLogOn);
        QVERIFY(w->chkDataLog->isChecked());
        QVERIFY(w->cmdConnect->isEnabled());
        QCOMPARE(w->Winsock1->State(), int(Winsock::sckClosed));
        QVERIFY(m_dialogs->messages().isEmpty());
    }

    void socketErrorsShownOnlyWhenNotConnected()
    {
        w->ServeripText->setText(QStringLiteral("127.0.0.1"));
        w->ServerPortText->setText(QString::number(closedPort()));
        w->cmdConnect->click();
        QTRY_COMPARE(m_dialogs->messages().size(), 1);
        QVERIFY(!m_dialogs->messages().first().isEmpty());
        QVERIFY(w->cmdConnect->isEnabled());
        QVERIFY(!w->cmdSend->isEnabled());

        // A second try after the failure connects.
        connectWindow();
        emit w->Winsock1->Error(Winsock::sckConnectionReset, QStringLiteral("reset"));
        QCOMPARE(m_dialogs->messages().size(), 1);
    }

    void serverClosesTheConnection()
    {
        connectWindow();
        exchange(kFiveRegisters);
        m_server.closeConnections();
        QTRY_COMPARE(w->Winsock1->State(), int(Winsock::sckClosing));
        QVERIFY2(m_dialogs->messages().isEmpty(), "told only once it is closed here too");
        // The buttons stay; sending now is refused.
        QVERIFY(w->cmdSend->isEnabled());
        w->cmdSend->click();
        QCOMPARE(m_dialogs->messages(), QStringList{QStringLiteral("Not currently connected")});

        w->cmdClose->click();
        QCOMPARE(w->Winsock1->State(), int(Winsock::sckClosed));
        QTRY_COMPARE(m_dialogs->messages().size(), 2);
        QCOMPARE(m_dialogs->messages().last(), QStringLiteral("Connection is closed."));
        QVERIFY(w->cmdConnect->isEnabled());
        QCOMPARE(w->counters().sendPackets, 1);

        // Closed by the server, then Exit: still told.
        connectWindow();
        m_server.closeConnections();
        QTRY_COMPARE(w->Winsock1->State(), int(Winsock::sckClosing));
        QPointer<ModbusTCP> window(w);
        w->CmdEXIT->click();
        QTRY_COMPARE(m_dialogs->messages().size(), 3);
        QCOMPARE(m_dialogs->messages().last(), QStringLiteral("Connection is closed."));
        QTRY_VERIFY(window.isNull());
    }

    void exitClosesTheWindowAndLeavesTheLog()
    {
        connectWindow();
        w->chkDataLog->click();
        exchange(kFiveRegisters);
        QPointer<ModbusTCP> window(w);
        w->CmdEXIT->click();
        QVERIFY(!Windows::loaded(QStringLiteral("ModbusTCP")));
        QTRY_VERIFY(window.isNull());
        QFile log(QStringLiteral("DataLog.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().count("\r\n"), 2);
        QVERIFY(m_dialogs->messages().isEmpty());

        // A later showing starts afresh.
        open();
        QCOMPARE(w->counters().sendPackets, 0);
        QVERIFY(!w->chkDataLog->isChecked());
    }
};

QTEST_MAIN(TstModbusTcp)
#include "tst_modbustcp.moc"
