#include "app/codepage.h"
#include "console/controls.h"
#include "console/frmterminal.h"
#include "console/mscomm.h"
#include "console/terminaltools.h"
#include "tests/console/consoletestutil.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/simulateddevice.h"

#include <QAction>
#include <QFile>
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

QString makeFile(const QTemporaryDir &dir, const char *name, const QByteArray &bytes)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return QString();
    return path;
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
class TstTerminalTools : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SimulatedDevice> m_dev;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<QTemporaryDir> m_dir;
    QPointer<frmTerminal> m_form;
    QTimer m_watch;
    bool m_gaveUp = false;

    frmTerminal *form() { return m_form.data(); }

    void openPort()
    {
        QTest::mouseClick(form()->imgNotConnected, Qt::LeftButton);
        QVERIFY2(form()->MSComm1->PortOpen(), qPrintable(m_dialogs->messages().join('\n')));
    }

    // Runs action once the port has held unsent bytes for 100 ms. A
    // transmission that is still held up 10 s later is ended by closing the
    // port, and m_gaveUp tells.
    void whenHeldUp(std::function<void()> action)
    {
        m_watch.disconnect();
        m_watch.setInterval(20);
        auto held = std::make_shared<int>(0);
        auto ticks = std::make_shared<int>(0);
        connect(&m_watch, &QTimer::timeout, this, [this, action, held, ticks] {
            if (!m_form)
                return;
            *held = m_form->MSComm1->OutBufferCount() > 0 ? *held + 1 : 0;
            if (*held == 5)
                action();
            if (++*ticks == 500 && m_form && m_form->MSComm1->PortOpen()) {
                m_gaveUp = true;
                m_form->MSComm1->setPortOpen(false);
            }
        });
        m_watch.start();
    }

    QString transmit(const QString &path)
    {
        m_dialogs->answerOpenFile(path);
        form()->TransmitTextFile->trigger();
        return path;
    }

