#include "app/windows.h"
#include "program/allwindows.h"

#include <QTest>

// Every window name the program uses belongs to a window it has.
class TstAllWindows : public QObject
{
    Q_OBJECT

private slots:
    void everyNamedWindowIsRegistered_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString &name : WindowName::all)
            QTest::newRow(qPrintable(name)) << name;
    }
    void everyNamedWindowIsRegistered()
    {
        QFETCH(QString, name);
        registerAllWindows();
        QVERIFY(Windows::has(name));
    }
};

QTEST_MAIN(TstAllWindows)
#include "tst_allwindows.moc"
