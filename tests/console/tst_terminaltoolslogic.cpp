#include "app/codepage.h"
#include "console/terminallog.h"
#include "console/terminaltools.h"

#include <QBuffer>
#include <QFile>
#include <QRegularExpression>
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

    // While the question is open the log keeps a fixed amount, the newest;
    // the retry writes one line that counts what was left out, where it was.
    void heldTextIsBoundedAndTheGapIsNoted()
    {
        auto *disk = new FillingDevice;
        TerminalLog log;
        log.openDevice(std::unique_ptr<QIODevice>(disk));
        QVERIFY(!log.write("ABCDE"));
        QString arrived;
        auto flood = [&] {
            for (int i = 0; i < 1024; ++i) {
                const QString chunk(4000, i % 3 ? QChar(u'a' + i % 26) : QChar(u'中'));
                arrived += chunk;
                log.hold(chunk);
            }
        };
        flood();
        const qsizetype held = log.heldBytes();
        flood(); // 8 million characters came; the memory held did not grow
        QVERIFY2(held == log.heldBytes() && held < 16 * 1024 * 1024, qPrintable(QString::number(held)));

        disk->room = std::numeric_limits<qint64>::max();
        QVERIFY(log.retry() && log.heldBytes() == 0);
        const QString text = Cp950::toUnicode(disk->data());
        const QRegularExpression note(
            QStringLiteral(R"(^ABCDE\r\n\*\*\* 記錄檔無法寫入, (\d+) 個字元未記錄 \*\*\*\r\n)"));
        const QRegularExpressionMatch m = note.match(text, 0);
        QVERIFY2(m.hasMatch(), qPrintable(text.left(80)));
        // The failed write's rest first, then the note, then the newest text.
        const qsizetype left = m.captured(1).toLongLong();
        const QString kept = text.mid(m.capturedLength());
        QCOMPARE(left + kept.size(), arrived.size());
        QVERIFY(left > 0 && kept == arrived.right(kept.size()));
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
