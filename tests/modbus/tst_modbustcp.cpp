#include "app/module1.h"
#include "app/windows.h"
#include "modbus/linelist.h"
#include "modbus/modbus.h"
#include "modbus/modbushelp.h"
#include "modbus/modbustcp.h"
#include "modbus/modbustext.h"
#include "net/winsock.h"
#include "tests/support/modbusserver.h"
#include "tests/support/scripteddialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kDesignFrame = QStringLiteral("10 20 00 00 00 06    21 04 00 00 00 40");
// Reads five holding registers: a reply of 19 bytes.
const QString kFive = QStringLiteral("00 01 00 00 00 06 01 03 00 00 00 05");
const QString kIndent(35, QLatin1Char(' '));
// The last display lines of the replies: registers hold 0A00 + address.
const QString kDesignReplyLast = kIndent + QStringLiteral("3A 0A 3B 0A 3C 0A 3D 0A 3E 0A 3F ");
const QString kFiveLast = kIndent + QStringLiteral("04 ");
const QString kZeroStats = QStringLiteral("0|0|0|0|0|0.00 %");
// Reads 125 holding registers: a reply of 259 bytes, 22 display lines.
const QString kLong = QStringLiteral("00 01 00 00 00 06 01 03 00 00 00 7D");
constexpr int kLongReplyLines = 22;

// The rows a list view shows, and the rows selected.
QStringList rows(const QListView *view)
{
    QStringList texts;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        texts << view->model()->index(row, 0).data().toString();
    return texts;
}
QList<int> selectedRows(const QListView *view)
{
    QList<int> selected;
    for (const QModelIndex &index : view->selectionModel()->selectedIndexes())
        selected << index.row();
    std::sort(selected.begin(), selected.end());
    return selected;
}

QString visibleLabels(const std::array<QLabel *, 8> &labels, QWidget *window)
{
    QString s;
    for (QLabel *l : labels)
        s += l->isVisibleTo(window) ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}

} // namespace

class TstModbusTcp : public QObject
{
    Q_OBJECT

    ModbusTestServer m_server;
    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    ModbusTCP *w = nullptr;

    void connectWindow()
    {
        const long accepted = m_server.connectionsAccepted();
        w->ServeripText->setText(QStringLiteral("127.0.0.1"));
        w->ServerPortText->setText(QString::number(m_server.port()));
        w->cmdConnect->click();
        QTRY_VERIFY(w->cmdSend->isEnabled());
        // Up on the server's side too, so that it can also close it.
        QTRY_COMPARE(m_server.connectionsAccepted(), accepted + 1);
    }

    // Sends frame by Send, or by key in txtString, and waits for its reply.
    void exchange(const QString &frame, Qt::Key key = Qt::Key_unknown)
    {
        const qint64 before = w->counters().recvPackets;
        w->txtString->setText(frame);
        if (key == Qt::Key_unknown)
            w->cmdSend->click();
        else
            QTest::keyClick(w->txtString, key);
        QTRY_COMPARE(w->counters().recvPackets, before + 1);
    }

    // Sent bytes and packets, received bytes and packets, difference and share
    // lost, as the boxes show them (they follow the counters within moments).
    QString statBoxes() const
    {
        QStringList texts;
        for (QLineEdit *box : {w->txtSendByte, w->txtSendPacket, w->txtReceiveByte, w->txtReceivePacket,
                               w->txtDiffPacket, w->txtDiffPercent})
            texts << box->text();
        return texts.join(QLatin1Char('|'));
    }

    static QByteArray logText()
    {
        QFile log(QStringLiteral("DataLog.txt"));
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray("(no log)");
    }

