#include "app/form.h"
#include "app/module1.h"
#include "app/windows.h"

#include <QTest>
#include <QTimer>

namespace {

int g_loads = 0;

class CountingForm : public Form
{
public:
    void formLoad() override { ++g_loads; }
};

// A window whose load waits on the event loop, like the serial window's.
class SlowForm : public Form
{
public:
    void formLoad() override
    {
        ++g_loads;
        Module1::Delay(50);
    }
};

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

    void oneInstanceLoadedOnce()
    {
        Windows::add("w", Windows::Mode::Modeless, [] { return new CountingForm; });
        Form *a = Windows::get("w");
        QVERIFY(a);
        QCOMPARE(Windows::get("w"), a);
        Windows::show("w");
        Windows::show("w");
        QCOMPARE(g_loads, 1);
        QVERIFY(a->isVisible());
        QCOMPARE(a->objectName(), QStringLiteral("w"));
    }

    void closedWindowLoadsAfresh()
    {
        Windows::add("w", Windows::Mode::Modeless, [] { return new CountingForm; });
        QPointer<Form> a = Windows::get("w");
        a->close();
        QVERIFY(!Windows::loaded("w"));
        QTRY_VERIFY(a.isNull());
        Form *b = Windows::get("w");
        QVERIFY(b);
        QCOMPARE(g_loads, 2);
    }

    void unknownWindowIsInert()
    {
        QVERIFY(!Windows::has("nothing"));
        QVERIFY(!Windows::get("nothing"));
        Windows::show("nothing");
    }

    void requestDuringLoadGetsTheSameInstance()
    {
        Windows::add("slow", Windows::Mode::Modeless, [] { return new SlowForm; });
        Form *during = nullptr;
        QTimer::singleShot(10, this, [&during] {
            during = Windows::loaded("slow");
            Windows::show("slow"); // must not load a second one
        });
        Form *f = Windows::get("slow");
        QCOMPARE(g_loads, 1);
        QCOMPARE(during, f);
    }

    void modalShowReturnsWhenClosed()
    {
        Windows::add("m", Windows::Mode::Modal, [] { return new CountingForm; });
        bool wasModal = false;
        QTimer::singleShot(10, this, [&wasModal] {
            Form *f = Windows::loaded("m");
            wasModal = f && f->isModal();
            f->close();
        });
        Windows::show("m");
        QVERIFY(wasModal);
        QVERIFY(!Windows::loaded("m"));
    }
};

QTEST_MAIN(TstWindows)
#include "tst_windows.moc"
