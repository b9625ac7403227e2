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

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

// The terminal log's writer and the blocks a file is sent in.
class TstTerminalToolsLogic : public QObject
{
    Q_OBJECT

private slots:
    void logAddsCodePage950BytesAtTheEnd()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.log"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old\r\n") == 5);
        old.close();
        TerminalLog log;
        QVERIFY(log.open(path));
        QVERIFY(log.write(QStringLiteral("AB\r\n中")));
        QCOMPARE(contents(path), QByteArray("old\r\nAB\r\n\xa4\xa4"));
        log.close();
        QVERIFY(!log.open(dir.filePath(QStringLiteral("no/such/folder/t.log"))));
        QVERIFY(!log.isOpen() && !log.errorText().isEmpty());
    }

    // Whatever a failed write left over goes out once, in order, with what
    // came while the user was asked.
    void failedWriteKeepsItsBytesForARetry()
    {
        auto *disk = new FillingDevice;
        disk->room = 3;
        TerminalLog log;
        log.openDevice(std::unique_ptr<QIODevice>(disk));
        QVERIFY(!log.write(QStringLiteral("ABCDE")));
        QCOMPARE(log.errorText(), QStringLiteral("No space left on device"));
        QCOMPARE(log.heldBytes(), 2);
        log.hold(QStringLiteral("FG"));
        QVERIFY(!log.retry());
        disk->room = 100;
        QVERIFY(log.retry());
        QVERIFY(log.write(QStringLiteral("H")));
        QCOMPARE(disk->written, QByteArray("ABCDEFGH"));
        QCOMPARE(log.heldBytes(), 0);
    }

    void fileGoesInBlocksOfItsOwnBytes_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<int>>("blocks");
        QTest::newRow("empty") << 0 << QList<int>{};
        QTest::newRow("one byte") << 1 << QList<int>{1};
        QTest::newRow("one block") << 512 << QList<int>{512};
        QTest::newRow("1000 bytes") << 1000 << QList<int>{512, 488};
        QTest::newRow("two blocks and a bit") << 1025 << QList<int>{512, 512, 1};
    }
    void fileGoesInBlocksOfItsOwnBytes()
    {
        QFETCH(int, size);
        QFETCH(QList<int>, blocks);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f.txt"));
        QByteArray bytes;
        for (int i = 0; i < size; ++i)
            bytes += char((i * 37 + 11) % 256);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == size);
        f.close();

        FileBlocks file;
        QVERIFY(file.open(path));
        QList<int> sizes;
        QByteArray sent;
        while (!file.atEnd()) {
            const QByteArray block = file.next(512);
            QVERIFY(!block.isEmpty());
            sizes << int(block.size());
            sent += block;
        }
        QCOMPARE(sizes, blocks);
        QCOMPARE(sent, bytes);
    }

    void fileThatCannotBeReadEnds()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f.txt"));
        FileBlocks missing;
        QVERIFY(!missing.open(path));
        QVERIFY(!missing.errorText().isEmpty());

        // Cut short while it is being sent: what is there goes, then it ends.
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
