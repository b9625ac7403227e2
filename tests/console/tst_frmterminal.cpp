#include "tests/console/consoletestutil.h"
#include "console/controls.h"
#include "console/frmterminal.h"
#include "console/lineerrors.h"
#include "console/mscomm.h"
#include "tests/support/ptylink.h"
#include "tests/support/scripteddialogs.h"

#include <QAction>
#include <QInputMethodEvent>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

// The terminal pane of the configuration window, without its load.
class TstFrmTerminal : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<PtyLink> m_link;
    QByteArray m_fromPort;
    QPointer<frmTerminal> m_f;
    std::unique_ptr<ScriptedDialogs> m_dialogs;

    // A fresh device line as COM1.
    void newLink()
    {
        m_link = std::make_unique<PtyLink>();
        connect(m_link.get(), &PtyLink::received, this,
                [this](const QByteArray &b) { m_fromPort += b; });
        qputenv("RM4630K_COM1", m_link->slavePath().toLocal8Bit());
    }
    void openPort()
    {
        QTest::mouseClick(m_f->imgNotConnected, Qt::LeftButton);
        QVERIFY2(m_f->MSComm1->PortOpen(), qPrintable(m_dialogs->messages().join('\n')));
        QCOMPARE(m_f->frontPicture(), m_f->imgConnected);
    }
    bool boxMatchesText()
    {
        QString raw = m_f->txtTerm->document()->toRawText();
        raw.replace(QChar::ParagraphSeparator, u'\n');
        return raw == TerminalText::toDisplay(m_f->txtTerm->text());
    }
    // Empty when the pane shows the port closed and nothing can be sent;
    // otherwise the status panel.
    QString notShownClosed()
    {
        const bool closed = m_f->frontPicture() == m_f->imgNotConnected
                            && m_f->SettingsPanel->text() == QStringLiteral("設定: ")
                            && m_f->ConnectTimePanel->text().isEmpty() && !m_f->Timer1->isActive()
                            && !m_f->TransmitTextFile->isEnabled() && !m_f->HangUpPhone->isEnabled()
                            && m_f->DialPhoneNumber->isEnabled() && !m_f->Send(QStringLiteral("Q"));
        const QString status = m_f->StatusPanel->text();
        return closed && status == QStringLiteral("狀態: 通訊埠未開啟") ? QString() : status;
    }