    // Waits for the replies of kFive to every frame sent: counted in bytes,
    // since replies to frames in flight together may arrive as one block.
    void settle()
    {
        QTRY_COMPARE(w->counters().recvBytes, w->counters().sendPackets * 19);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_server.start(), m_server.error().c_str());
        QVERIFY(QDir::setCurrent(m_dir.path())); // where the data log goes
    }
    void init()
    {
        m_dialogs = std::make_unique<ScriptedDialogs>();
        registerModbusWindows();
        w = Windows::get<ModbusTCP>(QStringLiteral("ModbusTCP"));
        QVERIFY(w);
        w->show();
    }
    void cleanup()
    {
        Windows::clear();
        m_dialogs.reset();
        ModbusText::setFixedNow(QDateTime());
        QLocale::setDefault(QLocale::system());
        QFile::remove(QStringLiteral("DataLog.txt"));
    }

    void loadsWithEverythingReachable()
    {
        QVERIFY(w->cmdConnect->isEnabled() && w->cmdStartTimer->isEnabled() && w->cmdStopTimer->isEnabled());
        QVERIFY(!w->cmdClose->isEnabled() && !w->cmdSend->isEnabled());
        QVERIFY(!w->cmdStartPolling->isEnabled() && !w->cmdStopPolling->isEnabled());
        QCOMPARE(visibleLabels(w->lbCommand, w) + visibleLabels(w->lbResponse, w), QStringLiteral("1111110011110000"));
        // No control lies outside the window.
        for (QWidget *child : w->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            QVERIFY2(w->rect().contains(child->geometry()), qPrintable(child->objectName()));

        // Typing into the list looks an item up; it adds none.
        QCOMPARE(w->txtExplanation->toPlainText(), ModbusHelp::explanation(0).replace(QStringLiteral("\r\n"), "\n"));
        w->cboFunction->setEditText(ModbusHelp::functionItems().at(5));
        QVERIFY(w->txtExplanation->toPlainText().startsWith(QStringLiteral("[Prefixed 6 bytes of")));
        QCOMPARE(w->cboFunction->count(), 8);
    }

    // Typed text is looked up as it stands, never completed: a text that
    // equals no item leaves the explanation as it was.
    void functionListCompletesNothing_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("shown"); // item whose explanation shows
        QTest::newRow("start of item 3") << "Function Code 04" << 6;
        QTest::newRow("start of items 6 and 7") << "Function Code 1" << 6;
        // On its way the text was item 3's: that explanation stays.
        QTest::newRow("item 3 with more") << ModbusHelp::functionItems().at(3) + " x" << 3;
        QTest::newRow("item 3 in lower case") << ModbusHelp::functionItems().at(3).toLower() << 6;
        QTest::newRow("item 3") << ModbusHelp::functionItems().at(3) << 3;
    }
    void functionListCompletesNothing()
    {
        QFETCH(QString, typed);
        QFETCH(int, shown);
        w->cboFunction->setCurrentIndex(6);
        QLineEdit *edit = w->cboFunction->lineEdit();
        // Completion acts on the focused box only, as the user types.
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, typed);
        QCOMPARE(w->cboFunction->currentText(), typed);
        const QString explanation = ModbusHelp::explanation(shown).replace(QStringLiteral("\r\n"), "\n");
        QCOMPARE(w->txtExplanation->toPlainText(), explanation);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(w->txtExplanation->toPlainText(), explanation);
        QCOMPARE(w->cboFunction->count(), 8);
    }

    // The lists are list views: every line a row, the last one selected after
    // each frame and arrival, the selected lines copied by Ctrl+C.
    void listsAreViewsOfTheLines()
    {
        auto *sendView = w->findChild<QListView *>(QStringLiteral("lstSend"));
        auto *receiveView = w->findChild<QListView *>(QStringLiteral("lstReceive"));
        QVERIFY(sendView && receiveView && sendView->uniformItemSizes());
        connectWindow();
        exchange(kFive);
        QCOMPARE(rows(sendView), QStringList{QStringLiteral("00 01 00 00 00 06 --> 01 03 00 00 00 05 ")});
        QCOMPARE(selectedRows(sendView), QList<int>{0});
        exchange(kDesignFrame);
        exchange(kFive);
        QStringList received;
        for (int row = 0; row < w->lstReceive->count(); ++row)
            received << w->lstReceive->text(row);
        QTRY_COMPARE(rows(receiveView), received);
        QCOMPARE(received.size(), 2 + 11 + 2);
        QCOMPARE(selectedRows(receiveView), QList<int>{14});
        QCOMPARE(receiveView->currentIndex().row(), 14);
        QCOMPARE(selectedRows(sendView), QList<int>{2});
        // Rows are as wide as the longest line, the first one no wider: the
        // end of every line can be scrolled to.
        const QScrollBar *across = receiveView->horizontalScrollBar();
        QVERIFY(across->maximum() + receiveView->viewport()->width()
                > receiveView->fontMetrics().horizontalAdvance(kDesignReplyLast));

        // The user picks two lines of the design reply; Ctrl+C copies them in order.
        receiveView->scrollToTop();
        const QPoint first = receiveView->visualRect(receiveView->model()->index(3, 0)).center();
        const QPoint second = receiveView->visualRect(receiveView->model()->index(2, 0)).center();
        QTest::mouseClick(receiveView->viewport(), Qt::LeftButton, Qt::NoModifier, first);
        QTest::mouseClick(receiveView->viewport(), Qt::LeftButton, Qt::ControlModifier, second);
        QCOMPARE(selectedRows(receiveView), (QList<int>{2, 3}));
        QTest::keyClick(receiveView, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), received.at(2) + '\n' + received.at(3));
        // The next arrival selects its last line again.
        exchange(kFive);
        QTRY_COMPARE(selectedRows(receiveView), QList<int>{16});
        QTest::keyClick(receiveView, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), kFiveLast);
    }

    // Polling at full speed: each list keeps its latest lines, the oldest
    // leave from the top, and the last line stays selected.
    void listsKeepTheirLatestLines()
    {
        auto *receiveView = w->findChild<QListView *>(QStringLiteral("lstReceive"));
        connectWindow();
        w->txtString->setText(kLong);
        w->cmdStartPolling->click();
        QTRY_VERIFY_WITH_TIMEOUT(w->counters().recvPackets * kLongReplyLines > LineList::kMaxLines + 500, 60000);
        w->cmdStopPolling->click();
        QTRY_COMPARE(w->counters().recvBytes, w->counters().sendPackets * 259);
        const int kept = int(LineList::kMaxLines);
        QCOMPARE(w->lstReceive->count(), kept);
        QCOMPARE(w->lstSend->count(), int(std::min<qint64>(w->counters().sendPackets, kept)));
        // Whole replies end the list; the top may start within one.
        const QString head = QStringLiteral("00 01 00 00 00 FD --> 01 03 FA 0A 00 0A 01 0A 02 0A 03 0A ");
        QCOMPARE(w->lstReceive->text(kept - kLongReplyLines), head);
        QCOMPARE(w->lstReceive->text(kept - 1), kIndent + QStringLiteral("7C "));
        const int headAt = int((w->counters().recvPackets * kLongReplyLines - kept) % kLongReplyLines);
        QCOMPARE(w->lstReceive->text(kLongReplyLines - headAt), head);
        QTRY_COMPARE(receiveView->model()->rowCount(), kept);
        QCOMPARE(receiveView->model()->index(kept - 1, 0).data().toString(), w->lstReceive->text(kept - 1));
        QCOMPARE(selectedRows(receiveView), QList<int>{kept - 1});
        QCOMPARE(w->lstReceive->currentRow(), kept - 1);
        QVERIFY2(w->lstReceive->memoryBytes() < kept * 80 + 2 * 65536,
                 qPrintable(QString::number(w->lstReceive->memoryBytes())));
    }

    void openedModallyAndClosedByExit()
    {
        Windows::clear();
        registerModbusWindows();
        bool wasModal = false;
        QTimer::singleShot(0, this, [&wasModal] {
            if (auto *f = Windows::loaded<ModbusTCP>(QStringLiteral("ModbusTCP"))) {
                wasModal = f->isModal();
                f->CmdEXIT->click();
            }
        });
        Windows::show(QStringLiteral("ModbusTCP"));
        QVERIFY(wasModal && !Windows::loaded(QStringLiteral("ModbusTCP")));
    }

    // Refused frames are told of and neither go out nor count; Enter sends
    // exactly one frame and fires no button besides.
    void framesRepliesAndStatistics()
    {
        connectWindow();
        const long requests = m_server.requests();
        for (const char *text : {"   ", "10 20 00 00 00 06 21 104", "10 20 00 00 00 06 21"}) {
            w->txtString->setText(QString::fromLatin1(text));
            w->cmdSend->click();
        }
        QCOMPARE(m_dialogs->messages().size(), 3);
        QVERIFY2(m_dialogs->messages().at(1).contains("\"104\""), qPrintable(m_dialogs->messages().at(1)));
        exchange(kDesignFrame, Qt::Key_Return);
        QCOMPARE(w->lstSend->text(0), QStringLiteral("10 20 00 00 00 06 --> 21 04 00 00 00 40 "));
        QCOMPARE(w->lstReceive->count(), 11);
        QCOMPARE(w->lstReceive->text(0), QStringLiteral("10 20 00 00 00 83 --> 21 04 80 0A 00 0A 01 0A 02 0A 03 0A "));
        QCOMPARE(w->lstReceive->text(10), kDesignReplyLast);
        QCOMPARE(w->lbResponse[1]->toolTip(), QStringLiteral(" Function call=4) "));
        exchange(kFive, Qt::Key_Enter);
        exchange(kFive);
        QCOMPARE(w->lstReceive->text(13), QStringLiteral("00 01 00 00 00 0D --> 01 03 0A 0A 00 0A 01 0A 02 0A 03 0A "));
        QCOMPARE(w->lstReceive->text(14), kFiveLast);
        QCOMPARE(w->lstSend->currentRow() + w->lstReceive->currentRow(), 2 + 14);
        QTRY_COMPARE(statBoxes(), QStringLiteral("36|3|175|3|0|0.00 %"));
        QCOMPARE(m_server.requests(), requests + 3);
        QVERIFY(w->isVisible() && m_dialogs->messages().size() == 3);

        // Function 15 shows every request label; an unknown one only the first,
        // and the hidden ones keep their tips.
        exchange(QStringLiteral("00 01 00 00 00 08 01 0F 00 00 00 08 01 FF"));
        exchange(QStringLiteral("00 02 00 00 00 02 01 41"));
        QCOMPARE(visibleLabels(w->lbCommand, w) + visibleLabels(w->lbResponse, w), QStringLiteral("1111000011000000"));
        QVERIFY(w->lbCommand[7]->toolTip().startsWith(QStringLiteral(" Byte 7-(B+6)")));

        // Clear Receive empties the lists only; Clear and a new connection the statistics.
        w->CmdClearSend->click();
        QCOMPARE(w->lstSend->count() + w->lstReceive->count(), 0);
        QCOMPARE(w->lstReceive->currentRow(), -1);
        QTRY_COMPARE(statBoxes(), QStringLiteral("58|5|196|5|0|0.00 %"));
        w->cmdClearStatistic->click();
        QCOMPARE(statBoxes(), kZeroStats);
        exchange(kFive);
        w->cmdClose->click();
        connectWindow();
        QTRY_COMPARE(statBoxes(), kZeroStats);
    }

    void pollingForABoundedNumberOfCycles()
    {
        connectWindow();
        const long requests = m_server.requests();
        w->txtString->setText(kFive);
        QElapsedTimer clock;
        clock.start();
        w->cmdStartPolling->click();
        QVERIFY(w->Polling && !w->cmdStartPolling->isEnabled() && w->cmdStopPolling->isEnabled());
        QTRY_VERIFY(w->counters().recvPackets >= 300);
        w->cmdStopPolling->click();
        const qint64 elapsed = clock.elapsed();
        QVERIFY(!w->Polling && w->cmdStartPolling->isEnabled() && !w->cmdStopPolling->isEnabled());
        // The average is the polling time over the packets received by then.
        const QString average = w->txtTimeAverage->text();
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{3,}\\.\\d$")).match(average).hasMatch());
        const double recvAtStop = w->txtReceivePacket->text().toDouble();
        QVERIFY2(average.toDouble() * recvAtStop <= elapsed + recvAtStop, qPrintable(average));
        settle();
        const qint64 sent = w->counters().sendPackets;
        QCOMPARE(m_server.requests(), requests + sent);
        QTRY_COMPARE(statBoxes(), QStringLiteral("%1|%2|%3|%2|0|0.00 %").arg(sent * 12).arg(sent).arg(sent * 19));
        QCOMPARE(w->lstReceive->count(), int(sent * 2));
        const int minTime = w->txtTimeMin->text().toInt();
        const int maxTime = w->txtTimeMax->text().toInt();
        QVERIFY2(minTime <= maxTime && maxTime <= elapsed && maxTime == Module1::MaxTime,
                 qPrintable(QStringLiteral("%1 %2").arg(minTime).arg(maxTime)));
    }

    void timerMode()
    {
        w->cmdStartTimer->click(); // not connected: ignored
        QVERIFY(!w->timer1Enabled() && w->cmdStartTimer->isEnabled());

        connectWindow();
        w->txtString->setText(kFive);
        w->txtInterval->setText(QStringLiteral("20"));
        w->cmdSetInterval->click();
        w->cmdStartTimer->click();
        QVERIFY(w->Timer1->isActive() && w->Timer1->interval() == 20 && w->cmdStopTimer->isEnabled());
        QTRY_VERIFY(w->counters().recvPackets >= 3);
        // 0 stops the ticks with the timer still on; bad texts keep the interval.
        for (const char *text : {"0", "abc", "40000", ""}) {
            w->txtInterval->setText(QString::fromLatin1(text));
            w->cmdSetInterval->click();
            QVERIFY(w->timer1Enabled() && w->Timer1->interval() == 0 && !w->Timer1->isActive());
        }
        QCOMPARE(m_dialogs->messages().size(), 3);
        QVERIFY(m_dialogs->messages().at(0).contains(QStringLiteral("\"abc\"")));
        w->txtInterval->setText(QStringLiteral("15"));
        w->cmdSetInterval->click();
        const qint64 before = w->counters().sendPackets;
        QTRY_VERIFY(w->counters().sendPackets >= before + 2);

        w->cmdStopTimer->click();
        QVERIFY(!w->Timer1->isActive() && w->cmdStartTimer->isEnabled() && !w->cmdStopTimer->isEnabled());
        settle();
        w->cmdStartTimer->click();
        w->cmdClose->click();
        QVERIFY(!w->Timer1->isActive() && !w->cmdStartTimer->isEnabled() && !w->cmdStopTimer->isEnabled());
    }

    void dataLogHoldsWhatWasShown()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ModbusText::setFixedNow(QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
        connectWindow();
        exchange(kFive); // before the log: not in it
        w->chkDataLog->click();
        exchange(kDesignFrame);
        exchange(kFive);
        QCOMPARE(logText(), "5/6/24 07:08:09 >>>> 10 20 00 00 00 06 --> 21 04 00 00 00 40 \r\n"
                                " <<<< " + kDesignReplyLast.toLatin1() + "\r\n"
                                "5/6/24 07:08:09 >>>> 00 01 00 00 00 06 --> 01 03 00 00 00 05 \r\n"
                                " <<<< " + kFiveLast.toLatin1() + "\r\n"); // on disk while open

        // Unticked and ticked again: only what came after.
        w->chkDataLog->click();
        exchange(kFive);
        w->chkDataLog->click();
        exchange(kFive);
        QCOMPARE(logText().count("\r\n"), 2);

        w->cmdClose->click(); // unticks the box
        QVERIFY(!w->chkDataLog->isChecked() && !w->DataLogOn && m_dialogs->messages().isEmpty());
    }

    // A full disk (here a file size limit) stops the log at the line that
    // failed: said once, naming the file and why; the box unticked; what was
    // written stays, and nothing more is written.
    void dataLogStopsWhenItCannotWrite()
    {
        ModbusText::setFixedNow(QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        connectWindow();
        w->chkDataLog->click();
        exchange(kDesignFrame); // two lines, 139 bytes
        const QByteArray before = logText();
        QCOMPARE(before.size(), 139);
        struct rlimit old = {};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
        // As the program has it from its start (tst_programrun runs the program
        // itself at such a limit).
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old;
        small.rlim_cur = 200;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        const auto restore = qScopeGuard([&] {
            setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, oldSignal);
        });
        exchange(kFive);
        QTRY_COMPARE(m_dialogs->messages().size(), 1);
        const QString text = m_dialogs->messages().first();
        QVERIFY2(text.startsWith(QStringLiteral("DataLog.txt cannot be written: "))
                     && text.contains(QString::fromLocal8Bit(strerror(EFBIG))),
                 qPrintable(text));
        QVERIFY(!w->chkDataLog->isChecked() && !w->DataLogOn);
        exchange(kFive);
        QCOMPARE(m_dialogs->messages().size(), 1);
        const QByteArray after = logText();
        QVERIFY2(after.size() == 200 && after.startsWith(before), after.constData());
    }

    // DataLog.txt that is a link, or no plain file, is refused with a message
    // naming it; nothing is emptied or written through it.
    void dataLogNotThroughLinks_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("link to a file") << "link" << "symbolic link";
        QTest::newRow("link to nowhere") << "dangling" << "symbolic link";
        QTest::newRow("named pipe") << "fifo" << "not a regular file";
    }
    void dataLogNotThroughLinks()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir other;
        const QString target = other.filePath(QStringLiteral("precious.txt"));
        if (kind == "link") {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("keep") == 4);
        }
        int reader = -1;
        if (kind == "fifo") {
            QVERIFY(mkfifo("DataLog.txt", 0600) == 0);
            reader = ::open("DataLog.txt", O_RDONLY | O_NONBLOCK); // so that no opening waits
            QVERIFY(reader >= 0);
        } else {
            QVERIFY(QFile::link(target, QStringLiteral("DataLog.txt")));
        }
        const auto closeReader = qScopeGuard([&] {
            if (reader >= 0)
                ::close(reader);
        });
        w->chkDataLog->click();
        QVERIFY(!w->chkDataLog->isChecked() && !w->DataLogOn);
        const QString text = m_dialogs->messages().value(0);
        QVERIFY2(text.startsWith(QStringLiteral("DataLog.txt cannot be written")) && text.contains(reason),
                 qPrintable(text));
        if (kind == "link") {
            QFile f(target);
            QVERIFY(f.open(QIODevice::ReadOnly) && f.readAll() == "keep");
        }
        QCOMPARE(QFile::exists(target), kind == "link");
        char c = 0;
        QVERIFY(reader < 0 || ::read(reader, &c, 1) <= 0);
    }

    void failuresAroundTheConnection()
    {
        // A log that cannot be written is refused with a message.
        QVERIFY(QDir().mkdir(QStringLiteral("DataLog.txt")));
        w->chkDataLog->click();
        QVERIFY(QDir().rmdir(QStringLiteral("DataLog.txt")));
        QVERIFY(!w->chkDataLog->isChecked() && !w->DataLogOn);
        QVERIFY(m_dialogs->messages().value(0).startsWith(QStringLiteral("DataLog.txt cannot be written")));

        // A connect that cannot start says nothing and stops the logging.
        w->chkDataLog->click();
        w->ServerPortText->setText(QStringLiteral("port"));
        w->cmdConnect->click();
        QVERIFY(!w->DataLogOn && w->chkDataLog->isChecked());
        QCOMPARE(w->Winsock1->State(), int(Winsock::sckClosed));

        // A refused connection shows the socket's description, then a retry works.
        Winsock probe;
        probe.LocalPort = 0;
        QVERIFY(probe.Listen());
        w->ServerPortText->setText(QString::number(probe.LocalPort));
        probe.Close();
        w->ServeripText->setText(QStringLiteral("127.0.0.1"));
        w->cmdConnect->click();
        QTRY_COMPARE(m_dialogs->messages().size(), 2);
        QVERIFY(!m_dialogs->messages().at(1).isEmpty());
        connectWindow();
        emit w->Winsock1->Error(Winsock::sckConnectionReset, QStringLiteral("reset"));
        QCOMPARE(m_dialogs->messages().size(), 2); // not while connected
    }

    void serverClosesTheConnection()
    {
        connectWindow();
        exchange(kFive);
        m_server.closeConnections();
        QTRY_COMPARE(w->Winsock1->State(), int(Winsock::sckClosing));
        QVERIFY2(m_dialogs->messages().isEmpty(), "told only once it is closed here too");
        w->cmdSend->click();
        QCOMPARE(m_dialogs->messages(), QStringList{QStringLiteral("Not currently connected")});
        w->cmdClose->click();
        QTRY_COMPARE(m_dialogs->messages().size(), 2);
        QCOMPARE(m_dialogs->messages().last(), QStringLiteral("Connection is closed."));
        QCOMPARE(w->counters().sendPackets, 1);

        // Closed by the server, then Exit: still told.
        connectWindow();
        m_server.closeConnections();
        QTRY_COMPARE(w->Winsock1->State(), int(Winsock::sckClosing));
        w->CmdEXIT->click();
        QTRY_COMPARE(m_dialogs->messages().size(), 3);
        QCOMPARE(m_dialogs->messages().last(), QStringLiteral("Connection is closed."));
    }

    // The same with Qt's own boxes, which run an event loop of their own, and
    // the window opened as the program opens it: the window goes once its box
    // has been answered, and nothing is freed twice.
    void serverClosesThenExitWithQtBoxes()
    {
        Windows::clear();
        registerModbusWindows();
        QStringList shown;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&shown] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                shown << box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        QPointer<ModbusTCP> window;
        QTimer::singleShot(0, this, [&] {
            window = w = Windows::loaded<ModbusTCP>(QStringLiteral("ModbusTCP"));
            QVERIFY(w);
            connectWindow();
            m_server.closeConnections();
            QTRY_COMPARE(w->Winsock1->State(), int(Winsock::sckClosing));
            Dialogs::install(nullptr);
            answer.start(10);
            QTest::mouseClick(w->CmdEXIT, Qt::LeftButton);
        });
        Windows::show(QStringLiteral("ModbusTCP"));
        QTRY_VERIFY(window.isNull());
        QCOMPARE(shown, QStringList{QStringLiteral("Connection is closed.")});
    }
};

QTEST_MAIN(TstModbusTcp)
#include "tst_modbustcp.moc"
