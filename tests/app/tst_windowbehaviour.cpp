#include "app/dialogs.h"
#include "app/form.h"
#include "app/windows.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

// A window of a given client size that may take a place of its own while it
// loads.
struct SizedForm : Form
{
    SizedForm(QSize size, QPoint place = {-1, -1}) : m_place(place) { resize(size); }
    void formLoad() override
    {
        if (m_place.x() >= 0)
            move(m_place);
    }
    QPoint m_place;
};

// A window that says something in a box while it loads.
struct BoxOnLoad : SizedForm
{
    using SizedForm::SizedForm;
    void formLoad() override { msgBox(this, QStringLiteral("The port cannot be opened.")); }
};

QRect availableArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// A window of the launcher's size, shown; nullptr when it never appears.
Form *shownLauncher()
{
    Windows::add("launcher", Windows::Mode::Modeless, [] { return new SizedForm({440, 329}); });
    Windows::show("launcher");
    Form *launcher = Windows::loaded("launcher");
    return launcher && QTest::qWaitForWindowExposed(launcher) ? launcher : nullptr;
}

} // namespace

// Where the windows appear on a small screen (1024 × 768, set by the test's
// platform), that they stay on it, and Enter on their buttons.
class TstWindowBehaviour : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCOMPARE(availableArea().size(), QSize(1024, 768)); }
    void cleanup() { Windows::clear(); }

    // A window without a place of its own opens in the middle of the screen;
    // a modal one opens centred over the window that opened it and belongs to
    // it, unless it took a place of its own.
    void placesOfNewWindows_data()
    {
        QTest::addColumn<QPoint>("ownPlace");
        QTest::newRow("no place of its own") << QPoint(-1, -1);
        QTest::newRow("placed itself") << QPoint(30, 40);
    }
    void placesOfNewWindows()
    {
        QFETCH(QPoint, ownPlace);
        Windows::add("launcher", Windows::Mode::Modeless, [] { return new SizedForm({440, 329}); });
        Windows::add("tool", Windows::Mode::Modal,
                     [ownPlace] { return new SizedForm({300, 201}, ownPlace); });
        Windows::show("launcher");
        Form *launcher = Windows::loaded("launcher");
        QVERIFY(QTest::qWaitForWindowExposed(launcher));
        QCOMPARE(launcher->frameGeometry().center(), availableArea().center());

        launcher->move(150, 90);
        QRect toolFrame;
        QWindow *transientParent = nullptr;
        Qt::WindowType toolType = Qt::Window;
        Qt::WindowFlags toolFlags;
        QTimer::singleShot(0, this, [&] {
            if (Form *tool = Windows::loaded("tool")) {
                toolFrame = tool->frameGeometry();
                transientParent = tool->windowHandle()->transientParent();
                toolType = tool->windowType();
                toolFlags = tool->windowFlags();
                tool->close();
            }
        });
        Windows::showModalOver("tool", launcher);
        // X11 window managers keep only dialogs above their owners; minimised
        // alone, it would take its owners with it.
        QCOMPARE(toolType, Qt::Dialog);
        QVERIFY(!(toolFlags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(transientParent, launcher->windowHandle());
        if (ownPlace.x() < 0)
            QCOMPARE(toolFrame.center(), launcher->frameGeometry().center());
        else
            QCOMPARE(toolFrame.topLeft(), ownPlace);
    }

    // A modal window that a window manager minimises anyway comes back: it
    // blocks every other window, so nothing would be left to use.
    void modalWindowsStayUp()
    {
        Windows::add("tool", Windows::Mode::Modal, [] { return new SizedForm({300, 201}); });
        Form *launcher = shownLauncher();
        QVERIFY(launcher);
        bool cameBack = false;
        QTimer::singleShot(0, this, [&] {
            Form *tool = Windows::loaded("tool");
            tool->setWindowState(Qt::WindowMinimized);
            cameBack = QTest::qWaitFor([tool] { return !tool->isMinimized(); });
            tool->close();
        });
        Windows::showModalOver("tool", launcher);
        QVERIFY(cameBack);
    }

    // Qt's own boxes stand over their window, transient for it, without
    // minimise and maximise buttons. A box that a window shows while it still
    // loads stands over the window that opened it instead of in a corner.
    void boxesStandOverTheirWindow()
    {
        Windows::add("tool", Windows::Mode::Modeless, [] { return new BoxOnLoad({500, 400}); });
        Form *launcher = shownLauncher();
        QVERIFY(launcher);
        launcher->move(150, 90);

        struct Seen
        {
            QWindow *transientParent = nullptr;
            QPoint centre;
            Qt::WindowFlags flags;
        };
        Seen seen;
        const auto answerNextBox = [&] {
            QTimer::singleShot(0, this, [&] {
                auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                QVERIFY(box);
                seen = {box->windowHandle()->transientParent(), box->geometry().center(),
                        box->windowFlags()};
                box->reject();
            });
        };
        answerNextBox();
        Windows::showModalOver("tool", launcher);
        QCOMPARE(seen.transientParent, launcher->windowHandle());
        QVERIFY((seen.centre - launcher->geometry().center()).manhattanLength() <= 2);
        QVERIFY(!(seen.flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));

        Form *tool = Windows::loaded("tool");
        QVERIFY(QTest::qWaitForWindowExposed(tool));
        answerNextBox();
        msgBox(tool, QStringLiteral("Shown"));
        QCOMPARE(seen.transientParent, tool->windowHandle());
        QVERIFY((seen.centre - tool->geometry().center()).manhattanLength() <= 2);
    }

    // A control that lies wholly outside the client area takes no key: Tab
    // passes it by, keys typed into it while it holds the focus go nowhere
    // and move the focus inside, and its shortcut does nothing. Once the
    // window has grown over it, it takes keys as usual.
    void controlsOutsideTakeNoKeys()
    {
        Windows::add("w", Windows::Mode::Modeless, [] { return new SizedForm({400, 300}); });
        Form *w = Windows::get("w");
        // 300 pixels are 4500 twips.
        QLineEdit *inside = w->textBox("inside", QString(), {120, 120, 1200, 300});
        QLineEdit *outside = w->textBox("outside", QString(), {120, 4800, 1200, 300});
        QPushButton *hidden = w->button("hidden", "&Hidden", {1500, 4800, 1200, 375});
        // A shortcut presses its button at once and clicks it later.
        QSignalSpy hiddenPresses(hidden, &QPushButton::pressed);
        Windows::show("w");
        // Shortcuts go to the active window.
        QTRY_VERIFY(w->isActiveWindow());

        inside->setFocus();
        for (const Qt::KeyboardModifier shift : {Qt::NoModifier, Qt::ShiftModifier}) {
            for (int i = 0; i < 3; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, shift);
                QCOMPARE(QApplication::focusWidget(), inside);
            }
        }
        outside->setFocus();
        QTest::keyClicks(outside, "typed");
        QCOMPARE(outside->text(), QString());
        QTRY_COMPARE(QApplication::focusWidget(), inside);
        QTest::keyClick(inside, Qt::Key_H, Qt::AltModifier);
        QCOMPARE(hiddenPresses.size(), 0);

        w->resize(400, 400);
        QTest::keyClick(inside, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), outside);
        QTest::keyClick(outside, Qt::Key_H, Qt::AltModifier);
        QCOMPARE(hiddenPresses.size(), 1);
    }

    // A window that grows past the screen's edge moves back onto it; one
    // larger than the screen shows its top-left corner.
    void windowsStayOnTheScreen()
    {
        Windows::add("w", Windows::Mode::Modeless, [] { return new SizedForm({406, 330}); });
        Windows::show("w");
        Form *w = Windows::loaded("w");
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->move(500, 300);
        w->resize(775, w->height());
        QVERIFY2(availableArea().contains(w->frameGeometry()), "the widened window is off the screen");
        QCOMPARE(w->frameGeometry().right(), availableArea().right());
        w->resize(1200, 900);
        QCOMPARE(w->frameGeometry().topLeft(), availableArea().topLeft());
    }

    // Enter on a focused button presses it once, as Space does; a default
    // button is pressed once too, and Enter in a text box presses nothing.
    void enterPressesTheFocusedButton()
    {
        Windows::add("w", Windows::Mode::Modeless, [] { return new SizedForm({400, 300}); });
        Form *w = Windows::get("w");
        QPushButton *plain = w->button("plain", "Plain", {120, 120, 1200, 375});
        QPushButton *fallback = w->button("fallback", "Default", {120, 600, 1200, 375});
        fallback->setAutoDefault(true);
        QLineEdit *box = w->textBox("box", QString(), {120, 1080, 1200, 300});
        Windows::show("w");
        QVERIFY(QTest::qWaitForWindowActive(w));
        QSignalSpy plainClicks(plain, &QPushButton::clicked);
        QSignalSpy fallbackClicks(fallback, &QPushButton::clicked);

        plain->setFocus();
        QTest::keyClick(plain, Qt::Key_Return);
        QCOMPARE(plainClicks.size(), 1);
        QTest::keyClick(plain, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(plain, Qt::Key_Space);
        QCOMPARE(plainClicks.size(), 3);
        fallback->setFocus();
        QTest::keyClick(fallback, Qt::Key_Return);
        QCOMPARE(fallbackClicks.size(), 1);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(plainClicks.size() + fallbackClicks.size(), 4);

        // Held down, Enter presses once: its repeats press nothing.
        plain->setFocus();
        QTest::simulateEvent(plain, true, Qt::Key_Return, Qt::NoModifier, "\r", false);
        for (int i = 0; i < 3; ++i)
            QTest::simulateEvent(plain, true, Qt::Key_Return, Qt::NoModifier, "\r", true);
        QTest::simulateEvent(plain, false, Qt::Key_Return, Qt::NoModifier, "\r", false);
        QCOMPARE(plainClicks.size(), 4);
    }
};

QTEST_MAIN(TstWindowBehaviour)
#include "tst_windowbehaviour.moc"
