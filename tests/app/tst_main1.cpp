#include "app/app.h"
#include "app/launcherstate.h"
#include "app/main1.h"
#include "app/windows.h"
#include "tests/support/fakecomports.h"
#include "tests/support/fakehostnet.h"
#include "tests/support/scripteddialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

namespace {

int g_toolLoads = 0;

// Stands in for a tool window of a later subsystem.
struct ToolForm : Form
{
    ToolForm() { control<QLabel>(QStringLiteral("Label5")); }
    void formLoad() override { ++g_toolLoads; }
};

// The COM choice's tip as it shows when hovered: Qt renders a tip that looks
// like markup as markup.
QString hoverTip(Main1 *m)
{
    QHelpEvent event(QEvent::ToolTip, QPoint(2, 2), m->Combo1->mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(m->Combo1, &event);
    const QString tip = m->Combo1->toolTip();
    if (!Qt::mightBeRichText(tip))
        return tip;
    QTextDocument shown;
    shown.setHtml(tip);
    return shown.toPlainText();
}

QString settingsFile()
{
    return QSettings(QStringLiteral("RM4630K"), QStringLiteral("rm4630k-utility")).fileName();
}

} // namespace

class TstMain1 : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeHostNet> m_net;
    std::unique_ptr<ScriptedDialogs> m_dialogs;

    Main1 *load()
    {
        registerAppWindows();
        return Windows::get<Main1>(QStringLiteral("Main1"));
    }

    // Clicks button (or presses Enter on it) with a stand-in for window
    // registered; true when the window came up modal (it is closed at once).
    // label5 gets what its Label5 held.
    bool opensModal(QPushButton *button, const QString &window, QString *label5 = nullptr,
                    bool byEnter = false)
    {
        Windows::add(window, Windows::Mode::Modal, [] { return new ToolForm; });
        bool modal = false;
        QTimer::singleShot(0, this, [&] {
            if (Form *f = Windows::loaded(window)) {
                // Over the launcher, whichever window was active before.
                modal = f->isModal() && f->isVisible()
                        && f->owner() == Windows::loaded(QStringLiteral("Main1"));
                if (label5)
                    *label5 = f->findChild<QLabel *>(QStringLiteral("Label5"))->text();
                f->close();
            }
        });
        if (byEnter)
            QTest::keyClick(button, Qt::Key_Return);
        else
            button->click();
        return modal;
    }

private slots:
    void init()
    {
        g_toolLoads = 0;
        LauncherState::instance().reset();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_net = std::make_unique<FakeHostNet>();
        m_net->setGateways({"192.168.1.1", "10.1.1.1"});
        m_net->table = HostNet::buildAddressTable(
            {{storedAddress(10, 1, 1, 20), 4, storedAddress(255, 255, 0, 0), 0},
             {storedAddress(127, 0, 0, 1), 1, storedAddress(255, 0, 0, 0), 0}});
    }
    void cleanup()
    {
        Windows::clear();
        m_net.reset();
        m_dialogs.reset();
        qunsetenv("RM4630K_COM1");
        qunsetenv("RM4630K_COM4");
        QFile::remove(settingsFile());
        QDir().rmdir(settingsFile());
    }

    void startState()
    {
        Main1 *m = load();
        QCOMPARE((QStringList{m->Combo1->currentText(), m->Label4->text(), m->Label5->text(), m->Text1->text()}),
                 (QStringList{"COM1", "10.1.1.20", "255.255.0.0", ""}));
        // The last adapter's whole 16-byte gateway field, NULs included.
        QCOMPARE(m->Label6->text(), "10.1.1.1" + QString(8, QChar(0)));
        QVERIFY(m->NettestIP->isHidden() && m_dialogs->shown().isEmpty());
        QCOMPARE(m->printedLines().size(), 6);
        QCOMPARE(m->printedLines().first(), QStringLiteral("2   IP addresses found on your PC !!"));
        for (const QLabel *l : {m->Label1, m->Label4, m->Label6})
            QVERIFY2(l->y() >= m->height(), "a state label is inside the client area");
        // The summary is painted on every repaint, not once.
        const QImage withSummary = m->grab(QRect(0, 0, 200, 60)).toImage();
        Windows::clear();
        m_net->tableSize = 0;
        QVERIFY(load()->grab(QRect(0, 0, 200, 60)).toImage() != withSummary);
    }