private slots:
    void init()
    {
        resetProgramState();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_fromPort.clear();
        newLink();
        m_f = new frmTerminal;
        m_f->show();
    }
    void cleanup()
    {
        delete m_f.data();
        m_link.reset();
        m_dialogs.reset();
    }

    // The pictures open and close the port; a device that vanishes and a
    // port that cannot be opened are said once, and the pane shows the port
    // closed until the picture opens it again.
    void portStateFollowsThePort()
    {
        QCOMPARE(m_f->frontPicture(), m_f->imgNotConnected);
        QVERIFY(!m_f->TransmitTextFile->isEnabled() && !m_f->HangUpPhone->isEnabled());
        openPort();
        QCOMPARE(m_f->SettingsPanel->text(), QStringLiteral("設定: 57600,n,8,1"));
        QVERIFY(m_f->TransmitTextFile->isEnabled() && m_f->HangUpPhone->isEnabled());
        const QRegularExpression seconds(QStringLiteral("^00:00:0[1-9] $"));
        QTRY_VERIFY(seconds.match(m_f->ConnectTimePanel->text()).hasMatch());
        QTest::mouseClick(m_f->imgConnected, Qt::LeftButton);
        QVERIFY2(notShownClosed().isEmpty(), qPrintable(notShownClosed()));

        openPort();
        m_link->close();
        QTRY_COMPARE(m_dialogs->shown().size(), 1);
        QVERIFY(m_dialogs->shown().first().text.contains(QStringLiteral("no longer available")));
        for (int i = 0; i < 50; ++i)
            QCoreApplication::processEvents();
        QCOMPARE(m_dialogs->shown().size(), 1);
        QVERIFY2(notShownClosed().isEmpty(), qPrintable(notShownClosed()));

        qputenv("RM4630K_COM1", "/dev/rm4630k-missing");
        QTest::mouseClick(m_f->imgNotConnected, Qt::LeftButton);
        QCOMPARE(m_dialogs->shown().size(), 2);
        QVERIFY(m_dialogs->shown().last().text.contains(QStringLiteral("/dev/rm4630k-missing")));
        QVERIFY2(notShownClosed().isEmpty(), qPrintable(notShownClosed()));

        newLink();
        openPort();
        QVERIFY(m_f->Send(QStringLiteral("hi")));
        QTRY_COMPARE(m_fromPort, QByteArray("hi"));
    }

    // Device text in a fixed pitch that has the Chinese characters, two
    // columns wide: the menu's value columns and the DIR listing line up.
    void deviceTextLinesUp()
    {
        const QFontMetrics fm(m_f->txtTerm->font());
        const int column = fm.horizontalAdvance(u'i');
        QCOMPARE(fm.horizontalAdvance(QStringLiteral("NVCONF   EXE")), 12 * column);
        QCOMPARE(fm.horizontalAdvance(QStringLiteral("M : 1:57600")), 11 * column);
        QVERIFY(fm.inFont(QChar(0x7D42)) && fm.inFont(QChar(0x7AEF))); // 終端
        QCOMPARE(fm.horizontalAdvance(QStringLiteral("終端")), 4 * column);
    }

    // While the question about a log that cannot be written is open, what the
    // device sends later still comes in (the question is asked from the
    // receive path).
    void arrivalsGoOnWhileTheLogAsks()
    {
        openPort();
        QTemporaryDir dir;
        const QString path = dir.filePath("full.log");
        QVERIFY(QFile::link("/dev/full", path));
        m_dialogs->answerSaveFile(path);
        m_dialogs->answerMessage(QMessageBox::No);
        m_f->OpenLogFile->trigger();
        m_dialogs->clear();
        bool seen = false;
        m_dialogs->whileShown([&] {
            m_link->write("two");
            seen = QTest::qWaitFor([&] { return m_f->txtTerm->text().endsWith("two"); });
        });
        m_dialogs->answerMessage(QMessageBox::Cancel);
        m_link->write("one");
        QTRY_COMPARE(m_dialogs->shown().size(), 1);
        QVERIFY2(seen, qPrintable(m_f->txtTerm->text()));
    }

    // A double-byte character split between arrivals, a backspace in an
    // arrival of its own, and far more than the cap: the box keeps the
    // newest text, bounded by the input buffer, and shows what it holds.
    void receivedTextFollowsTheDisplayRules()
    {
        openPort();
        m_link->write("AB\r\nCD\n\rEF" + QByteArray::fromHex("a4"));
        QTRY_VERIFY(m_f->txtTerm->text().endsWith(QStringLiteral("EF")));
        m_link->write(QByteArray::fromHex("a4") + "X");
        QTRY_VERIFY(m_f->txtTerm->text().endsWith(u'X'));
        m_link->write("\b\bY");
        QTRY_COMPARE(m_f->txtTerm->toPlainText(), QStringLiteral("AB\nCD\nEF中Y"));
        QCOMPARE(m_f->txtTerm->text(), QStringLiteral("AB\r\nCD\r\nEF中Y"));
        QCOMPARE(m_f->txtTerm->textCursor().position(),
                 m_f->txtTerm->document()->characterCount() - 1);

        QByteArray lots;
        for (int i = 0; i < 800; ++i)
            lots += QByteArray::number(i).rightJustified(38, '.') + "\r\n";
        m_link->write(lots + "end");
        QTRY_VERIFY(m_f->txtTerm->text().endsWith(QStringLiteral("799\r\nend")));
        QVERIFY(m_f->txtTerm->length() <= TerminalText::kCapChars + MSComm::kInBufferSize);
        QTRY_VERIFY(boxMatchesText());
    }

    void keysGoToThePort()
    {
        TerminalBox *box = m_f->txtTerm;
        // Closed port: the box is an ordinary text box.
        QTest::keyClicks(box, QStringLiteral("ab"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(box->text(), QStringLiteral("ab\r\n"));
        box->setText(QString());
        // Without echo only the device's echo would show a key; with echo it
        // shows as well; a character composed by an input method goes out too.
        openPort();
        QTest::keyClick(box, Qt::Key_D);
        QTest::keyClick(box, Qt::Key_Return);
        Module1::Echo = true;
        QTest::keyClick(box, Qt::Key_X);
        QInputMethodEvent chinese;
        chinese.setCommitString(QStringLiteral("中"));
        QCoreApplication::sendEvent(box, &chinese);
        QTRY_COMPARE(m_fromPort, "d\rx" + QByteArray::fromHex("a4a4"));
        QCOMPARE(box->text(), QStringLiteral("x中"));

        // Keys without a character send nothing: Delete (0x7F as X11 gives
        // it), arrows, function keys; the control keys send their codes.
        Module1::Echo = false;
        m_fromPort.clear();
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_Delete, QStringLiteral("\x7f"), Qt::NoModifier);
        for (const Qt::Key key : {Qt::Key_Delete, Qt::Key_Left, Qt::Key_Up, Qt::Key_F1, Qt::Key_Home})
            QTest::keyClick(box, key);
        for (const Qt::Key key : {Qt::Key_Backspace, Qt::Key_Tab, Qt::Key_Escape})
            QTest::keyClick(box, key);
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_C, QStringLiteral("\x03"), Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_D, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Z);
        QTRY_COMPARE(m_fromPort, QByteArray("\b\t\x1b\x03\x04z"));
        QCOMPARE(box->text(), QStringLiteral("x中"));
    }

    void lineEvents_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("answer"); // to the error box; none for an event
        QTest::newRow("CTS: status only") << int(MSComm::comEvCTS) << 0;
        QTest::newRow("framing, OK") << int(MSComm::comEventFrame) << int(QMessageBox::Ok);
        QTest::newRow("framing, Cancel") << int(MSComm::comEventFrame) << int(QMessageBox::Cancel);
    }
    void lineEvents()
    {
        QFETCH(int, code);
        QFETCH(int, answer);
        openPort();
        if (answer)
            m_dialogs->answerMessage(QMessageBox::StandardButton(answer));
        m_f->MSComm1->raiseEvent(code);
        const QString text = TerminalLogic::commEventText(code).text;
        QCOMPARE(m_f->StatusPanel->text(), TerminalLogic::kStatusPrefix + text);
        QCOMPARE(m_dialogs->messages(), answer ? QStringList{text} : QStringList{});
        if (answer)
            QCOMPARE(m_dialogs->shown().first().buttons, QMessageBox::Ok | QMessageBox::Cancel);
        // Cancel closes the port, and only that; the status clears later.
        QCOMPARE(m_f->MSComm1->PortOpen(), answer != QMessageBox::Cancel);
        QCOMPARE(m_f->frontPicture(), m_f->imgConnected);
        QTRY_COMPARE(m_f->StatusPanel->text(), TerminalLogic::kStatusPrefix);
    }

    // Errors that the line's counts show reach the window as error events;
    // what moves while the error box is open is told after it.
    void countedLineErrors()
    {
        LineErrorCounts counts;
        m_f->MSComm1->setLineErrorSource([&](qintptr) { return std::optional(counts); });
        openPort();
        m_dialogs->whileShown([&] { ++counts.parity; });
        ++counts.framing;
        QTRY_COMPARE(m_dialogs->messages().size(), 2);
        const QString framing = TerminalLogic::commEventText(MSComm::comEventFrame).text;
        const QString parity = TerminalLogic::commEventText(MSComm::comEventRxParity).text;
        QCOMPARE(m_dialogs->messages(), (QStringList{framing, parity}));
        QCOMPARE(m_dialogs->shown().first().title, TerminalLogic::kErrorBoxTitle);
        QCOMPARE(m_f->StatusPanel->text(), TerminalLogic::kStatusPrefix + parity);
        QVERIFY(m_f->MSComm1->PortOpen());
        m_f->MSComm1->setPortOpen(false); // the counts go with this test
    }

    // What the box shows catches up with its text, whichever way the
    // arrivals fall between two refreshes; a key typed before it caught up
    // edits the up-to-date text.
    void boxShowsItsText()
    {
        TerminalBox *box = m_f->txtTerm;
        QRandomGenerator rng(950);
        const QString alphabet = QStringLiteral("xy\r\n\b中");
        for (int round = 0; round < 300; ++round) {
            QString data;
            for (int i = 0, n = int(rng.bounded(1, 300)); i < n; ++i)
                data += alphabet.at(int(rng.bounded(alphabet.size())));
            if (round % 40 == 0)
                data += QString(qsizetype(rng.bounded(2000, 9000)), u'z');
            m_f->ShowData(box, data);
            if (rng.bounded(3) == 0) {
                box->refresh();
                QVERIFY(boxMatchesText());
            }
        }
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
};

QTEST_MAIN(TstFrmTerminal)
#include "tst_frmterminal.moc"
