#include "app/form.h"
#include "app/windows.h"
#include "program/allwindows.h"
#include "tests/support/scripteddialogs.h"

#include <QLabel>
#include <QTest>
#include <QTimer>

// The program's whole window set.
class TstAllWindows : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Windows::clear(); }

    // Every window name the program uses belongs to a window it has.
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

    // In every window, loaded as the program loads it: every timer is precise
    // (a coarse one fires up to 5 % early or late), and every label shows its
    // text as typed, never as markup.
    void everyTimerPreciseAndEveryLabelPlain_data() { everyNamedWindowIsRegistered_data(); }
    void everyTimerPreciseAndEveryLabelPlain()
    {
        QFETCH(QString, name);
        // No device on the serial port: the serial windows load without one.
        qputenv("RM4630K_COM1", "/dev/rm4630k-missing");
        const ScriptedDialogs dialogs;
        registerAllWindows();
        Form *w = Windows::get(name);
        QVERIFY(w);
        const auto where = [](const QObject *o) {
            return (o->parent()->objectName() + u'/' + o->objectName()).toUtf8();
        };
        for (const QTimer *t : w->findChildren<QTimer *>())
            QVERIFY2(t->timerType() == Qt::PreciseTimer, where(t).constData());
        for (const QLabel *l : w->findChildren<QLabel *>()) {
            if (l->pixmap().isNull())
                QVERIFY2(l->textFormat() == Qt::PlainText, where(l).constData());
        }
    }
};

QTEST_MAIN(TstAllWindows)
#include "tst_allwindows.moc"
