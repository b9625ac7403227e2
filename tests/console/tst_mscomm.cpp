#include "console/mscomm.h"
#include "tests/support/ptylink.h"

#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

#include <termios.h>

namespace {

constexpr int kCom = 2;

QByteArray big5(const char *hex)
{
    return QByteArray::fromHex(hex);
}

QList<int> codes(const QSignalSpy &spy)
{
    QList<int> c;
    for (const QList<QVariant> &args : spy)
        c << args.at(0).toInt();
    return c;
}

} // namespace

class TstMSComm : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<PtyLink> m_link;
    QByteArray m_fromPort;

    // Waits until the master has received everything sent so far, ending in tail.
    bool arrived(const QByteArray &tail)
    {
        return QTest::qWaitFor([&] { return m_fromPort.endsWith(tail); }, 5000);
    }

private slots:
    void init()
    {
        m_link = std::make_unique<PtyLink>();
        QVERIFY(m_link->isOpen());
        m_fromPort.clear();
        connect(m_link.get(), &PtyLink::received, this,
                [this](const QByteArray &b) { m_fromPort += b; });
        qputenv("RM4630K_COM2", m_link->slavePath().toLocal8Bit());
    }
    void cleanup() { m_link.reset(); }

    void exchangesBytesInCodePage950()
    {
        MSComm port;
        QSignalSpy events(&port, &MSComm::OnComm);
        QVERIFY(port.setCommPort(kCom));
        QCOMPARE(port.deviceName(), m_link->slavePath());
        QVERIFY2(port.setPortOpen(true), qPrintable(port.errorText()));
        QVERIFY(port.PortOpen());

        QVERIFY(port.Output(QStringLiteral("中A\r")));
        QVERIFY(arrived("\r"));
        QCOMPARE(m_fromPort, big5("a4a4410d"));
        QTRY_COMPARE(port.OutBufferCount(), 0);
        QCOMPARE(port.OutBufferSize(), 512);

        m_link->write(big5("a4a4") + "ok");
        QTRY_VERIFY(!events.isEmpty());
        QCOMPARE(port.CommEvent(), MSComm::comEvReceive);
        QString got;
        QTRY_VERIFY((got += port.Input()).endsWith(QStringLiteral("ok")));
        QCOMPARE(got, QStringLiteral("中ok"));
        // A pseudo-terminal has no modem lines: nothing but receive events.
        for (const int c : codes(events))
            QCOMPARE(c, MSComm::comEvReceive);
    }

    // However much waits, each receive event hands over one input buffer at
    // most, and the rest follows with events of its own.
    void receivesInPiecesOfTheInputBuffer()
    {
        MSComm port;
        QVERIFY(port.setCommPort(kCom));
        QVERIFY(port.setPortOpen(true));
        QString got;
        qsizetype largest = 0;
        connect(&port, &MSComm::OnComm, this, [&] {
            const QString piece = port.Input();
            largest = qMax(largest, piece.size());
            got += piece;
        });
        QByteArray sent;
        for (int i = 0; i < 2000; ++i)
            sent += QByteArray::number(i) + ' ';
        m_link->write(sent);
        QTRY_COMPARE(got.size(), sent.size());
        QCOMPARE(got.toLatin1(), sent);
        QVERIFY(largest <= MSComm::kInBufferSize);
    }

    void joinsADoubleByteCharacterSplitBetweenArrivals()
    {
        MSComm port;
        QVERIFY(port.setCommPort(kCom));
        QVERIFY(port.setPortOpen(true));
        QSignalSpy events(&port, &MSComm::OnComm);
        m_link->write(big5("a4"));
        QTRY_COMPARE(events.count(), 1);
        QCOMPARE(port.Input(), QString()); // lead byte held back
        m_link->write(big5("a4"));
        QTRY_COMPARE(events.count(), 2);
        QCOMPARE(port.Input(), QStringLiteral("中"));

        // A lead byte left over when the port closes is not joined with what
        // comes after the next opening.
        m_link->write(big5("a4"));
        QTRY_COMPARE(events.count(), 3);
        QCOMPARE(port.Input(), QString());
        QVERIFY(port.setPortOpen(false));
        QVERIFY(port.setPortOpen(true));
        m_link->write("A");
        QString got;
        QTRY_VERIFY(!(got += port.Input()).isEmpty());
        QCOMPARE(got, QStringLiteral("A"));
    }

    void closedPortSendsNothing()
    {
        MSComm port;
        QVERIFY(port.setCommPort(kCom));
        QVERIFY(!port.Output(QStringLiteral("lost")));
        QVERIFY(port.errorText().contains(QStringLiteral("not open")));
        QCOMPARE(port.OutBufferCount(), 0);
        QCOMPARE(port.Input(), QString());
        QVERIFY(port.setPortOpen(true));
        QVERIFY(port.Output(QStringLiteral("x")));
        QVERIFY(arrived("x"));
        QCOMPARE(m_fromPort, QByteArray("x"));
        QVERIFY(port.setPortOpen(false));
        QVERIFY(port.setPortOpen(false)); // closing a closed port is no failure
        QVERIFY(!port.Output(QStringLiteral("y")));
    }

    void openingFailuresAreExplained()
    {
        MSComm port;
        QSignalSpy events(&port, &MSComm::OnComm);
        qputenv("RM4630K_COM3", "/dev/rm4630k-no-such-port");
        QVERIFY(port.setCommPort(3));
        QVERIFY(!port.setPortOpen(true));
        QVERIFY(!port.PortOpen());
        QVERIFY2(port.errorText().contains(QStringLiteral("/dev/rm4630k-no-such-port"))
                     && port.errorText().contains(QStringLiteral("cannot be opened")),
                 qPrintable(port.errorText()));

        // Busy: another program has the port.
        QSerialPort other(m_link->slavePath());
        QVERIFY(other.open(QIODevice::ReadWrite));
        QVERIFY(port.setCommPort(kCom));
        QVERIFY(!port.setPortOpen(true));
        QVERIFY2(port.errorText().contains(QStringLiteral("in use")), qPrintable(port.errorText()));
        other.close();
        QVERIFY2(port.setPortOpen(true), qPrintable(port.errorText()));
        QVERIFY(!port.setPortOpen(true)); // already open
        QVERIFY(!port.setCommPort(4));    // not while open
        QCOMPARE(port.CommPort(), kCom);
        QCOMPARE(events.count(), 0);
    }

    void settingsReachTheLine()
    {
        MSComm port;
        QCOMPARE(port.Settings(), QStringLiteral("57600,n,8,1"));
        QVERIFY(port.setCommPort(kCom));
        QVERIFY(port.setPortOpen(true));
        termios tio{};
        QCOMPARE(::tcgetattr(m_link->slaveFd(), &tio), 0);
        QCOMPARE(::cfgetospeed(&tio), speed_t(B57600));
        QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));

        QVERIFY2(port.setSettings(QStringLiteral("9600,n,8,2")), qPrintable(port.errorText()));
        QCOMPARE(::tcgetattr(m_link->slaveFd(), &tio), 0);
        QCOMPARE(::cfgetospeed(&tio), speed_t(B9600));
        QVERIFY(tio.c_cflag & CSTOPB);

        QVERIFY(!port.setSettings(QStringLiteral("fast")));
        QVERIFY(port.errorText().contains(QStringLiteral("\"fast\"")));
        QCOMPARE(port.Settings(), QStringLiteral("9600,n,8,2"));

        // A pseudo-terminal has no parity and always 8 data bits: it refuses
        // them, and the line keeps what it had.
        QVERIFY(!port.setSettings(QStringLiteral("1200,e,7,1")));
        QVERIFY2(port.errorText().contains(QStringLiteral("does not take the settings \"1200,e,7,1\"")),
                 qPrintable(port.errorText()));
        QCOMPARE(port.Settings(), QStringLiteral("9600,n,8,2"));
        QCOMPARE(::tcgetattr(m_link->slaveFd(), &tio), 0);
        QCOMPARE(::cfgetospeed(&tio), speed_t(B9600));
    }

    void handshakingReachesTheLine_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("rtscts");
        QTest::addColumn<bool>("xonxoff");
        QTest::newRow("none") << 0 << false << false;
        QTest::newRow("XON/XOFF") << 1 << false << true;
        QTest::newRow("RTS/CTS") << 2 << true << false;
        QTest::newRow("both") << 3 << true << true;
    }
    void handshakingReachesTheLine()
    {
        QFETCH(int, mode);
        QFETCH(bool, rtscts);
        QFETCH(bool, xonxoff);
        MSComm port;
        QVERIFY(port.setCommPort(kCom));
        QVERIFY(port.setPortOpen(true));
        QVERIFY2(port.setHandshaking(mode), qPrintable(port.errorText()));
        QCOMPARE(port.Handshaking(), mode);
        termios tio{};
        QCOMPARE(::tcgetattr(m_link->slaveFd(), &tio), 0);
        QCOMPARE(bool(tio.c_cflag & CRTSCTS), rtscts);
        QCOMPARE(bool(tio.c_iflag & IXON) && bool(tio.c_iflag & IXOFF), xonxoff);
    }

    void handshakingOutOfRange()
    {
        MSComm port;
        QVERIFY(!port.setHandshaking(4));
        QVERIFY(!port.setHandshaking(-1));
        QVERIFY(port.errorText().contains(QStringLiteral("0 (none)")));
        QCOMPARE(port.Handshaking(), 0);
    }

    void refusedModemLinesAreNoFailure()
    {
        MSComm port;
        QSignalSpy events(&port, &MSComm::OnComm);
        port.setDTREnable(true);
        QVERIFY(port.setCommPort(kCom));
        QVERIFY(port.setPortOpen(true));
        QVERIFY(port.DTREnable());
        port.setDTREnable(false);
        QVERIFY(!port.DTREnable());
        port.setDTREnable(true);
        m_link->write("z");
        QTRY_VERIFY(!events.isEmpty());
        QCOMPARE(codes(events), QList<int>{MSComm::comEvReceive});
        QVERIFY(port.PortOpen());
    }

    void vanishingDeviceIsReportedOnce()
    {
        MSComm port;
        QVERIFY(port.setCommPort(kCom));
        QVERIFY(port.setPortOpen(true));
        QSignalSpy events(&port, &MSComm::OnComm);
        bool openDuringReport = true;
        connect(&port, &MSComm::OnComm, this, [&] { openDuringReport = port.PortOpen(); });
        m_link->close();
        QTRY_VERIFY(!events.isEmpty());
        for (int i = 0; i < 50; ++i)
            QCoreApplication::processEvents();
        QCOMPARE(codes(events), QList<int>{MSComm::comEventPortFailure});
        QCOMPARE(port.CommEvent(), MSComm::comEventPortFailure);
        QVERIFY(!openDuringReport);
        QVERIFY(!port.PortOpen());
        QVERIFY2(port.errorText().contains(QStringLiteral("no longer available"))
                     && port.errorText().contains(QStringLiteral("COM2")),
                 qPrintable(port.errorText()));
        QVERIFY(!port.Output(QStringLiteral("Q")));
        QVERIFY(!port.setPortOpen(true));
        QCOMPARE(events.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TstMSComm)
#include "tst_mscomm.moc"
