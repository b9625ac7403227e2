#include "app/app.h"
#include "app/launcherstate.h"
#include "app/main1.h"
#include "app/twips.h"
#include "app/windows.h"
#include "tests/support/fakehostnet.h"
#include "tests/support/scripteddialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

int g_toolLoads = 0;

// Stands in for a tool window of a later subsystem.
class ToolForm : public Form
{
public:
    ToolForm() { control<QLabel>(QStringLiteral("Label5")); }
    void formLoad() override { ++g_toolLoads; }
};

} // namespace

class TstMain1 : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FakeHostNet> m_net;
    std::unique_ptr<ScriptedDialogs> m_dialogs;

    Main1 *load()
    {
        registerAppWindows();
        return Windows::get<Main1>(QStringLiteral("Main1"));
    }

    void addTool(const QString &name, Windows::Mode mode = Windows::Mode::Modal)
    {
        Windows::add(name, mode, [] { return new ToolForm; });
    }

    // Closes window name once it is shown, noting whether it was modal and
    // what its Label5 held.
    void closeWhenShown(const QString &name, bool *modal, QString *label5 = nullptr)
    {
        QTimer::singleShot(0, this, [=] {
            Form *f = Windows::loaded(name);
            QVERIFY2(f, qPrintable(name + " is not shown"));
            *modal = f->isModal() && f->isVisible();
            if (label5)
                *label5 = f->findChild<QLabel *>(QStringLiteral("Label5"))->text();
            f->close();
        });
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
    }

    void startState()
    {
        Main1 *m = load();
        QCOMPARE(m->windowTitle(), QStringLiteral("RM4630K utility"));
        QCOMPARE(m->size(), QSize(440, 329));
        QStringList items;
        for (int i = 0; i < m->Combo1->count(); ++i)
            items << m->Combo1->itemText(i);
        QCOMPARE(items, (QStringList{"COM1", "COM2", "COM3", "COM4"}));
        QCOMPARE(m->Combo1->currentText(), QStringLiteral("COM1"));
        QCOMPARE(m->Label4->text(), QStringLiteral("10.1.1.20"));
        QCOMPARE(m->Label5->text(), QStringLiteral("255.255.0.0"));
        QCOMPARE(m->Label6->text(), "10.1.1.1" + QString(8, QChar(0)));
        QCOMPARE(LauncherState::instance().pcGateway(), m->Label6->text());
        QCOMPARE(m->NettestIP->text(), QStringLiteral("192.9.40.100"));
        QVERIFY(m->NettestIP->isHidden());
        QCOMPARE(m->Text1->text(), QString());
        QCOMPARE(m->printedLines().size(), 6);
        QCOMPARE(m->printedLines().first(), QStringLiteral("2   IP addresses found on your PC !!"));
        QVERIFY(m_dialogs->shown().isEmpty());
        for (const QLabel *l : {m->Label1, m->Label4, m->Label6})
            QVERIFY2(l->y() >= m->height(), "a state label is inside the client area");
    }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QString>("tip");
        QTest::newRow("Command3") << "Command3" << "Configuration" << QRect(360, 2280, 1815, 375)
                                  << "You  can configurate 4630K by RS232 here";
        QTest::newRow("Command6") << "Command6" << "Download image" << QRect(360, 2760, 1815, 375)
                                  << "You can download rom image to 4630K by Hyperterminal";
        QTest::newRow("Command5") << "Command5" << "ModbusTCP test" << QRect(360, 4320, 1815, 375)
                                  << "You  can make a ModbusTCP test by RJ45 here";
        QTest::newRow("cmdTroubleshooting") << "cmdTroubleshooting" << "Trouble shooting"
                                            << QRect(4680, 3960, 1815, 375) << "";
        QTest::newRow("Label9") << "Label9" << "Ver:A.3.4" << QRect(5640, 360, 735, 375) << "";
        QTest::newRow("Label7") << "Label7" << "Connect by PC's" << QRect(240, 1920, 1335, 375) << "";
        QTest::newRow("Combo1") << "Combo1" << "COM1" << QRect(1440, 1845, 855, 300) << "";
    }
    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QRect, rect);
        QFETCH(QString, tip);
        auto *w = load()->findChild<QWidget *>(name);
        QVERIFY2(w, qPrintable(name));
        QCOMPARE(w->geometry(), twipsRect(rect.x(), rect.y(), rect.width(), rect.height()));
        QCOMPARE(w->toolTip(), tip);
        const QString text = w->property(qobject_cast<QComboBox *>(w) ? "currentText" : "text").toString();
        QCOMPARE(text, caption);
    }

    void failedSizeQueryKeepsTheGatewayLabel()
    {
        m_net->paramsSizeResult = 232;
        Main1 *m = load();
        QCOMPARE(m_dialogs->messages(), QStringList{"GetNetworkParams sizing failed with error 232"});
        const auto &box = m_dialogs->shown().first();
        QCOMPARE(box.title, QStringLiteral("4630K"));
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box.icon, QMessageBox::NoIcon);
        QCOMPARE(m->Label6->text(), QStringLiteral("Label1"));
        QCOMPARE(LauncherState::instance().pcGateway(), QStringLiteral("Label1"));
        QCOMPARE(m->Label4->text(), QStringLiteral("10.1.1.20")); // the loading goes on
    }

    void unreadableTableShowsError()
    {
        m_net->tableSize = HostNet::kTableCountBytes + 3;
        m_net->table.truncate(*m_net->tableSize);
        Main1 *m = load();
        QCOMPARE(m_dialogs->messages(), QStringList{"ERROR"});
        QCOMPARE(m->printedLines().size(), 2);
        QCOMPARE(LauncherState::instance().pcIp(), QStringLiteral("Label1"));
        QCOMPARE(m->Label5->text(), QStringLiteral("Label1"));
    }

    void summaryIsDrawnOnEveryPaint()
    {
        const QImage withSummary = load()->grab(QRect(0, 0, 200, 60)).toImage();
        Windows::clear();
        m_net->tableSize = 0;
        Main1 *bare = load();
        QVERIFY(bare->printedLines().isEmpty());
        QVERIFY(bare->grab(QRect(0, 0, 200, 60)).toImage() != withSummary);
    }

    void typedComTextReachesReaders()
    {
        Main1 *m = load();
        m->Combo1->lineEdit()->selectAll();
        QTest::keyClicks(m->Combo1->lineEdit(), QStringLiteral("COM7"));
        QCOMPARE(LauncherState::instance().comPort(), QStringLiteral("COM7"));

        addTool(QStringLiteral("Download"));
        bool modal = false;
        QString label5;
        closeWhenShown(QStringLiteral("Download"), &modal, &label5);
        m->Command6->click();
        QVERIFY(modal);
        QCOMPARE(label5, QStringLiteral("COM7"));

        m->Combo1->setCurrentIndex(2);
        QCOMPARE(LauncherState::instance().comPort(), QStringLiteral("COM3"));
    }

    void buttonsOpenTheirWindows_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("window");
        QTest::newRow("wizard") << "Command1" << "Wizard";
        QTest::newRow("nettest") << "Command2" << "frmMain";
        QTest::newRow("modbus") << "Command5" << "ModbusTCP";
        QTest::newRow("download") << "Command6" << "Download";
        QTest::newRow("troubleshooting") << "cmdTroubleshooting" << "frmTroubleshooting";
    }
    void buttonsOpenTheirWindows()
    {
        QFETCH(QString, button);
        QFETCH(QString, window);
        auto *b = load()->findChild<QPushButton *>(button);
        b->click(); // inert while the program has no such window
        QCOMPARE(g_toolLoads, 0);
        addTool(window);
        bool modal = false;
        closeWhenShown(window, &modal);
        b->click();
        QVERIFY2(modal, "the tool is not shown modal");
        QCOMPARE(g_toolLoads, 1);
    }

    // The close box closes the launcher alone: the serial window beside it
    // keeps the run going and still finds the shared state.
    void closingTheLauncherKeepsTheRunAndState()
    {
        QPointer<Main1> m = load();
        Windows::show(QStringLiteral("Main1"));
        addTool(QStringLiteral("frmTerminal"), Windows::Mode::Modeless);
        m->Command3->click();
        m->Command3->click();
        QCOMPARE(g_toolLoads, 1);
        QVERIFY(!Windows::loaded(QStringLiteral("frmTerminal"))->isModal());

        bool ranAfterLauncherClosed = false;
        QTimer::singleShot(0, this, [&] {
            m->close();
            QTimer::singleShot(0, this, [&] {
                ranAfterLauncherClosed = true;
                LauncherState::instance().setNettestIp(QStringLiteral("192.9.40.101"));
                Windows::unload(QStringLiteral("frmTerminal"));
            });
        });
        QTimer guard; // only against a hang: the run ends when the terminal closes
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, qApp, &QCoreApplication::quit);
        guard.start(10000);
        QApplication::exec();
        QVERIFY2(ranAfterLauncherClosed, "closing the launcher ended the run");
        QVERIFY2(guard.isActive(), "closing the last window did not end the run");
        QCOMPARE(LauncherState::instance().pcIp(), QStringLiteral("10.1.1.20"));
        QCOMPARE(Windows::get<Main1>(QStringLiteral("Main1"))->NettestIP->text(),
                 QStringLiteral("192.9.40.101"));
    }

    void exitEndsTheProgram()
    {
        Main1 *m = load();
        Windows::show(QStringLiteral("Main1"));
        m->Command4->click();
        QVERIFY(Windows::isEnding());
        QVERIFY(!m->isVisible());
    }
};

QTEST_MAIN(TstMain1)
#include "tst_main1.moc"
