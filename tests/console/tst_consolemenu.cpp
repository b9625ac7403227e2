#include "console/consolemenu.h"

#include <QTest>

// The octet check of the address rows (the per-port choices are tested
// through the window).
class TstConsoleMenu : public QObject
{
    Q_OBJECT

private slots:
    void octetCheck_data()
    {
        QTest::addColumn<QStringList>("octets");
        QTest::addColumn<bool>("passes");
        QTest::newRow("255 passes") << QStringList{"192", "9", "40", "255"} << true;
        QTest::newRow("256 last fails") << QStringList{"192", "9", "40", "256"} << false;
        QTest::newRow("300 first fails") << QStringList{"300", "1", "1", "1"} << false;
        QTest::newRow("leading zero, blank inside") << QStringList{"010", " 25 6", "1", "1"} << true;
        QTest::newRow("digits behind a blank") << QStringList{"1", " 2560", "1", "1"} << false;
        QTest::newRow("empty, not numbers: 0") << QStringList{"", "abc", "-5", "1"} << true;
    }
    void octetCheck()
    {
        QFETCH(QStringList, octets);
        QFETCH(bool, passes);
        QCOMPARE(ConsoleMenu::octetsInRange(octets), passes);
    }
};

QTEST_GUILESS_MAIN(TstConsoleMenu)
#include "tst_consolemenu.moc"
