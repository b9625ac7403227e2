#include "app/dialogs.h"
#include "app/form.h"
#include "app/module1.h"
#include "app/windows.h"
#include "tests/support/scripteddialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

int g_loads = 0;

// Counts its loads; a slow one waits on the event loop while it loads, as the
// serial window does.
struct CountingForm : Form
{
    explicit CountingForm(int loadMs = 0) : m_loadMs(loadMs) {}
    void formLoad() override
    {
        ++g_loads;
        if (m_loadMs > 0)
            Module1::Delay(m_loadMs);
    }
    int m_loadMs;
};

// A window with operations, as the windows that talk to a device have.
struct BusyForm : Form
{
    using Form::setCloseHeldDuringOperation;
    void operationRefused() override { ++refusals; }
    void formActivate() override { ++activations; }
    int refusals = 0;
    int activations = 0;
    QString shared = QStringLiteral("before");
    void tick() {}
};

// The pointer's shape of the moment; ArrowCursor when none is set over it.
Qt::CursorShape pointer()
{
    const QCursor *c = QApplication::overrideCursor();
    return c ? c->shape() : Qt::ArrowCursor;
}

} // namespace

class TstWindows : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        g_loads = 0;
        Windows::clear();
    }
    void cleanupTestCase() { Windows::clear(); }

    // One instance, loaded once however often it is asked for; closed, it
    // is destroyed and loaded afresh when asked for again.
    void oneInstanceLoadedOncePerOpening()
    {
        Windows::add("w", Windows::Mode::Modeless, [] { return new CountingForm; });
        QPointer<Form> a = Windows::get("w");
        QCOMPARE(Windows::get("w"), a);
        Windows::show("w");
        Windows::show("w");
        QVERIFY(a->isVisible());
        QCOMPARE(g_loads, 1);
        QCOMPARE(a->objectName(), QStringLiteral("w"));
        a->close();
        QVERIFY(!Windows::loaded("w"));
        QTRY_VERIFY(a.isNull());
        QVERIFY(Windows::get("w"));
        QCOMPARE(g_loads, 2);
    }

    // A name no window was registered under is a fault of the program: it is
    // reported, and nothing else happens.
    void unknownNameIsReported()
    {
        QTest::ignoreMessage(QtWarningMsg, "No window is registered under the name \"nothing\"");
        QVERIFY(!Windows::get("nothing"));
        QTest::ignoreMessage(QtWarningMsg, "No window is registered under the name \"nothing\"");
        Windows::show("nothing");
    }

    void requestDuringLoadGetsTheSameInstance()
    {
        Windows::add("slow", Windows::Mode::Modeless, [] { return new CountingForm(50); });
        Form *during = nullptr;
        QTimer::singleShot(10, this, [&during] {
            during = Windows::loaded("slow");
            Windows::show("slow"); // must not load a second one
        });
        Form *f = Windows::get("slow");
        QCOMPARE(g_loads, 1);
        QCOMPARE(during, f);
    }

    // One operation at a time: a second one is refused while the first runs,
    // a moved scope holds it, and releasing twice ends it once. Actions queued
    // meanwhile run after it, in order; one whose context went is dropped.
    void operationsRunOneAtATime()
    {
        BusyForm form;
        QStringList ran;
        {
            Form::Operation first = form.beginOperation();
            Form::Operation moved = std::move(first);
            QVERIFY(moved && !first && form.isOperationRunning());
            QVERIFY(!form.beginOperation());
            QCOMPARE(form.refusals, 1);
            auto *gone = new QObject;
            form.afterOperation(&form, [&] { ran << "a"; });
            form.afterOperation(gone, [&] { ran << "dropped"; });
            form.afterOperation(&form, [&] {
                ran << "b";
                // An action that starts an operation holds the rest back.
                auto held = std::make_shared<Form::Operation>(form.beginOperation());
                QTimer::singleShot(20, &form, [held] { held->release(); });
            });
            form.afterOperation(&form, [&] { ran << "c"; });
            delete gone;
            first.release();
            QVERIFY(form.isOperationRunning());
            QCoreApplication::processEvents();
            QVERIFY2(ran.isEmpty(), "nothing runs before the operation ends");
        }
        QTRY_COMPARE(ran, (QStringList{"a", "b"}));
        QTRY_COMPARE(ran, (QStringList{"a", "b", "c"}));
        QVERIFY(!form.isOperationRunning());
        // With nothing running, a queued action runs from the event loop.
        form.afterOperation(&form, [&] { ran << "d"; });
        QVERIFY(ran.size() == 3);
        QTRY_COMPARE(ran.size(), 4);
    }

    // A close during an operation waits for its end (by default); a window
    // that lets it through sees its waits end with false instead.
    void closeDuringAnOperation()
    {
        QPointer<BusyForm> held = new BusyForm;
        held->show();
        {
            Form::Operation op = held->beginOperation();
            QVERIFY(!held->close());
            QVERIFY(held->isClosePending() && held->isVisible() && held->refusals == 1);
            QVERIFY(held->wait(1));
        }
        QTRY_VERIFY(held.isNull());

        QPointer<BusyForm> through = new BusyForm;
        through->setCloseHeldDuringOperation(false);
        through->show();
        Form::Operation op = through->beginOperation();
        QTimer::singleShot(10, through.data(), [&] { through->close(); });
        QElapsedTimer clock;
        clock.start();
        QVERIFY2(!through->wait(5000), "a closed window's wait tells the handler to stop");
        QVERIFY(clock.elapsed() < 4000);

        // A queued action that closes the window is the last one to run.
        QPointer<BusyForm> closing = new BusyForm;
        QStringList ran;
        closing->afterOperation(closing, [&] {
            ran << "closes";
            closing->close();
        });
        closing->afterOperation(closing, [&] { ran << "after"; });
        QTRY_VERIFY(closing.isNull());
        QCOMPARE(ran, QStringList{"closes"});
    }

    // The waits: a fixed time, or until a condition holds, sleeping between
    // events; both stop when the window goes or the program ends.
    void waits()
    {
        QPointer<BusyForm> form = new BusyForm;
        bool flag = false;
        QTimer::singleShot(30, form.data(), [&flag] { flag = true; });
        QElapsedTimer clock;
        clock.start();
        QVERIFY(form->waitUntil([&flag] { return flag; }));
        QVERIFY(clock.elapsed() >= 29);
        // The condition is tested after a first yield, so an event already
        // queued is seen.
        flag = false;
        QTimer::singleShot(0, form.data(), [&flag] { flag = true; });
        QVERIFY(form->waitUntil([&flag] { return flag; }));

        QTimer::singleShot(10, form.data(), [&form] { delete form.data(); });
        QVERIFY(!form->waitUntil([] { return false; }));
        QVERIFY(form.isNull());

    }

    // A modal window reads and writes its owner's state while it is open; the
    // owner sees what it wrote once it has closed, and becomes active again.
    // An owner closed meanwhile is no longer reachable from the dialog.
    void modalWindowsAndTheirOwner()
    {
        Windows::add("owner", Windows::Mode::Modeless, [] { return new BusyForm; });
        Windows::add("dialog", Windows::Mode::Modal, [] { return new BusyForm; });
        Windows::show("owner");
        QPointer<BusyForm> owner = static_cast<BusyForm *>(Windows::get("owner"));
        QVERIFY(owner);
        owner->activateWindow();
        QTRY_VERIFY(owner->activations > 0);
        const int activationsBefore = owner->activations;

        QString seen;
        QTimer::singleShot(10, [&seen] {
            auto *dialog = static_cast<BusyForm *>(Windows::loaded("dialog"));
            auto *o = static_cast<BusyForm *>(dialog->owner());
            seen = o->shared;
            o->shared = QStringLiteral("written by the dialog");
            dialog->close();
        });
        QVERIFY(owner->showModal("dialog"));
        QCOMPARE(seen, QStringLiteral("before"));
        QCOMPARE(owner->shared, QStringLiteral("written by the dialog"));
        QTRY_VERIFY(owner->activations > activationsBefore);

        bool ownerGoneInDialog = false;
        QTimer::singleShot(10, [&] {
            auto *dialog = static_cast<BusyForm *>(Windows::loaded("dialog"));
            owner->close();
            ownerGoneInDialog = dialog->owner() == nullptr;
            dialog->close();
        });
        QVERIFY2(!owner->showModal("dialog"), "the owner closed while the dialog was open");
        QVERIFY(ownerGoneInDialog);
    }

    // A timer of a window fires on time, not up to 5 % early or late; text
    // that comes from outside shows as typed, never as markup.
    void timersArePreciseAndLabelsPlain()
    {
        BusyForm form;
        QCOMPARE(form.timer(QStringLiteral("Timer1"), 3000, &BusyForm::tick)->timerType(),
                 Qt::PreciseTimer);
        std::array<QLabel *, 2> labels{};
        form.controlArray(labels, QStringLiteral("lbl"));
        labels[1]->setText(QStringLiteral("<b>x</b>"));
        QLabel *made =
            form.label(QStringLiteral("l"), QStringLiteral("<b>x</b>"), {0, 0, 1000, 300});
        for (QLabel *l : {labels[1], made}) {
            QCOMPARE(l->textFormat(), Qt::PlainText);
            QVERIFY2(l->sizeHint().width() >= l->fontMetrics().horizontalAdvance(l->text()),
                     "the tags are shown, not applied");
        }
    }

    // A window closed while a handler of its own waits (here from inside a
    // wait of another window) is destroyed once the handler has returned, not
    // under it: the widget whose signal entered the handler goes on after it.
    void closedWhileItsOwnHandlerWaits_data()
    {
        QTest::addColumn<bool>("fromCombo");
        QTest::newRow("combo box activated") << true;
        QTest::newRow("line edit Enter") << false;
    }
    void closedWhileItsOwnHandlerWaits()
    {
        QFETCH(bool, fromCombo);
        QPointer<BusyForm> form = new BusyForm;
        auto *combo = form->control<QComboBox>(QStringLiteral("combo"));
        combo->addItems({QStringLiteral("a"), QStringLiteral("b")});
        auto *edit = form->control<QLineEdit>(QStringLiteral("edit"));
        const QPointer<QWidget> emitter = fromCombo ? static_cast<QWidget *>(combo) : edit;
        form->show();
        int handled = 0;
        bool emitterAliveAfterWait = false;
        BusyForm other;
        const auto handler = [&] {
            ++handled;
            QTimer::singleShot(0, &other, [&] {
                bool closed = false;
                QTimer::singleShot(0, &other, [&] {
                    form->close();
                    QTimer::singleShot(0, &other, [&closed] { closed = true; });
                });
                QVERIFY(other.waitUntil([&closed] { return closed; }));
            });
            QVERIFY(!form->wait(60000));
            emitterAliveAfterWait = !emitter.isNull();
        };
        QObject::connect(combo, &QComboBox::activated, form.data(), handler);
        QObject::connect(edit, &QLineEdit::returnPressed, form.data(), handler);
        QTest::keyClick(emitter, fromCombo ? Qt::Key_Down : Qt::Key_Return);
        QCOMPARE(handled, 1);
        QVERIFY2(emitterAliveAfterWait, "destroyed under the handler that waited");
        QVERIFY(form && form->isUnloaded());
        QTRY_VERIFY(form.isNull());
    }

    // The busy pointer (clicks still go through) shows while a wait runs and
    // goes when the outermost one ends; a box inside the wait shows the
    // ordinary one, and a wait inside that box the busy one again.
    void busyPointerWhileWaiting()
    {
        ScriptedDialogs dialogs;
        BusyForm form;
        QList<Qt::CursorShape> seen;
        bool done = false;
        QTimer::singleShot(0, &form, [&] {
            seen << pointer();
            QVERIFY(form.wait(0));
            seen << pointer();
            dialogs.whileShown([&] {
                seen << pointer();
                bool inner = false;
                QTimer::singleShot(0, &form, [&] {
                    seen << pointer();
                    inner = true;
                });
                QVERIFY(form.waitUntil([&inner] { return inner; }));
            });
            msgBox(&form, QStringLiteral("x"));
            seen << pointer();
            done = true;
        });
        QVERIFY(form.waitUntil([&done] { return done; }));
        QCOMPARE(seen, (QList<Qt::CursorShape>{Qt::BusyCursor, Qt::BusyCursor, Qt::ArrowCursor,
                                               Qt::BusyCursor, Qt::BusyCursor}));
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(form.wait(0));
        QVERIFY2(!QApplication::overrideCursor(), "a mere yield shows no busy pointer");
    }

    // Qt's own box of a window: the window closed while it is open goes only
    // after the box has returned; a window destroyed outright takes its box
    // along without a fault. Texts show as typed.
    void qtBoxOfAWindowThatGoes()
    {
        QPointer<BusyForm> form = new BusyForm;
        form->show();
        QPointer<QMessageBox> box;
        bool heldAfterClose = false;
        QTimer::singleShot(0, form.data(), [&] {
            box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            QCOMPARE(box->textFormat(), Qt::PlainText);
            form->close();
            QTimer::singleShot(0, box.data(), [&] {
                heldAfterClose = !form.isNull();
                box->button(QMessageBox::Ok)->click();
            });
        });
        QCOMPARE(msgBox(form, QStringLiteral("<b>x</b>")), QMessageBox::Ok);
        QVERIFY(heldAfterClose && form);
        QTRY_VERIFY(form.isNull());

        form = new BusyForm;
        form->show();
        QTimer::singleShot(0, form.data(), [&form] { delete form.data(); });
        QCOMPARE(msgBox(form, QStringLiteral("x")), QMessageBox::NoButton);
    }

    // Last: the program's end stays in force for the rest of the run.
    void endingProgramStopsWaits()
    {
        Windows::add("w", Windows::Mode::Modeless, [] { return new BusyForm; });
        QPointer<Form> w = Windows::get("w");
        QTimer::singleShot(10, [] { Windows::endProgram(); });
        QVERIFY(!w->waitUntil([] { return false; }));
        QVERIFY(!w->wait(1000));
    }
};

QTEST_MAIN(TstWindows)
#include "tst_windows.moc"
