#include "app/comports.h"
#include "tests/support/fakecomports.h"

#include <QFile>
#include <QSettings>
#include <QTest>

#include <algorithm>

using namespace ComPorts;

namespace {

QString settingsFile()
{
    return QSettings(QStringLiteral("RM4630K"), QStringLiteral("rm4630k-utility")).fileName();
}

} // namespace

// Which device each of COM1 to COM4 opens, and the paths that are refused.
class TstComPorts : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        for (int n = 1; n <= 4; ++n)
            qunsetenv(("RM4630K_COM" + QByteArray::number(n)).constData());
        QFile::remove(settingsFile());
    }

    // From the system's list, in whatever order it comes: the adapters by
    // name, the on-board ports by name with numbers in order, then the usual
    // on-board names not yet taken.
    void systemListInAStableOrder_data()
    {
        QTest::addColumn<QStringList>("ports"); // "a <path>": an adapter, "o <path>": on-board
        QTest::addColumn<QStringList>("devices");
        QTest::newRow("none")
            << QStringList() << QStringList{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"};
        QTest::newRow("one adapter")
            << QStringList{"a /dev/ttyUSB0"}
            << QStringList{"/dev/ttyUSB0", "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2"};
        QTest::newRow("an on-board port, no device twice")
            << QStringList{"o /dev/ttyS1"}
            << QStringList{"/dev/ttyS1", "/dev/ttyS0", "/dev/ttyS2", "/dev/ttyS3"};
        QTest::newRow("adapters first, numbers in order")
            << QStringList{"o /dev/ttyS10", "a /dev/ttyUSB10", "o /dev/ttyS2", "a /dev/ttyUSB2",
                           "a /dev/ttyACM0"}
            << QStringList{"/dev/ttyACM0", "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyS2"};
        QTest::newRow("reported twice: an adapter if either says so")
            << QStringList{"o /dev/ttyUSB0", "o /dev/ttyS3", "a /dev/ttyUSB0"}
            << QStringList{"/dev/ttyUSB0", "/dev/ttyS3", "/dev/ttyS0", "/dev/ttyS1"};
        QTest::newRow("on-board by name")
            << QStringList{"o /dev/ttyS10", "o /dev/ttyS2", "o /dev/ttyAMA0"}
            << QStringList{"/dev/ttyAMA0", "/dev/ttyS2", "/dev/ttyS10", "/dev/ttyS0"};
    }
    void systemListInAStableOrder()
    {
        QFETCH(QStringList, ports);
        QFETCH(QStringList, devices);
        QList<SystemPort> list;
        for (const QString &p : ports)
            list.append({p.mid(2), p.startsWith(u'a')});
        QCOMPARE(systemDevices(list), devices);
        std::reverse(list.begin(), list.end());
        QCOMPARE(systemDevices(list), devices);
    }

    // The environment first, then the settings file, then the system's list;
    // each name keeps its place in that list (COM4 is its fourth device).
    void environmentThenSettingsThenSystem()
    {
        FakeComPorts fake;
        fake.list = {{QStringLiteral("/dev/ttyUSB0"), true}};
        {
            QSettings s(QStringLiteral("RM4630K"), QStringLiteral("rm4630k-utility"));
            s.setValue(QStringLiteral("ComPorts/COM2"), QStringLiteral("/dev/ttyACM5"));
            s.setValue(QStringLiteral("ComPorts/COM3"), QStringLiteral("/dev/ttyACM6"));
        }
        qputenv("RM4630K_COM3", "/dev/pts/9");
        const QList<std::pair<QString, Origin>> expected = {
            {"/dev/ttyUSB0", Origin::System},
            {"/dev/ttyACM5", Origin::SettingsFile},
            {"/dev/pts/9", Origin::Environment},
            {"/dev/ttyS2", Origin::Usual}};
        for (int n = 1; n <= 4; ++n) {
            const Device d = device(n);
            QCOMPARE(d.path, expected.at(n - 1).first);
            QVERIFY2(d.origin == expected.at(n - 1).second, qPrintable(d.path));
            QVERIFY(d.problems.isEmpty());
        }
    }

    // Refused values fall through to the next source, each with its message.
    void unusableValuesFallThrough()
    {
        Device d = resolve(2, "/dev/tty\x1bX", QStringLiteral("/dev/ttyACM5"),
                           QStringLiteral("/dev/ttyS0"), false, QStringLiteral("f.conf"));
        QCOMPARE(d.path, QStringLiteral("/dev/ttyACM5"));
        QCOMPARE(d.problems, QStringList{"RM4630K_COM2=\"/dev/tty\\x1bX\" cannot be a serial "
                                         "device: it holds a control character. COM2 opens "
                                         "/dev/ttyACM5."});

        // A path too long for its lock file, shown cut short.
        d = resolve(1, QByteArray(), "/dev/" + QString(300, u'a'), QStringLiteral("/dev/ttyUSB0"),
                    true, QStringLiteral("f.conf"));
        QCOMPARE(d.path, QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(d.problems,
                 QStringList{"COM1=\"/dev/" + QString(55, u'a')
                             + "\u2026\" in section [ComPorts] of f.conf cannot be a serial "
                               "device: the path is too long (300 bytes after \"/dev/\", at "
                               "most 250). COM1 opens /dev/ttyUSB0."});
    }

    // 250 bytes after "/dev/" (or of a path elsewhere) is the most a serial
    // port's lock file can name; bytes count, not characters.
    void longestUsablePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("usable");
        QTest::newRow("250 after /dev/") << "/dev/" + QString(250, u'a') << true;
        QTest::newRow("251 after /dev/") << "/dev/" + QString(251, u'a') << false;
        QTest::newRow("251 elsewhere") << "/tmp/" + QString(246, u'a') << false;
        QTest::newRow("125 two-byte characters") << "/dev/" + QString(125, u'é') << true;
        QTest::newRow("126 two-byte characters") << "/dev/" + QString(126, u'é') << false;
        QTest::newRow("a name under /dev") << "ttyUSB0" << true;
    }
    void longestUsablePath()
    {
        QFETCH(QString, path);
        QFETCH(bool, usable);
        QCOMPARE(pathProblem(path).isEmpty(), usable);
    }
};

QTEST_GUILESS_MAIN(TstComPorts)
#include "tst_comports.moc"
