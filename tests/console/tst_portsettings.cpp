#include "app/windows.h"
#include "console/console.h"
#include "console/controls.h"
#include "console/frmterminal.h"
#include "console/mscomm.h"
#include "tests/console/consoletestutil.h"
#include "tests/console/linecheck.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/simulateddevice.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

const QString kTerminal = QStringLiteral("frmTerminal");

QStringList items(const QComboBox *c)
{
    QStringList t;
    for (int i = 0; i < c->count(); ++i)
        t << c->itemText(i);
    return t;
}

} // namespace

// The device-port settings of the configuration window, against the
// simulated device. One loaded window (an eight-port Modbus model) serves all
// cases; each leaves the device at its prompt.
class TstPortSettings : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SimulatedDevice> m_dev;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    QPointer<frmTerminal> m_f;

    // The user picks device port COM<port>.
    void choosePort(int port)
    {
        m_f->cmbComSet->setCurrentIndex(port - 1);
        emit m_f->cmbComSet->activated(port - 1);
    }

private slots:
    void initTestCase()
    {
        resetProgramState();
        registerConsoleWindows();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_dev = std::make_unique<SimulatedDevice>();
        m_dev->attachAs(1);
        SimulatedDevice::Settings &s = m_dev->settings();
        s.model = QStringLiteral("4630M8");
        s.databits[0] = QStringLiteral("5"); // not offered on port 1
        s.parities[1] = QStringLiteral("2");
        s.parities[2] = QStringLiteral("1");
        s.stopbits[0] = QStringLiteral("2"); // port 1 shows "1" whatever the list says
        s.baudrates[7] = QStringLiteral("19200");
        Windows::show(kTerminal);
        m_f = Windows::loaded<frmTerminal>(kTerminal);
        QVERIFY(m_f);
        QVERIFY(m_f->cmbModbus->isEnabled());
        QCOMPARE(m_f->cmbComSet->count(), 8);
    }
    void init()
    {
        QTRY_COMPARE(m_dev->mode(), SimulatedDevice::Mode::Prompt);
        m_dev->clearRecord();
    }
    void cleanupTestCase()
    {
        Windows::clear();
        m_dev.reset();
        m_dialogs.reset();
    }

    void selectionShowsThePort_data()
    {
        QTest::addColumn<int>("port");
        // Per setting (baud, data, parity, stop): the value shown | the
        // choice selected ("" for none).
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("databitChoices");
        QTest::addColumn<QStringList>("stopbitChoices");
        QTest::newRow("COM1")
            << 1 << QStringList{"57600|57600", "5|", "0|None", "2|1"} << QStringList{"7", "8"}
            << QStringList{"1"};
        QTest::newRow("COM2") << 2 << QStringList{"9600|9600", "8|8", "2|Odd", "1|1"}
                              << QStringList{"7", "8"} << QStringList{"1"};
        QTest::newRow("COM3") << 3 << QStringList{"9600|9600", "8|8", "1|Even", "1|1"}
                              << QStringList{"5", "6", "7", "8"} << QStringList{"1", "2"};
        QTest::newRow("COM8, the end of the list")
            << 8 << QStringList{"19200|19200", "8|8", "0|None", "1|1"}
            << QStringList{"5", "6", "7", "8"} << QStringList{"1", "2"};
    }
    void selectionShowsThePort()
    {
        QFETCH(int, port);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, databitChoices);
        QFETCH(QStringList, stopbitChoices);
        frmTerminal *f = m_f;
        QVERIFY(f);
        choosePort(port);
        const QLabel *values[] = {f->lblBaudrate, f->lblDatabit, f->lblParity, f->lblStopbit};
        const QComboBox *lists[] = {f->cmbBaudrate, f->cmbDatabit, f->cmbParity, f->cmbStopbit};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(values[i]->text() + u'|' + lists[i]->currentText(), shown.at(i));
        QCOMPARE(items(f->cmbBaudrate).size(), 8);
        QCOMPARE(items(f->cmbDatabit), databitChoices);
        QCOMPARE(items(f->cmbParity), (QStringList{"None", "Even", "Odd"}));
        QCOMPARE(items(f->cmbStopbit), stopbitChoices);
        QCOMPARE(items(f->cmbModbus), (QStringList{"Disable", "Enable"}));
        QCOMPARE(f->cmbModbus->currentText(), QStringLiteral("Enable"));
        QCOMPARE(m_dev->received(), QByteArray()); // a choice sends nothing
    }

    // Lists that lack an entry or hold a value no choice shows, and a model
    // without Modbus: shown as read, nothing chosen.
    void oddListsChooseNothing()
    {
        frmTerminal *f = m_f;
        QVERIFY(f);
        const QString model = f->lblModel->text();
        const QString bauds = f->lblAllBaudrate->text();
        f->lblModel->setText(QStringLiteral("46308"));
        f->lblAllBaudrate->setText(QStringLiteral("1:57600 2:fast 4:9600 5:9600"));
        choosePort(2);
        QCOMPARE(f->lblBaudrate->text(), QStringLiteral("fast"));
        QCOMPARE(f->cmbBaudrate->currentIndex(), -1);
        QCOMPARE(f->cmbModbus->count(), 2);
        QCOMPARE(f->cmbModbus->currentIndex(), -1);
        choosePort(3);
        QCOMPARE(f->lblBaudrate->text(), QString());
        QCOMPARE(f->cmbBaudrate->currentIndex(), -1);
        QCOMPARE(f->cmbParity->currentText(), QStringLiteral("Even"));
        f->lblModel->setText(model);
        f->lblAllBaudrate->setText(bauds);
    }

    void setOneValue_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("choice"); // in that setting's list
        QTest::addColumn<QByteArray>("letter");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("allPorts"); // the list as the device shows it then
        QTest::newRow("COM3 to 115200") << 3 << "cmdBaudrateSet" << "115200" << QByteArray("B")
                                        << QByteArray("115200")
                                        << "1:57600 2:9600 3:115200 4:9600 5:9600 6:9600 7:9600 8:19200";
        QTest::newRow("COM1 to 7 data bits") << 1 << "cmdDatabitSet" << "7" << QByteArray("D")
                                             << QByteArray("7") << "1:7 2:8 3:8 4:8 5:8 6:8 7:8 8:8";
        QTest::newRow("COM2 to even parity") << 2 << "cmdParitySet" << "Even" << QByteArray("P")
                                             << QByteArray("1") << "1:0 2:1 3:1 4:0 5:0 6:0 7:0 8:0";
        QTest::newRow("COM1 stop bits are 1") << 1 << "cmdStopbitSet" << "1" << QByteArray("S")
                                              << QByteArray("1") << "1:1 2:1 3:1 4:1 5:1 6:1 7:1 8:1";
        QTest::newRow("COM4 to 2 stop bits") << 4 << "cmdStopbitSet" << "2" << QByteArray("S")
                                             << QByteArray("2") << "1:1 2:1 3:1 4:2 5:1 6:1 7:1 8:1";
    }
    void setOneValue()
    {
        QFETCH(int, port);
        QFETCH(QString, button);
        QFETCH(QString, choice);
        QFETCH(QByteArray, letter);
        QFETCH(QByteArray, sent);
        QFETCH(QString, allPorts);
        frmTerminal *f = m_f;
        QVERIFY(f);
        choosePort(port);
        const std::pair<QByteArray, std::pair<QComboBox *, QLabel *>> byLetter[] = {
            {"B", {f->cmbBaudrate, f->lblAllBaudrate}}, {"D", {f->cmbDatabit, f->lblAllDatabit}},
            {"P", {f->cmbParity, f->lblAllParity}}, {"S", {f->cmbStopbit, f->lblAllStopbit}}};
        QComboBox *list = nullptr;
        QLabel *all = nullptr;
        for (const auto &[l, controls] : byLetter) {
            if (l == letter)
                std::tie(list, all) = controls;
        }
        QVERIFY(list && all);
        list->setCurrentIndex(list->findText(choice));
        const QString ownValue = QStringList{f->lblBaudrate->text(), f->lblDatabit->text(),
                                             f->lblParity->text(), f->lblStopbit->text()}
                                     .join(u'|');

        f->findChild<QPushButton *>(button)->click();
        const QList<LineStep> line{{0, "Q\rNVCONF.EXE\r"}, {100, letter},
                                   {100, QByteArray::number(port) + "\r"},
                                   {100, sent + "\r"},   {100, "Q"}};
        QTRY_VERIFY2(lineProblem(*m_dev, line).isEmpty(), qPrintable(lineProblem(*m_dev, line)));
        QCOMPARE(all->text(), allPorts);
        // The terminal keeps only what came after the value was sent.
        QVERIFY2(f->txtTerm->text().startsWith(QString::fromLatin1(sent + "\r\n")),
                 qPrintable(f->txtTerm->text().left(40)));
        // The port's own values change at its next choice only.
        QCOMPARE(QStringList({f->lblBaudrate->text(), f->lblDatabit->text(), f->lblParity->text(),
                              f->lblStopbit->text()})
                     .join(u'|'),
                 ownValue);
        choosePort(port);
        QCOMPARE(list->currentText(), choice);
    }

    // Nothing chosen: the letter and the port, no value; the menu is still
    // read and left. (The device then waits for a value: the test ends that.)
    void setWithNothingChosen()
    {
        frmTerminal *f = m_f;
        QVERIFY(f);
        choosePort(5);
        f->cmbDatabit->setCurrentIndex(-1);
        const QString before = f->lblAllDatabit->text();
        f->cmdDatabitSet->click();
        const QList<LineStep> line{{0, "Q\rNVCONF.EXE\r"}, {100, "D"}, {100, "5\r"}, {200, "Q"}};
        QTRY_VERIFY2(lineProblem(*m_dev, line).isEmpty(), qPrintable(lineProblem(*m_dev, line)));
        // Nothing was redisplayed after the cut: the line reads empty.
        QCOMPARE(f->lblAllDatabit->text(), QString());
        QVERIFY(f->Send(QStringLiteral("\rQ")));
        f->lblAllDatabit->setText(before);
    }

    // Every flag on, then port 3 off: the mask of all eight in decimal.
    void modbusMask()
    {
        frmTerminal *f = m_f;
        QVERIFY(f);
        QCOMPARE(f->lblAllModbusSet->text(), QStringLiteral("FF"));
        choosePort(3);
        f->cmbModbus->setCurrentIndex(0);
        f->cmdModbusSet->click();
        const QList<LineStep> line{{0, "Q\rNVCONF.EXE\r"}, {100, "U\r"}, {100, "251\rQ"}};
        QTRY_VERIFY2(lineProblem(*m_dev, line).isEmpty(), qPrintable(lineProblem(*m_dev, line)));
        QCOMPARE(f->lblAllModbusSet->text(), QStringLiteral("251"));
        QCOMPARE(f->lblDataformat[2]->text(), QStringLiteral("0"));
        QCOMPARE(f->imgModBus[2]->pixmap().cacheKey(), f->imgGray->pixmap().cacheKey());
        QTRY_COMPARE(m_dev->settings().modbusMask, 251);

        QTRY_COMPARE(m_dev->mode(), SimulatedDevice::Mode::Prompt);
        f->cmbModbus->setCurrentIndex(1);
        f->cmdModbusSet->click();
        QTRY_COMPARE(m_dev->settings().modbusMask, 255);
        QCOMPARE(f->imgModBus[2]->pixmap().cacheKey(), f->imgRed->pixmap().cacheKey());
    }
};

QTEST_MAIN(TstPortSettings)
#include "tst_portsettings.moc"
