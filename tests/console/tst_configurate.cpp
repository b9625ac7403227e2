#include "app/windows.h"
#include "console/configurate.h"
#include "console/console.h"
#include "console/mscomm.h"
#include "tests/console/consoletestutil.h"
#include "tests/support/fakehostnet.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/simulateddevice.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

namespace {

const QByteArray kMissingPort = "/dev/rm4630k-missing";

// The six buttons whose state tells menu from prompt: the first letter of
// each enabled one, "-" for a disabled one.
QString buttonStates(const Configurate *f)
{
    QString s;
    for (const QPushButton *b : {f->cmdNvconf, f->cmdQuitnvconf, f->cmdDir4630K,
                                 f->cmdReboot4630K, f->cmdSenddata, f->CmdEXIT})
        s += b->isEnabled() ? b->objectName().at(3) : QChar(u'-');
    return s;
}
const QString kMenuState = QStringLiteral("-Q----");
const QString kPromptState = QStringLiteral("N-DRSE");

QString octets(const std::array<QLineEdit *, 4> &boxes)
{
    QStringList t;
    for (const QLineEdit *b : boxes)
        t << b->text();
    return t.join(u'|');
}

// The device's values, the PC's values and the proposed octets.
QString shown(const Configurate *f)
{
    return QStringList{f->txtALLIP->text(),  f->txtALLMask->text(),   f->txtALLGateway->text(),
                       f->lblPCIP->text(),   f->lblPCMask->text(),    f->lblPCGateway->text(),
                       octets(f->txtIP),     octets(f->txtMask),      octets(f->txtGateway)}
        .join(QStringLiteral(" / "));
}

const QString kLoaded = QStringLiteral("192.  9. 40.100 / 255.255.255.  0 / 192.  9. 40.170 / "
                                       "192.168.1.10 / 255.255.255.0 / 192.168.1.1 / "
                                       "192|168|1|11 / 255|255|255|0 / 192|168|1|1");
const QString kReadAgain = QStringLiteral("192.  9. 40.100 / 255.255.255.  0 / 192.  9. 40.170 / "
                                          "192.168.1.10 / 255.255.255.0 / 192.168.1.1 / "
                                          "192|168|1|11 / 255|255|255|0 / 192|9| 40|170");

} // namespace

// The older configuration form against the simulated device on COM1, with
// the PC's addresses from a fake host network and the report in a folder of
// its own. The first cases share one loaded form (a load waits 4 s) and run
// in order, each from the state it sets up; the later ones load their own.
class TstConfigurate : public ConsoleWindowTest
{
    Q_OBJECT

private:
    std::unique_ptr<FakeHostNet> m_net;
    QTemporaryDir m_folder;
    QString m_startFolder;
    QPointer<Configurate> m_f;
    qint64 m_loadStart = 0;
    int m_marks = 0;

