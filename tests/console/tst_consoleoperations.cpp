#include "app/twips.h"
#include "app/windows.h"
#include "console/console.h"
#include "console/controls.h"
#include "console/frmterminal.h"
#include "console/mscomm.h"
#include "tests/console/consoletestutil.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/simulateddevice.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

const QByteArray kRestart = "Q\rNVCONF.EXE\r";

// The texts of labels and boxes and the choices of lists, joined with "|".
QString values(std::initializer_list<const QWidget *> controls)
{
    QStringList t;
    for (const QWidget *w : controls) {
        if (auto *l = qobject_cast<const QLabel *>(w))
            t << l->text();
        else if (auto *c = qobject_cast<const QComboBox *>(w))
            t << c->currentText();
        else if (auto *e = qobject_cast<const QLineEdit *>(w))
            t << e->text();
    }
    return t.join(u'|');
}

// The boxes shown: title, icon, buttons and text of each.
QString boxes(const ScriptedDialogs &dialogs)
{
    QStringList t;
    for (const ScriptedDialogs::Shown &b : dialogs.shown())
        t << QStringLiteral("%1|%2|%3|%4").arg(b.title).arg(b.icon).arg(b.buttons).arg(b.text);
    return t.join(u'\n');
}

} // namespace

// The configuration window's console operations against the simulated device
// (an eight-port Modbus model). The cases share one loaded window (a load
// waits about 2 s) and run in order: the first loads it as a user would, the
// reboot takes it away; the EXIT case loads its own.
class TstConsoleOperations : public ConsoleWindowTest
{
    Q_OBJECT

private:
    QPointer<frmTerminal> m_f;

    // Takes the loaded window and follows what it sends.
    void takeWindow()
    {
        m_f = Windows::loaded<frmTerminal>(WindowName::frmTerminal);
        if (m_f)
            follow(m_f->MSComm1);
    }

    template<typename T>
    T *child(const QString &name) const
    {
        return m_f->findChild<T *>(name);
    }
    void setOctets(const QString &row, const QStringList &texts)
    {
        for (int i = 0; i < 4; ++i) {
            auto *box = child<QLineEdit>(QStringLiteral("txt%1(%2)").arg(row).arg(i));
            box->clear();
            QTest::keyClicks(box, texts.at(i));
        }
    }
    // The user picks device port COM<port>.
    void choosePort(int port)
    {
        m_f->cmbComSet->setCurrentIndex(port - 1);
        emit m_f->cmbComSet->activated(port - 1);
    }
    // The chosen port's values, its choices, and how many data and stop bits
    // it offers.
    QString portShown() const
    {
        frmTerminal *f = m_f;
        return values({f->lblBaudrate, f->lblDatabit, f->lblParity, f->lblStopbit, f->cmbBaudrate,
                       f->cmbDatabit, f->cmbParity, f->cmbStopbit, f->cmbModbus})
               + QStringLiteral("|%1|%2").arg(f->cmbDatabit->count()).arg(f->cmbStopbit->count());
    }
    // A load that finds no prompt: the quickest, and the warning opens.
    void loadWithoutPrompt()
    {
        m_dev->setSilent(true);
        Windows::show(WindowName::frmTerminal);
        m_dev->setSilent(false);
        takeWindow();
        QVERIFY(m_f && Windows::loaded(WindowName::ConfigurationWarning));
        clearRecords();
    }

private slots:
    void initTestCase()
    {
        m_clock.start();
        resetProgramState();
        registerConsoleWindows();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_dev = std::make_unique<SimulatedDevice>();
        m_dev->attachAs(2);
        SimulatedDevice::Settings &s = m_dev->settings();
        s.model = "4630M8";
        s.databits[0] = "5"; // not offered on COM1
        s.parities[1] = "2";
        s.stopbits[0] = "2";
        s.baudrates[3] = "38400";
        s.baudrates[7] = "19200";
        LauncherState::instance().setComPort("COM2");
        LauncherState::instance().setPcIp("192.168.1.10");
    }
    void init()
    {
        const QByteArray test = QTest::currentTestFunction();
        QVERIFY(m_f || test == "typicalRequest" || test == "exitWaitsForTheRunningOperation");
        if (m_f) {
            // Everything the device said before has reached the window when
            // the answer to a line of our own has.
            QTRY_COMPARE(m_dev->mode(), SimulatedDevice::Mode::Prompt);
            m_f->txtTerm->setText(QString());
            QVERIFY(m_f->Send("SYNC\r"));
            QTRY_VERIFY(m_f->txtTerm->text().endsWith(
                "SYNC\r\nBad command or file name\r\n\r\nA:\\>"));
        }
        clearRecords();
    }
    void cleanupTestCase()
    {
        Windows::clear();
        m_dev.reset();
        m_dialogs.reset();
    }

