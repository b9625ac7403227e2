#include "app/tickcount.h"
#include "app/windows.h"
#include "console/console.h"
#include "console/frmterminal.h"
#include "guides/guidecontrols.h"
#include "guides/guideform.h"
#include "guides/guides.h"
#include "tests/console/consoletestutil.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/simulateddevice.h"

#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Guides;

Q_DECLARE_METATYPE(Guides::GuideId)

namespace {

// What a guide window shows, read from its controls by their names.
GuideState shownBy(const GuideForm *w)
{
    const GuideTable &t = w->table();
    GuideState s;
    s.stepLabel = w->findChild<QLabel *>(t.stepLabelName)->text();
    s.text = w->findChild<QLabel *>(t.textLabelName)->text();
    for (qsizetype i = 1; i <= t.pictures.size(); ++i)
        s.pictureVisible << !w->findChild<QLabel *>(QStringLiteral("Image%1").arg(i))->isHidden();
    for (qsizetype i = 1; i <= t.lines.size(); ++i)
        s.lineVisible << !w->findChild<GuideLine *>(QStringLiteral("Line%1").arg(i))->isHidden();
    s.prviewEnabled = w->findChild<QPushButton *>(QStringLiteral("cmdPrview"))->isEnabled();
    s.nextEnabled = w->findChild<QPushButton *>(QStringLiteral("cmdNext"))->isEnabled();
    const auto *configuration = w->findChild<QPushButton *>(QStringLiteral("Command1"));
    s.configurationVisible = configuration && !configuration->isHidden();
    return s;
}

QString flags(const QList<bool> &v)
{
    QString s;
    for (bool b : v)
        s += b ? u'1' : u'0';
    return s;
}

// One line per state, so that a difference shows where it is.
QString describe(const GuideState &s)
{
    return QStringList{s.stepLabel, s.text, "pictures " + flags(s.pictureVisible),
                       "lines " + flags(s.lineVisible), s.prviewEnabled ? "prview" : "-",
                       s.nextEnabled ? "next" : "-", s.configurationVisible ? "configuration" : "-"}
        .join(" | ");
}

// True when the line's colour is drawn around its middle in the window's
// picture: it lies above the pictures and the texts.
bool drawn(const QImage &window, const GuideLine *line)
{
    const QPoint middle = (line->line().p1() + line->line().p2()) / 2;
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            if (window.pixelColor(middle + QPoint(dx, dy)) == line->colour())
                return true;
        }
    }
    return false;
}

} // namespace

// The three picture guides as windows: their steps through the buttons, the
// wizard's wait on its last page, and its way into the serial configuration
// window against the simulated console.
class TstGuideForm : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScriptedDialogs> m_dialogs;

    static GuideForm *open(GuideId id)
    {
        return Windows::get<GuideForm>(guide(id).windowName);
    }

