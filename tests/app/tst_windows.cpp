#include "app/form.h"
#include "app/module1.h"
#include "app/windows.h"

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
        QVERIFY(!Windows::get("nothing")); // an unknown window is inert
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
};

QTEST_MAIN(TstWindows)
#include "tst_windows.moc"
