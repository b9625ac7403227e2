#include "app/twips.h"
#include "net/winsock.h"
#include "netclient/addressdialog.h"
#include "netclient/commandlist.h"
#include "netclient/commandlisttext.h"
#include "netclient/comset.h"
#include "tests/netclient/netclienttestutil.h"
#include "tests/support/scripteddialogs.h"

#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLineEdit>
#include <QTimer>

#include <functional>

using NetTest::Step;

namespace {

const QString kNote = QStringLiteral("Note!");
const QString kRangeTitle = QStringLiteral("Error message!");

QString lastLine(const frmMain *w)
{
    return w->PicMsg->document()->lastBlock().text();
}

QStringList split(const QString &joined)
{
    return joined.split(QLatin1Char('|'));
}

} // namespace

// The device commands of the network client, its COM-port and address
// dialogs and the command list, end to end against a simulated Portd: the
// requests on the wire with their spacing, what the dialogs write back into
// the client, and dialogs or the client closed during a dialog's wait.
class TstNetCommands : public QObject
{
    Q_OBJECT

    NetTest::Fixture f;
    std::unique_ptr<ScriptedDialogs> m_dialogs;

    // Runs act once window name is open (shown modally), from inside its
    // loop. act must leave the window closed or about to close.
    void whenOpen(const QString &name, std::function<void(Form *)> act)
    {
        auto *timer = new QTimer(this);
        timer->setInterval(1);
        connect(timer, &QTimer::timeout, this, [timer, name, act] {
            Form *form = Windows::loaded(name);
            if (!form || !form->isVisible())
                return;
            timer->stop();
            timer->deleteLater();
            act(form);
        });
        timer->start();
    }

    // Acts once the device has read a request starting with prefix.
    void whenRequested(const QByteArray &prefix, std::function<void()> act)
    {
        auto once = std::make_shared<QMetaObject::Connection>();
        *once = connect(f.portd.get(), &SimulatedPortd::requestReceived, this,
                        [this, once, prefix, act](const QByteArray &r) {
                            if (!r.startsWith(prefix))
                                return;
                            disconnect(*once);
                            QTimer::singleShot(0, this, act);
                        });
    }

private slots:
    void init()
    {
        m_dialogs = std::make_unique<ScriptedDialogs>();
        QVERIFY(f.start());
    }
    void cleanup()
    {
        f.stop();
        m_dialogs.reset();
    }

