#include "net/winsock.h"
#include "tests/netclient/netclienttestutil.h"
#include "tests/support/scripteddialogs.h"

#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>

using NetTest::Step;

namespace {

const QStringList kCommandList = {"10", "01", "13", "15", "21", "161"};

QList<Step> connectSteps(bool modbus, int port = 1)
{
    QList<Step> steps;
    for (const QString &q : kCommandList)
        steps << Step{0, q.toLatin1()};
    const QByteArray n = QByteArray::number(port);
    if (modbus)
        steps << Step{0, "33" + n} << Step{100, "33" + n};
    steps << Step{0, "16" + n} << Step{100, "16" + n};
    return steps;
}

} // namespace

// The network client end to end against a simulated Portd: the connection
// with its identity queries and reply wait, the message pane, the data
// connections with their buffers and hex views, and what clicks, closes and
// a vanishing device do to it.
class TstFrmMain : public QObject
{
    Q_OBJECT

    NetTest::Fixture f;
    std::unique_ptr<ScriptedDialogs> m_dialogs;

private slots:
    void init()
    {
        m_dialogs = std::make_unique<ScriptedDialogs>();
        LauncherState::instance().setNettestIp(QStringLiteral("10.1.2.3"));
        QVERIFY(f.start());
    }
    void cleanup()
    {
        f.stop();
        QVERIFY2(m_dialogs->shown().isEmpty(), "the client shows no message boxes");
        m_dialogs.reset();
    }

    void loadState()
    {
        // The address comes from the launcher (the fixture then points it here).
        Windows::clear();
        registerNetclientWindows();
        QPointer<frmMain> w = Windows::get<frmMain>(WindowName::frmMain);
        QCOMPARE(w->txtIP->text(), QStringLiteral("10.1.2.3"));
        QCOMPARE(NetTest::pane(w), QStringLiteral("Welcome to 4630K Net Test Program"));
        QCOMPARE(w->Cnt, 1);
        QVERIFY(!w->flgConnect && !w->timeout && !w->gotdata);
        QVERIFY(!w->cmdSend->isEnabled() && !w->cmdCommTx->isEnabled());
        QVERIFY(NetTest::allEnabled(NetTest::commandControls(w), false));
        QVERIFY(w->cmdConnect->isEnabled() && w->cmdCommandlist->isEnabled() && w->cmdEnd->isEnabled());

        // Opened modally, as the launcher's "Nettest" opens it.
        w->close();
        bool modal = false;
        QTimer::singleShot(0, this, [&modal] {
            if (frmMain *m = frmMain::instance()) {
                modal = m->isModal();
                m->cmdEnd->click();
            }
        });
        Windows::show(WindowName::frmMain);
        QVERIFY(modal);
        QVERIFY(!frmMain::instance());
    }

