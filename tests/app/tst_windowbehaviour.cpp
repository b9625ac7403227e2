#include "app/form.h"
#include "app/windows.h"

#include <QApplication>
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

QRect availableArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
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
        QTimer::singleShot(0, this, [&] {
            if (Form *tool = Windows::loaded("tool")) {
                toolFrame = tool->frameGeometry();
                transientParent = tool->windowHandle()->transientParent();
                toolType = tool->windowType();
                tool->close();
            }
        });
        Windows::showModalOver("tool", launcher);
        // X11 window managers keep only dialogs above their owners.
        QCOMPARE(toolType, Qt::Dialog);
        QCOMPARE(transientParent, launcher->windowHandle());
        if (ownPlace.x() < 0)
            QCOMPARE(toolFrame.center(), launcher->frameGeometry().center());
        else
            QCOMPARE(toolFrame.topLeft(), ownPlace);
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
    }
};

QTEST_MAIN(TstWindowBehaviour)
#include "tst_windowbehaviour.moc"