    // From the launcher's choice to the device's new address, which the
    // network test is then offered.
    void typicalRequest()
    {
        Windows::show(WindowName::frmTerminal);
        takeWindow();
        QVERIFY(m_f);
        QTRY_COMPARE(m_dev->received(), QByteArray("\rNVCONF\rQ"));
        clearRecords();

        setOctets("IP", {"10", "0", "0", "7"});
        m_f->cmdSetIP->click();
        CHECK_LINE({{0, kRestart}, {100, "I"}, {500, "10.0.0.7\r"}, {0, "Q"}});
        QTRY_COMPARE(m_dev->settings().ip, (std::array<int, 4>{10, 0, 0, 7}));
        QCOMPARE(LauncherState::instance().nettestIp(), "10.0.0.7");
    }

    // Octets are sent as typed; a refused one shows the box, then the menu
    // is left. Every IP press reaches the network test.
    void addressSet_data()
    {
        QTest::addColumn<QString>("row"); // the row's controls are named after it
        QTest::addColumn<QByteArray>("letter"); // none: refused
        QTest::addColumn<QStringList>("octets");
        QTest::newRow("mask as typed") << "Mask" << QByteArray("N")
                                       << QStringList{"255", "0255", " 0 1", ""};
        QTest::newRow("IP 256") << "IP" << QByteArray() << QStringList{"192", "9", "40", "256"};
        QTest::newRow("gateway 300") << "Gateway" << QByteArray()
                                     << QStringList{"300", "1", "1", "1"};
    }
    void addressSet()
    {
        QFETCH(QString, row);
        QFETCH(QByteArray, letter);
        QFETCH(QStringList, octets);
        const bool refused = letter.isEmpty();
        const QString joined = octets.join(u'.');
        auto *shown = child<QLineEdit>("txtALL" + row);
        const QString after = (refused ? "Error!|" : "Ok!|") + joined + '|'
                              + (refused ? shown->text() : joined) + '|'
                              + (row == "IP" ? joined : LauncherState::instance().nettestIp());
        QByteArray atTheBox;
        if (refused)
            m_dialogs->whileShown([&] { atTheBox = m_dev->received(); });
        setOctets(row, octets);

        child<QPushButton>("cmdSet" + row)->click();
        QCOMPARE(values({child<QLabel>("lbl" + row + "status"), child<QLabel>("lblSend" + row),
                         shown})
                     + '|' + LauncherState::instance().nettestIp(),
                 after);
        if (refused)
            CHECK_LINE({{0, kRestart}, {100, "Q"}});
        else
            CHECK_LINE({{0, kRestart}, {100, letter}, {500, joined.toLatin1() + "\r"}, {0, "Q"}});
        QCOMPARE(atTheBox, refused ? kRestart : QByteArray()); // left once the box is closed
        QCOMPARE(boxes(*m_dialogs),
                 refused ? QStringLiteral("Error message!|%1|%2|%3 value is out of range. "
                                          "Please check it ! ")
                               .arg(QMessageBox::Critical)
                               .arg(QMessageBox::Ok)
                               .arg(row)
                         : QString());
    }