private slots:
    void init()
    {
        resetProgramState();
        registerGuidesWindows();
        m_dialogs = std::make_unique<ScriptedDialogs>();
    }
    void cleanup()
    {
        Windows::clear();
        m_dialogs.reset();
    }

    void walk_data()
    {
        QTest::addColumn<GuideId>("id");
        QTest::addColumn<QString>("exitName");
        QTest::newRow("Wizard") << GuideId::Wizard << "CmdEXIT";
        QTest::newRow("Terminalwizard") << GuideId::Terminalwizard << "Command4";
        QTest::newRow("Terminalwizard1") << GuideId::Terminalwizard1 << "Command4";
    }

    // Each guide opens on step 1 with its opening text, steps forward to its
    // last page and back to the first one click by click, with every pointer
    // line of a step drawn over the picture, and opens on step 1 again after
    // Exit on its last page.
    void walk()
    {
        QFETCH(GuideId, id);
        QFETCH(QString, exitName);
        const GuideTable &t = guide(id);
        QPointer<GuideForm> w = open(id);
        QVERIFY(w);
        QCOMPARE(w->objectName(), t.windowName);
        QCOMPARE(w->windowTitle(), QStringLiteral("Wizard"));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));

        GuideState expected = openingState(t);
        QCOMPARE(describe(shownBy(w)), describe(expected));
        for (int step = 2; step <= t.lastStep(); ++step) {
            w->cmdNext->click();
            expected = finishFlash(t, applyGuideStep(t, expected, +1));
            QCOMPARE(describe(shownBy(w)), describe(expected));
            const QImage picture = w->grab().toImage();
            for (const GuideLine *line : std::as_const(w->lines)) {
                if (!line->isHidden())
                    QVERIFY2(drawn(picture, line), qPrintable(line->objectName()));
            }
        }
        QVERIFY(!w->cmdNext->isEnabled());
        for (int step = t.lastStep() - 1; step >= 1; --step) {
            w->cmdPrview->click();
            expected = applyGuideStep(t, expected, -1);
            QCOMPARE(describe(shownBy(w)), describe(expected));
        }
        QVERIFY(!w->cmdPrview->isEnabled());
        QCOMPARE(w->textLabel->text(), t.pages.first().text);

        for (int step = 2; step <= t.lastStep(); ++step)
            w->cmdNext->click();
        auto *exit = w->findChild<QPushButton *>(exitName);
        QVERIFY(exit);
        exit->click();
        QVERIFY(!Windows::loaded(t.windowName));
        QTRY_VERIFY(!w);
        w = open(id);
        QVERIFY(w);
        QCOMPARE(describe(shownBy(w)), describe(openingState(t)));
    }

    // Enter on the focused "Next>>" steps forward once, as a click does.
    void enterOnNext()
    {
        QPointer<GuideForm> w = open(GuideId::Wizard);
        QVERIFY(w);
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w));
        w->cmdNext->setFocus();
        QTest::keyClick(w->cmdNext, Qt::Key_Return);
        QCOMPARE(w->stepLabel->text(), QStringLiteral("Step2"));
    }

    void wizardLastPage_data()
    {
        QTest::addColumn<QString>("during"); // clicks while the Init* picture shows
        QTest::addColumn<QString>("after");  // the page after the wait, by its step label
        QTest::newRow("no click") << "" << "Step3";
        QTest::newRow("Prview") << "cmdPrview" << "Step2";
        QTest::newRow("Prview, then Next") << "cmdPrview cmdNext" << "Step3";
        QTest::newRow("Exit") << "CmdEXIT" << "";
    }

    // Page 3 shows the Init* picture for 1.5 s while the window keeps taking
    // clicks, then the page-2 picture and the Configuration button. A click
    // during the wait wins: the page the user went to stays as it is, and a
    // window closed meanwhile is left alone.
    void wizardLastPage()
    {
        QFETCH(QString, during);
        QFETCH(QString, after);
        const GuideTable &t = guide(GuideId::Wizard);
        QPointer<GuideForm> w = open(GuideId::Wizard);
        QVERIFY(w);
        w->cmdNext->click();
        const GuideState pageTwo = shownBy(w);

        GuideState waiting;
        quint32 lastClick = 0;
        QObject scope;
        // Runs inside the wait that the click on Next starts.
        QTimer::singleShot(0, &scope, [&] {
            waiting = shownBy(w);
            for (const QString &name : during.split(u' ', Qt::SkipEmptyParts)) {
                lastClick = TickCount::now();
                w->findChild<QPushButton *>(name)->click();
                if (!w || w->isUnloaded())
                    break;
            }
        });
        const quint32 start = TickCount::now();
        w->cmdNext->click();
        const quint32 end = TickCount::now();

        QCOMPARE(waiting.stepLabel, QStringLiteral("Step3"));
        QCOMPARE(waiting.text, t.pages.at(2).text);
        QCOMPARE(flags(waiting.pictureVisible), QStringLiteral("001"));
        QVERIFY(!waiting.nextEnabled && waiting.prviewEnabled && !waiting.configurationVisible);

        if (after.isEmpty()) {
            QVERIFY(!Windows::loaded(WindowName::Wizard));
            QTRY_VERIFY(!w);
            return;
        }
        QVERIFY(w);
        GuideState expected = pageTwo;
        if (after == QLatin1String("Step3")) {
            expected.stepLabel = after;
            expected.text = t.pages.at(2).text;
            expected.nextEnabled = false;
            expected.configurationVisible = true;
            // The Init* picture showed its full time from the last click on Next.
            const quint32 shown = end - (lastClick ? lastClick : start);
            QVERIFY2(shown >= 1500, qPrintable(QString::number(shown)));
        }
        QCOMPARE(describe(shownBy(w)), describe(expected));
        QCOMPARE(flags(shownBy(w).pictureVisible), QStringLiteral("010"));
    }

    void configuration_data()
    {
        QTest::addColumn<bool>("alreadyOpen");
        QTest::newRow("configuration window loads") << false;
        QTest::newRow("configuration window already open") << true;
    }

    // "Configuration" closes the wizard and opens the serial configuration
    // window beside the launcher: it loads with the launcher's COM port and
    // reads the device before the wizard's modal show returns, or, when it is
    // open already, only comes to the front.
    void configuration()
    {
        QFETCH(bool, alreadyOpen);
        SimulatedDevice dev;
        QVERIFY(dev.isReady());
        dev.attachAs(2);
        LauncherState::instance().setComPort(QStringLiteral("COM2"));
        registerConsoleWindows();

        QPointer<frmTerminal> before;
        if (alreadyOpen) {
            Windows::show(WindowName::frmTerminal);
            before = Windows::loaded<frmTerminal>(WindowName::frmTerminal);
            QVERIFY(before);
            QTRY_COMPARE(dev.received(), QByteArray("\rNVCONF\rQ"));
            dev.clearRecord();
        }

        bool configurationShown = false;
        QObject scope;
        QTimer::singleShot(0, &scope, [&] {
            QPointer<GuideForm> w = Windows::loaded<GuideForm>(WindowName::Wizard);
            if (!w)
                return;
            w->cmdNext->click();
            w->cmdNext->click(); // waits for the Init* picture
            configurationShown = w && w->Command1->isVisible();
            if (!configurationShown) {
                w->close();
                return;
            }
            w->Command1->click();
        });
        Windows::show(WindowName::Wizard);

        QVERIFY(configurationShown);
        QVERIFY(!Windows::loaded(WindowName::Wizard));
        frmTerminal *term = Windows::loaded<frmTerminal>(WindowName::frmTerminal);
        QVERIFY(term && term->isVisible() && !term->isModal());
        QVERIFY2(m_dialogs->shown().isEmpty(), qPrintable(m_dialogs->messages().join('\n')));
        if (alreadyOpen) {
            QCOMPARE(term, before.data());
            QCOMPARE(dev.received(), QByteArray());
        } else {
            QCOMPARE(term->Label10->text(), QStringLiteral("COM2"));
            QTRY_COMPARE(dev.received(), QByteArray("\rNVCONF\rQ"));
        }
    }
};

QTEST_MAIN(TstGuideForm)
#include "tst_guideform.moc"