    // Each failure is told, and the loading goes on past it.
    void failedQueriesAreToldAndLeaveTheLabels()
    {
        m_net->paramsSizeResult = 232;
        m_net->tableSize = HostNet::kTableCountBytes + 3;
        m_net->table.truncate(*m_net->tableSize);
        Main1 *m = load();
        QCOMPARE(m_dialogs->messages(), (QStringList{"GetNetworkParams sizing failed with error 232", "ERROR"}));
        QCOMPARE(m_dialogs->shown().first().title, QStringLiteral("4630K"));
        QCOMPARE(m->printedLines().size(), 2);
        QCOMPARE(m->Label4->text() + m->Label5->text() + m->Label6->text(), QStringLiteral("Label1Label1Label1"));
    }

    void typedComTextReachesReaders()
    {
        Main1 *m = load();
        m->Combo1->lineEdit()->selectAll();
        QTest::keyClicks(m->Combo1->lineEdit(), QStringLiteral("COM7"));
        QCOMPARE(LauncherState::instance().comPort(), QStringLiteral("COM7"));
        QString label5;
        QVERIFY(opensModal(m->Command6, QStringLiteral("Download"), &label5));
        QCOMPARE(label5, QStringLiteral("COM7"));
        m->Combo1->setCurrentIndex(2);
        QCOMPARE(LauncherState::instance().comPort(), QStringLiteral("COM3"));
    }