    // The module name decides the Modbus queries and the number of ports;
    // every identity reply lands in its label and the first port is selected.
    void connectReadsTheIdentity_data()
    {
        QTest::addColumn<QString>("moduleName");
        QTest::addColumn<bool>("modbus");
        QTest::addColumn<int>("ports");
        QTest::addColumn<QString>("portsLabel");
        QTest::addColumn<QString>("paneMessage"); // shown during Connect, then cleared
        QTest::newRow("Modbus, 4 ports") << "4630M4" << true << 4 << "4 COM Ports" << "";
        QTest::newRow("plain, 8 ports") << "4630E8" << false << 8 << "8 COM Ports" << "";
        QTest::newRow("no separator") << "RM4630K" << false << 8 << "Unconnected"
                                      << "Module Name is not correct!";
        QTest::newRow("count past 8") << "4630M12" << true << 8 << "8 COM Ports"
                                      << "The COM port count is not a number from 1 to 8: 8 COM ports are used.";
    }
    void connectReadsTheIdentity()
    {
        QFETCH(QString, moduleName);
        QFETCH(bool, modbus);
        QFETCH(int, ports);
        QFETCH(QString, paneMessage);
        QStringList shown;
        connect(f.w->PicMsg, &QPlainTextEdit::textChanged, this,
                [&] { shown << NetTest::pane(f.w); });

        QVERIFY(f.connectTo(moduleName));
        frmMain *w = f.w;
        CHECK_REQUESTS(*f.portd, connectSteps(modbus));
        QCOMPARE(w->lblServerInfo[0]->text(), moduleName);
        QTEST(w->lblServerInfo[1]->text(), "portsLabel");
        QCOMPARE(w->lblServerInfo[2]->text(), QStringLiteral("V1.0.00[01/06/2003]"));
        QCOMPARE(w->lblIP->text(), QStringLiteral("127.0.0.1"));
        QCOMPARE(w->lblGateway->text(), QStringLiteral("192.9.40.254"));
        QCOMPARE(w->lblMask->text(), QStringLiteral("255.255.255.0"));
        QCOMPARE(w->lblMAC->text(), QStringLiteral("00:00:f1:86:97:a6"));
        QCOMPARE(w->lblCommStatus->text(), QStringLiteral("19200,8,0,1"));
        QCOMPARE(w->lblModBus->text(), modbus ? "Modbus Disable" : "No Modbus function");
        QCOMPARE(w->lblAllModbusSet->text(), modbus ? "0" : "AllModbusSet");
        QCOMPARE(w->ComNo, ports);
        QStringList expectedItems;
        for (int k = 1; k <= ports; ++k)
            expectedItems << QStringLiteral("Comm%1").arg(k);
        QCOMPARE(NetTest::items(w->combCommPort), expectedItems);
        QCOMPARE(w->combCommPort->currentIndex(), 0);
        QCOMPARE(w->curPort(), 0);
        // Data port k is the control port + k, for the listed ports only.
        for (int k = ports + 1; k <= 8; ++k)
            QVERIFY2(!f.portd->isDataConnected(k), qPrintable(QString::number(k)));
        // The data port numbers and the replies were shown on the way.
        QVERIFY(shown.join('\n').contains(QString::number(f.portd->controlPort() + ports)));
        QVERIFY(shown.join('\n').contains(QStringLiteral("[4630K Say]: 255.255.255.0")));
        if (!paneMessage.isEmpty())
            QVERIFY2(shown.join('\n').contains(paneMessage), qPrintable(shown.join('\n')));
        QCOMPARE(w->cmdConnect->text(), QStringLiteral("DisConn"));
        QVERIFY(w->cmdConnect->isEnabled() && w->cmdSend->isEnabled() && w->cmdCommTx->isEnabled());
        QVERIFY(w->combCommPort->isEnabled() && !w->txtIP->isEnabled() && !w->txtPort->isEnabled());
        QVERIFY(NetTest::allEnabled(NetTest::commandControls(w), true));
        QVERIFY(w->cmdState->isEnabled());
        w->cmdState->click();
        QCOMPARE(w->PicMsg->document()->lastBlock().text(), QStringLiteral("Current Net State is Connected(7)"));
    }

    // A reply that looks like markup shows as it came, tags and all.
    void replyShownAsItCame()
    {
        const QString reply = QStringLiteral("<b>x</b>");
        QVERIFY(f.connectTo(reply));
        const QLabel *l = f.w->lblServerInfo[0];
        QCOMPARE(l->text(), reply);
        QVERIFY2(l->textFormat() == Qt::PlainText
                     && l->sizeHint().width() >= l->fontMetrics().horizontalAdvance(reply),
                 "shown as markup");
    }

    // A reply that comes in two pieces is two replies: the first piece ends
    // the wait and is what the window takes; the second is a reply that no
    // wait took, left for the next one.
    void splitReply()
    {
        QVERIFY(f.connectTo(QStringLiteral("4630E4")));
        frmMain *w = f.w;
        f.portd->settings().portSettings[1] = QStringLiteral("57600,7,1,2");
        f.portd->setMode(SimulatedPortd::Mode::Split);
        f.portd->setSplitGap(-1); // the second pieces wait for releaseHeld()
        f.choosePort(1);
        QCOMPARE(w->lblCommStatus->text(), QStringLiteral("57600"));
        QVERIFY(!w->gotdata);
        f.portd->releaseHeld();
        QTRY_VERIFY(w->gotdata);
        QVERIFY(w->strNew.endsWith(QStringLiteral(",1,2")));
        QCOMPARE(w->lblCommStatus->text(), QStringLiteral("57600"));
    }

