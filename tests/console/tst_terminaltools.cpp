#include "console/controls.h"
#include "console/frmterminal.h"
#include "console/mscomm.h"
#include "console/terminaltools.h"
#include "tests/console/consoletestutil.h"
#include "tests/support/filedialoguser.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/simulateddevice.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace TerminalTools;

namespace {

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Every byte value, in a different order each time round.
QByteArray sample(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 37 + i / 256 + 11) % 256);
    return bytes;
}

} // namespace

// The terminal's log, file transmission, dialling and hang-up.
class TstTerminalTools : public ConsoleWindowTest
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QPointer<frmTerminal> m_f;
    bool m_gaveUp = false;

    void openPort()
    {
        QTest::mouseClick(m_f->imgNotConnected, Qt::LeftButton);
        QVERIFY2(m_f->MSComm1->PortOpen(), qPrintable(m_dialogs->messages().join('\n')));
    }
    QString makeFile(const char *name, const QByteArray &bytes)
    {
        QFile f(m_dir.filePath(QString::fromLatin1(name)));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() ? f.fileName()
                                                                            : QString();
    }
    // Sends the file at path; runs action once the port has held unsent bytes
    // for 100 ms. Held up 10 s, the port is closed and m_gaveUp tells.
    void transmit(const QString &path, const std::function<void()> &action = {})
    {
        int held = 0;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            held = m_f && m_f->MSComm1->OutBufferCount() > 0 ? held + 1 : 0;
            if (held == 5 && action)
                action();
            if (held == 500) {
                m_gaveUp = true;
                m_f->MSComm1->setPortOpen(false);
            }
        });
        watch.start(20);
        m_dialogs->answerOpenFile(path);
        m_f->TransmitTextFile->trigger();
    }

