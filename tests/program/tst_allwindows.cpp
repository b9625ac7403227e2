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

    // The window loaded as the program loads it, with no device on the
    // serial port: the serial windows load without one.
    static Form *load(const QString &name)
    {
        qputenv("RM4630K_COM1", "/dev/rm4630k-missing");
        registerAllWindows();
        return Windows::get(name);
    }

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
        const ScriptedDialogs dialogs;
        Form *w = load(name);
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

    // Every window, shown as the program shows it: its controls sit at fixed
    // places, so the user cannot resize it; Tab and Shift+Tab visit only
    // controls that can be seen (the program keeps state in controls
    // outside the client area).
    void fixedSizeAndTabStopsInSight_data() { everyNamedWindowIsRegistered_data(); }
    void fixedSizeAndTabStopsInSight()
    {
        QFETCH(QString, name);
        const ScriptedDialogs dialogs;
        Form *w = load(name);
        QVERIFY(w);
        QCOMPARE(w->minimumSize(), w->maximumSize());
        w->show();
        QTRY_VERIFY(w->isActiveWindow());
        const auto inSight = [w](const QWidget *c) {
            return c == w || QRect(c->mapTo(w, QPoint()), c->size()).intersects(w->rect());
        };
        const qsizetype stops = w->findChildren<QWidget *>().size();
        for (const Qt::KeyboardModifier shift : {Qt::NoModifier, Qt::ShiftModifier}) {
            for (qsizetype i = 0; i < stops; ++i) {
                QWidget *from = w->focusWidget() ? w->focusWidget() : w;
                QTest::keyClick(from, Qt::Key_Tab, shift);
                const QWidget *to = w->focusWidget();
                QVERIFY2(!to || inSight(to), qPrintable(to->objectName()));
            }
        }
    }
};

QTEST_MAIN(TstAllWindows)
#include "tst_allwindows.moc"
