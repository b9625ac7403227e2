#include "app/twips.h"
#include "app/windows.h"
#include "console/console.h"
#include "console/consolemenu.h"
#include "console/controls.h"
#include "console/frmterminal.h"
#include "console/mscomm.h"
#include "tests/console/consoletestutil.h"
#include "tests/console/linecheck.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/simulateddevice.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {
const QString kTerminal = QStringLiteral("frmTerminal");
const QByteArray kRestart = "Q\rNVCONF.EXE\r";
} // namespace

// The configuration window's console operations against the simulated device.
// The cases share one loaded window (each load waits about 2 s) and run in
// order: the first one loads it as a user would, the last one reboots it away.
class TstConsoleOperations : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SimulatedDevice> m_dev;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    QPointer<frmTerminal> m_f;

    void setOctets(const std::array<QLineEdit *, 4> &boxes, const QStringList &texts)
    {
        for (size_t i = 0; i < 4; ++i) {
            boxes[i]->clear();
            QTest::keyClicks(boxes[i], texts.at(qsizetype(i)));
        }
    }

private slots:
    void initTestCase()
    {
        resetProgramState();
        registerConsoleWindows();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_dev = std::make_unique<SimulatedDevice>();
        QVERIFY(m_dev->isReady());
        m_dev->attachAs(2);
        LauncherState &launcher = LauncherState::instance();
        launcher.setComPort(QStringLiteral("COM2"));
        launcher.setPcIp(QStringLiteral("192.168.1.10"));
        launcher.setPcMask(QStringLiteral("255.255.255.0"));
        launcher.setPcGateway(QStringLiteral("192.168.1.1"));
    }
    void init()
    {
        if (m_f)
            QTRY_COMPARE(m_dev->mode(), SimulatedDevice::Mode::Prompt);
        m_dev->clearRecord();
        m_dialogs->clear();
    }
    void cleanupTestCase()
    {
        Windows::clear();
        m_dev.reset();
        m_dialogs.reset();
    }

    // From the launcher's choice to a device with its new address, and the
    // network test offered that address.
    void typicalRequest()
    {
        Windows::show(kTerminal);
        m_f = Windows::loaded<frmTerminal>(kTerminal);
        QVERIFY(m_f);
        QCOMPARE(m_f->MSComm1->CommPort(), 2);
        QTRY_COMPARE(m_dev->received(), QByteArray("\rNVCONF\rQ"));
        QCOMPARE(m_f->txtALLIP->text(), QStringLiteral("192.  9. 40.100"));

        m_dev->clearRecord();
        setOctets(m_f->txtIP, {"10", "0", "0", "7"});
        m_f->cmdSetIP->click();
        QTRY_VERIFY2(lineProblem(*m_dev, {{0, kRestart}, {100, "I"}, {500, "10.0.0.7\r"}, {0, "Q"}})
                         .isEmpty(),
                     qPrintable(lineProblem(*m_dev, {})));
        QTRY_COMPARE(m_dev->settings().ip, (std::array<int, 4>{10, 0, 0, 7}));
        QCOMPARE(LauncherState::instance().nettestIp(), QStringLiteral("10.0.0.7"));
        QCOMPARE(m_f->txtALLIP->text(), QStringLiteral("10.0.0.7"));
        QCOMPARE(m_f->lblIPstatus->text(), QStringLiteral("Ok!"));
        QVERIFY(m_dialogs->shown().isEmpty());
    }

    void addressSet_data()
    {
        QTest::addColumn<int>("row"); // 0 IP, 1 mask, 2 gateway
        QTest::addColumn<QStringList>("octets");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("deviceAction"); // what the device made of it
        QTest::newRow("mask") << 1 << QStringList{"255", "255", "0", "0"} << true
                              << "menu N 255.255.0.0";
        QTest::newRow("gateway") << 2 << QStringList{"10", "0", "0", "1"} << true
                                 << "menu G 10.0.0.1";
        QTest::newRow("IP as typed") << 0 << QStringList{"010", "1 0", "", "7"} << true
                                     << "menu I 010.1 0..7";
        QTest::newRow("IP 256") << 0 << QStringList{"192", "9", "40", "256"} << false << "";
        QTest::newRow("mask 300") << 1 << QStringList{"300", "255", "255", "0"} << false << "";
        QTest::newRow("gateway 999") << 2 << QStringList{"1", "999", "1", "1"} << false << "";
    }
    void addressSet()
    {
        QFETCH(int, row);
        QFETCH(QStringList, octets);
        QFETCH(bool, accepted);
        QFETCH(QString, deviceAction);
        frmTerminal *f = m_f;
        QVERIFY(f);
        struct Row
        {
            std::array<QLineEdit *, 4> &boxes;
            QPushButton *set;
            QLabel *status, *joined;
            QLineEdit *shown;
            QByteArray letter;
            QString message;
        };
        const Row rows[] = {
            {f->txtIP, f->cmdSetIP, f->lblIPstatus, f->lblSendIP, f->txtALLIP, "I", "IP"},
            {f->txtMask, f->cmdSetMask, f->lblMaskstatus, f->lblSendMask, f->txtALLMask, "N", "Mask"},
            {f->txtGateway, f->cmdSetGateway, f->lblGatewaystatus, f->lblSendGateway,
             f->txtALLGateway, "G", "Gateway"}};
        const Row &r = rows[row];
        const QString joined = octets.join(u'.');
        const QString shownBefore = r.shown->text();
        const QString nettestBefore = LauncherState::instance().nettestIp();
        QByteArray atTheBox;
        if (!accepted)
            m_dialogs->whileShown([&] { atTheBox = m_dev->received(); });

        setOctets(r.boxes, octets);
        r.set->click();

        QCOMPARE(r.joined->text(), joined);
        QCOMPARE(r.status->text(), accepted ? QStringLiteral("Ok!") : QStringLiteral("Error!"));
        // The IP goes to the network test in both cases, the others never.
        QCOMPARE(LauncherState::instance().nettestIp(), row == 0 ? joined : nettestBefore);
        if (accepted) {
            const QList<LineStep> line{
                {0, kRestart}, {100, r.letter}, {500, joined.toLatin1() + "\r"}, {0, "Q"}};
            QTRY_VERIFY2(lineProblem(*m_dev, line).isEmpty(), qPrintable(lineProblem(*m_dev, line)));
            QCOMPARE(r.shown->text(), joined);
            QVERIFY(m_dialogs->shown().isEmpty());
            QTRY_VERIFY(m_dev->actions().contains(deviceAction));
        } else {
            const QList<LineStep> line{{0, kRestart}, {100, "Q"}};
            QTRY_VERIFY2(lineProblem(*m_dev, line).isEmpty(), qPrintable(lineProblem(*m_dev, line)));
            QCOMPARE(atTheBox, kRestart); // the menu is left only once the box is closed
            QCOMPARE(m_dialogs->shown().size(), 1);
            const ScriptedDialogs::Shown &box = m_dialogs->shown().first();
            QCOMPARE(box.text, r.message + " value is out of range. Please check it ! ");
            QCOMPARE(box.title, QStringLiteral("Error message!"));
            QCOMPARE(box.icon, QMessageBox::Critical);
            QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
            QCOMPARE(r.shown->text(), shownBefore);
        }
    }

    // The re-read shows what the device reports now and leaves its menu open;
    // the next set still gets through.
    void rereadLeavesTheMenuOpen()
    {
        frmTerminal *f = m_f;
        QVERIFY(f);
        m_dev->settings().model = QStringLiteral(" 630M4");
        m_dev->settings().mask = {255, 0, 0, 0};
        LauncherState::instance().setPcIp(QStringLiteral("10.1.1.5"));
        LauncherState::instance().setPcGateway(QStringLiteral("10.1.1.1") + QString(8, QChar(0)));
        setOctets(f->txtGateway, {"10", "1", "1", "1"});
        const QString proposed = f->txtIP[3]->text();
        f->SelectComSet(1);

        f->cmdNvconf->click();
        QVERIFY2(lineProblem(*m_dev, {{0, "NVCONF\r"}}).isEmpty(), qPrintable(lineProblem(*m_dev, {})));
        QCOMPARE(m_dev->mode(), SimulatedDevice::Mode::Menu);
        QCOMPARE(f->txtALLMask->text(), QStringLiteral("255.  0.  0.  0"));
        QCOMPARE(f->lblModel->text(), QStringLiteral(" 630M4")); // blanks kept
        QCOMPARE(f->lblPCIP->text(), QStringLiteral("10.1.1.5"));
        QCOMPARE(f->lblPCGateway->text(), QStringLiteral("10.1.1.1"));
        QCOMPARE(f->lblAllParity->text(), QStringLiteral("1:0 2:0 3:0 4:0 5:0 6:0 7:0 8:0"));
        // Proposals and the chosen device port stay.
        QCOMPARE(f->txtIP[3]->text(), proposed);
        QCOMPARE(f->cmbComSet->count(), 4);
        QCOMPARE(f->cmbComSet->currentIndex(), 1);

        f->cmdSetGateway->click();
        QTRY_COMPARE(m_dev->settings().gateway, (std::array<int, 4>{10, 1, 1, 1}));
        QVERIFY(m_dev->received().startsWith("NVCONF\rQ\rNVCONF.EXE\rG"));
    }

    void restoreShowsTheFactoryValues_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<bool>("ports"); // the device-port list is filled
        QTest::addColumn<QString>("model");
        QTest::newRow("device answers") << false << true << " 630M4";
        QTest::newRow("device silent, no Modbus") << true << true << "463004";
        QTest::newRow("no device ports") << false << false << " 630M4";
    }
    void restoreShowsTheFactoryValues()
    {
        QFETCH(bool, silent);
        QFETCH(bool, ports);
        QFETCH(QString, model);
        frmTerminal *f = m_f;
        QVERIFY(f);
        f->lblModel->setText(model);
        f->lblDataformat[2]->setText(QStringLiteral("0"));
        f->imgModBus[2]->setPixmap(f->imgGray->pixmap());
        f->SelectComSet(2);
        QCOMPARE(f->cmbModbus->currentText(), model.endsWith("M4") ? "Disable" : "");
        if (!ports)
            f->cmbComSet->clear();
        f->lblAllBaudrate->setText(QStringLiteral("1:1200 2:1200"));
        f->txtALLIP->setText(QStringLiteral("1.2.3.4"));
        m_dev->setSilent(silent);

        f->Command2->click();
        m_dev->setSilent(false);
        const QList<LineStep> line{{0, "Q\r"}, {100, "NVCONF\r"}, {300, "F"}, {100, "Q\r"}};
        QTRY_VERIFY2(lineProblem(*m_dev, line).isEmpty(), qPrintable(lineProblem(*m_dev, line)));
        QCOMPARE(m_dev->actions().contains(QStringLiteral("menu F")), true);
        namespace Factory = ConsoleMenu::Factory;
        QCOMPARE(f->txtALLIP->text(), QStringLiteral("192.  9. 40.100"));
        QCOMPARE(f->txtALLMask->text(), QStringLiteral("255.255.255.  0"));
        QCOMPARE(f->txtALLGateway->text(), QStringLiteral("192.  9. 40.170"));
        QCOMPARE(f->lblAllBaudrate->text(), Factory::kBaudrates);
        QCOMPARE(f->lblAllStopbit->text(), QStringLiteral("1:1 2:1 3:1 4:1 5:1 6:1 7:1 8:1"));
        QCOMPARE(f->lblAllModbusSet->text(), QStringLiteral("FF"));
        for (size_t i = 0; i < 8; ++i) {
            QCOMPARE(f->lblDataformat[i]->text(), QStringLiteral("1"));
            QCOMPARE(f->imgModBus[i]->pixmap().cacheKey(), f->imgRed->pixmap().cacheKey());
        }
        if (!ports) {
            // Nothing to choose: what the port showed before stays.
            QCOMPARE(f->lblBaudrate->text(), QStringLiteral("9600"));
            QCOMPARE(f->cmbModbus->currentText(), QStringLiteral("Disable"));
            f->FillDevicePortList();
            return;
        }
        // Device port 1 chosen and shown from the factory lists.
        QCOMPARE(f->cmbComSet->currentIndex(), 0);
        QCOMPARE(f->lblBaudrate->text(), QStringLiteral("57600"));
        QCOMPARE(f->cmbBaudrate->currentText(), QStringLiteral("57600"));
        QCOMPARE(f->cmbModbus->currentText(), QStringLiteral("Enable")); // whatever the model
        f->lblModel->setText(QStringLiteral(" 630M4"));
    }

    void dirAddsTheListing()
    {
        frmTerminal *f = m_f;
        QVERIFY(f);
        f->txtTerm->setText(QStringLiteral("before\r\n"));
        f->cmdDir4630K->click();
        const QList<LineStep> line{{0, "Q"}, {100, "\r"}, {100, "DIR\r"}};
        QTRY_VERIFY2(lineProblem(*m_dev, line).isEmpty(), qPrintable(lineProblem(*m_dev, line)));
        QTRY_VERIFY(f->txtTerm->text().contains(QStringLiteral("PORTD    EXE")));
        QVERIFY(f->txtTerm->text().startsWith(QStringLiteral("before\r\n")));
    }

    // With the port closed by its picture nothing is written and nothing
    // changes; the status bar says why. The pane buttons still work.
    void closedPortSendsNothing()
    {
        frmTerminal *f = m_f;
        QVERIFY(f);
        QTest::mouseClick(f->imgConnected, Qt::LeftButton);
        QVERIFY(!f->MSComm1->PortOpen());
        const QString term = f->txtTerm->text();
        const QString nettest = LauncherState::instance().nettestIp();
        const QString status = f->lblIPstatus->text();
        setOctets(f->txtIP, {"300", "1", "1", "1"});
        for (QPushButton *b : {f->cmdSetIP, f->cmdSetMask, f->cmdSetGateway, f->cmdNvconf,
                               f->Command2, f->cmdDir4630K, f->cmdReboot4630K, f->cmdBaudrateSet,
                               f->cmdDatabitSet, f->cmdParitySet, f->cmdStopbitSet,
                               f->cmdModbusSet}) {
            f->StatusPanel->clear();
            b->click();
            QVERIFY2(f->StatusPanel->text() == QStringLiteral("狀態: 通訊埠未開啟"),
                     qPrintable(b->objectName()));
        }
        QVERIFY(m_dialogs->shown().isEmpty());
        QCOMPARE(f->txtTerm->text(), term);
        QCOMPARE(f->lblIPstatus->text(), status);
        QCOMPARE(f->txtALLIP->text(), QStringLiteral("192.  9. 40.100"));
        QCOMPARE(LauncherState::instance().nettestIp(), nettest);

        f->cmdTerminal->click();
        QCOMPARE(f->width(), twips(frmTerminal::kWideWidth));
        f->Command1->click();
        QCOMPARE(f->width(), twips(frmTerminal::kNarrowWidth));

        // Reopened, the first thing the device gets is ours.
        QTest::mouseClick(f->imgNotConnected, Qt::LeftButton);
        QVERIFY(f->Send(QStringLiteral("\r")));
        QTRY_COMPARE(m_dev->received(), QByteArray("\r"));
    }

    // The buttons pressed while an address is being set start nothing.
    void oneOperationAtATime()
    {
        frmTerminal *f = m_f;
        QVERIFY(f);
        setOctets(f->txtIP, {"10", "0", "0", "8"});
        QStringList refused;
        const QMetaObject::Connection during = connect(
            m_dev.get(), &SimulatedDevice::bytesReceived, this, [&](const QByteArray &bytes) {
            if (bytes != "I")
                return;
            for (QPushButton *b : {f->cmdSetIP, f->cmdSetMask, f->cmdNvconf, f->Command2,
                                   f->cmdDir4630K, f->cmdReboot4630K, f->cmdBaudrateSet,
                                   f->cmdModbusSet}) {
                f->StatusPanel->clear();
                b->click();
                if (f->StatusPanel->text().contains(TerminalLogic::kBusyText))
                    refused << b->objectName();
            }
        });
        f->cmdSetIP->click();
        disconnect(during);
        QCOMPARE(refused.size(), 8);
        const QList<LineStep> line{{0, kRestart}, {100, "I"}, {500, "10.0.0.8\r"}, {0, "Q"}};
        QTRY_VERIFY2(lineProblem(*m_dev, line).isEmpty(), qPrintable(lineProblem(*m_dev, line)));
        QVERIFY(m_dialogs->shown().isEmpty());
    }

    void rebootAsksFirst()
    {
        frmTerminal *f = m_f;
        QVERIFY(f);
        m_dialogs->answerMessage(QMessageBox::Cancel);
        f->cmdReboot4630K->click();
        QCOMPARE(m_dialogs->shown().size(), 1);
        const ScriptedDialogs::Shown &box = m_dialogs->shown().first();
        QCOMPARE(box.text, QStringLiteral("After reboot, if you want to configure by RS232 again, "
                                          "please remember touch Init* to GND"));
        QCOMPARE(box.title, QStringLiteral("Note!"));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        // Cancel: nothing sent (the marker is the first thing the device gets).
        QVERIFY(f->Send(QStringLiteral("\r")));
        QTRY_COMPARE(m_dev->received(), QByteArray("\r"));
        QVERIFY(Windows::loaded(kTerminal));

        m_dev->clearRecord();
        m_dialogs->answerMessage(QMessageBox::Ok);
        QElapsedTimer clock;
        clock.start();
        f->cmdReboot4630K->click();
        QVERIFY(clock.elapsed() >= 600 - kWaitToleranceMs); // the window goes 500 ms after RESET
        QTRY_VERIFY(m_f.isNull());
        const QList<LineStep> line{{0, "Q\r"}, {100, "RESET\r"}};
        QTRY_VERIFY2(lineProblem(*m_dev, line).isEmpty(), qPrintable(lineProblem(*m_dev, line)));
        QVERIFY(m_dev->actions().contains(QStringLiteral("RESET")));
        QVERIFY(!Windows::loaded(kTerminal));
    }
};

QTEST_MAIN(TstConsoleOperations)
#include "tst_consoleoperations.moc"