    // Per port: the values cut from the lists, the choices shown, and the
    // number of data-bit and stop-bit choices. A set replaces the terminal
    // text with the menu's answer to the value and reads the all-ports list
    // from it; the port's own value shows at its next choice.
    void setPortValue_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("setting"); // the controls are named after it
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QByteArray>("sent"); // letter and value
        QTest::addColumn<QString>("allPorts");
        QTest::newRow("COM1 stop bits")
            << 1 << "57600|5|0|2|57600||None|1|Enable|2|1" << "Stopbit" << "1" << QByteArray("S1")
            << "1:1 2:1 3:1 4:1 5:1 6:1 7:1 8:1";
        QTest::newRow("COM2 to Even")
            << 2 << "9600|8|2|1|9600|8|Odd|1|Enable|2|1" << "Parity" << "Even" << QByteArray("P1")
            << "1:0 2:1 3:0 4:0 5:0 6:0 7:0 8:0";
        QTest::newRow("COM3 to 115200")
            << 3 << "9600|8|0|1|9600|8|None|1|Enable|4|2" << "Baudrate" << "115200"
            << QByteArray("B115200")
            << "1:57600 2:9600 3:115200 4:38400 5:9600 6:9600 7:9600 8:19200";
        QTest::newRow("COM4 from 38400 to 1200")
            << 4 << "38400|8|0|1|38400|8|None|1|Enable|4|2" << "Baudrate" << "1200"
            << QByteArray("B1200")
            << "1:57600 2:9600 3:115200 4:1200 5:9600 6:9600 7:9600 8:19200";
    }
    void setPortValue()
    {
        QFETCH(int, port);
        QFETCH(QString, setting);
        QFETCH(QString, choice);
        QFETCH(QByteArray, sent);
        choosePort(port);
        QTEST(portShown(), "shown");
        // Every port offers the same rates, in this order.
        QStringList rates;
        for (int i = 0; i < m_f->cmbBaudrate->count(); ++i)
            rates << m_f->cmbBaudrate->itemText(i);
        QCOMPARE(rates.join(' '), "1200 2400 4800 9600 19200 38400 57600 115200");
        auto *list = child<QComboBox>("cmb" + setting);
        auto *own = child<QLabel>("lbl" + setting);
        list->setCurrentIndex(list->findText(choice));
        const QString ownBefore = own->text();

        child<QPushButton>("cmd" + setting + "Set")->click();
        CHECK_LINE({{0, kRestart}, {100, sent.left(1)}, {100, QByteArray::number(port) + "\r"},
                    {100, sent.mid(1) + "\r"}, {100, "Q"}});
        QTEST(child<QLabel>("lblAll" + setting)->text(), "allPorts");
        QVERIFY(m_f->txtTerm->text().startsWith(QString::fromLatin1(sent.mid(1) + "\r\n")));
        QCOMPARE(own->text(), ownBefore);
        choosePort(port);
        QCOMPARE(list->currentText(), choice);
    }

    // A list that lacks the port, or holds a value no choice shows, on a
    // model without Modbus: shown as read, nothing chosen.
    void oddListsChooseNothing()
    {
        frmTerminal *f = m_f;
        const QStringList read{f->lblModel->text(), f->lblAllBaudrate->text()};
        f->lblModel->setText("46308");
        f->lblAllBaudrate->setText("1:57600 2:fast 4:9600");
        choosePort(2);
        QCOMPARE(portShown(), "fast|8|1|1||8|Even|1||2|1");
        choosePort(3);
        QCOMPARE(portShown(), "|8|0|1||8|None|1||4|2");
        f->lblModel->setText(read[0]);
        f->lblAllBaudrate->setText(read[1]);
    }

    // All eight flags on, then COM3 off: the mask of all eight, in decimal.
    void modbusMask()
    {
        frmTerminal *f = m_f;
        QCOMPARE(f->lblAllModbusSet->text(), "FF");
        choosePort(3);
        f->cmbModbus->setCurrentIndex(0);
        f->cmdModbusSet->click();
        CHECK_LINE({{0, kRestart}, {100, "U\r"}, {100, "251\rQ"}});
        QCOMPARE(values({f->lblAllModbusSet, f->lblDataformat[2]}), "251|0");
        QCOMPARE(f->imgModBus[2]->pixmap().cacheKey(), f->imgGray->pixmap().cacheKey());
        QTRY_COMPARE(m_dev->settings().modbusMask, 251);
    }

    // The re-read shows what the device reports now and leaves its menu
    // open; a second re-read leaves it first ("NVCONF" typed into the menu
    // would set the net mask to "VCONF"), and the next set still gets through.
    void rereadLeavesTheMenuOpen()
    {
        frmTerminal *f = m_f;
        m_dev->settings().model = " 630M8";
        m_dev->settings().mask = {255, 0, 0, 0};
        LauncherState::instance().setPcGateway("10.1.1.1" + QString(8, QChar(0)));
        setOctets("Gateway", {"10", "1", "1", "1"});
        const QString proposed = f->txtIP[3]->text();

        f->cmdNvconf->click();
        CHECK_LINE({{0, "NVCONF\r"}});
        QCOMPARE(m_dev->mode(), SimulatedDevice::Mode::Menu);
        QCOMPARE(values({f->lblModel, f->lblPCGateway}), " 630M8|10.1.1.1");
        QCOMPARE(f->txtIP[3]->text() + f->cmbComSet->currentText(), proposed + "COM3");
        clearRecords();
        f->cmdNvconf->click();
        CHECK_LINE({{0, "Q\r"}, {100, "NVCONF\r"}});
        QCOMPARE(m_dev->settings().mask, (std::array<int, 4>{255, 0, 0, 0}));
        QCOMPARE(f->txtALLMask->text(), "255.  0.  0.  0");

        f->cmdSetGateway->click();
        QTRY_COMPARE(m_dev->settings().gateway, (std::array<int, 4>{10, 1, 1, 1}));
    }

    // The factory values are shown whether the device answers or not; COM1
    // is chosen with Modbus on, unless there are no device ports.
    void restore_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<bool>("ports"); // the device-port list is filled
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("chosen"); // COM1 and Modbus on, or COM3's choices stay
        QTest::newRow("device answers") << false << true << " 630M8" << "57600|Enable|COM1";
        QTest::newRow("device silent, no Modbus")
            << true << true << "463008" << "57600|Enable|COM1";
        QTest::newRow("no device ports") << false << false << " 630M8" << "9600|Disable|";
    }
    void restore()
    {
        QFETCH(bool, silent);
        QFETCH(bool, ports);
        QFETCH(QString, model);
        QFETCH(QString, chosen);
        frmTerminal *f = m_f;
        f->lblModel->setText(model);
        f->lblDataformat[2]->setText("0");
        f->imgModBus[2]->setPixmap(f->imgGray->pixmap());
        choosePort(3);
        if (!ports)
            f->cmbComSet->clear();
        m_dev->setSilent(silent);

        f->Command2->click();
        m_dev->setSilent(false);
        f->lblModel->setText(" 630M8");
        CHECK_LINE({{0, "Q\r"}, {100, "NVCONF\r"}, {300, "F"}, {100, "Q\r"}});
        QCOMPARE(values({f->txtALLIP, f->txtALLMask, f->txtALLGateway, f->lblAllBaudrate,
                         f->lblAllDatabit, f->lblAllParity, f->lblAllStopbit, f->lblAllModbusSet,
                         f->lblDataformat[2], f->lblDataformat[7], f->lblBaudrate, f->cmbModbus,
                         f->cmbComSet}),
                 "192.  9. 40.100|255.255.255.  0|192.  9. 40.170|"
                 "1:57600 2:9600 3:9600 4:9600 5:9600 6:9600 7:9600 8:9600|"
                 "1:8 2:8 3:8 4:8 5:8 6:8 7:8 8:8|1:0 2:0 3:0 4:0 5:0 6:0 7:0 8:0|"
                 "1:1 2:1 3:1 4:1 5:1 6:1 7:1 8:1|FF|1|1|"
                     + chosen);
        QCOMPARE(f->imgModBus[2]->pixmap().cacheKey(), f->imgRed->pixmap().cacheKey());
        if (!ports)
            f->FillDevicePortList();
    }

    // The file listing; buttons pressed meanwhile start nothing.
    void dirOneOperationAtATime()
    {
        frmTerminal *f = m_f;
        f->txtTerm->setText("before\r\n");
        int refused = 0;
        const auto during = connect(m_dev.get(), &SimulatedDevice::bytesReceived, this, [&] {
            if (refused > 0)
                return;
            for (QPushButton *b : {f->cmdSetIP, f->cmdNvconf, f->Command2, f->cmdDir4630K,
                                   f->cmdReboot4630K, f->cmdBaudrateSet, f->cmdModbusSet}) {
                f->StatusPanel->clear();
                b->click();
                refused += f->StatusPanel->text().contains(TerminalLogic::kBusyText);
            }
        });
        f->cmdDir4630K->click();
        disconnect(during);
        QCOMPARE(refused, 7);
        QVERIFY(m_dialogs->shown().isEmpty());
        CHECK_LINE({{0, "Q"}, {100, "\r"}, {100, "DIR\r"}});
        QTRY_VERIFY(f->txtTerm->text().contains("PORTD    EXE"));
        QVERIFY(f->txtTerm->text().startsWith("before\r\n"));
    }

    // With the port closed by its picture nothing is written and nothing
    // changes; the status bar says why. The pane buttons still work, and the
    // widened window stays on the small screen (1024 × 768) of this test.
    void closedPortSendsNothing()
    {
        frmTerminal *f = m_f;
        QTest::mouseClick(f->imgConnected, Qt::LeftButton);
        setOctets("IP", {"300", "1", "1", "1"});
        auto state = [f] {
            return values({f->lblIPstatus, f->lblAllBaudrate}) + f->txtTerm->text()
                   + LauncherState::instance().nettestIp();
        };
        const QString before = state();
        for (QPushButton *b : {f->cmdSetIP, f->cmdSetMask, f->cmdSetGateway, f->cmdNvconf,
                               f->Command2, f->cmdDir4630K, f->cmdReboot4630K, f->cmdBaudrateSet,
                               f->cmdDatabitSet, f->cmdParitySet, f->cmdStopbitSet,
                               f->cmdModbusSet}) {
            f->StatusPanel->clear();
            b->click();
            QVERIFY2(f->StatusPanel->text() == "狀態: 通訊埠未開啟", qPrintable(b->objectName()));
        }
        QVERIFY(state() == before && m_dialogs->shown().isEmpty());
        // 11625 and 6090 twips with the borders: the client area of the
        // design, and the configuration part without a sliver of the pane.
        f->cmdTerminal->click();
        QCOMPARE(f->width(), twips(11490));
        const QRect screen = f->screen()->availableGeometry();
        QCOMPARE(screen.size(), QSize(1024, 768));
        QVERIFY2(screen.contains(f->frameGeometry()), "the widened window is off the screen");
        f->Command1->click();
        QCOMPARE(f->width(), twips(6090 - 135));
        // Reopened, the first thing the device gets is ours.
        QTest::mouseClick(f->imgNotConnected, Qt::LeftButton);
        QVERIFY(f->Send("\r"));
        QTRY_COMPARE(m_dev->received(), QByteArray("\r"));
    }

    // At the narrow width the terminal pane and its buttons lie outside the
    // window: Tab and Shift+Tab pass them by, and keys typed into the pane
    // when it is given the focus reach no device. Widened, Tab reaches the
    // terminal again.
    void keysStayInSight()
    {
        frmTerminal *f = m_f;
        const auto inSight = [f](const QWidget *w) {
            return QRect(w->mapTo(f, QPoint()), w->size()).intersects(f->rect());
        };
        f->cmdSetIP->setFocus();
        for (const Qt::KeyboardModifier shift : {Qt::NoModifier, Qt::ShiftModifier}) {
            for (int i = 0; i < 40; ++i) {
                QTest::keyClick(f->focusWidget(), Qt::Key_Tab, shift);
                QWidget *w = f->focusWidget();
                QVERIFY2(w && inSight(w), qPrintable(w ? w->objectName() : "no focus"));
            }
        }
        f->txtTerm->setFocus();
        QTest::keyClicks(f->txtTerm, "DIR\r");
        QVERIFY2(m_sent.isEmpty(), m_sent.isEmpty() ? "" : m_sent.first().bytes.constData());

        f->cmdTerminal->click();
        f->cmdSetIP->setFocus();
        bool reached = false;
        for (int i = 0; i < 40 && !reached; ++i) {
            QTest::keyClick(f->focusWidget(), Qt::Key_Tab);
            reached = f->focusWidget() == f->txtTerm;
        }
        f->Command1->click();
        QVERIFY2(reached, "Tab never reached the widened terminal");
    }

    // Cancel sends nothing; OK resets the device and the window goes.
    void reboot()
    {
        m_dialogs->answerMessage(QMessageBox::Cancel);
        m_f->cmdReboot4630K->click();
        QCOMPARE(boxes(*m_dialogs),
                 QStringLiteral("Note!|%1|%2|After reboot, if you want to configure by RS232 "
                                "again, please remember touch Init* to GND")
                     .arg(QMessageBox::Warning)
                     .arg(QMessageBox::Ok | QMessageBox::Cancel));
        QVERIFY(m_f->Send("\r")); // the first thing the device gets
        QTRY_COMPARE(m_dev->received(), QByteArray("\r"));

        clearRecords();
        QElapsedTimer clock;
        clock.start();
        m_f->cmdReboot4630K->click(); // OK
        QVERIFY(clock.elapsed() >= 600 - kToleranceMs); // the window goes 500 ms after RESET
        QTRY_VERIFY(m_f.isNull() && !Windows::loaded(WindowName::frmTerminal));
        CHECK_LINE({{0, "Q\r"}, {100, "RESET\r"}});
    }

    // EXIT during the file listing: the listing ends, then EXIT runs whole
    // and takes the warning with it.
    void exitWaitsForTheRunningOperation()
    {
        loadWithoutPrompt();
        QString status;
        const auto during = connect(m_dev.get(), &SimulatedDevice::bytesReceived, this, [&] {
            if (status.isEmpty()) {
                m_f->CmdEXIT->click();
                status = m_f->StatusPanel->text();
            }
        });
        QElapsedTimer clock;
        clock.start();
        m_f->cmdDir4630K->click();
        disconnect(during);
        QVERIFY(m_f && status.contains(TerminalLogic::kBusyText));
        QTRY_VERIFY(m_f.isNull() && !Windows::loaded(WindowName::ConfigurationWarning));
        QVERIFY(clock.elapsed() >= 700 - kToleranceMs);
        CHECK_LINE({{0, "Q"}, {100, "\r"}, {100, "DIR\r"}, {0, "Q\r"}});
    }
};

QTEST_MAIN(TstConsoleOperations)
#include "tst_consoleoperations.moc"