private slots:
    void init()
    {
        resetProgramState();
        Module1::CancelSend = false;
        m_gaveUp = false;
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_dir = std::make_unique<QTemporaryDir>();
        m_dev = std::make_unique<SimulatedDevice>();
        QVERIFY(m_dev->isReady());
        m_dev->attachAs(1);
        m_form = new frmTerminal;
        m_form->show();
    }
    void cleanup()
    {
        m_watch.stop();
        delete m_form.data();
        m_dev.reset();
        m_dialogs.reset();
        m_dir.reset();
    }

    void logHoldsWhatTheTerminalShows()
    {
        frmTerminal *f = form();
        openPort();
        // A cancelled dialog opens nothing.
        f->OpenLogFile->trigger();
        QCOMPARE(m_dialogs->shown().size(), 1);
        QCOMPARE(m_dialogs->shown().first().title, QStringLiteral("開啟通訊記錄檔"));
        QCOMPARE(m_dialogs->shown().first().defaultText,
                 qtFileFilter(QStringLiteral("記錄檔 (*.LOG)|*.log|所有檔案 (*.*)|*.*")));
        QVERIFY(!f->hLogFile && f->OpenLogFile->isEnabled());

        const QString path = m_dir->filePath(QStringLiteral("session.log"));
        m_dialogs->answerOpenFile(path);
        f->OpenLogFile->trigger();
        QCOMPARE(f->windowTitle(), QStringLiteral("PortView 終端機 - session.log"));
        QVERIFY(!f->OpenLogFile->isEnabled() && f->CloseLogFile->isEnabled());

        // A command typed, echoed and answered; Chinese; a CR and its LF apart.
        QTest::keyClicks(f->txtTerm, QStringLiteral("dir"));
        QTest::keyClick(f->txtTerm, Qt::Key_Return);
        QTRY_VERIFY(f->txtTerm->text().endsWith(QStringLiteral("A:\\>")));
        m_dev->send("\xa4\xa4\xa4\xe5\r");
        m_dev->send("\n");
        QTRY_VERIFY(f->txtTerm->text().endsWith(QStringLiteral("中文\r\n")));
        QTRY_COMPARE(contents(path), Cp950::fromUnicode(f->txtTerm->text()));

        // A backspace takes a character off the screen, not out of the log.
        const QByteArray before = contents(path);
        m_dev->send("AB");
        QTRY_VERIFY(f->txtTerm->text().endsWith(QStringLiteral("AB")));
        m_dev->send("\bC");
        QTRY_VERIFY(f->txtTerm->text().endsWith(QStringLiteral("\r\nAC")));
        QCOMPARE(contents(path), before + "ABC");

        f->CloseLogFile->trigger();
        QCOMPARE(f->windowTitle(), QStringLiteral("PortView 終端機"));
        QVERIFY(!f->hLogFile && f->OpenLogFile->isEnabled() && !f->CloseLogFile->isEnabled());
        m_dev->send("later");
        QTRY_VERIFY(f->txtTerm->text().endsWith(QStringLiteral("later")));
        QCOMPARE(contents(path), before + "ABC");
    }

    void existingLog_data()
    {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("No appends") << QList<int>{QMessageBox::No} << QByteArray("old\r\nnew");
        QTest::newRow("Yes starts empty") << QList<int>{QMessageBox::Yes} << QByteArray("new");
        QTest::newRow("Cancel asks for a file again")
            << QList<int>{QMessageBox::Cancel, QMessageBox::No} << QByteArray("old\r\nnew");
    }
    void existingLog()
    {
        QFETCH(QList<int>, answers);
        QFETCH(QByteArray, expected);
        frmTerminal *f = form();
        const QString path = makeFile(*m_dir, "old.log", "old\r\n");
        for (const int answer : answers) {
            m_dialogs->answerOpenFile(path);
            m_dialogs->answerMessage(QMessageBox::StandardButton(answer));
        }
        f->OpenLogFile->trigger();
        const QList<ScriptedDialogs::Shown> shown = m_dialogs->shown();
        QCOMPARE(shown.size(), 2 * answers.size());
        QCOMPARE(shown.last().text, QStringLiteral("要取代既有的檔案嗎 - ") + fullPath(path) + '?');
        QCOMPARE(shown.last().buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(shown.last().icon, QMessageBox::Question);
        f->ShowData(f->txtTerm, QStringLiteral("new"));
        QCOMPARE(contents(path), expected);
    }

    // A full disk: the screen keeps everything, the user decides each time,
    // and what arrives while the question is open asks nothing more.
    void failedLogWrite()
    {
        frmTerminal *f = form();
        const QString path = m_dir->filePath(QStringLiteral("full.log"));
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), path));
        m_dialogs->answerOpenFile(path);
        m_dialogs->answerMessage(QMessageBox::No); // never Yes: that would delete it
        f->OpenLogFile->trigger();
        QVERIFY(f->hLogFile);
        m_dialogs->clear();

        m_dialogs->whileShown([f] { f->ShowData(f->txtTerm, QStringLiteral("more")); });
        m_dialogs->answerMessage(QMessageBox::Retry);
        m_dialogs->answerMessage(QMessageBox::Cancel);
        f->ShowData(f->txtTerm, QStringLiteral("hello"));
        QCOMPARE(m_dialogs->shown().size(), 2);
        for (const ScriptedDialogs::Shown &box : m_dialogs->shown()) {
            QCOMPARE(box.buttons, QMessageBox::Retry | QMessageBox::Cancel);
            QCOMPARE(box.icon, QMessageBox::Critical);
            QVERIFY2(box.text.contains(QStringLiteral("space")), qPrintable(box.text));
        }
        QCOMPARE(f->txtTerm->text(), QStringLiteral("hellomore"));
        QVERIFY(!f->hLogFile && f->OpenLogFile->isEnabled());
        QCOMPARE(f->windowTitle(), QStringLiteral("PortView 終端機"));
        f->ShowData(f->txtTerm, QStringLiteral("!"));
        QCOMPARE(m_dialogs->shown().size(), 2);

        // The window may go while the question is open.
        m_dialogs->answerOpenFile(path);
        m_dialogs->answerMessage(QMessageBox::No);
        f->OpenLogFile->trigger();
        m_dialogs->whileShown([this] { delete m_form.data(); });
        f->ShowData(f->txtTerm, QStringLiteral("bye"));
        QVERIFY(m_form.isNull());
    }

    void fileArrivesByteForByte()
    {
        frmTerminal *f = form();
        openPort();
        m_dev->setSilent(true);
        const QByteArray bytes = sample(1000);
        const QString missing = m_dir->filePath(QStringLiteral("missing.txt"));
        // Sizes the port wrote in, and the state while the first block goes
        // (the notice of the last may come after the end).
        QList<qint64> writes;
        bool buttonOff = false;
        bool exclusive = false;
        QObject scope;
        connect(f->MSComm1->findChild<QSerialPort *>(), &QSerialPort::bytesWritten, &scope,
                [&](qint64 n) {
                    writes << n;
                    if (writes.size() == 1) {
                        buttonOff = !f->TransmitTextFile->isEnabled();
                        exclusive = !f->BeginOperation();
                    }
                });
        m_dialogs->answerOpenFile(missing);
        transmit(makeFile(*m_dir, "a.txt", bytes));
        const QList<ScriptedDialogs::Shown> shown = m_dialogs->shown();
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown.at(0).title, QStringLiteral("傳送文字檔"));
        QCOMPARE(shown.at(0).defaultText,
                 qtFileFilter(QStringLiteral("Text Files (*.TXT)|*.txt|All Files (*.*)|*.*")));
        QCOMPARE(shown.at(1).text, fullPath(missing) + QStringLiteral(" 找不到!"));
        QCOMPARE(shown.at(2).kind, ScriptedDialogs::Kind::OpenFile);
        QTRY_COMPARE(m_dev->received(), bytes);
        QCOMPARE(writes, (QList<qint64>{512, 488}));
        QVERIFY(buttonOff && exclusive);
        QVERIFY(f->TransmitTextFile->isEnabled() && !f->isOperationRunning());

        // None starts while a console exchange runs.
        const ConsoleGuard::Scope exchange = f->BeginOperation();
        m_dialogs->clear();
        f->TransmitTextFile->trigger();
        QVERIFY(m_dialogs->shown().isEmpty());
    }

    // Stop requests before the first block and while a block waits; a hang-up
    // meanwhile; the next transmission after them sends its whole file.
    void stoppingATransmission()
    {
        frmTerminal *f = form();
        openPort();
        m_dev->setSilent(true);
        m_dev->setHoldingOff(true);
        const QString bigPath = makeFile(*m_dir, "big.txt", sample(1 << 20));
        m_dialogs->whileShown([] { Module1::CancelSend = true; });
        transmit(bigPath);
        QVERIFY(!Module1::CancelSend);
        QCOMPARE(f->MSComm1->OutBufferCount(), 0);

        whenHeldUp([] { Module1::CancelSend = true; });
        transmit(bigPath);
        QVERIFY(!m_gaveUp && !Module1::CancelSend && !f->isOperationRunning());
        QVERIFY(f->TransmitTextFile->isEnabled() && m_dialogs->messages().isEmpty());

        // Nothing goes to the closed port: the transmission says it stopped.
        whenHeldUp([f] { f->DoHangUpPhone(); });
        transmit(bigPath);
        QVERIFY(!m_gaveUp && !f->MSComm1->PortOpen() && !f->TransmitTextFile->isEnabled());
        QCOMPARE(m_dialogs->messages().size(), 1);
        QVERIFY2(m_dialogs->messages().first().startsWith(
                     fullPath(bigPath) + QStringLiteral(" 傳送中斷: ") + TerminalLogic::kPortClosedText),
                 qPrintable(m_dialogs->messages().first()));

        m_dev->setHoldingOff(false);
        openPort();
        const QByteArray small = sample(700);
        transmit(makeFile(*m_dir, "small.txt", small));
        QTRY_VERIFY(m_dev->received().endsWith(small));
    }

    // A close request stops the transmission; the window goes after it.
    void closingTheWindowStopsTheTransmission()
    {
        openPort();
        m_dev->setHoldingOff(true);
        whenHeldUp([this] { QVERIFY(!m_form->close()); });
        transmit(makeFile(*m_dir, "big.txt", sample(1 << 20)));
        QVERIFY(!m_gaveUp && !Module1::CancelSend);
        QCOMPARE(m_dialogs->shown().size(), 1); // the file dialog only
        QTRY_VERIFY(m_form.isNull());
    }

    void vanishingDeviceEndsTheTransmission()
    {
        frmTerminal *f = form();
        openPort();
        m_dev->setSilent(true);
        connect(m_dev.get(), &SimulatedDevice::bytesReceived, this,
                [this] { QTimer::singleShot(0, m_dev.get(), [this] { m_dev->vanish(); }); });
        const QString path = transmit(makeFile(*m_dir, "big.txt", sample(256 * 1024)));
        QVERIFY(!f->MSComm1->PortOpen() && !f->isOperationRunning() && !Module1::CancelSend);
        const QString last = m_dialogs->messages().last();
        QVERIFY2(last.startsWith(fullPath(path) + QStringLiteral(" 傳送中斷: ")), qPrintable(last));
        QCOMPARE(m_dialogs->shown().last().icon, QMessageBox::Warning);

        // The program goes on: back on another line, the device takes a file.
        m_dev = std::make_unique<SimulatedDevice>();
        m_dev->setSilent(true);
        m_dev->attachAs(1);
        openPort();
        const QByteArray bytes = sample(600);
        transmit(makeFile(*m_dir, "small.txt", bytes));
        QTRY_COMPARE(m_dev->received(), bytes);
    }

    void dialAndHangUp()
    {
        frmTerminal *f = form();
        // An empty answer sends nothing and leaves the port as it was.
        m_dialogs->answerInput(QString());
        f->DialPhoneNumber->trigger();
        const ScriptedDialogs::Shown prompt = m_dialogs->shown().first();
        QCOMPARE(prompt.text, QStringLiteral("輸入電話號碼:"));
        QCOMPARE(prompt.title, QStringLiteral("撥號"));
        QCOMPARE(prompt.defaultText, kDefaultNumber);
        QVERIFY(!f->MSComm1->PortOpen());

        // A closed port is opened first.
        m_dialogs->answerInput(QStringLiteral("0912345678"));
        f->DialPhoneNumber->trigger();
        QVERIFY(f->MSComm1->PortOpen() && f->Timer1->isActive());
        QCOMPARE(f->frontPicture(), f->imgConnected);
        QTRY_COMPARE(m_dev->received(), QByteArray("ATDT0912345678\r\n"));
        m_dialogs->answerInput(QString());
        f->DialPhoneNumber->trigger();
        QVERIFY(f->MSComm1->PortOpen());
        QCOMPARE(f->MSComm1->OutBufferCount(), 0);

        f->MSComm1->setDTREnable(true);
        f->MSComm1->raiseEvent(MSComm::comEvRing);
        m_dev->clearRecord();
        f->HangUpPhone->trigger();
        QTRY_COMPARE(m_dev->received(), QByteArray("ATH"));
        QVERIFY(!f->MSComm1->PortOpen() && f->MSComm1->DTREnable());
        QCOMPARE(f->frontPicture(), f->imgNotConnected);
        QCOMPARE(f->SettingsPanel->text(), QStringLiteral("設定: "));
        QCOMPARE(f->StatusPanel->text(), QStringLiteral("狀態: "));
        QVERIFY(f->ConnectTimePanel->text().isEmpty() && !f->Timer1->isActive());
        QVERIFY(!f->TransmitTextFile->isEnabled() && !f->HangUpPhone->isEnabled());
        QVERIFY(f->DialPhoneNumber->isEnabled() && m_dialogs->messages().isEmpty());
    }
};

QTEST_MAIN(TstTerminalTools)
#include "tst_terminaltools.moc"
