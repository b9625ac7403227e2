#include "app/twips.h"
#include "tests/console/consoletestutil.h"
#include "console/controls.h"
#include "console/frmterminal.h"
#include "console/mscomm.h"
#include "tests/support/ptylink.h"
#include "tests/support/scripteddialogs.h"

#include <QAction>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTextDocument>
#include <QTest>
#include <QTimer>
#include <QToolBar>

// The terminal pane of the configuration window, without its load.
class TstFrmTerminal : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<PtyLink> m_link;
    QByteArray m_fromPort;
    QPointer<frmTerminal> m_form;
    std::unique_ptr<ScriptedDialogs> m_dialogs;

    frmTerminal *form() { return m_form.data(); }

    void openPort()
    {
        QTest::mouseClick(form()->imgNotConnected, Qt::LeftButton);
        QVERIFY2(form()->MSComm1->PortOpen(), qPrintable(m_dialogs->messages().join('\n')));
    }

    // The box shows exactly its text.
    bool boxMatchesText()
    {
        QString raw = form()->txtTerm->document()->toRawText();
        raw.replace(QChar::ParagraphSeparator, u'\n');
        return raw == TerminalText::toDisplay(form()->txtTerm->text());
    }

private slots:
    void init()
    {
        resetProgramState();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_link = std::make_unique<PtyLink>();
        m_fromPort.clear();
        connect(m_link.get(), &PtyLink::received, this,
                [this](const QByteArray &b) { m_fromPort += b; });
        qputenv("RM4630K_COM1", m_link->slavePath().toLocal8Bit());
        m_form = new frmTerminal;
        m_form->show();
    }
    void cleanup()
    {
        delete m_form.data();
        m_link.reset();
        m_dialogs.reset();
    }

    // Later handlers and tests find the controls by name and key.
    void controlsAndLayout()
    {
        frmTerminal *f = form();
        auto at = [f](const char *name) {
            QWidget *w = f->findChild<QWidget *>(QString::fromLatin1(name));
            return w ? w->geometry() : QRect();
        };
        QCOMPARE(at("txtTerm"), twipsRect(6000, 120, 5415, 4410));
        QCOMPARE(at("txtGateway(3)"), twipsRect(4920, 1680, 375, 270));
        QCOMPARE(at("imgModBus(7)"), twipsRect(3960, 2520 + 240 * 7, 135, 135));
        for (const char *holder : {"lblAllBaudrate", "lblDataformat(7)", "lblGatewaystatus", "imgRed"})
            QVERIFY2(at(holder).top() >= twips(5040), holder);
        // The terminal pane shows whole at the wide width, not at the narrow one.
        f->setFormWidthTwips(frmTerminal::kWideWidth);
        QVERIFY(f->txtTerm->mapTo(f, QPoint(f->txtTerm->width(), 0)).x() <= f->width());
        f->setFormWidthTwips(frmTerminal::kNarrowWidth);
        QCOMPARE(f->width(), twips(6090));
        QVERIFY(f->txtTerm->mapTo(f, QPoint(0, 0)).x() < f->width());

        QStringList keys;
        for (QAction *a : f->tbrToolBar->actions()) {
            if (!a->objectName().isEmpty() && !a->icon().isNull())
                keys << a->objectName();
        }
        QCOMPARE(keys, (QStringList{"OpenLogFile", "CloseLogFile", "DialPhoneNumber",
                                    "HangUpPhone", "Properties", "TransmitTextFile"}));
        for (const char *key : {"Status", "Settings", "ConnectTime"})
            QVERIFY(f->sbrStatus->findChild<QLabel *>(QString::fromLatin1(key)));
        QCOMPARE(f->imgRed->pixmap().size(), QSize(22, 22));
    }

    void portToggleShowsTheState()
    {
        frmTerminal *f = form();
        QCOMPARE(f->frontPicture(), f->imgNotConnected);
        QVERIFY(!f->TransmitTextFile->isEnabled() && !f->HangUpPhone->isEnabled());

        openPort();
        QCOMPARE(f->frontPicture(), f->imgConnected);
        QCOMPARE(f->SettingsPanel->text(), QStringLiteral("設定: 57600,n,8,1"));
        QVERIFY(f->TransmitTextFile->isEnabled() && f->HangUpPhone->isEnabled());
        const QRegularExpression seconds(QStringLiteral("^00:00:0[1-9] $"));
        QTRY_VERIFY(seconds.match(f->ConnectTimePanel->text()).hasMatch());

        QTest::mouseClick(f->imgConnected, Qt::LeftButton);
        QVERIFY(!f->MSComm1->PortOpen());
        QCOMPARE(f->frontPicture(), f->imgNotConnected);
        QCOMPARE(f->SettingsPanel->text(), QStringLiteral("設定: "));
        QCOMPARE(f->ConnectTimePanel->text(), QString());
        QVERIFY(!f->Timer1->isActive());
        QVERIFY(!f->TransmitTextFile->isEnabled() && f->DialPhoneNumber->isEnabled());

        // A port that cannot be opened says why and stays shown closed.
        qputenv("RM4630K_COM1", "/dev/rm4630k-missing");
        QTest::mouseClick(f->imgNotConnected, Qt::LeftButton);
        QCOMPARE(m_dialogs->shown().size(), 1);
        QCOMPARE(m_dialogs->shown().first().icon, QMessageBox::Warning);
        QVERIFY(m_dialogs->shown().first().text.contains(QStringLiteral("/dev/rm4630k-missing")));
        QCOMPARE(f->frontPicture(), f->imgNotConnected);
    }

    void receivedTextFollowsTheDisplayRules()
    {
        frmTerminal *f = form();
        QString logged;
        f->setLogSink([&logged](const QString &s) { logged += s; });
        openPort();
        m_link->write("AB\r\nCD\n\rEF" + QByteArray::fromHex("a4"));
        QTRY_VERIFY(f->txtTerm->text().endsWith(QStringLiteral("EF")));
        m_link->write(QByteArray::fromHex("a4") + "X");
        QTRY_VERIFY(f->txtTerm->text().endsWith(u'X'));
        m_link->write("\b\bY");
        QTRY_VERIFY(f->txtTerm->text().endsWith(u'Y'));
        QCOMPARE(f->txtTerm->text(), QStringLiteral("AB\r\nCD\r\nEF中Y"));
        QTRY_COMPARE(f->txtTerm->toPlainText(), QStringLiteral("AB\nCD\nEF中Y"));
        // The log receives what was put in: the split character whole, and
        // the "X" that the backspaces took stays there.
        QCOMPARE(logged, QStringLiteral("AB\r\nCD\r\nEF中XY"));
        QCOMPARE(f->txtTerm->textCursor().position(), f->txtTerm->document()->characterCount() - 1);
        QVERIFY(boxMatchesText());

        // Far more than the cap: the box keeps the newest text only.
        QByteArray lots;
        for (int i = 0; i < 800; ++i)
            lots += QByteArray::number(i).rightJustified(38, '.') + "\r\n";
        lots += "end";
        m_link->write(lots);
        QTRY_VERIFY(f->txtTerm->text().endsWith(QStringLiteral("end")));
        // Bounded: arrivals come in pieces of at most the input buffer.
        QVERIFY(f->txtTerm->length() <= TerminalText::kCapChars + MSComm::kInBufferSize);
        QVERIFY(f->txtTerm->text().contains(QStringLiteral("799\r\nend")));
        QTRY_VERIFY(boxMatchesText());
        QVERIFY(logged.endsWith(QStringLiteral("799\r\nend")));
        QCOMPARE(logged.size(), 13 + 800 * 40 + 3);
    }

    void keysGoToThePort()
    {
        frmTerminal *f = form();
        // Closed port: the box is an ordinary text box.
        QTest::keyClicks(f->txtTerm, QStringLiteral("ab"));
        QCOMPARE(f->txtTerm->text(), QStringLiteral("ab"));
        QTest::keyClick(f->txtTerm, Qt::Key_Return);
        QCOMPARE(f->txtTerm->text(), QStringLiteral("ab\r\n"));
        f->txtTerm->setText(QString());

        openPort();
        // Without echo only the device's echo would show a key.
        QTest::keyClicks(f->txtTerm, QStringLiteral("dir"));
        QTest::keyClick(f->txtTerm, Qt::Key_Return);
        QTRY_COMPARE(m_fromPort, QByteArray("dir\r"));
        QCOMPARE(f->txtTerm->text(), QString());

        // With echo the key shows as well; the caret stays where the user put it.
        Module1::Echo = true;
        QTest::keyClick(f->txtTerm, Qt::Key_X);
        QTest::keyClick(f->txtTerm, Qt::Key_Return);
        QTRY_COMPARE(m_fromPort, QByteArray("dir\rx\r"));
        QCOMPARE(f->txtTerm->text(), QStringLiteral("x\r\n"));

        // Characters composed by an input method go out the same way.
        Module1::Echo = false;
        QInputMethodEvent chinese;
        chinese.setCommitString(QStringLiteral("中"));
        QCoreApplication::sendEvent(f->txtTerm, &chinese);
        QTRY_VERIFY(m_fromPort.endsWith(QByteArray::fromHex("a4a4")));
        QCOMPARE(f->txtTerm->text(), QStringLiteral("x\r\n"));
    }

    void lineEventShowsForAWhile()
    {
        frmTerminal *f = form();
        openPort();
        f->MSComm1->raiseEvent(MSComm::comEvCTS);
        QCOMPARE(f->StatusPanel->text(), QStringLiteral("狀態: 偵測到 CTS 變更"));
        QVERIFY(f->Timer2->isActive());
        QTRY_COMPARE(f->StatusPanel->text(), QStringLiteral("狀態: "));
        QVERIFY(!f->Timer2->isActive());
        m_link->write("more");
        QTRY_COMPARE(f->txtTerm->text(), QStringLiteral("more"));
        QCOMPARE(f->StatusPanel->text(), QStringLiteral("狀態: "));
        QVERIFY(m_dialogs->shown().isEmpty());
    }

    void lineErrorAsksWhetherToGoOn_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("staysOpen");
        QTest::newRow("OK ignores it") << int(QMessageBox::Ok) << true;
        QTest::newRow("Cancel closes the port") << int(QMessageBox::Cancel) << false;
    }
    void lineErrorAsksWhetherToGoOn()
    {
        QFETCH(int, answer);
        QFETCH(bool, staysOpen);
        frmTerminal *f = form();
        openPort();
        m_dialogs->answerMessage(QMessageBox::StandardButton(answer));
        f->MSComm1->raiseEvent(MSComm::comEventFrame);
        QCOMPARE(m_dialogs->shown().size(), 1);
        const ScriptedDialogs::Shown box = m_dialogs->shown().first();
        QCOMPARE(box.text, QStringLiteral("訊框(framing)錯誤"));
        QCOMPARE(box.title, TerminalLogic::kErrorBoxTitle);
        QCOMPARE(box.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(f->StatusPanel->text(), QStringLiteral("狀態: 訊框(framing)錯誤"));
        QCOMPARE(f->MSComm1->PortOpen(), staysOpen);
        // Closing here changes nothing else on the pane.
        QCOMPARE(f->frontPicture(), f->imgConnected);
        QVERIFY(f->Timer2->isActive());
        f->MSComm1->raiseEvent(1005);
        QCOMPARE(m_dialogs->shown().last().text, QStringLiteral("無法辨識的錯誤或事件"));
    }

    void vanishingDeviceLeavesTheWindowUsable()
    {
        frmTerminal *f = form();
        openPort();
        m_link->close();
        QTRY_COMPARE(m_dialogs->shown().size(), 1);
        const ScriptedDialogs::Shown box = m_dialogs->shown().first();
        QCOMPARE(box.icon, QMessageBox::Warning);
        QVERIFY2(box.text.contains(QStringLiteral("no longer available")), qPrintable(box.text));
        for (int i = 0; i < 50; ++i)
            QCoreApplication::processEvents();
        QCOMPARE(m_dialogs->shown().size(), 1);
        QCOMPARE(f->frontPicture(), f->imgNotConnected);
        QCOMPARE(f->SettingsPanel->text(), QStringLiteral("設定: "));
        QVERIFY(!f->Timer1->isActive());
        QVERIFY(!f->Send(QStringLiteral("Q")));

        // The device comes back on another line: the picture opens it.
        m_link = std::make_unique<PtyLink>();
        connect(m_link.get(), &PtyLink::received, this,
                [this](const QByteArray &b) { m_fromPort += b; });
        qputenv("RM4630K_COM1", m_link->slavePath().toLocal8Bit());
        openPort();
        QVERIFY(f->Send(QStringLiteral("hi")));
        QTRY_COMPARE(m_fromPort, QByteArray("hi"));
    }

    void oneExchangeAtATime()
    {
        frmTerminal *f = form();
        openPort();
        ConsoleGuard::Scope first = f->BeginOperation();
        QVERIFY(first);
        QVERIFY(f->isOperationRunning());
        ConsoleGuard::Scope second = f->BeginOperation();
        QVERIFY(!second);
        QCOMPARE(f->StatusPanel->text(), QStringLiteral("狀態: 裝置通訊中，請稍候"));

        // A close request waits for the exchange and is carried out after it.
        QVERIFY(!f->close());
        QVERIFY(f->isVisible());
        QVERIFY(f->Wait(10));
        QVERIFY(m_form);
        first.release();
        QTRY_VERIFY(m_form.isNull());
    }

    // What the box shows catches up with its text, whichever way the
    // arrivals fall between two refreshes.
    void boxShowsItsText()
    {
        TerminalBox *box = form()->txtTerm;
        QRandomGenerator rng(950);
        const QString alphabet = QStringLiteral("xy\r\n\b中");
        for (int round = 0; round < 300; ++round) {
            QString data;
            const int len = static_cast<int>(rng.bounded(1, 300));
            for (int i = 0; i < len; ++i)
                data += alphabet.at(static_cast<int>(rng.bounded(alphabet.size())));
            if (round % 40 == 0)
                data += QString(static_cast<qsizetype>(rng.bounded(2000, 9000)), u'z');
            form()->ShowData(box, data);
            if (rng.bounded(3) == 0) {
                box->refresh();
                QVERIFY(boxMatchesText());
            }
        }
        box->refresh();
        QVERIFY(boxMatchesText());
        QCOMPARE(box->textCursor().position(), box->document()->characterCount() - 1);
    }

    // A key typed before the box has caught up edits the up-to-date text.
    void typingBeforeTheBoxCaughtUp()
    {
        TerminalBox *box = form()->txtTerm;
        box->setText(QStringLiteral("A:\\>"));
        box->moveCaretToEnd();
        box->showData(QStringLiteral("\r\nB:\\>"));
        QTest::keyClick(box, Qt::Key_X);
        QCOMPARE(box->text(), QStringLiteral("A:\\>\r\nB:\\>x"));
        QVERIFY(boxMatchesText());
        box->showData(QStringLiteral("\bY"));
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), QStringLiteral("A:\\>\r\nB:\\>"));
    }

    void closedPortIsNeverWritten()
    {
        frmTerminal *f = form();
        QVERIFY(!f->Send(QStringLiteral("NVCONF\r")));
        QCOMPARE(f->StatusPanel->text(), QStringLiteral("狀態: 通訊埠未開啟"));
        QTest::keyClicks(f->txtTerm, QStringLiteral("q"));
        openPort();
        QVERIFY(f->Send(QStringLiteral("!")));
        QTRY_COMPARE(m_fromPort, QByteArray("!"));
    }
};

QTEST_MAIN(TstFrmTerminal)
#include "tst_frmterminal.moc"
