#include "app/app.h"
#include "app/launcherstate.h"
#include "app/main1.h"
#include "app/windows.h"
#include "guides/download.h"
#include "guides/guidecontrols.h"
#include "guides/guideform.h"
#include "guides/guides.h"
#include "guides/shellopen.h"
#include "tests/support/fakehostnet.h"
#include "tests/support/scripteddialogs.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// Records the files it is asked to open instead of opening them; fails each
// opening later with failure, when it is set.
class FakeShellOpen : public ShellOpen
{
public:
    FakeShellOpen() { install(this); }
    ~FakeShellOpen() override { install(nullptr); }
    void openFile(const QString &path, Failed failed) override
    {
        opened << path;
        if (!failure.isEmpty())
            QTimer::singleShot(0, QCoreApplication::instance(), [failed, why = failure] { failed(why); });
    }
    QStringList opened;
    QString failure;
};

// What came up while a "Wizard" button's guide was open.
struct GuideSeen
{
    QString window;       // the guide's name; empty when none opened
    bool modal = false;
    QString stepAndText;  // its step label and instruction text
    QStringList openedBy; // the files opened by then
};

// Watches, within scope, for one of the download guides to open, notes what
// it shows and closes it.
void watchForGuide(QObject *scope, GuideSeen &seen, const FakeShellOpen &shell)
{
    QTimer::singleShot(0, scope, [&seen, &shell] {
        for (const QString &name : {WindowName::Terminalwizard, WindowName::Terminalwizard1}) {
            if (GuideForm *g = Windows::loaded<GuideForm>(name)) {
                seen.window = name;
                seen.modal = g->isModal() && g->isVisible();
                seen.stepAndText = g->stepLabel->text() + u' ' + g->textLabel->text();
                seen.openedBy = shell.opened;
                g->close();
            }
        }
    });
}

} // namespace

// The download menu: each "Wizard" button opens the connection file of the
// launcher's PC COM port and then its guide, for COM1 to COM4 only.
class TstDownload : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<FakeShellOpen> m_shell;

private slots:
    void initTestCase()
    {
        // The test is no program of the build: its connection files are found
        // in the current folder.
        QVERIFY(QDir::setCurrent(QStringLiteral(RM_BUILD_DATA_DIR)));
    }
    void init()
    {
        LauncherState::instance().reset();
        registerGuidesWindows();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_shell = std::make_unique<FakeShellOpen>();
    }
    void cleanup()
    {
        Windows::clear();
        m_shell.reset();
        m_dialogs.reset();
    }

    void portMatch_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("file");  // empty: nothing opens
        QTest::addColumn<QString>("guide");
        const QString way1 =
            QStringLiteral("Step1 Make sure the 4630K already in Rom Dos prompt A:\\>");
        const QString way2 = QStringLiteral("Step1 Connect Init* to GND before poweron 4630K");
        // The names the menu takes: see its logic's test.
        QTest::newRow("COM1, first way") << "COM1" << "Command6" << "term1.ht" << way1;
        QTest::newRow("COM4, second way") << "COM4" << "Command1" << "term4.ht" << way2;
        QTest::newRow("lower case") << "com3" << "Command6" << "" << "";
        QTest::newRow("design caption") << "Label5" << "Command1" << "" << "";
    }

    // COM1 to COM4: the port's connection file is opened, then the button's
    // guide is shown modally at its first step. Any other name: nothing at
    // all, and nothing said.
    void portMatch()
    {
        QFETCH(QString, port);
        QFETCH(QString, button);
        QFETCH(QString, file);
        Download *d = Windows::get<Download>(WindowName::Download);
        QVERIFY(d);
        d->Label5->setText(port);

        GuideSeen seen;
        {
            QObject scope;
            watchForGuide(&scope, seen, *m_shell);
            d->findChild<QPushButton *>(button)->click();
        }
        QVERIFY(m_dialogs->shown().isEmpty());
        QTEST(seen.stepAndText, "guide");
        if (file.isEmpty()) {
            QVERIFY(m_shell->opened.isEmpty());
            QVERIFY(seen.window.isEmpty());
            return;
        }
        QVERIFY(seen.modal);
        QCOMPARE(seen.window, button == QLatin1String("Command6") ? WindowName::Terminalwizard
                                                                 : WindowName::Terminalwizard1);
        QCOMPARE(m_shell->opened.size(), 1);
        QCOMPARE(seen.openedBy, m_shell->opened);
        const QFileInfo opened(m_shell->opened.first());
        QCOMPARE(opened.fileName(), file);
        QVERIFY2(opened.isAbsolute() && opened.isFile(), qPrintable(opened.filePath()));
        // Back in the menu, which stays open.
        QVERIFY(Windows::loaded(WindowName::Download));
        QVERIFY(!Windows::loaded(seen.window));
    }

    // An opening that fails is said, naming the file and the reason; the
    // guide opens all the same.
    void failedOpeningIsSaid()
    {
        m_shell->failure = QStringLiteral("no program is set for it");
        Download *d = Windows::get<Download>(WindowName::Download);
        QVERIFY(d);
        d->Label5->setText(QStringLiteral("COM2"));
        GuideSeen seen;
        {
            QObject scope;
            watchForGuide(&scope, seen, *m_shell);
            d->Command1->click();
        }
        QVERIFY(seen.modal);
        QTRY_COMPARE(m_dialogs->shown().size(), 1);
        const QString text = m_dialogs->shown().first().text;
        QCOMPARE(QFileInfo(m_shell->opened.value(0)).fileName(), QStringLiteral("term2.ht"));
        QVERIFY2(text.contains(m_shell->opened.first())
                     && text.contains(QStringLiteral("no program is set for it")),
                 qPrintable(text));
    }

    void typedInTheLauncher_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("file");
        QTest::newRow("COM2") << "COM2" << "term2.ht";
        QTest::newRow("COM7") << "COM7" << "";
    }

    // The port name typed into the launcher reaches the menu's buttons.
    void typedInTheLauncher()
    {
        QFETCH(QString, typed);
        QFETCH(QString, file);
        FakeHostNet net;
        net.setGateways({"192.168.1.1"});
        net.table = HostNet::buildAddressTable(
            {{storedAddress(192, 168, 1, 10), 1, storedAddress(255, 255, 255, 0), 0}});
        registerAppWindows();
        Main1 *m = Windows::get<Main1>(WindowName::Main1);
        QVERIFY(m);
        m->Combo1->lineEdit()->selectAll();
        QTest::keyClicks(m->Combo1->lineEdit(), typed);

        GuideSeen seen;
        QString label5;
        {
            QObject scope;
            QTimer::singleShot(0, &scope, [&] {
                Download *d = Windows::loaded<Download>(WindowName::Download);
                if (!d)
                    return;
                label5 = d->Label5->text();
                QObject guideScope;
                watchForGuide(&guideScope, seen, *m_shell);
                d->Command6->click();
                d->Command4->click();
            });
            m->Command6->click();
        }
        QCOMPARE(label5, typed);
        QCOMPARE(m_shell->opened.size(), file.isEmpty() ? 0 : 1);
        if (!file.isEmpty()) {
            QCOMPARE(QFileInfo(m_shell->opened.first()).fileName(), file);
            QCOMPARE(seen.window, WindowName::Terminalwizard);
        }
        QVERIFY(!Windows::loaded(WindowName::Download));
    }
};

QTEST_MAIN(TstDownload)
#include "tst_download.moc"
