#include "console/terminallog.h"
#include "console/terminaltools.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Takes `room` bytes and then refuses, like a disk that fills up.
class FillingDevice : public QBuffer
{
public:
    FillingDevice() { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    qint64 room = 3;

protected:
    qint64 writeData(const char *data, qint64 len) override
    {
        len = std::min(len, room);
        room -= len;
        setErrorString("No space left on device");
        return len > 0 ? QBuffer::writeData(data, len) : -1;
    }
};

} // namespace

// The log after a failed write, and a file cut short while it is sent.
class TstTerminalToolsLogic : public QObject
{
    Q_OBJECT

private slots:
    // What a failed write left over goes out once, in order, with what came
    // while the user was asked.
    void failedWriteKeepsItsBytesForARetry()
    {
        auto *disk = new FillingDevice;
        TerminalLog log;
        log.openDevice(std::unique_ptr<QIODevice>(disk));
        QVERIFY(!log.write("ABCDE"));
        QCOMPARE(log.errorText(), "No space left on device");
        log.hold("F中");
        QVERIFY(!log.retry());
        disk->room = 100;
        QVERIFY(log.retry() && log.write("H") && log.heldBytes() == 0);
        QCOMPARE(disk->data(), QByteArray("ABCDEF\xa4\xa4H"));
    }

    void fileCutShortWhileSentEnds()
    {
        QTemporaryDir dir;
        QFile f(dir.filePath("f.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(QByteArray(1000, 'x')) == 1000);
        f.close();
        FileBlocks file;
        QVERIFY(file.open(f.fileName()) && f.resize(100));
        QCOMPARE(file.next(512).size(), 100);
        QVERIFY(!file.atEnd() && file.next(512).isEmpty());
        QVERIFY(file.atEnd() && !file.errorText().isEmpty());
    }

    // A "%" in a file name stays as typed in the messages that name it.
    void fileNamesWithPercentSigns()
    {
        const QString path = QStringLiteral("/tmp/100%1 %3.txt");
        QCOMPARE(TerminalTools::interruptedText(path, QStringLiteral("x"), 7, 9),
                 QStringLiteral("/tmp/100%1 %3.txt 傳送中斷: x (已送出 7 / 9 位元組)"));
        QCOMPARE(TerminalTools::logOpenFailedText(path, QStringLiteral("y")),
                 QStringLiteral("無法開啟記錄檔 /tmp/100%1 %3.txt: y"));
    }
};

QTEST_GUILESS_MAIN(TstTerminalToolsLogic)
#include "tst_terminaltoolslogic.moc"