    // No connection within 3000 ms, or no reply to one identity query: one
    // message in a cleared pane, the window back to Unconnected, the replies
    // already shown kept.
    void connectTimesOut_data()
    {
        QTest::addColumn<QByteArray>("silentFrom"); // the first request left unanswered
        QTest::addColumn<bool>("listening");
        QTest::addColumn<QString>("gateway");
        QTest::newRow("nothing listens") << QByteArray() << false << "Unconnected";
        QTest::newRow("never answers 10") << QByteArray("10") << true << "Unconnected";
        QTest::newRow("no reply to 15") << QByteArray("15") << true << "192.9.40.254";
    }
    void connectTimesOut()
    {
        QFETCH(QByteArray, silentFrom);
        QFETCH(bool, listening);
        if (!listening) {
            // A port where nothing listens: the one just freed.
            f.portd->stop();
        } else {
            f.portd->setReply(silentFrom, QByteArray());
        }
        const qint64 clicked = f.portd->elapsed();
        f.w->cmdConnect->click();
        frmMain *w = f.w;
        QCOMPARE(NetTest::pane(w), QStringLiteral("Connected Server Timeout!"));
        // Not before 3000 ms from the connection attempt or the query.
        const qint64 from = listening ? NetTest::sentAt(*f.portd, silentFrom) : clicked;
        QVERIFY(from >= 0);
        QVERIFY2(f.portd->elapsed() - from >= 3000 - NetTest::kSlackMs,
                 qPrintable(QString::number(f.portd->elapsed() - from)));
        QCOMPARE(w->cmdConnect->text(), QStringLiteral("Connect"));
        QVERIFY(w->cmdConnect->isEnabled() && w->txtIP->isEnabled() && w->txtPort->isEnabled());
        QVERIFY(!w->flgConnect && !w->cmdSend->isEnabled());
        QVERIFY(NetTest::allEnabled(NetTest::commandControls(w), false));
        QTEST(w->lblGateway->text(), "gateway");
        QCOMPARE(w->tcpPC->State(), int(Winsock::sckClosed));
        QCOMPARE(w->combCommPort->count(), 0);
        if (listening) {
            const QByteArrayList sent = f.portd->requestTexts();
            QCOMPARE(sent.last(), silentFrom);
            QTRY_COMPARE(f.portd->controlConnections(), 0);
            for (int k = 1; k <= 8; ++k)
                QVERIFY(!f.portd->isDataConnected(k));
        }
        // It connects on a second try.
        if (listening) {
            f.portd->clearReplies();
            const bool connected = f.connectTo(QStringLiteral("4630E2"));
        QVERIFY2(connected, qPrintable(NetTest::pane(f.w)));
        }
    }

    // A device that answers every query 1000 ms late is still within the
    // 3000 ms reply wait.
    void lateRepliesConnect()
    {
        f.portd->setReplyDelay(1000);
        const bool connected = f.connectTo(QStringLiteral("4630E2"));
        QVERIFY2(connected, qPrintable(NetTest::pane(f.w)));
        CHECK_REQUESTS(*f.portd, connectSteps(false));
        QCOMPARE(f.w->lblServerInfo[0]->text(), QStringLiteral("4630E2"));
        QCOMPARE(f.w->lblCommStatus->text(), QStringLiteral("19200,8,0,1"));
    }

    // A control port that is no port: nothing is connected, the pane says why.
    void controlPortRefused_data()
    {
        QTest::addColumn<QString>("port");
        QTest::newRow("letters") << "abc";
        QTest::newRow("zero") << "0";
    }
    void controlPortRefused()
    {
        QFETCH(QString, port);
        f.w->txtPort->setText(port);
        f.w->cmdConnect->click();
        QCOMPARE(f.w->PicMsg->document()->lastBlock().text(),
                 QStringLiteral("Connetion Port \"%1\" is not a number from 1 to 65535: not connected.").arg(port));
        QVERIFY(f.w->cmdConnect->isEnabled() && f.w->txtPort->isEnabled() && !f.w->flgConnect);
        QCOMPARE(f.w->tcpPC->State(), int(Winsock::sckClosed));
        QCOMPARE(f.portd->controlConnections(), 0);
    }

