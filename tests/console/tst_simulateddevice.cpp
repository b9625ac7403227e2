#include "app/codepage.h"
#include "console/mscomm.h"
#include "tests/support/simulateddevice.h"

#include <QElapsedTimer>
#include <QTest>

// The simulated device answers the console dialogue as later tests expect.
class TstSimulatedDevice : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SimulatedDevice> m_dev;
    std::unique_ptr<MSComm> m_port;
    QString m_seen;

    // Sends text and waits until what came back ends with tail.
    bool exchange(const QString &text, const QString &tail)
    {
        m_seen.clear();
        m_port->Output(text);
        return QTest::qWaitFor([&] { return m_seen.endsWith(tail); }, 5000);
    }

private slots:
    void init()
    {
        m_dev = std::make_unique<SimulatedDevice>();
        m_dev->attachAs(4);
        m_port = std::make_unique<MSComm>();
        QVERIFY(m_port->setCommPort(4));
        QVERIFY(m_port->setPortOpen(true));
        connect(m_port.get(), &MSComm::OnComm, this, [this] { m_seen += m_port->Input(); });
    }
    void cleanup()
    {
        m_port.reset();
        m_dev.reset();
    }

    void menuChangesTheDevice()
    {
        QVERIFY(exchange(QStringLiteral("\r"), QStringLiteral("A:\\>")));
        QVERIFY(exchange(QStringLiteral("NVCONF.EXE\r"), QStringLiteral("Select: ")));
        QVERIFY(m_seen.contains(QStringLiteral("U : Modify fUnction FF\r\n")));
        QVERIFY(exchange(QStringLiteral("B"), QStringLiteral(": ")));
        QVERIFY(exchange(QStringLiteral("3\r"), QStringLiteral(": ")));
        QVERIFY(exchange(QStringLiteral("115200\r"), QStringLiteral("Select: ")));
        QVERIFY(m_seen.contains(QStringLiteral("1:57600 2:9600 3:115200 4:9600 \r\n")));
        QVERIFY(exchange(QStringLiteral("U\r"), QStringLiteral(": ")));
        QVERIFY(exchange(QStringLiteral("251\r"), QStringLiteral("Select: ")));
        QVERIFY(m_seen.contains(QStringLiteral("U : Modify fUnction FB\r\n")));
        QVERIFY(exchange(QStringLiteral("I"), QStringLiteral(": ")));
        QVERIFY(exchange(QStringLiteral("192.168.1.11\r"), QStringLiteral("Select: ")));
        QVERIFY(m_seen.contains(QStringLiteral("I : Modify IP ADDR  192.168.  1. 11\r\n")));
        QVERIFY(exchange(QStringLiteral("F"), QStringLiteral("Select: ")));
        QVERIFY(m_seen.contains(QStringLiteral("I : Modify IP ADDR  192.  9. 40.100\r\n")));
        QVERIFY(exchange(QStringLiteral("Q"), QStringLiteral("A:\\>")));
        QCOMPARE(m_dev->actions(), (QStringList{"NVCONF.EXE", "menu B 3 115200", "menu U 251",
                                                "menu I 192.168.1.11", "menu F", "menu Q"}));
        QCOMPARE(m_dev->received(), QByteArray("\rNVCONF.EXE\rB3\r115200\rU\r251\rI192.168.1.11\rFQ"));
    }

    void commandsAtThePrompt()
    {
        QVERIFY(exchange(QStringLiteral("DIR\r"), QStringLiteral("A:\\>")));
        QVERIFY(m_seen.contains(QStringLiteral("NVCONF   EXE")));
        QVERIFY(exchange(QStringLiteral("RESET\r"), QStringLiteral("A:\\>")));
        QCOMPARE(m_dev->mode(), SimulatedDevice::Mode::Prompt);
        QVERIFY(exchange(QStringLiteral("Q\r"), QStringLiteral("Bad command or file name\r\n\r\nA:\\>")));
    }

    void silentAndSlow()
    {
        m_dev->setReplyDelay(300);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(exchange(QStringLiteral("\r"), QStringLiteral("A:\\>")));
        QVERIFY(clock.elapsed() >= 300);
        m_dev->setReplyDelay(0);
        m_dev->setSilent(true);
        m_seen.clear();
        m_port->Output(QStringLiteral("\r"));
        QTRY_COMPARE(m_dev->received(), QByteArray("\r\r"));
        // Answers keep their order: had the silent device answered, that
        // answer would come before this one.
        m_dev->setSilent(false);
        m_port->Output(QStringLiteral("\r"));
        QTRY_VERIFY(m_seen.endsWith(QStringLiteral("A:\\>")));
        QCOMPARE(m_seen, QStringLiteral("\r\nA:\\>"));
    }
};

QTEST_GUILESS_MAIN(TstSimulatedDevice)
#include "tst_simulateddevice.moc"
