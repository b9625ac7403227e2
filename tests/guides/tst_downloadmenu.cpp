#include "guides/downloadmenu.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Guides;

namespace {

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

} // namespace

// The download menu's port names, and where it finds the connection files.
class TstDownloadMenu : public QObject
{
    Q_OBJECT

private slots:
    void portMatch_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("file");
        QTest::newRow("COM1") << "COM1" << "term1.ht";
        QTest::newRow("COM4") << "COM4" << "term4.ht";
        QTest::newRow("lower case") << "com3" << "";
        QTest::newRow("trailing blank") << "COM3 " << "";
        QTest::newRow("typed COM7") << "COM7" << "";
        QTest::newRow("COM0") << "COM0" << "";
        QTest::newRow("leading zero") << "COM03" << "";
        QTest::newRow("full-width") << QStringLiteral("COM\uff13") << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("design caption") << "Label5" << "";
    }

    // COM1 to COM4 open their file and then the button's guide, whichever of
    // the two buttons; any other name opens nothing.
    void portMatch()
    {
        QFETCH(QString, port);
        QFETCH(QString, file);
        QCOMPARE(connectionFileName(port), file);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        if (!file.isEmpty())
            QVERIFY(writeFile(dir.filePath(file), "x"));
        for (GuideId id : {GuideId::Terminalwizard, GuideId::Terminalwizard1}) {
            const auto launch = launchForPort(port, id, {dir.path()});
            QCOMPARE(launch.has_value(), !file.isEmpty());
            if (launch) {
                QCOMPARE(launch->guide, id);
                QCOMPARE(launch->file, QDir(dir.path()).absoluteFilePath(file));
                QVERIFY(launch->found);
            }
        }
    }

    void lookup_data()
    {
        QTest::addColumn<bool>("inCurrent");
        QTest::addColumn<bool>("inData");
        QTest::addColumn<QString>("from");
        QTest::newRow("current folder only") << true << false << "current";
        QTest::newRow("data folder only") << false << true << "data";
        QTest::newRow("both: current first") << true << true << "current";
        QTest::newRow("nowhere") << false << false << "";
    }

    // The current folder comes first, as for a file opened by its bare name,
    // then the program's data folder. A file missing everywhere still goes to
    // the system's opening by its bare name.
    void lookup()
    {
        QFETCH(bool, inCurrent);
        QFETCH(bool, inData);
        QFETCH(QString, from);
        QTemporaryDir current, data;
        QVERIFY(current.isValid() && data.isValid());
        if (inCurrent)
            QVERIFY(writeFile(current.filePath("term2.ht"), "current"));
        if (inData)
            QVERIFY(writeFile(data.filePath("term2.ht"), "data"));
        else // a folder of that name is no file
            QVERIFY(QDir(data.path()).mkdir("term2.ht"));

        const QStringList folders{current.path(), data.path()};
        const QString found = findConnectionFile("term2.ht", folders);
        const auto launch = launchForPort("COM2", GuideId::Terminalwizard, folders);
        QVERIFY(launch);
        if (from.isEmpty()) {
            QVERIFY(found.isEmpty());
            QVERIFY(!launch->found);
            QCOMPARE(launch->file, QStringLiteral("term2.ht"));
            return;
        }
        QFile f(found);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLatin1(f.readAll()), from);
        QCOMPARE(launch->file, found);
    }

    void foldersStartWithTheCurrentOne()
    {
        QTemporaryDir dir;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const QStringList folders = connectionFileFolders();
        QVERIFY(QDir::setCurrent(before));
        QCOMPARE(QDir(folders.first()).canonicalPath(), QDir(dir.path()).canonicalPath());
        // Then the build's folder beside the program and the installed one,
        // both found from the program's folder.
        const QDir program(QCoreApplication::applicationDirPath());
        QCOMPARE(folders.mid(1),
                 QStringList({QDir::cleanPath(program.filePath("data")),
                              QDir::cleanPath(program.filePath("../share/rm4630k-utility"))}));
    }

    void shippedFiles_data()
    {
        QTest::addColumn<int>("port");
        for (int k = 1; k <= 4; ++k)
            QTest::addRow("COM%d", k) << k;
    }

    // The build puts one connection file per port in its data folder, each
    // with the console's line settings.
    void shippedFiles()
    {
        QFETCH(int, port);
        const QString name = connectionFileName(QStringLiteral("COM%1").arg(port));
        const QString buildData = QStringLiteral(RM_BUILD_DATA_DIR);
        const QString path = findConnectionFile(name, {buildData});
        QVERIFY2(!path.isEmpty(), qPrintable(buildData + '/' + name));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly | QIODevice::Text));
        const QString text = QString::fromUtf8(f.readAll());
        for (const QString &setting :
             {QStringLiteral("Port=COM%1").arg(port), QStringLiteral("Bits per second=57600"),
              QStringLiteral("Data bits=8"), QStringLiteral("Parity=None"),
              QStringLiteral("Stop bits=1"), QStringLiteral("Flow control=None")})
            QVERIFY2(text.contains(setting + '\n'), qPrintable(setting));
    }
};

QTEST_GUILESS_MAIN(TstDownloadMenu)
#include "tst_downloadmenu.moc"