    // 16 lines at most; lines printed or cleared directly leave the count.
    void messagePane()
    {
        frmMain *w = f.w;
        for (int i = 2; i <= 16; ++i)
            w->ShowMsg(QString::number(i));
        QCOMPARE(w->PicMsg->blockCount(), 16);
        w->ShowMsg(QStringLiteral("17th"));
        QCOMPARE(NetTest::pane(w), QStringLiteral("17th"));
        QCOMPARE(w->Cnt, 1);
        // Cleared directly: it still wraps when 16 are counted since the wrap.
        w->clearPane();
        w->printLine(QStringLiteral("direct"));
        for (int i = 2; i <= 15; ++i)
            w->ShowMsg(QString::number(i));
        QCOMPARE(w->Cnt, 15);
        w->ShowMsg(QStringLiteral("16th"));
        w->ShowMsg(QStringLiteral("wrapped"));
        QCOMPARE(NetTest::pane(w), QStringLiteral("wrapped"));
        w->ClearMsg();
        QCOMPARE(w->Cnt, 0);
        w->ShowNetState(12);
        w->cmdState->setEnabled(true);
        w->cmdState->click();
        QCOMPARE(NetTest::pane(w), QStringLiteral("Current Net State is (12)\nCurrent Net State is Closed(0)"));
        QCOMPARE(w->Cnt, 2);
        // A line far longer than a reply shows its start only.
        const QString flood(100000, QLatin1Char('x'));
        w->ShowMsg(flood);
        QCOMPARE(w->PicMsg->document()->lastBlock().text(), flood.left(frmMain::kPaneLineChars));
    }

    // Disconnect closes every connection and sends nothing; the buffers and
    // the Modbus labels stay. Unloading while connected closes the connections.
    void disconnectAndUnload()
    {
        QVERIFY(f.connectTo(QStringLiteral("4630M2")));
        frmMain *w = f.w;
        f.portd->pushData(1, "kept");
        QTRY_COMPARE(w->commBuf(0), QStringLiteral("kept"));
        f.portd->clearLog();
        const int counted = w->Cnt;
        w->cmdConnect->click();
        QVERIFY(!w->flgConnect);
        QCOMPARE(NetTest::pane(w), QStringLiteral("Unconnected"));
        QCOMPARE(w->Cnt, counted); // the direct line is not counted
        QCOMPARE(w->cmdConnect->text(), QStringLiteral("Connect"));
        QCOMPARE(w->combCommPort->count(), 0);
        QVERIFY(w->combCommPort->isEnabled() && !w->cmdSend->isEnabled() && !w->cmdCommTx->isEnabled());
        QVERIFY(NetTest::allEnabled(NetTest::commandControls(w), false));
        for (QLabel *l : {w->lblServerInfo[0], w->lblServerInfo[1], w->lblServerInfo[2], w->lblIP,
                          w->lblGateway, w->lblMask, w->lblMAC, w->lblCommStatus})
            QCOMPARE(l->text(), QStringLiteral("Unconnected"));
        QCOMPARE(w->lblModBus->text(), QStringLiteral("Modbus Disable"));
        QCOMPARE(w->lblAllModbusSet->text(), QStringLiteral("0"));
        QCOMPARE(w->commBuf(0), QStringLiteral("kept"));
        QCOMPARE(w->ComNo, 2);
        QTRY_COMPARE(f.portd->controlConnections(), 0);
        QTRY_VERIFY(!f.portd->isDataConnected(1) && !f.portd->isDataConnected(2));
        QVERIFY(f.portd->requestTexts().isEmpty());

        // Connected again, then closed: the device sees the connections end.
        QVERIFY(f.connectTo(QStringLiteral("4630E3")));
        f.portd->clearLog();
        f.w->cmdEnd->click();
        QTRY_VERIFY(!f.w);
        QTRY_COMPARE(f.portd->controlConnections(), 0);
        QTRY_VERIFY(!f.portd->isDataConnected(1) && !f.portd->isDataConnected(3));
        QVERIFY(f.portd->requestTexts().isEmpty());
    }