private slots:
    void init()
    {
        resetProgramState();
        Module1::CancelSend = m_gaveUp = false;
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_dev = std::make_unique<SimulatedDevice>();
        m_dev->attachAs(1);
        m_f = new frmTerminal;
        m_f->show();
    }
    void cleanup()
    {
        delete m_f.data();
        m_dev.reset();
        m_dialogs.reset();
    }

    // The log holds what the terminal was given, in code page 950, from its
    // opening to its closing. An existing file is kept (No), emptied (Yes),
    // or another is asked for (Cancel).
    void logHoldsWhatTheTerminalGets()
    {
        frmTerminal *f = m_f;
        openPort();
        f->OpenLogFile->trigger(); // cancelled: opens nothing
        const ScriptedDialogs::Shown dialog = m_dialogs->shown().value(0);
        QCOMPARE(dialog.kind, ScriptedDialogs::Kind::SaveFile);
        QCOMPARE(dialog.title + dialog.defaultText,
                 "開啟通訊記錄檔" + qtFileFilter("記錄檔 (*.LOG)|*.log|所有檔案 (*.*)|*.*"));
        QVERIFY(!f->hLogFile && f->OpenLogFile->isEnabled());
        const QString path = m_dir.filePath("session.log");
        m_dialogs->answerSaveFile(path);
        f->OpenLogFile->trigger(); // a new file: no question
        QCOMPARE(m_dialogs->shown().size(), 2);
        QCOMPARE(f->windowTitle(), "PortView 終端機 - session.log");
        QVERIFY(!f->OpenLogFile->isEnabled() && f->CloseLogFile->isEnabled());

        // A backspace takes a character off the screen, not out of the log.
        m_dev->send("\xa4\xa4\xa4\xe5\rAB");
        QTRY_VERIFY(f->txtTerm->text().endsWith("AB"));
        m_dev->send("\bC");
        QTRY_COMPARE(f->txtTerm->text(), "中文\r\nAC");
        f->CloseLogFile->trigger();
        QCOMPARE(f->windowTitle(), "PortView 終端機");
        QVERIFY(!f->hLogFile && f->OpenLogFile->isEnabled() && !f->CloseLogFile->isEnabled());
        f->ShowData(f->txtTerm, "later");
        QCOMPARE(contents(path), "\xa4\xa4\xa4\xe5\r\nABC");

        auto reopen = [&](std::initializer_list<QMessageBox::StandardButton> answers) {
            for (const QMessageBox::StandardButton answer : answers) {
                m_dialogs->answerSaveFile(path);
                m_dialogs->answerMessage(answer);
            }
            m_dialogs->clear();
            f->OpenLogFile->trigger();
            f->ShowData(f->txtTerm, "+");
            f->CloseLogFile->trigger();
        };
        reopen({QMessageBox::Cancel, QMessageBox::No});
        QCOMPARE(m_dialogs->shown().size(), 4);
        const ScriptedDialogs::Shown question = m_dialogs->shown().last();
        QCOMPARE(question.text, "要取代既有的檔案嗎 - " + fullPath(path) + '?');
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(contents(path), "\xa4\xa4\xa4\xe5\r\nABC+");
        reopen({QMessageBox::Yes});
        QCOMPARE(contents(path), "+");
    }

    // The window closes while the question about an existing file is open:
    // Yes then empties nothing and opens no log.
    void windowClosedDuringReplaceQuestion()
    {
        const QString path = makeFile("kept.log", "keep these bytes");
        m_dialogs->answerSaveFile(path);
        m_dialogs->whileShown([] {}); // the file dialog
        m_dialogs->whileShown([this] { m_f->close(); });
        m_dialogs->answerMessage(QMessageBox::Yes);
        m_f->OpenLogFile->trigger();
        QCOMPARE(m_dialogs->messages(), QStringList{replaceQuestion(path)});
        QVERIFY(!m_f || !m_f->hLogFile);
        QCOMPARE(contents(path), "keep these bytes");
    }

    // A full disk: the screen keeps everything, the user decides each time,
    // and what arrives while the question is open asks nothing more. The
    // window may go while the question is open.
    void failedLogWrite()
    {
        frmTerminal *f = m_f;
        const QString path = m_dir.filePath("full.log");
        QVERIFY(QFile::link("/dev/full", path));
        auto openLog = [&] {
            m_dialogs->answerSaveFile(path);
            m_dialogs->answerMessage(QMessageBox::No); // never Yes: that would delete it
            f->OpenLogFile->trigger();
            m_dialogs->clear();
        };
        openLog();
        m_dialogs->whileShown([f] { f->ShowData(f->txtTerm, "more"); });
        m_dialogs->answerMessage(QMessageBox::Retry);
        m_dialogs->answerMessage(QMessageBox::Cancel);
        f->ShowData(f->txtTerm, "hello");
        QCOMPARE(m_dialogs->shown().size(), 2);
        for (const ScriptedDialogs::Shown &box : m_dialogs->shown())
            QVERIFY2(box.buttons == (QMessageBox::Retry | QMessageBox::Cancel)
                         && box.icon == QMessageBox::Critical && box.text.contains("space"),
                     qPrintable(box.text));
        QVERIFY(f->txtTerm->text() == "hellomore" && !f->hLogFile && f->OpenLogFile->isEnabled());

        openLog();
        m_dialogs->whileShown([this] { delete m_f.data(); });
        f->ShowData(f->txtTerm, "bye");
        QVERIFY(m_f.isNull());
    }

    // A log that cannot be created is said, with its path; no log is open
    // and the terminal goes on showing what arrives.
    void logCannotBeCreated_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("read-only folder") << "locked" << true;
        QTest::newRow("missing folder") << "missing" << false;
    }
    void logCannotBeCreated()
    {
        QFETCH(QString, folder);
        QFETCH(bool, readOnly);
        frmTerminal *f = m_f;
        QString dir = m_dir.filePath(folder);
        if (readOnly) {
            QVERIFY(QDir().mkdir(dir));
            QVERIFY(QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner));
            QFile probe(dir + "/probe");
            if (probe.open(QIODevice::WriteOnly)) {
                // The superuser writes into any folder; into this one no one can.
                probe.remove();
                dir = "/proc";
            }
        }
        openPort();
        const QString path = dir + "/new.log";
        const QString caption = f->windowTitle();
        m_dialogs->answerSaveFile(path);
        f->OpenLogFile->trigger();
        const QStringList messages = m_dialogs->messages();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().startsWith("無法開啟記錄檔 " + fullPath(path) + ": "),
                 qPrintable(messages.first()));
        QCOMPARE(m_dialogs->shown().last().icon, QMessageBox::Warning);
        QVERIFY(!f->hLogFile && f->OpenLogFile->isEnabled() && !f->CloseLogFile->isEnabled());
        QCOMPARE(f->windowTitle(), caption);
        m_dev->send("still here");
        QTRY_VERIFY(f->txtTerm->text().endsWith("still here"));
        QCOMPARE(m_dialogs->messages().size(), 1);
        QVERIFY(!QFileInfo::exists(path));
    }

    // Qt's own dialogs as the user meets them. The log's takes a new name and
    // asks no question of its own; for a name that exists only the program
    // asks. The transmission's takes only a file that exists.
    void realFileDialogs()
    {
        frmTerminal *f = m_f;
        openPort();
        m_dev->setSilent(true);
        m_dialogs->useRealFileDialogs();
        const QString fresh = m_dir.filePath("fresh.log");
        {
            FileDialogUser user({fresh});
            f->OpenLogFile->trigger();
            QCOMPARE(user.seen().size(), 1);
            const FileDialogUser::Seen seen = user.seen().first();
            QCOMPARE(seen.title, "開啟通訊記錄檔");
            QCOMPARE(seen.nameFilters, qtFileFilter(kLogFilter).split(";;"));
            QVERIFY2(seen.refused.isEmpty() && seen.ownBoxes.isEmpty(),
                     qPrintable((seen.refused + seen.ownBoxes).join('|')));
        }
        QVERIFY(f->hLogFile && m_dialogs->messages().isEmpty());
        QCOMPARE(f->windowTitle(), "PortView 終端機 - fresh.log");
        f->ShowData(f->txtTerm, "one");
        f->CloseLogFile->trigger();

        m_dialogs->answerMessage(QMessageBox::No);
        {
            FileDialogUser user({fresh});
            f->OpenLogFile->trigger();
            QVERIFY(user.seen().size() == 1 && user.seen().first().ownBoxes.isEmpty());
        }
        QCOMPARE(m_dialogs->messages(), QStringList{replaceQuestion(fresh)});
        f->ShowData(f->txtTerm, "+two");
        f->CloseLogFile->trigger();
        QCOMPARE(contents(fresh), "one+two");

        const QString missing = m_dir.filePath("nothing.txt");
        const QString text = makeFile("send.txt", "hello\r\n");
        {
            FileDialogUser user({missing, text});
            f->TransmitTextFile->trigger();
            QCOMPARE(user.seen().size(), 1);
            const FileDialogUser::Seen seen = user.seen().first();
            QCOMPARE(seen.title, "傳送文字檔");
            QCOMPARE(seen.nameFilters, qtFileFilter(kTransmitFilter).split(";;"));
            QCOMPARE(seen.refused, QStringList{missing});
        }
        QTRY_COMPARE(m_dev->received(), QByteArray("hello\r\n"));
        QCOMPARE(m_dialogs->messages(), QStringList{replaceQuestion(fresh)});
    }

    // A missing file is named and another asked for; the file goes out in
    // blocks of the port's buffer, exactly its bytes. A stop request before
    // the first block or while a block waits, the device going, a close
    // request: each ends the transmission, and the next one sends its whole
    // file.
    void transmission()
    {
        frmTerminal *f = m_f;
        openPort();
        m_dev->setSilent(true);
        QList<qint64> writes;
        QObject scope;
        connect(f->MSComm1->findChild<QSerialPort *>(), &QSerialPort::bytesWritten, &scope,
                [&](qint64 n) { writes << n; });
        const QString missing = m_dir.filePath("missing.txt");
        m_dialogs->answerOpenFile(missing);
        const QByteArray bytes = sample(1000);
        transmit(makeFile("a.txt", bytes));
        const QList<ScriptedDialogs::Shown> shown = m_dialogs->shown();
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown.at(0).title + shown.at(0).defaultText,
                 "傳送文字檔" + qtFileFilter("Text Files (*.TXT)|*.txt|All Files (*.*)|*.*"));
        QCOMPARE(shown.at(1).text, fullPath(missing) + " 找不到!");
        QTRY_COMPARE(m_dev->received(), bytes);
        QCOMPARE(writes, (QList<qint64>{512, 488}));

        m_dev->setHoldingOff(true);
        const QString big = makeFile("big.txt", sample(1 << 20));
        m_dialogs->clear();
        m_dialogs->whileShown([] { Module1::CancelSend = true; });
        transmit(big);
        QVERIFY(!Module1::CancelSend && f->MSComm1->OutBufferCount() == 0);
        bool alone = false; // while it runs, the button is off and nothing else starts
        transmit(big, [&] {
            alone = !f->TransmitTextFile->isEnabled() && !f->beginOperation();
            Module1::CancelSend = true;
        });
        QVERIFY(alone && !m_gaveUp && !Module1::CancelSend && !f->isOperationRunning());
        QVERIFY(f->TransmitTextFile->isEnabled() && m_dialogs->messages().isEmpty());

        // The device goes: the transmission says it stopped, and one on
        // another line then gets the whole of the next file.
        transmit(big, [this] { m_dev->vanish(); });
        QVERIFY(!m_gaveUp && !f->MSComm1->PortOpen() && !f->TransmitTextFile->isEnabled());
        const ScriptedDialogs::Shown box = m_dialogs->shown().last();
        QVERIFY2(box.icon == QMessageBox::Warning
                     && box.text.startsWith(fullPath(big) + " 傳送中斷: "),
                 qPrintable(box.text));
        m_dev = std::make_unique<SimulatedDevice>();
        m_dev->setSilent(true);
        m_dev->attachAs(1);
        openPort();
        const QByteArray small = sample(700);
        transmit(makeFile("small.txt", small));
        QTRY_COMPARE(m_dev->received(), small);

        // The window goes once the transmission has stopped.
        m_dev->setHoldingOff(true);
        m_dialogs->clear();
        transmit(big, [this] { QVERIFY(!m_f->close()); });
        QVERIFY(!m_gaveUp && !Module1::CancelSend && m_dialogs->messages().isEmpty());
        QTRY_VERIFY(m_f.isNull());
    }

    // An empty answer sends nothing and leaves the port as it was; a number
    // opens a closed port first. Hang-up closes it and resets the display.
    void dialAndHangUp()
    {
        frmTerminal *f = m_f;
        m_dialogs->answerInput(QString());
        f->DialPhoneNumber->trigger();
        const ScriptedDialogs::Shown prompt = m_dialogs->shown().first();
        QCOMPARE(prompt.text + prompt.title + prompt.defaultText,
                 "輸入電話號碼:撥號" + kDefaultNumber);
        QVERIFY(!f->MSComm1->PortOpen());
        m_dialogs->answerInput("0912345678");
        f->DialPhoneNumber->trigger();
        QVERIFY(f->MSComm1->PortOpen() && f->Timer1->isActive());
        QCOMPARE(f->frontPicture(), f->imgConnected);
        m_dialogs->answerInput(QString());
        f->DialPhoneNumber->trigger();
        QVERIFY(f->MSComm1->PortOpen());

        f->MSComm1->setDTREnable(true);
        f->MSComm1->raiseEvent(MSComm::comEvRing);
        f->HangUpPhone->trigger();
        QTRY_COMPARE(m_dev->received(), QByteArray("ATDT0912345678\r\nATH"));
        QVERIFY(!f->MSComm1->PortOpen() && f->MSComm1->DTREnable() && !f->Timer1->isActive());
        QCOMPARE(f->frontPicture(), f->imgNotConnected);
        QCOMPARE(f->SettingsPanel->text() + f->StatusPanel->text() + f->ConnectTimePanel->text(),
                 "設定: 狀態: ");
        QVERIFY(!f->TransmitTextFile->isEnabled() && !f->HangUpPhone->isEnabled());
        QVERIFY(f->DialPhoneNumber->isEnabled() && m_dialogs->messages().isEmpty());
    }
};

QTEST_MAIN(TstTerminalTools)
#include "tst_terminaltools.moc"