    // Loads the form as --show does, following what it sends from its first
    // wait on (the load sends nothing before it).
    Configurate *load(const std::function<void(Configurate *)> &duringLoad = {})
    {
        Windows::clear();
        registerConsoleWindows();
        clearRecords();
        QTimer::singleShot(0, this, [this, duringLoad] {
            auto *f = Windows::loaded<Configurate>(WindowName::Configurate);
            if (!f)
                return;
            follow(f->MSComm1);
            if (duringLoad)
                duringLoad(f);
        });
        m_loadStart = m_clock.elapsed();
        Windows::show(WindowName::Configurate);
        m_f = Windows::loaded<Configurate>(WindowName::Configurate);
        return m_f;
    }
    // Everything the device has said so far is in the receive text.
    void syncReceive()
    {
        const QByteArray mark = '#' + QByteArray::number(++m_marks);
        m_dev->send(mark);
        QTRY_VERIFY(m_f->receiveText().endsWith(QString::fromLatin1(mark)));
    }
    // Quit, when the form is in its menu state.
    void toPrompt()
    {
        if (m_f->cmdQuitnvconf->isEnabled())
            m_f->cmdQuitnvconf->click();
        QTRY_COMPARE(m_dev->mode(), SimulatedDevice::Mode::Prompt);
        syncReceive();
        clearRecords();
    }
    // A new device at its prompt, as after a reboot.
    void freshDevice()
    {
        m_dev = std::make_unique<SimulatedDevice>();
        QVERIFY(m_dev->isReady());
        m_dev->attachAs(1);
    }
    void setOctets(const std::array<QLineEdit *, 4> &boxes, const QStringList &texts)
    {
        for (size_t i = 0; i < 4; ++i) {
            boxes[i]->clear();
            QTest::keyClicks(boxes[i], texts.at(int(i)));
        }
    }
private slots:
    void initTestCase()
    {
        m_clock.start();
        resetProgramState();
        QVERIFY(m_folder.isValid());
        m_startFolder = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_folder.path()));
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_net = std::make_unique<FakeHostNet>();
        m_net->table = HostNet::buildAddressTable(
            {{storedAddress(192, 168, 1, 10), 2, storedAddress(255, 255, 255, 0),
              storedAddress(192, 168, 1, 255)}});
        m_net->setGateways({"192.168.1.1"});
        m_dev = std::make_unique<SimulatedDevice>();
        QVERIFY(m_dev->isReady());
        m_dev->attachAs(1);
    }
    void cleanupTestCase()
    {
        Windows::clear();
        m_dev.reset();
        m_dialogs.reset();
        m_net.reset();
        QDir::setCurrent(m_startFolder);
    }

    // The load: the report written and read after 1 s, the menu started 2 s
    // later and read 1 s after that; the device is left in its menu.
    void loadReadsPcAndDevice()
    {
        Configurate *f = load();
        QVERIFY(f && f->isVisible());
        QCOMPARE(f->windowTitle(), "Form1");
        QVERIFY(m_dialogs->shown().isEmpty());
        CHECK_LINE({{0, "NVCONF\r"}});
        QVERIFY(m_sent.first().ms - m_loadStart >= 3000 - kToleranceMs);
        QVERIFY(m_clock.elapsed() - m_sent.first().ms >= 1000 - kToleranceMs);
        QCOMPARE(shown(f), kLoaded);
        QCOMPARE(buttonStates(f), kMenuState);
        QCOMPARE(m_dev->mode(), SimulatedDevice::Mode::Menu);
        // The report stays in the current folder, in the command's form.
        QCOMPARE(IpconfigReport::readFile(IpconfigReport::kFileName), f->pcAddresses());
        // The screen came behind a CR; the box shows it.
        QVERIFY(f->receiveText().startsWith(u'\r'));
        QVERIFY(f->receiveText().contains("I : Modify IP ADDR  192.  9. 40.100\r\n"));
        QCOMPARE(f->txtReceive->toPlainText(),
                 ConfigurateLogic::ReceiveText::toDisplay(f->receiveText()));
        QCOMPARE(f->txtReceive->textCursor().position(),
                 f->txtReceive->document()->characterCount() - 1);
    }

    // The receive box shows the menu in its columns: each character of a
    // menu line stands where the one of the same column stands in the others
    // ("5:9600" under "1:57600").
    void menuShownInColumns()
    {
        QVERIFY(m_f);
        const QPlainTextEdit *box = m_f->txtReceive;
        QList<QTextBlock> lines;
        bool secondBaudLine = false;
        for (QTextBlock b = box->document()->begin(); b.isValid(); b = b.next()) {
            const bool second = b.text().startsWith(QString(20, u' ') + QStringLiteral("5:"));
            secondBaudLine = secondBaudLine || second;
            if (second || b.text().mid(1, 3) == QLatin1String(" : "))
                lines.append(b);
        }
        QVERIFY(secondBaudLine && lines.size() > 8);
        auto x = [box](const QTextBlock &b, int column) {
            QTextCursor at(b);
            at.setPosition(b.position() + column);
            return box->cursorRect(at).left();
        };
        const QTextBlock &first = lines.first();
        for (const QTextBlock &b : std::as_const(lines)) {
            for (int column = 1; column < std::min(b.length(), first.length()) - 1; ++column) {
                const QString where =
                    QStringLiteral("column %1 of \"%2\"").arg(column).arg(b.text());
                QVERIFY2(x(b, column) == x(first, column), qPrintable(where));
            }
        }
    }

    // The letter and a CR, 500 ms, the octets as typed and a CR; nothing
    // before or after, so the menu stays open. A refused address shows the
    // box and sends nothing.
    void addressSet_data()
    {
        QTest::addColumn<QString>("row"); // the row's controls are named after it
        QTest::addColumn<QByteArray>("letter"); // none: refused
        QTest::addColumn<QStringList>("typed");
        QTest::newRow("IP") << "IP" << QByteArray("I") << QStringList{"10", "0", "0", "7"};
        QTest::newRow("mask: empty and negative octets pass")
            << "Mask" << QByteArray("N") << QStringList{"255", "", "-1", "0255"};
        QTest::newRow("gateway padded as the device shows it")
            << "Gateway" << QByteArray("G") << QStringList{"192", "9", " 40", "170"};
        QTest::newRow("IP 256") << "IP" << QByteArray() << QStringList{"192", "9", "40", "256"};
        QTest::newRow("gateway 300") << "Gateway" << QByteArray()
                                     << QStringList{"300", "1", "1", "1"};
    }
    void addressSet()
    {
        QFETCH(QString, row);
        QFETCH(QByteArray, letter);
        QFETCH(QStringList, typed);
        QVERIFY(m_f);
        clearRecords();
        const bool refused = letter.isEmpty();
        std::array<QLineEdit *, 4> octetBoxes{};
        for (size_t i = 0; i < 4; ++i)
            octetBoxes[i] =
                m_f->findChild<QLineEdit *>(QStringLiteral("txt%1(%2)").arg(row).arg(i));
        setOctets(octetBoxes, typed);
        const QString before = m_f->txtALLIP->text();

        m_f->findChild<QPushButton *>("cmdSet" + row)->click();
        const QString joined = typed.join(u'.');
        QCOMPARE(m_f->findChild<QLabel *>("lbl" + row + "status")->text(),
                 refused ? "Error!" : "Ok!");
        QCOMPARE(m_f->findChild<QLabel *>("lblSend" + row)->text(), joined);
        QCOMPARE(m_dialogs->shown().size(), refused ? 1 : 0);
        if (refused) {
            const ScriptedDialogs::Shown box = m_dialogs->shown().first();
            QCOMPARE(box.title + box.text, "Error message!" + row
                                               + " value is out of range. Please check it ! ");
            QVERIFY(box.icon == QMessageBox::Critical && box.buttons == QMessageBox::Ok);
            QCOMPARE(m_dev->received(), QByteArray());
        } else {
            CHECK_LINE({{0, letter + "\r"}, {500, joined.toLatin1() + "\r"}});
        }
        // The device's shown value is not updated; the menu stays open.
        QCOMPARE(m_f->txtALLIP->text(), before);
        QCOMPARE(buttonStates(m_f), kMenuState);
        QTRY_COMPARE(m_dev->mode(), SimulatedDevice::Mode::Menu);
        if (row == "IP" && !refused)
            QCOMPARE(m_dev->settings().ip, (std::array<int, 4>{10, 0, 0, 7}));
    }

    // While an exchange waits, every other one is refused: nothing more is
    // sent, nothing changes, and a line typed for sending stays.
    void oneExchangeAtATime()
    {
        Configurate *f = m_f;
        QVERIFY(f);
        clearRecords();
        setOctets(f->txtIP, {"10", "0", "0", "8"});
        setOctets(f->txtMask, {"300", "0", "0", "0"});
        f->txtSend->setPlainText("DIR");
        const QString maskStatus = f->lblMaskstatus->text();
        bool tried = false;
        const auto during = connect(m_dev.get(), &SimulatedDevice::bytesReceived, this, [&] {
            if (tried)
                return;
            tried = true;
            f->cmdDir4630K_Click();
            f->cmdReboot4630K_Click();
            f->cmdSenddata_Click();
            f->cmdNvconf_Click();
            f->cmdQuitnvconf_Click();
            f->cmdSetMask_Click();
            QTest::keyClick(f->txtSend, Qt::Key_Return);
        });
        f->cmdSetIP->click();
        disconnect(during);
        QVERIFY(tried);
        CHECK_LINE({{0, "I\r"}, {500, "10.0.0.8\r"}});
        QCOMPARE(f->txtSend->toPlainText(), "DIR");
        QCOMPARE(f->lblMaskstatus->text(), maskStatus);
        QCOMPARE(buttonStates(f), kMenuState);
        QVERIFY(m_dialogs->shown().isEmpty());
        QTRY_COMPARE(m_dev->settings().ip, (std::array<int, 4>{10, 0, 0, 8}));
        m_dev->settings().ip = {192, 9, 40, 100};
    }

    // Quit, DIR and RESET are sent as they are, without a question or a
    // wait; "Nvconf" from the prompt starts the menu and reads it, the
    // gateway proposed as the device shows it.
    void promptCommandsAndMenuReading()
    {
        Configurate *f = m_f;
        QVERIFY(f);
        clearRecords();
        f->cmdQuitnvconf->click();
        CHECK_LINE({{0, "Q\r"}});
        QCOMPARE(buttonStates(f), kPromptState);
        toPrompt();

        setOctets(f->txtGateway, {"1", "2", "3", "4"});
        f->cmdDir4630K->click();
        CHECK_LINE({{0, "DIR\r"}});
        QTRY_VERIFY(f->receiveText().contains("PORTD    EXE"));
        f->cmdReboot4630K->click();
        CHECK_LINE({{0, "DIR\r"}, {0, "RESET\r"}});
        QTRY_VERIFY(f->receiveText().contains("4630K ROM-DOS"));
        QVERIFY(m_dialogs->shown().isEmpty());
        QTRY_VERIFY(f->receiveText().endsWith("A:\\>"));

        clearRecords();
        f->cmdNvconf->click();
        CHECK_LINE({{0, "NVCONF\r"}});
        QCOMPARE(buttonStates(f), kMenuState);
        QCOMPARE(shown(f), kReadAgain);
        QVERIFY(f->receiveText().startsWith(u'\r'));
        f->cmdNvconf->click(); // disabled in the menu state
        QCOMPARE(m_dev->received(), QByteArray("NVCONF\r"));

        // A reading while the menu is open (the load's second one) leaves it
        // first: "NVCONF" would otherwise be taken as "N", a new mask "VCONF".
        clearRecords();
        m_dev->settings().mask = {255, 255, 0, 0};
        f->cmdNvconf_Click();
        CHECK_LINE({{0, "Q\r"}, {100, "NVCONF\r"}});
        QCOMPARE(f->txtALLMask->text(), "255.255.  0.  0");
        m_dev->settings().mask = {255, 255, 255, 0};
    }

    // Typed letters a to z become upper case, nothing else changes. "Send"
    // sends the line and keeps it; Enter sends it and empties the box.
    void sendLine_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("line");
        QTest::newRow("command") << "dir a:" << "DIR A:";
        QTest::newRow("around a to z") << "`Az{1~" << "`AZ{1~";
    }
    void sendLine()
    {
        QFETCH(QString, typed);
        QFETCH(QString, line);
        Configurate *f = m_f;
        QVERIFY(f);
        toPrompt();
        f->txtSend->clear();
        QTest::keyClicks(f->txtSend, typed);
        QCOMPARE(f->txtSend->toPlainText(), line);
        f->cmdSenddata->click();
        CHECK_LINE({{0, line.toUtf8() + "\r"}});
        QCOMPARE(f->txtSend->toPlainText(), line);
        QTest::keyClick(f->txtSend, Qt::Key_Enter);
        CHECK_LINE({{0, line.toUtf8() + "\r"}, {0, line.toUtf8() + "\r"}});
        QCOMPARE(f->txtSend->toPlainText(), QString());
    }

    // Every poll that finds something adds it behind a CR of its own; the
    // text has a fixed bound, and the box shows it with the caret at its end.
    void receivePoll()
    {
        Configurate *f = m_f;
        QVERIFY(f);
        toPrompt();
        m_dev->send("I : Modify IP");
        QTRY_VERIFY(f->receiveText().endsWith("\rI : Modify IP"));
        m_dev->send(" ADDR  1.2.3.4\r\n");
        QTRY_VERIFY(f->receiveText().endsWith("\rI : Modify IP\r ADDR  1.2.3.4\r\n"));

        // 20 kB: pieces of the port's input buffer, the last ending in "end".
        for (int i = 0; i < 20; ++i)
            m_dev->send(QByteArray(1000, char('a' + i)));
        m_dev->send("end");
        QTRY_VERIFY_WITH_TIMEOUT(f->receiveText().endsWith("end"), 30000);
        QVERIFY(f->receiveText().size() <= ConfigurateLogic::ReceiveText::kCapChars + 1025);
        QCOMPARE(f->txtReceive->toPlainText(),
                 ConfigurateLogic::ReceiveText::toDisplay(f->receiveText()));
        QCOMPARE(f->txtReceive->textCursor().position(),
                 f->txtReceive->document()->characterCount() - 1);
    }

    // EXIT is off in the menu state; in the prompt state it closes the port
    // and ends the program at once.
    void exitEndsTheProgram()
    {
        Configurate *f = m_f;
        QVERIFY(f);
        f->cmdNvconf->click();
        f->CmdEXIT->click();
        QVERIFY(!Windows::isEnding() && f->MSComm1->PortOpen());
        f->cmdQuitnvconf->click();
        f->CmdEXIT->click();
        QVERIFY(Windows::isEnding());
        QVERIFY(!f->MSComm1->PortOpen() && !f->isVisible());
        Windows::clear();
    }

    // The timer's CR before each piece: a screen that comes in two pieces
    // has a CR inside. A split IP label (or a value cut below 7 characters)
    // reads short, and the menu is read once more, leaving it first; a value
    // of 7 characters or more is kept as it came. A silent device gets one
    // second reading only.
    void secondReading_data()
    {
        QTest::addColumn<QByteArray>("splitAfter"); // the first piece ends with this
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("ip"); // as read in the end
        QTest::addColumn<bool>("again");
        QTest::newRow("IP label split") << QByteArray("I : Modify I") << false
                                        << "192.  9. 40.100" << true;
        QTest::newRow("IP value cut to 7") << QByteArray("ADDR  192.  9") << false << "192.  9"
                                           << false;
        QTest::newRow("mask label split, IP whole")
            << QByteArray("N : Modify Net") << false << "192.  9. 40.100" << false;
        QTest::newRow("silent device") << QByteArray() << true << "" << true;
    }
    void secondReading()
    {
        QFETCH(QByteArray, splitAfter);
        QFETCH(bool, silent);
        QFETCH(bool, again);
        freshDevice();
        m_dev->setSilent(silent);
        // The first screen is sent in two pieces: the second once the form
        // has the first.
        QByteArray rest;
        bool split = false;
        m_dev->setScreenFilter([&](const QByteArray &screen) {
            if (split || splitAfter.isEmpty())
                return screen;
            split = true;
            const qsizetype cut = screen.indexOf(splitAfter) + splitAfter.size();
            rest = screen.mid(cut);
            return screen.left(cut);
        });
        QObject thisCase; // ends the watch with the case
        Configurate *f = load([&](Configurate *loading) {
            connect(loading->txtReceive, &QPlainTextEdit::textChanged, &thisCase, [&, loading] {
                const QString first = QString::fromLatin1(splitAfter);
                if (!rest.isEmpty() && loading->receiveText().endsWith(first)) {
                    m_dev->send(rest);
                    rest.clear();
                }
            });
        });
        m_dev->setScreenFilter({});
        m_dev->setSilent(false);
        QVERIFY(f);
        if (again)
            CHECK_LINE({{0, "NVCONF\r"}, {1000, "Q\r"}, {100, "NVCONF\r"}});
        else
            CHECK_LINE({{0, "NVCONF\r"}});
        QTEST(f->txtALLIP->text(), "ip");
        QCOMPARE(buttonStates(f), kMenuState);
        if (!silent && again) {
            QCOMPARE(shown(f), kReadAgain);
        } else if (!silent) {
            QCOMPARE(octets(f->txtGateway), "192|168|1|1");
            QCOMPARE(f->txtALLMask->text().isEmpty(), splitAfter.startsWith("N"));
        }
    }

    // A port that cannot be opened, or that fails later, is reported once,
    // naming the port and its device; the form then sends nothing, asks
    // nothing more, and EXIT stays reachable. Without a device the PC's
    // values and proposals still come; a report that cannot be written
    // leaves the PC's values empty, and one refused under its name (a
    // folder, a link to another file) is said, naming it, with nothing
    // written through it.
    void portClosed_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("pc");
        QTest::newRow("missing")
            << "missing" << " /  /  / 192.168.1.10 / 255.255.255.0 / 192.168.1.1 / "
                            "192|168|1|11 / 255|255|255|0 / 192|168|1|1";
        QTest::newRow("missing, a folder where the report goes")
            << "no report" << " /  /  /  /  /  / ||| / ||| / |||";
        QTest::newRow("missing, a link where the report goes")
            << "link" << " /  /  /  /  /  / ||| / ||| / |||";
        QTest::newRow("vanishes after the load") << "vanishes" << kLoaded;
    }
    void portClosed()
    {
        QFETCH(QString, how);
        freshDevice();
        QFile::remove(IpconfigReport::kFileName);
        if (how == "no report")
            QVERIFY(QDir().mkdir(IpconfigReport::kFileName));
        QTemporaryDir other;
        const QString target = other.filePath("precious");
        if (how == "link") {
            QFile precious(target);
            QVERIFY(precious.open(QIODevice::WriteOnly) && precious.write("keep") == 4);
            QVERIFY(QFile::link(target, IpconfigReport::kFileName));
        }
        if (how != "vanishes")
            qputenv("RM4630K_COM1", kMissingPort);
        Configurate *f = load();
        m_dev->attachAs(1);
        QDir().rmdir(IpconfigReport::kFileName);
        QVERIFY(f && f->isVisible());
        QTEST(shown(f), "pc");
        // Said after the port's box, naming the report's file.
        const bool refused = how == "no report" || how == "link";
        if (refused) {
            QCOMPARE(m_dialogs->shown().size(), 2);
            const ScriptedDialogs::Shown said = m_dialogs->shown().last();
            QVERIFY2(said.text.contains(QDir::current().filePath(IpconfigReport::kFileName))
                         && said.icon == QMessageBox::Warning,
                     qPrintable(said.text));
        }
        if (how == "link") {
            QFile precious(target);
            QVERIFY(precious.open(QIODevice::ReadOnly) && precious.readAll() == "keep");
            QVERIFY(QFile::remove(IpconfigReport::kFileName));
        }
        const QByteArray sent = how == "vanishes" ? "NVCONF\r" : "";
        CHECK_LINE({{0, sent}});
        if (how == "vanishes")
            m_dev->vanish();
        const int boxes = refused ? 2 : 1;
        QTRY_COMPARE(m_dialogs->shown().size(), boxes);
        const ScriptedDialogs::Shown box = m_dialogs->shown().first();
        QVERIFY2(box.text.contains("COM1 (" + m_dev->slavePath())
                     || box.text.contains("COM1 (" + kMissingPort),
                 qPrintable(box.text));
        QCOMPARE(box.icon, QMessageBox::Warning);

        f->cmdQuitnvconf_Click();
        QCOMPARE(buttonStates(f), kPromptState);
        for (QPushButton *b : {f->cmdSetIP, f->cmdNvconf, f->cmdDir4630K, f->cmdReboot4630K,
                               f->cmdSenddata})
            b->click();
        QTest::keyClick(f->txtSend, Qt::Key_Return);
        QCOMPARE(f->lblIPstatus->text(), "Ok!");
        QCOMPARE(m_dialogs->shown().size(), boxes);
        QCOMPARE(m_dev->received(), sent);
        f->CmdEXIT->click();
        QVERIFY(Windows::isEnding());
        Windows::clear();
    }
};

QTEST_MAIN(TstConfigurate)
#include "tst_configurate.moc"