    // Receive: CR LF pairs removed, a port's data shown only while it is
    // selected, the buffer of the port left emptied, hex views following.
    void receivePerPort()
    {
        QVERIFY(f.connectTo(QStringLiteral("4630E4")));
        frmMain *w = f.w;
        f.portd->pushData(1, "OK\r\nnext\r\n");
        QTRY_COMPARE(w->txtCommRx->text(), QStringLiteral("OKnext"));
        f.portd->pushData(1, "A\rB");
        QTRY_COMPARE(w->txtCommRx->text(), QStringLiteral("OKnextA\rB"));
        QTRY_COMPARE(w->txtCommRxHex->text(), QStringLiteral("4F.4B.6E.65.78.74.41.0D.42."));

        // Comm3 collects while Comm1 is shown.
        f.portd->pushData(3, "three");
        QTRY_COMPARE(w->commBuf(2), QStringLiteral("three"));
        QCOMPARE(w->txtCommRx->text(), QStringLiteral("OKnextA\rB"));
        f.portd->clearLog();
        f.choosePort(2);
        CHECK_REQUESTS(*f.portd, {{0, "163"}, {100, "163"}});
        QCOMPARE(w->curPort(), 2);
        QCOMPARE(w->txtCommRx->text(), QString());
        QCOMPARE(w->commBuf(0), QString()); // the port left is emptied
        f.portd->pushData(3, "+more");
        QTRY_COMPARE(w->txtCommRx->text(), QStringLiteral("three+more"));
        QTRY_COMPARE(w->txtCommRxHex->text(), CommData::HexView(u"three+more"));

        // Back to Comm1: its earlier data is gone.
        f.portd->pushData(1, "z");
        QTRY_COMPARE(w->commBuf(0), QStringLiteral("z"));
        f.choosePort(0);
        QCOMPARE(w->commBuf(2), QString());
        f.portd->pushData(1, "y");
        QTRY_COMPARE(w->txtCommRx->text(), QStringLiteral("zy"));

        // Clear empties the box and the selected port's buffer.
        w->cmdCommClr->click();
        QCOMPARE(w->commBuf(0), QString());
        QTRY_COMPARE(w->txtCommRxHex->text(), QString());

        // The send box's hex view follows its text.
        w->txtCommTx->setText(QStringLiteral("0"));
        QTRY_COMPARE(w->txtCommTxHex->text(), QStringLiteral("30."));
    }

    // What a send puts on the wire; the send empties the receive box and the
    // port's buffer and keeps its own text.
    void sendTerminatorAndChecksum_data()
    {
        QTest::addColumn<int>("terminator");
        QTest::addColumn<bool>("checksum");
        QTest::addColumn<bool>("byEnter");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("CR_LF on") << 4 << true << false << QByteArray("abc26\r\n");
        QTest::newRow("None on, Enter") << 0 << true << true << QByteArray("abc26");
    }
    void sendTerminatorAndChecksum()
    {
        QFETCH(int, terminator);
        QFETCH(bool, checksum);
        QFETCH(bool, byEnter);
        QFETCH(QByteArray, wire);
        const bool connected = f.connectTo(QStringLiteral("4630E2"));
        QVERIFY2(connected, qPrintable(NetTest::pane(f.w)));
        frmMain *w = f.w;
        f.choosePort(1);
        f.portd->pushData(2, "old");
        QTRY_COMPARE(w->txtCommRx->text(), QStringLiteral("old"));
        w->optAppend[terminator]->click();
        QCOMPARE(w->intAppend, terminator);
        w->optChecksum[checksum ? 0 : 1]->click();
        w->txtCommTx->setText(QStringLiteral("abc"));
        if (byEnter)
            QTest::keyClick(w->txtCommTx, Qt::Key_Return);
        else
            w->cmdCommTx->click();
        QTRY_COMPARE(f.portd->dataReceived(2), wire);
        QCOMPARE(f.portd->dataReceived(1), QByteArray());
        QCOMPARE(w->txtCommRx->text(), QString());
        QCOMPARE(w->commBuf(1), QString());
        QCOMPARE(w->txtCommTx->text(), QStringLiteral("abc"));
        // An empty box sends nothing.
        w->txtCommTx->clear();
        w->cmdCommTx->click();
        QTest::qWait(0);
        QCOMPARE(f.portd->dataBytesReceived(2), wire.size());
    }