    // The typed text is the choice as typed, Enter or not: nothing completes
    // it, changes its case or adds it to the list. Enter on the focused
    // "Download image" then presses it, once.
    void typedComTextStaysAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("lower case") << "com3";
        QTest::newRow("trailing blank") << "COM3 ";
        QTest::newRow("start of an item") << "COM";
        QTest::newRow("no item") << "COM7";
    }
    void typedComTextStaysAsTyped()
    {
        QFETCH(QString, typed);
        Main1 *m = load();
        Windows::show(QStringLiteral("Main1"));
        QVERIFY(QTest::qWaitForWindowActive(m));
        m->Combo1->setFocus();
        m->Combo1->lineEdit()->selectAll();
        QTest::keyClicks(m->Combo1, typed);
        QTest::keyClick(m->Combo1, Qt::Key_Return);
        m->Command6->setFocus();
        QString label5;
        QVERIFY(opensModal(m->Command6, QStringLiteral("Download"), &label5, true));
        QCOMPARE(g_toolLoads, 1);
        QCOMPARE(label5, typed);
        QStringList items;
        for (int i = 0; i < m->Combo1->count(); ++i)
            items << m->Combo1->itemText(i);
        QCOMPARE(items, (QStringList{"COM1", "COM2", "COM3", "COM4"}));
    }

    // The COM choice's tip names the device of each name and where it came
    // from, as it is when the tip shows: an adapter plugged in comes first.
    void comTipNamesEachDevice()
    {
        FakeComPorts ports;
        ports.list = {{QStringLiteral("/dev/ttyUSB0"), true}};
        QSettings settings(QStringLiteral("RM4630K"), QStringLiteral("rm4630k-utility"));
        settings.setValue(QStringLiteral("ComPorts/COM3"), QStringLiteral("/dev/ttyACM9"));
        settings.sync();
        qputenv("RM4630K_COM4", "/dev/pts/9");
        Main1 *m = load();
        QCOMPARE(hoverTip(m),
                 QStringLiteral("COM1: /dev/ttyUSB0\n"
                                "COM2: /dev/ttyS0 (not reported by the system)\n"
                                "COM3: /dev/ttyACM9 (from the settings file)\n"
                                "COM4: /dev/pts/9 (from RM4630K_COM4)\nOther text: as COM1"));
        QVERIFY(m_dialogs->shown().isEmpty());

        ports.list.append({QStringLiteral("/dev/ttyACM0"), true});
        QVERIFY2(hoverTip(m).startsWith(QStringLiteral("COM1: /dev/ttyACM0\nCOM2: /dev/ttyUSB0\n")),
                 qPrintable(m->Combo1->toolTip()));
    }

    // A path that looks like markup shows as given, and every other line
    // with it.
    void comTipShowsPathsAsGiven()
    {
        FakeComPorts ports;
        qputenv("RM4630K_COM1", "/dev/<h1>BIG</h1>");
        qputenv("RM4630K_COM4", "/dev/a&amp;b");
        QCOMPARE(hoverTip(load()),
                 QStringLiteral("COM1: /dev/<h1>BIG</h1> (from RM4630K_COM1)\n"
                                "COM2: /dev/ttyS1 (not reported by the system)\n"
                                "COM3: /dev/ttyS2 (not reported by the system)\n"
                                "COM4: /dev/a&amp;b (from RM4630K_COM4)\nOther text: as COM1"));
    }

    // A settings file that is no regular file (here a folder) is said once at
    // start, naming it; its ports are the system's.
    void settingsFileNotRegular()
    {
        FakeComPorts ports;
        ports.list = {{QStringLiteral("/dev/ttyUSB0"), true}};
        QVERIFY(QDir().mkpath(settingsFile()));
        Main1 *m = load();
        QCOMPARE(m_dialogs->messages(),
                 QStringList{"The settings file " + settingsFile()
                             + " is not a regular file: it is neither read nor written, and "
                               "the defaults apply."});
        QVERIFY(hoverTip(m).startsWith(QStringLiteral("COM1: /dev/ttyUSB0\n")));
        QVERIFY(QDir(settingsFile()).isEmpty());
    }

    // A NUL in the settings file's path (written "\0" there) is told once at
    // start; the name opens the system's device, and the tip says so.
    void unusablePathIsToldAtStart()
    {
        FakeComPorts ports;
        ports.list = {{QStringLiteral("/dev/ttyUSB0"), true}};
        const QString file =
            QSettings(QStringLiteral("RM4630K"), QStringLiteral("rm4630k-utility")).fileName();
        QFile raw(file);
        QVERIFY(raw.open(QIODevice::WriteOnly));
        raw.write("[ComPorts]\nCOM1=\"/dev/\\0null\"\n");
        raw.close();
        Main1 *m = load();
        QCOMPARE(m_dialogs->messages(),
                 QStringList{"COM1=\"/dev/\\x00null\" in section [ComPorts] of " + file
                             + " cannot be a serial device: it holds a control character. COM1 "
                               "opens /dev/ttyUSB0."});
        QVERIFY(hoverTip(m).startsWith(
            QStringLiteral("COM1: /dev/ttyUSB0 (the path given is not usable)\n")));
    }

    void buttonsOpenTheirWindows()
    {
        Main1 *m = load();
        QWidget elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &elsewhere);
        const std::pair<QPushButton *, const char *> tools[] = {
            {m->Command1, "Wizard"}, {m->Command2, "frmMain"}, {m->Command5, "ModbusTCP"},
            {m->Command6, "Download"}, {m->cmdTroubleshooting, "frmTroubleshooting"}};
        for (const auto &[button, window] : tools) {
            button->click(); // inert while the program has no such window
            QVERIFY2(opensModal(button, QString::fromLatin1(window)), window);
        }
        QCOMPARE(g_toolLoads, 5);
    }

    // The close box closes the launcher alone: the modeless serial window
    // beside it keeps the run going and still finds the shared state. Exit
    // ends the program.
    void closingTheLauncherAndExit()
    {
        QPointer<Main1> m = load();
        Windows::show(QStringLiteral("Main1"));
        Windows::add(QStringLiteral("frmTerminal"), Windows::Mode::Modeless, [] { return new ToolForm; });
        m->Command3->click();
        QVERIFY(Windows::loaded(QStringLiteral("frmTerminal")));

        QTimer::singleShot(0, this, [&] {
            m->close();
            QTimer::singleShot(0, this, [&] {
                LauncherState::instance().setNettestIp(QStringLiteral("192.9.40.101"));
                Windows::unload(QStringLiteral("frmTerminal"));
            });
        });
        QObject hangGuard; // the run should end when the terminal closes
        bool hung = false;
        QTimer::singleShot(10000, &hangGuard, [&hung] {
            hung = true;
            QCoreApplication::quit();
        });
        QApplication::exec();
        QVERIFY2(!hung, "closing the last window did not end the run");
        m = Windows::get<Main1>(QStringLiteral("Main1"));
        QVERIFY2(m && m->NettestIP->text() == QStringLiteral("192.9.40.101"), "closing the launcher ended the run");

        Windows::show(QStringLiteral("Main1"));
        m->Command4->click(); // Exit
        QVERIFY(Windows::isEnding() && !m->isVisible());
    }
};

QTEST_MAIN(TstMain1)
#include "tst_main1.moc"