    // Each LED button sends its three characters and waits for one reply;
    // a missing reply is not reported.
    void ledCommands_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("Led ON") << true << QByteArray("OK.");
        QTest::newRow("Led OFF") << false << QByteArray("OK.");
        QTest::newRow("no reply") << true << QByteArray();
    }
    void ledCommands()
    {
        QFETCH(bool, on);
        QFETCH(QByteArray, reply);
        QVERIFY(f.connectTo(QStringLiteral("4630E4")));
        frmMain *w = f.w;
        f.choosePort(1);
        f.portd->pushData(2, "buffered");
        QTRY_COMPARE(w->commBuf(1), QStringLiteral("buffered"));
        w->txtCommTx->setText(QStringLiteral("typed"));
        // The switch's second reply has come: no stale reply ends the wait.
        QTRY_VERIFY(w->gotdata);
        w->gotdata = false;
        const QByteArray request = on ? "201" : "200";
        f.portd->setReply(request, reply);
        f.portd->clearLog();
        const int linesBefore = w->PicMsg->blockCount();
        (on ? w->cmdLedon : w->cmdLedoff)->click();
        QCOMPARE(f.portd->requestTexts(), QByteArrayList{request});
        QVERIFY(!w->gotdata);
        QCOMPARE(w->txtCommTx->text(), QString());
        QCOMPARE(w->commBuf(1), QString());
        QCOMPARE(w->curPort(), 1);
        if (reply.isEmpty()) {
            QVERIFY(w->timeout);
            QCOMPARE(w->PicMsg->blockCount(), linesBefore);
        } else {
            QCOMPARE(lastLine(w), QStringLiteral("[4630K Say]: OK."));
        }
    }

    // "99", then 4500 ms with events handled, then the connect button's
    // click: a Disconnect, or a new Connect when the user disconnected during
    // the pause. A second click during the pause sends nothing.
    void reboot_data()
    {
        QTest::addColumn<QString>("during"); // what the user does in the pause
        QTest::newRow("nothing") << "";
        QTest::newRow("reboot clicked again") << "cmdReboot";
        QTest::newRow("disconnected by hand") << "cmdConnect";
    }
    void reboot()
    {
        QFETCH(QString, during);
        QVERIFY(f.connectTo(QStringLiteral("4630E1")));
        frmMain *w = f.w;
        f.portd->clearLog();
        if (!during.isEmpty()) {
            QTimer::singleShot(1000, this, [this, during] {
                f.w->findChild<QPushButton *>(during)->click();
            });
        }
        QElapsedTimer clock;
        clock.start();
        w->cmdReboot->click();
        // Timed from before the click: never shorter than the pause.
        QVERIFY2(clock.elapsed() >= 4500 - NetTest::kSlackMs,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(f.portd->requestTexts().count("99"), 1);
        QCOMPARE(f.portd->requestTexts().first(), QByteArray("99"));
        if (during == QStringLiteral("cmdConnect")) {
            QVERIFY(w->flgConnect);
            QVERIFY(NetTest::pane(w).startsWith(QStringLiteral("Server Connected!")));
        } else {
            QVERIFY(!w->flgConnect);
            QCOMPARE(w->cmdConnect->text(), QStringLiteral("Connect"));
            QCOMPARE(NetTest::pane(w), QStringLiteral("Unconnected"));
            QCOMPARE(f.portd->requestTexts(), QByteArrayList{"99"});
            QTRY_COMPARE(f.portd->controlConnections(), 0);
        }
    }

    // The typed text goes out exactly as typed; its reply shows in the pane
    // and stays for the next wait. Without a connection the state is shown.
    void rawCommand()
    {
        QVERIFY(f.connectTo(QStringLiteral("4630E2")));
        frmMain *w = f.w;
        f.portd->pushData(1, "kept");
        QTRY_COMPARE(w->txtCommRx->text(), QStringLiteral("kept"));
        QTRY_VERIFY(w->gotdata); // the switch's late reply
        w->gotdata = false;
        f.portd->clearLog();
        w->txtSend->setText(QStringLiteral("11Hello!"));
        w->txtCommTx->setText(QStringLiteral("x"));
        w->cmdSend->click();
        QCOMPARE(w->txtCommTx->text(), QString());
        QCOMPARE(w->txtCommRx->text(), QString());
        QCOMPARE(w->commBuf(0), QStringLiteral("kept"));
        QTRY_COMPARE(lastLine(w), QStringLiteral("[4630K Say]: Hello!"));
        // Nobody waited for it: the next wait takes it at once.
        QVERIFY(w->gotdata);
        QCOMPARE(w->strNew, QStringLiteral("Hello!"));
        QTest::keyClick(w->txtSend, Qt::Key_Return);
        CHECK_REQUESTS(*f.portd, {{0, "11Hello!"}, {0, "11Hello!"}});
        QCOMPARE(w->txtSend->text(), QStringLiteral("11Hello!"));

        // The Set beside the MAC does nothing.
        f.portd->clearLog();
        const QString before = NetTest::pane(w);
        w->cmdMacset->click();
        QCOMPARE(NetTest::pane(w), before);

        // The device closed the control connection.
        f.portd->closeControl();
        QTRY_VERIFY(w->tcpPC->State() != Winsock::sckConnected);
        const int state = w->tcpPC->State();
        w->cmdSend->click();
        QCOMPARE(lastLine(w), QStringLiteral("Current Net State is %1(%2)")
                                  .arg(Winsock::stateName(state)).arg(state));
        QVERIFY(f.portd->requestTexts().isEmpty());
    }

    // Blanks typed are sent; the reply to a raw command, which no wait took,
    // is not taken for the module name by the next Connect.
    void rawCommandThenReconnect()
    {
        QVERIFY(f.connectTo(QStringLiteral("4630E2")));
        frmMain *w = f.w;
        QTRY_VERIFY(w->gotdata); // the switch's late reply
        w->gotdata = false;
        f.portd->clearLog();
        w->txtSend->setText(QStringLiteral(" 11Hello! "));
        w->cmdSend->click();
        QTRY_VERIFY(w->gotdata);
        QCOMPARE(f.portd->requestTexts(), QByteArrayList{" 11Hello! "});
        w->cmdConnect->click();
        QVERIFY(!w->flgConnect);
        const bool connected = f.connectTo(QStringLiteral("4630E2"));
        QCOMPARE(w->lblServerInfo[0]->text(), QStringLiteral("4630E2"));
        QVERIFY(connected);
    }

    // The dialog opens with the caption, lists and choices that the selected
    // port's settings and Modbus status give; a field that matches no item
    // leaves its list without a choice (it keeps its design text).
    void comsetPreselection_data()
    {
        QTest::addColumn<QString>("moduleName");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("commStatus");
        QTest::addColumn<QString>("modbusStatus");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shown");   // the five lists' texts
        QTest::addColumn<QString>("indexes"); // the five choices
        QTest::addColumn<QString>("counts");  // data-bit and stop-bit choices
        QTest::addColumn<bool>("modbusEnabled");
        QTest::newRow("Comm3, 115200,8,0,2") << "4630E4" << 2 << "115200,8,0,2" << "AllModbusSet"
                                             << "COMM3 Setting" << "115200|8|none|2|Modbus"
                                             << "7|3|0|1|-1" << "4|2" << false;
        QTest::newRow("shorter than six") << "4630E4" << 1 << "OK" << "AllModbusSet"
                                          << "COMM2 Setting" << "Baudrate|Dtatbit|Parity|Stopbit|Modbus"
                                          << "-1|-1|-1|-1|-1" << "2|1" << false;
        QTest::newRow("Modbus enabled") << "4630M4" << 0 << "19200,8,0,1" << "1"
                                        << "COMM1 Setting" << "19200|8|none|1|Enable"
                                        << "4|1|0|0|1" << "2|1" << true;
    }
    void comsetPreselection()
    {
        QFETCH(QString, moduleName);
        QFETCH(int, port);
        QFETCH(QString, commStatus);
        QFETCH(QString, modbusStatus);
        QVERIFY(f.connectTo(moduleName));
        frmMain *w = f.w;
        f.choosePort(port);
        // As the port's replies (or older ones after a time-out) left them.
        w->lblCommStatus->setText(commStatus);
        w->lblAllModbusSet->setText(modbusStatus);
        const QString modbusWording = w->lblModBus->text();
        f.portd->clearLog();
        QString gotCaption, gotShown, gotIndexes, gotCounts;
        bool gotEnabled = false;
        whenOpen(WindowName::comset, [&](Form *form) {
            auto *d = qobject_cast<comset *>(form);
            gotCaption = d->windowTitle();
            QStringList texts, chosen;
            for (QComboBox *c : {d->cmbBaudrate, d->cmbDatabit, d->cmbParity, d->cmbStopbit, d->cmbModbus}) {
                texts << c->currentText();
                chosen << QString::number(c->currentIndex());
            }
            gotShown = texts.join('|');
            gotIndexes = chosen.join('|');
            gotCounts = QStringLiteral("%1|%2").arg(d->cmbDatabit->count()).arg(d->cmbStopbit->count());
            gotEnabled = d->cmbModbus->isEnabled();
            d->Command2->click();
        });
        w->cmdCommSet->click();
        QVERIFY(!Windows::loaded(WindowName::comset));
        QTEST(gotCaption, "caption");
        QTEST(gotShown, "shown");
        QTEST(gotIndexes, "indexes");
        QTEST(gotCounts, "counts");
        QTEST(gotEnabled, "modbusEnabled");
        // Cancel sends nothing and changes nothing.
        QVERIFY(f.portd->requestTexts().isEmpty());
        QCOMPARE(w->lblCommStatus->text(), commStatus);
        QCOMPARE(w->lblAllModbusSet->text(), modbusStatus);
        QCOMPARE(w->lblModBus->text(), modbusWording);
    }

    // "Set" sends 06, 07 and, when the Modbus list is enabled, 32, each
    // followed by the dialog's wait, and writes what it sent into the
    // client's labels. A typed text goes out as typed, also after Enter in
    // its list; a typed parity or Modbus choice has no index: -1.
    void comsetSends_data()
    {
        QTest::addColumn<QString>("moduleName");
        QTest::addColumn<int>("port");
        // baud|data|parity|stop|modbus; "~" marks a text put in, "!" one typed and ended by Enter
        QTest::addColumn<QString>("choices");
        QTest::addColumn<QByteArrayList>("requests");
        QTest::addColumn<QString>("labels"); // lblCommStatus|lblModBus|lblAllModbusSet
        QTest::newRow("port 3, plain device") << "4630E4" << 2 << "9600|8|even|1|"
                                              << QByteArrayList{"0639600", "073811"}
                                              << "9600,8,1,1|No Modbus function|AllModbusSet";
        QTest::newRow("Modbus enabled") << "4630M4" << 0 << "38400|7|odd|1|Enable"
                                        << QByteArrayList{"06138400", "071721", "3211"}
                                        << "38400,7,2,1|Modbus Enable|1";
        QTest::newRow("typed texts") << "4630M2" << 1 << "~14400|~9|none|~3|~maybe"
                                     << QByteArrayList{"06214400", "072903", "322-1"}
                                     << "14400,9,0,3|Modbus maybe|1";
        QTest::newRow("typed, then Enter") << "4630M2" << 1 << "!9600|8|!EVEN|1|!enable"
                                           << QByteArrayList{"0629600", "0728-11", "322-1"}
                                           << "9600,8,-1,1|Modbus enable|1";
    }
    void comsetSends()
    {
        QFETCH(QString, moduleName);
        QFETCH(int, port);
        QFETCH(QString, choices);
        QFETCH(QByteArrayList, requests);
        QFETCH(QString, labels);
        QVERIFY(f.connectTo(moduleName));
        frmMain *w = f.w;
        f.choosePort(port);
        QTRY_VERIFY(w->gotdata); // the switch's late reply
        w->gotdata = false;
        f.portd->clearLog();
        whenOpen(WindowName::comset, [&](Form *form) {
            auto *d = qobject_cast<comset *>(form);
            const QStringList c = split(choices);
            const QList<QComboBox *> lists = {d->cmbBaudrate, d->cmbDatabit, d->cmbParity,
                                              d->cmbStopbit, d->cmbModbus};
            for (int i = 0; i < lists.size(); ++i) {
                if (c[i].startsWith(u'~')) {
                    lists[i]->setEditText(c[i].mid(1));
                } else if (c[i].startsWith(u'!')) {
                    lists[i]->setFocus();
                    lists[i]->lineEdit()->selectAll();
                    QTest::keyClicks(lists[i], c[i].mid(1));
                    QTest::keyClick(lists[i], Qt::Key_Return);
                }
                else if (!c[i].isEmpty())
                    lists[i]->setCurrentIndex(lists[i]->findText(c[i]));
            }
            d->Command1->click();
        });
        w->cmdCommSet->click();
        QVERIFY(!Windows::loaded(WindowName::comset));
        QList<Step> steps;
        for (const QByteArray &r : requests)
            steps << Step{steps.isEmpty() ? 0 : 200, r};
        CHECK_REQUESTS(*f.portd, steps);
        QCOMPARE(QStringList({w->lblCommStatus->text(), w->lblModBus->text(), w->lblAllModbusSet->text()}),
                 split(labels));
        QVERIFY(m_dialogs->shown().isEmpty());
    }

    // Once the reply timer has fired, the dialog's wait ends at its first
    // test: a silent device still gets every request, 200 ms apart.
    void dialogWaitAfterTheTimerFired()
    {
        QVERIFY(f.connectTo(QStringLiteral("4630M1")));
        frmMain *w = f.w;
        QTRY_VERIFY_WITH_TIMEOUT(w->timeout, 6000);
        f.portd->setMode(SimulatedPortd::Mode::Silent);
        f.portd->clearLog();
        whenOpen(WindowName::comset, [](Form *form) {
            qobject_cast<comset *>(form)->Command1->click();
        });
        w->cmdCommSet->click();
        CHECK_REQUESTS(*f.portd, {{0, "06119200"}, {200, "071801"}, {200, "3210"}});
        QCOMPARE(w->lblCommStatus->text(), QStringLiteral("19200,8,0,1"));
        QCOMPARE(w->lblModBus->text(), QStringLiteral("Modbus Disable"));
    }

    // A dialog cancelled, or the client closed, while the dialog waits: the
    // wait ends, nothing more is sent, nothing is written into a window that
    // went.
    void dialogWaitEndsSafely_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<bool>("closeClient");
        QTest::newRow("comset cancelled") << WindowName::comset << false;
        QTest::newRow("comset, client closed") << WindowName::comset << true;
        QTest::newRow("IPset cancelled") << WindowName::IPset << false;
        QTest::newRow("Gatewayset, client closed") << WindowName::Gatewayset << true;
    }
    void dialogWaitEndsSafely()
    {
        QFETCH(QString, dialog);
        QFETCH(bool, closeClient);
        QVERIFY(f.connectTo(QStringLiteral("4630M1")));
        frmMain *w = f.w;
        f.portd->setMode(SimulatedPortd::Mode::Silent);
        // The reply timer far from firing: the wait lasts until we act.
        w->gotdata = false;
        w->StartReplyTimer(600000);
        const QString commStatus = w->lblCommStatus->text();
        const QString address = w->txtIP->text();
        f.portd->clearLog();
        QPointer<Form> opened;
        const QByteArray code = dialog == WindowName::comset ? "06"
                                : dialog == WindowName::IPset ? "08"
                                                              : "12";
        whenRequested(code, [&] {
            if (closeClient)
                f.w->close();
            else
                opened->findChild<QPushButton *>(dialog == WindowName::comset ? "Command2" : "Command3")->click();
        });
        whenOpen(dialog, [&](Form *form) {
            opened = form;
            form->findChild<QPushButton *>(dialog == WindowName::comset ? "Command1" : "Command2")->click();
        });
        (dialog == WindowName::comset ? w->cmdCommSet
         : dialog == WindowName::IPset ? w->cmdIPset
                                       : w->cmdGatewayset)->click();
        QTRY_VERIFY(!opened);
        QCOMPARE(f.portd->requestTexts().size(), 1);
        QVERIFY(m_dialogs->shown().isEmpty());
        if (closeClient) {
            QTRY_VERIFY(!f.w);
            QTRY_COMPARE(f.portd->controlConnections(), 0);
        } else {
            QCOMPARE(w->lblCommStatus->text(), commStatus);
            QCOMPARE(w->txtIP->text(), address);
            QCOMPARE(w->Disconnect->text(), QString());
            QVERIFY(w->flgConnect);
        }
    }

    // Each address dialog starts from the client's label, sends its code
    // with the twelve digits, tells the user to reconnect, and the client
    // disconnects once it is active again; IPset also rewrites the address
    // the next connection goes to.
    void addressDialogs_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("prefill");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("address"); // the client's txtIP afterwards
        QTest::newRow("IP") << WindowName::IPset << "127|0|0|1" << "192|9|40|100"
                            << QByteArray("08192009040100")
                            << "You already change the 4630K's IP, please reconnect!" << "192.9.40.100";
        QTest::newRow("mask") << WindowName::Maskset << "255|255|255|0" << "255|255|0|0"
                              << QByteArray("14255255000000")
                              << "You already change the 4630K's Mask, please reconnect!" << "127.0.0.1";
        QTest::newRow("gateway") << WindowName::Gatewayset << "192|9|40|254" << "10|0|0|254"
                                 << QByteArray("12010000000254")
                                 << "You already change the 4630K's Gateway, please reconnect!" << "127.0.0.1";
    }
    void addressDialogs()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, typed);
        QFETCH(QByteArray, request);
        QFETCH(QString, note);
        QVERIFY(f.connectTo(QStringLiteral("4630E1")));
        frmMain *w = f.w;
        QTRY_VERIFY(w->gotdata); // the switch's late reply
        w->gotdata = false;
        f.portd->clearLog();
        QString gotPrefill, octetLabels, argument, status;
        qint64 noteAt = -1;
        m_dialogs->whileShown([&] {
            noteAt = f.portd->elapsed();
            auto *d = qobject_cast<AddressDialog *>(Windows::loaded(dialog));
            QStringList octets;
            for (int i = 0; i < 4; ++i)
                octets << d->findChild<QLabel *>(QStringLiteral("%1(%2)").arg(dialog.chopped(3)).arg(i))->text();
            octetLabels = octets.join('|');
            argument = d->findChild<QLabel *>(QStringLiteral("lblSend%1").arg(dialog.chopped(3)))->text();
            status = d->findChild<QLabel *>(QStringLiteral("lbl%1status").arg(dialog.chopped(3)))->text();
        });
        whenOpen(dialog, [&](Form *form) {
            const QString boxes = QStringLiteral("txt%1(%2)").arg(dialog.chopped(3));
            QStringList pre;
            for (int i = 0; i < 4; ++i)
                pre << form->findChild<QLineEdit *>(boxes.arg(i))->text();
            gotPrefill = pre.join('|');
            const QStringList t = split(typed);
            for (int i = 0; i < 4; ++i)
                form->findChild<QLineEdit *>(boxes.arg(i))->setText(t[i]);
            form->findChild<QPushButton *>(QStringLiteral("Command2"))->click();
        });
        (dialog == WindowName::IPset     ? w->cmdIPset
         : dialog == WindowName::Maskset ? w->cmdMaskset
                                         : w->cmdGatewayset)->click();
        QTEST(gotPrefill, "prefill");
        QCOMPARE(f.portd->requestTexts(), QByteArrayList{request});
        const qint64 sentAt = NetTest::sentAt(*f.portd, request);
        QVERIFY(sentAt >= 0);
        QVERIFY2(noteAt - sentAt >= 200 - NetTest::kSlackMs,
                 qPrintable(QStringLiteral("the note came %1 ms after the request").arg(noteAt - sentAt)));
        QCOMPARE(argument, QString::fromLatin1(request.mid(2)));
        QCOMPARE(octetLabels, QString::fromLatin1(request.mid(2, 3) + '|' + request.mid(5, 3) + '|'
                                                  + request.mid(8, 3) + '|' + request.mid(11, 3)));
        QCOMPARE(status, QStringLiteral("Ok!"));
        QCOMPARE(m_dialogs->shown().size(), 1);
        QCOMPARE(m_dialogs->shown().first().text, note);
        QCOMPARE(m_dialogs->shown().first().title, kNote);
        QCOMPARE(m_dialogs->shown().first().icon, QMessageBox::Information);
        QTEST(w->txtIP->text(), "address");
        // The device took it; the client disconnects when active again.
        QTRY_VERIFY(!w->flgConnect);
        QCOMPARE(NetTest::pane(w), QStringLiteral("Unconnected"));
        QCOMPARE(w->Disconnect->text(), QString());
        QCOMPARE(f.portd->settings().gateway, dialog == WindowName::Gatewayset ? "10.0.0.254" : "192.9.40.254");
        QCOMPARE(f.portd->settings().mask, dialog == WindowName::Maskset ? "255.255.0.0" : "255.255.255.0");
    }

    // An octet of 256 or more refuses with the range message and sends
    // nothing; the dialog stays open. (The octet check itself: see the
    // dialogs' logic test; an accepted address: addressDialogs.)
    void addressRefused()
    {
        QVERIFY(f.connectTo(QStringLiteral("4630E1")));
        frmMain *w = f.w;
        f.portd->clearLog();
        bool stayedOpen = false;
        QString status;
        m_dialogs->whileShown([&] {
            status = Windows::loaded<IPset>(WindowName::IPset)->lblIPstatus->text();
        });
        whenOpen(WindowName::IPset, [&](Form *form) {
            auto *d = qobject_cast<IPset *>(form);
            const QStringList t = split("1|2|3|256");
            for (int i = 0; i < 4; ++i)
                d->txtIP[i]->setText(t[i]);
            d->Command2->click();
            stayedOpen = Windows::loaded<IPset>(WindowName::IPset) == d;
            d->Command3->click();
        });
        w->cmdIPset->click();
        QCOMPARE(status, QStringLiteral("Error!"));
        QVERIFY(stayedOpen);
        QCOMPARE(m_dialogs->shown().size(), 1);
        const ScriptedDialogs::Shown box = m_dialogs->shown().first();
        QCOMPARE(box.text, QStringLiteral("IP value is out of range. Please check it ! "));
        QCOMPARE(box.title, kRangeTitle);
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(f.portd->requestTexts().isEmpty());
        QVERIFY(w->flgConnect);
        QCOMPARE(w->txtIP->text(), QStringLiteral("127.0.0.1"));
    }

    // The boxes start from the client's label split at its first three dots;
    // a label that is no dotted address leaves them empty.
    void addressPrefill_data()
    {
        QTest::addColumn<QString>("gatewayReply");
        QTest::addColumn<QString>("boxes");
        QTest::newRow("address") << "10.0.0.1" << "10|0|0|1";
        QTest::newRow("error reply") << "ERROR: Fail" << "|||";
    }
    void addressPrefill()
    {
        QFETCH(QString, gatewayReply);
        f.portd->settings().gateway = gatewayReply;
        QVERIFY(f.connectTo(QStringLiteral("4630E1")));
        QString got, copy;
        whenOpen(WindowName::Gatewayset, [&](Form *form) {
            auto *d = qobject_cast<Gatewayset *>(form);
            QStringList t;
            for (QLineEdit *e : d->txtGateway)
                t << e->text();
            got = t.join('|');
            copy = d->lblGateway->text();
            d->Command3->click();
        });
        f.w->cmdGatewayset->click();
        QTEST(got, "boxes");
        QCOMPARE(copy, gatewayReply);
    }

    // The help text as built, in a read-only view (where its columns stand
    // is the text-fit test's).
    void commandList()
    {
        QString title, shown;
        bool readOnly = false;
        whenOpen(WindowName::commandlist, [&](Form *form) {
            auto *d = qobject_cast<commandlist *>(form);
            title = d->windowTitle();
            shown = d->text->toPlainText();
            readOnly = d->text->isReadOnly();
            d->Command1->click();
        });
        f.w->cmdCommandlist->click();
        QVERIFY(!Windows::loaded(WindowName::commandlist));
        QCOMPARE(title, QStringLiteral("4630K command list"));
        QVERIFY(readOnly);
        QCOMPARE(shown, CommandListText::text().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }

    // Esc presses the button that closes a window without acting: Cancel
    // in the IP setting dialog, which sends nothing, and Exit in the command
    // list.
    void escapeCloses()
    {
        QVERIFY(f.connectTo(QStringLiteral("4630E1")));
        QTRY_VERIFY(f.w->gotdata); // the switch's late reply
        f.portd->clearLog();
        QStringList stayed;
        const auto pressEscape = [&stayed](Form *form) {
            // Keys go to the active window: the platform's activation may
            // come before the application has taken it in.
            if (!QTest::qWaitFor([form] { return form->isActiveWindow(); }))
                stayed << QStringLiteral("inactive");
            QTest::keyClick(form->focusWidget() ? form->focusWidget() : form, Qt::Key_Escape);
            if (!form->isUnloaded()) {
                stayed << form->objectName();
                form->close();
            }
        };
        whenOpen(WindowName::IPset, pressEscape);
        f.w->cmdIPset->click();
        whenOpen(WindowName::commandlist, pressEscape);
        f.w->cmdCommandlist->click();
        QVERIFY2(stayed.isEmpty(), qPrintable(stayed.join(u',')));
        QCOMPARE(f.portd->requestTexts(), QByteArrayList());
        QVERIFY(f.w->isVisible());
    }

    void commandListExitPlace()
    {
        auto *d = Windows::get<commandlist>(WindowName::commandlist);
        QVERIFY(d);
        QCOMPARE(d->Command1->pos(), QPoint(twips(6720), twips(4920)));
    }
};

QTEST_MAIN(TstNetCommands)
#include "tst_netcommands.moc"