    // A data connection the device closed: sending on it tells so, and
    // changes nothing.
    void closedDataConnection()
    {
        const bool connected = f.connectTo(QStringLiteral("4630E2"));
        QVERIFY2(connected, qPrintable(NetTest::pane(f.w)));
        frmMain *w = f.w;
        f.choosePort(1);
        f.portd->pushData(2, "before");
        QTRY_COMPARE(w->txtCommRx->text(), QStringLiteral("before"));
        f.portd->closeData(2);
        QTRY_VERIFY(w->tcpComm[1]->State() != Winsock::sckConnected);
        w->txtCommTx->setText(QStringLiteral("x"));
        w->cmdCommTx->click();
        QCOMPARE(w->PicMsg->document()->lastBlock().text(), QStringLiteral("tcp comm1 is not connected"));
        QCOMPARE(w->txtCommRx->text(), QStringLiteral("before"));
        QCOMPARE(w->commBuf(1), QStringLiteral("before"));
        // The other port still works (the switch empties the send box).
        f.choosePort(0);
        w->txtCommTx->setText(QStringLiteral("x"));
        w->cmdCommTx->click();
        QTRY_COMPARE(f.portd->dataReceived(1), QByteArray("x\r"));
    }

    // The Modbus status of the selected port: "0" and "1" worded, anything
    // else leaving the wording as it was.
    void modbusStatusOnSwitch_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("wording");
        QTest::newRow("1") << QByteArray("1") << "Modbus Enable";
        QTest::newRow("error reply") << QByteArray("Input Command Not Support") << "Modbus Disable";
    }
    void modbusStatusOnSwitch()
    {
        QFETCH(QByteArray, reply);
        QVERIFY(f.connectTo(QStringLiteral("4630M4")));
        QCOMPARE(f.w->lblModBus->text(), QStringLiteral("Modbus Disable"));
        f.portd->setReply("334", reply);
        f.portd->settings().portSettings[3] = QStringLiteral("115200,8,0,2");
        f.portd->clearLog();
        f.choosePort(3);
        CHECK_REQUESTS(*f.portd, {{0, "334"}, {100, "334"}, {0, "164"}, {100, "164"}});
        QCOMPARE(f.w->lblAllModbusSet->text(), QString::fromLatin1(reply));
        QTEST(f.w->lblModBus->text(), "wording");
        QCOMPARE(f.w->lblCommStatus->text(), QStringLiteral("115200,8,0,2"));
    }

    // A device port that streams keeps only its latest data, in the buffer,
    // the box and the hex view alike.
    void streamKeepsTheLatestData()
    {
        QVERIFY(f.connectTo(QStringLiteral("4630E1")));
        frmMain *w = f.w;
        const qsizetype limit = CommData::CommBuffers::kBufferChars;
        QByteArray data;
        for (int i = 0; data.size() < 3 * limit; ++i)
            data += QByteArray::number(i) + (i % 10 ? " " : "\r\n");
        data += "END";
        f.portd->pushData(1, data);
        QTRY_VERIFY(w->commBuf(0).endsWith(QStringLiteral("END")));
        const QString kept = w->commBuf(0);
        QCOMPARE(kept.size(), limit);
        QCOMPARE(kept, QString::fromLatin1(data).remove(QStringLiteral("\r\n")).right(limit));
        QTRY_COMPARE(w->txtCommRx->text(), kept);
        QTRY_COMPARE(w->txtCommRxHex->text(), CommData::HexView(kept));
        QTRY_VERIFY(w->txtCommRx->isUpToDate());
        // What the box shows is the text, rows cut at its width.
        QCOMPARE(w->txtCommRx->toPlainText().remove(QLatin1Char('\n')), kept);
    }

    // Clicks and arrivals during the waits share the reply flags; a nested
    // port switch, a Disconnect during the identity queries and a close
    // during a wait all end safely.
    void clicksDuringWaits()
    {
        QVERIFY(f.connectTo(QStringLiteral("4630E4")));
        frmMain *w = f.w;
        // A second switch chosen while the first waits for its reply.
        f.portd->setReplyDelay(150);
        bool once = false;
        connect(f.portd.get(), &SimulatedPortd::requestReceived, this, [&](const QByteArray &r) {
            if (r == "162" && !once) {
                once = true;
                QTimer::singleShot(0, this, [&] {
                    f.portd->pushData(3, "during");
                    f.choosePort(2);
                });
            }
        });
        f.choosePort(1);
        QTRY_COMPARE(w->combCommPort->currentIndex(), 2);
        QCOMPARE(w->curPort(), 2);
        f.portd->disconnect(this);
        f.portd->setReplyDelay(0);
        f.portd->pushData(3, "+after");
        QTRY_VERIFY(w->txtCommRx->text().endsWith(QStringLiteral("+after")));
        QCOMPARE(w->txtCommRx->text(), w->commBuf(2));
    }

    void disconnectDuringIdentityQueries()
    {
        frmMain *w = f.w;
        f.portd->setReply("13", QByteArray()); // the Connect waits there
        connect(f.portd.get(), &SimulatedPortd::requestReceived, this, [&](const QByteArray &r) {
            if (r == "13")
                QTimer::singleShot(0, w, [w] { w->cmdConnect_Click(); });
        });
        w->cmdConnect->click();
        QVERIFY(!w->flgConnect && !w->isConnecting());
        QCOMPARE(NetTest::pane(w), QStringLiteral("Unconnected"));
        QCOMPARE(f.portd->requestTexts(), (QByteArrayList{"10", "01", "13"}));
        QCOMPARE(w->combCommPort->count(), 0);
        QTRY_COMPARE(f.portd->controlConnections(), 0);
        for (int k = 1; k <= 8; ++k)
            QVERIFY(!f.portd->isDataConnected(k));
        // Connected again afterwards.
        f.portd->disconnect(this);
        f.portd->clearReplies();
        f.portd->clearLog();
        QVERIFY(f.connectTo(QStringLiteral("4630E1")));
        CHECK_REQUESTS(*f.portd, connectSteps(false));
    }

    void closeDuringWait_data()
    {
        QTest::addColumn<QByteArray>("closeAt"); // closed when the device reads it...
        QTest::addColumn<int>("time");           // ... for this time
        QTest::newRow("identity query") << QByteArray("15") << 1;
        QTest::newRow("doubled query's gap") << QByteArray("331") << 1;
        QTest::newRow("port switch's reply") << QByteArray("161") << 3;
    }
    void closeDuringWait()
    {
        QFETCH(QByteArray, closeAt);
        QFETCH(int, time);
        f.portd->settings().moduleName = QStringLiteral("4630M2");
        // The device is slow, so that the window surely waits.
        f.portd->setReplyDelay(50);
        int seen = 0;
        connect(f.portd.get(), &SimulatedPortd::requestReceived, this, [&](const QByteArray &r) {
            if (r == closeAt && ++seen == time && f.w)
                QTimer::singleShot(0, f.w, [this] { f.w->close(); });
        });
        f.w->cmdConnect->click();
        QTRY_VERIFY(!f.w);
        QCOMPARE(seen, time);
        QVERIFY(!Windows::loaded(WindowName::frmMain));
        QTRY_COMPARE(f.portd->controlConnections(), 0);
    }
};

QTEST_MAIN(TstFrmMain)
#include "tst_frmmain.moc"
