#include "net/winsock.h"
#include "netclient/portd.h"
#include "tests/netclient/netclienttestutil.h"
#include "tests/support/scripteddialogs.h"

#include <QTimer>

using NetTest::Step;

// The network client's control connection against a simulated Portd: the
// doubled port queries built anew for each text, each reply decoded on its
// own, a flooding device, and a port count the window cannot serve.
class TstControlConnection : public QObject
{
    Q_OBJECT

    NetTest::Fixture f;
    std::unique_ptr<ScriptedDialogs> m_dialogs;

private slots:
    void init()
    {
        m_dialogs = std::make_unique<ScriptedDialogs>();
        QVERIFY(f.start());
    }
    void cleanup()
    {
        f.stop();
        m_dialogs.reset();
    }

    // A switch to Comm3 made in the gap of a switch to Comm2: the outer
    // switch's second text asks for port 3, the port selected when it goes.
    void doubledQueryReadsThePortAnew_data()
    {
        QTest::addColumn<QString>("moduleName");
        QTest::addColumn<QList<Step>>("steps");
        constexpr int gap = 100;
        QTest::newRow("33 pair") << "4630M4"
                                 << QList<Step>{{0, "332"}, {0, "333"},  {gap, "333"}, {0, "163"},
                                                {gap, "163"}, {0, "333"}, {0, "163"}, {gap, "163"}};
        QTest::newRow("16 pair") << "4630E4"
                                 << QList<Step>{{0, "162"}, {0, "163"}, {gap, "163"}, {0, "163"}};
    }
    void doubledQueryReadsThePortAnew()
    {
        QFETCH(QString, moduleName);
        QFETCH(QList<Step>, steps);
        QVERIFY(f.connectTo(moduleName));
        QTRY_VERIFY(f.w->gotdata); // the late reply to the connect's last text
        f.w->gotdata = false;
        f.portd->clearLog();
        // Runs in the first wait of the switch below: the gap after its first text.
        QTimer::singleShot(0, f.w, [this] { f.choosePort(2); });
        f.choosePort(1);
        CHECK_REQUESTS(*f.portd, steps);
        QCOMPARE(f.w->combCommPort->currentIndex(), 2);
        QCOMPARE(f.w->curPort(), 2);
    }

    // Each reply is decoded whole, on its own: a lead byte that ends one
    // becomes the replacement character and the next reply is untouched. The
    // data connections still join a character split between arrivals.
    void replyDecodedOnItsOwn()
    {
        f.portd->setReply("10", "4630E2A\xA4");
        f.portd->setReply("01", "V1.0");
        f.portd->setReply("13", "\xA4\xA4\xA4");
        QVERIFY(f.connectTo(QStringLiteral("4630E2")));
        QCOMPARE(f.w->lblServerInfo[0]->text(), QStringLiteral("4630E2A\uFFFD"));
        QCOMPARE(f.w->lblServerInfo[2]->text(), QStringLiteral("V1.0"));
        QCOMPARE(f.w->lblGateway->text(), QStringLiteral("\u4E2D\uFFFD"));
        QCOMPARE(f.w->lblMask->text(), QStringLiteral("255.255.255.0"));

        QTRY_VERIFY(f.portd->isDataConnected(1));
        f.portd->pushData(1, "ab\xA4");
        QTRY_COMPARE(f.w->commBuf(0).size(), 2);
        f.portd->pushData(1, "\xA4");
        QTRY_COMPARE(f.w->commBuf(0), QStringLiteral("ab\u4E2D"));
    }

    // A reply of sane size is kept whole; a device that floods the control
    // connection is taken in pieces of at most 64 KiB, each kept whole.
    void floodIsBounded()
    {
        QVERIFY(f.connectTo(QStringLiteral("4630E1")));
        frmMain *w = f.w;
        QTRY_VERIFY(w->gotdata); // the late reply to the connect's last text
        QByteArray sane;
        while (sane.size() < 4000)
            sane += "19200,8,0,1 \xA4\xA4 ";
        f.portd->setReply("11sane", sane);
        w->txtSend->setText(QStringLiteral("11sane"));
        w->cmdSend->click();
        QTRY_COMPARE(w->strNew, Cp950::toUnicode(sane));

        QByteArray flood;
        for (int i = 0; flood.size() < 8 * 1024 * 1024; ++i)
            flood += QByteArray::number(i) + " \xA4\xA4\r\n";
        f.portd->setReply("11flood", flood);
        qint64 received = 0;
        qint64 largest = 0;
        qsizetype longest = 0;
        bool keptWhole = true;
        connect(w->tcpPC, &Winsock::DataArrival, this, [&](qint64 bytesTotal) {
            const QByteArray arrived = flood.mid(received, bytesTotal);
            received += bytesTotal;
            largest = std::max(largest, bytesTotal);
            longest = std::max(longest, w->strNew.size());
            keptWhole = keptWhole && w->strNew == Cp950::toUnicode(arrived);
        });
        w->txtSend->setText(QStringLiteral("11flood"));
        w->cmdSend->click();
        QTRY_COMPARE_WITH_TIMEOUT(received, flood.size(), 60000);
        QVERIFY2(largest <= 64 * 1024, qPrintable(QString::number(largest)));
        QVERIFY2(longest <= 64 * 1024, qPrintable(QString::number(longest)));
        QVERIFY(keptWhole);
        // Still answering.
        w->cmdState->click();
        QCOMPARE(w->PicMsg->document()->lastBlock().text(),
                 QStringLiteral("Current Net State is Connected(7)"));
    }

    // A count the window cannot serve: the label tells the count in use, and
    // the reason stays readable once connected.
    void refusedPortCountShown()
    {
        QVERIFY(f.connectTo(QStringLiteral("4630E99")));
        frmMain *w = f.w;
        QCOMPARE(w->lblServerInfo[1]->text(), QStringLiteral("8 COM Ports"));
        QCOMPARE(w->ComNo, 8);
        QCOMPARE(w->combCommPort->count(), 8);
        QCOMPARE(NetTest::pane(w),
                 QStringLiteral("Server Connected!\nThe COM port count is not a number from 1 "
                                "to 8: 8 COM ports are used."));
        // After a 2-port device, that count stays in use.
        w->cmdConnect->click();
        QVERIFY(f.connectTo(QStringLiteral("4630M2")));
        w->cmdConnect->click();
        QVERIFY(f.connectTo(QStringLiteral("4630M0")));
        QCOMPARE(w->lblServerInfo[1]->text(), QStringLiteral("2 COM Ports"));
        QCOMPARE(NetTest::items(w->combCommPort), (QStringList{"Comm1", "Comm2"}));
        QVERIFY(NetTest::pane(w).endsWith(QStringLiteral(": 2 COM ports are used.")));
    }
};

QTEST_MAIN(TstControlConnection)
#include "tst_controlconnection.moc"
