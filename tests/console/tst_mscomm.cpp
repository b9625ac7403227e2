#include "console/mscomm.h"
#include "tests/support/fakecomports.h"
#include "tests/support/ptylink.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <termios.h>

namespace {
constexpr int kCom = 2;
} // namespace

// The serial port service against a pseudo-terminal.
class TstMSComm : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<PtyLink> m_link;
    std::unique_ptr<MSComm> m_port;
    QByteArray m_fromPort;

    bool openPort() { return m_port->setPortOpen(true); }
    // Everything the port has received by the time it ends in tail.
    QString inputUntil(const QString &tail)
    {
        QString got;
        static_cast<void>(
            QTest::qWaitFor([&] { return (got += m_port->Input()).endsWith(tail); }, 5000));
        return got;
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
        m_port = std::make_unique<MSComm>();
        QVERIFY(m_port->setCommPort(kCom));
    }
    void cleanup()
    {
        m_port.reset();
        m_link.reset();
        QSettings(QStringLiteral("RM4630K"), QStringLiteral("rm4630k-utility")).clear();
    }

    // Code page 950 both ways; a double-byte character split between two
    // arrivals comes whole, but a lead byte left at closing is dropped. The
    // pty refuses DTR: that is no failure, and only receive events come.
    void exchangesTextInCodePage950()
    {
        QSignalSpy events(m_port.get(), &MSComm::OnComm);
        m_port->setDTREnable(true);
        QVERIFY2(openPort(), qPrintable(m_port->errorText()));
        m_port->setDTREnable(false);
        QVERIFY(m_port->Output(QStringLiteral("中A\r")));
        QTRY_COMPARE(m_fromPort, QByteArray::fromHex("a4a4410d"));

        m_link->write(QByteArray::fromHex("a4"));
        QTRY_COMPARE(events.count(), 1);
        QCOMPARE(m_port->Input(), QString()); // lead byte held back
        m_link->write(QByteArray::fromHex("a4") + "ok");
        QCOMPARE(inputUntil(QStringLiteral("ok")), QStringLiteral("中ok"));
        const qsizetype before = events.count();
        m_link->write(QByteArray::fromHex("a4"));
        QTRY_VERIFY(events.count() > before);
        QCOMPARE(m_port->Input(), QString());
        QVERIFY(m_port->setPortOpen(false));
        QVERIFY(openPort());
        m_link->write("A");
        QCOMPARE(inputUntil(QStringLiteral("A")), QStringLiteral("A"));
        for (const QList<QVariant> &args : events)
            QCOMPARE(args.at(0).toInt(), MSComm::comEvReceive);
        QVERIFY(m_port->PortOpen());
    }

    // However much waits, each receive event hands over one input buffer at
    // most, and the rest follows with events of its own.
    void receivesInPiecesOfTheInputBuffer()
    {
        QVERIFY(openPort());
        QString got;
        qsizetype largest = 0;
        connect(m_port.get(), &MSComm::OnComm, this, [&] {
            const QString piece = m_port->Input();
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

    void closedPortSendsNothing()
    {
        QVERIFY(!m_port->Output(QStringLiteral("lost")));
        QVERIFY(m_port->errorText().contains(QStringLiteral("not open")));
        QCOMPARE(m_port->Input(), QString());
        QVERIFY(openPort());
        QVERIFY(!openPort()); // already open
        QVERIFY(m_port->setPortOpen(false));
        QVERIFY(m_port->setPortOpen(false)); // closing a closed port is no failure
        QVERIFY(!m_port->Output(QStringLiteral("y")));
        QCOMPARE(m_fromPort, QByteArray());
    }

    // A pseudo-terminal keeps no error counts; a port whose driver does
    // raises an error event for each count that moved since the last look,
    // counting from the opening. Counts that can no longer be read end the
    // watch quietly.
    void lineErrorsFromTheCounts()
    {
        QCOMPARE(LineErrors::systemSource()(m_link->slaveFd()), std::optional<LineErrorCounts>());
        LineErrorCounts counts{7, 7, 7, 7, 7, 7};
        bool readable = true;
        int reads = 0;
        m_port->setLineErrorSource([&](qintptr handle) -> std::optional<LineErrorCounts> {
            ++reads;
            if (!readable || handle < 0)
                return std::nullopt;
            return counts;
        });
        QSignalSpy events(m_port.get(), &MSComm::OnComm);
        auto codes = [&events] {
            QList<int> list;
            for (const QList<QVariant> &args : events)
                list << args.at(0).toInt();
            return list;
        };
        QVERIFY(openPort());
        ++counts.framing;
        counts.parity += 3;
        QTRY_COMPARE(codes(), (QList<int>{MSComm::comEventFrame, MSComm::comEventRxParity}));
        int seen = reads;
        QTRY_VERIFY(reads >= seen + 2);
        QCOMPARE(events.size(), 2); // nothing moved since
        ++counts.breaks;
        QTRY_COMPARE(codes().size(), 3);
        QCOMPARE(codes().last(), MSComm::comEventBreak);

        // Closed, the counts move; opened again, that is the past.
        QVERIFY(m_port->setPortOpen(false));
        ++counts.overrun;
        QVERIFY(openPort());
        seen = reads;
        QTRY_VERIFY(reads >= seen + 2);
        QCOMPARE(events.size(), 3);

        readable = false;
        auto *poll = m_port->findChild<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
        QTRY_VERIFY(!poll->isActive());
        QCOMPARE(events.size(), 3);
        QVERIFY(m_port->PortOpen());
    }

    // Settings and handshaking on an open port reach the line; what the
    // port refuses leaves the line as it was.
    void lineSettings_data()
    {
        QTest::addColumn<QString>("settings"); // none: the default
        QTest::addColumn<int>("handshaking");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("line");
        QTest::newRow("9600,n,8,2") << "9600,n,8,2" << 0 << true << "9600 2stop";
        QTest::newRow("XON/XOFF") << "" << 1 << true << "57600 xon";
        QTest::newRow("RTS/CTS") << "" << 2 << true << "57600 rtscts";
        QTest::newRow("both") << "" << 3 << true << "57600 rtscts xon";
        // A pty has no parity and always 8 data bits.
        QTest::newRow("parity refused") << "1200,e,7,1" << 0 << false << "57600";
        QTest::newRow("handshaking 4") << "" << 4 << false << "57600";
        QTest::newRow("handshaking -1") << "" << -1 << false << "57600";
    }
    void lineSettings()
    {
        QFETCH(QString, settings);
        QFETCH(int, handshaking);
        QFETCH(bool, accepted);
        QVERIFY(openPort());
        const bool ok = (settings.isEmpty() || m_port->setSettings(settings))
                        && m_port->setHandshaking(handshaking);
        QVERIFY2(ok == accepted, qPrintable(m_port->errorText()));
        if (!accepted) {
            QCOMPARE(m_port->Settings(), QStringLiteral("57600,n,8,1"));
            QCOMPARE(m_port->Handshaking(), 0);
        }
        termios tio{};
        QCOMPARE(::tcgetattr(m_link->slaveFd(), &tio), 0);
        const speed_t speed = ::cfgetospeed(&tio);
        QStringList seen{speed == B9600 ? "9600" : speed == B57600 ? "57600" : "other"};
        if (tio.c_cflag & CSTOPB)
            seen << "2stop";
        if (tio.c_cflag & CRTSCTS)
            seen << "rtscts";
        if ((tio.c_iflag & IXON) && (tio.c_iflag & IXOFF))
            seen << "xon";
        QTEST(seen.join(u' '), "line");
    }

    // With nothing named, COM1 opens the system's first port (here the pty),
    // also when the settings file names a path with a NUL. A port that cannot
    // be opened is named in the message, with where its name came from.
    void opensTheSystemsPortAndNamesTheDevice()
    {
        FakeComPorts fake;
        fake.list = {{m_link->slavePath(), true}};
        QSettings settings(QStringLiteral("RM4630K"), QStringLiteral("rm4630k-utility"));
        settings.setValue(QStringLiteral("ComPorts/COM1"),
                          QStringLiteral("/dev/") + QChar(0) + QStringLiteral("null"));
        settings.sync();
        QCOMPARE(ComPorts::device(1).problems.size(), 1);
        QVERIFY(m_port->setCommPort(1));
        QVERIFY2(openPort(), qPrintable(m_port->errorText()));
        QVERIFY(m_port->Output(QStringLiteral("A")));
        QTRY_COMPARE(m_fromPort, QByteArray("A"));
        QVERIFY(m_port->setPortOpen(false));

        fake.list = {{QStringLiteral("/dev/rm4630k-no-adapter"), true}};
        QVERIFY(!openPort());
        const QString refused = m_port->errorText();
        QVERIFY2(refused.startsWith(
                     QStringLiteral("COM1 (/dev/rm4630k-no-adapter) cannot be opened: "))
                     && refused.endsWith(QStringLiteral("COM1 opens /dev/rm4630k-no-adapter.")),
                 qPrintable(refused));

        qputenv("RM4630K_COM2", "/dev/rm4630k-missing");
        QVERIFY(m_port->setCommPort(2));
        QVERIFY(!openPort());
        QVERIFY2(m_port->errorText().startsWith(QStringLiteral(
                     "COM2 (/dev/rm4630k-missing, from RM4630K_COM2) cannot be opened: ")),
                 qPrintable(m_port->errorText()));
    }
};

QTEST_GUILESS_MAIN(TstMSComm)
#include "tst_mscomm.moc"
