#include "console/terminallog.h"
#include "console/terminaltools.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Takes a number of bytes and then refuses, like a disk that fills up and
// is freed again.
class FillingDevice : public QIODevice
{
public:
    FillingDevice() { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    qint64 room = 0;
    QByteArray written;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 len) override
    {
        if (room <= 0) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        const qint64 n = std::min(len, room);
        written.append(data, n);
        room -= n;
        return n;
    }
};

} // namespace

// The log's writer after a failed write, and a file cut short while it is sent.
class TstTerminalToolsLogic : public QObject
{
    Q_OBJECT

private slots:
    // What a failed write left over goes out once, in order, with what came
    // while the user was asked.
    void failedWriteKeepsItsBytesForARetry()
    {
        auto *disk = new FillingDevice;
        disk->room = 3;
        TerminalLog log;
        log.openDevice(std::unique_ptr<QIODevice>(disk));
        QVERIFY(!log.write(QStringLiteral("ABCDE")));
        QCOMPARE(log.errorText(), QStringLiteral("No space left on device"));
        QCOMPARE(log.heldBytes(), 2);
        log.hold(QStringLiteral("F中"));
        QVERIFY(!log.retry());
        disk->room = 100;
        QVERIFY(log.retry());
        QVERIFY(log.write(QStringLiteral("H")));
        QCOMPARE(disk->written, QByteArray("ABCDEF\xa4\xa4H"));
        QCOMPARE(log.heldBytes(), 0);
    }

    void fileCutShortWhileSentEnds()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f.txt"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(QByteArray(1000, 'x')) == 1000);
        f.close();
        FileBlocks file;
        QVERIFY(file.open(path));
        QVERIFY(f.resize(100));
        QCOMPARE(file.next(512).size(), 100);
        QVERIFY(!file.atEnd());
        QVERIFY(file.next(512).isEmpty());
        QVERIFY(file.atEnd() && !file.errorText().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstTerminalToolsLogic)
#include "tst_terminaltoolslogic.moc"
