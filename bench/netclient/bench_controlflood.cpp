// A device that floods the network client's control connection: after the
// identity queries, a device in a process of its own (this program, started
// with --device) streams console text (some Chinese in code page 950) into
// the control connection of the window (shown, headless) as fast as the
// window takes it, so that the memory measured is the window's alone.
//
//   bench_controlflood [--rounds R] [--megabytes M] [--queued K]
//
// Each round floods M MB; the device keeps up to K KB queued besides what
// the system's buffers hold. It reports per round the rate taken, the longest
// event-loop stall, and the peak heap in use and resident memory sampled
// every 20 ms; medians at the end.
// Targets: no stall above 100 ms, peak resident memory within 32 MB of what
// the process held before the first flood. The exit code is 0 when they hold.

#include "app/windownames.h"
#include "app/windows.h"
#include "bench/support/benchtools.h"
#include "netclient/frmmain.h"
#include "netclient/netclient.h"
#include "net/winsock.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QHostAddress>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QProcess>

#include <cstdio>
#include <vector>

namespace {

constexpr double kMB = 1024.0 * 1024.0;
constexpr qint64 kChunk = 64 * 1024;
constexpr int kRunTimeoutMs = 300000;
constexpr int kSampleMs = 20;

// The flood's request on the control connection.
const QByteArray kFloodRequest = "11flood";

// The device's control port: answers the identity queries, and floods the
// payload once per flood request.
class FloodingPortd : public QObject
{
    Q_OBJECT

public:
    // The control port and, after it, the data port of the one COM port that
    // the module name gives, so that the window's data connection stays here.
    bool listen()
    {
        for (int attempt = 0; attempt < 20; ++attempt) {
            if (!m_server.listen(QHostAddress::LocalHost, 0))
                return false;
            if (m_server.serverPort() < 65535
                && m_data.listen(QHostAddress::LocalHost, m_server.serverPort() + 1))
                return true;
            m_server.close();
        }
        return false;
    }
    quint16 port() const { return m_server.serverPort(); }

    void setPayload(const QByteArray &payload) { m_payload = payload; }
    // The sender keeps at most this much queued beyond what the system took.
    void setQueued(qint64 bytes) { m_queued = bytes; }

    FloodingPortd()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                if (m_socket) {
                    s->abort();
                    continue;
                }
                m_socket = s;
                connect(s, &QTcpSocket::disconnected, qApp, &QCoreApplication::quit);
                connect(s, &QTcpSocket::readyRead, this, &FloodingPortd::answer);
                connect(s, &QTcpSocket::bytesWritten, this, &FloodingPortd::pump);
            }
        });
    }

private:
    void answer()
    {
        const QByteArray request = m_socket->readAll();
        if (m_flooding)
            return;
        if (request.startsWith(kFloodRequest)) {
            m_flooding = true;
            m_at = 0;
            pump();
            return;
        }
        const char *reply = request.startsWith("10")   ? "4630E1"
                            : request.startsWith("01") ? "V1.0.00[01/06/2003]"
                            : request.startsWith("13") ? "192.9.40.254"
                            : request.startsWith("15") ? "255.255.255.0"
                            : request.startsWith("21") ? "00:00:f1:86:97:a6"
                            : request.startsWith("16") ? "19200,8,0,1"
                                                       : "OK.";
        m_socket->write(reply);
    }

    void pump()
    {
        if (!m_socket || !m_flooding)
            return;
        const qint64 total = m_payload.size();
        while (m_at < total && m_socket->bytesToWrite() < m_queued) {
            const qint64 n = std::min(kChunk, total - m_at);
            m_socket->write(m_payload.constData() + m_at, n);
            m_at += n;
        }
        if (m_at >= total)
            m_flooding = false;
    }

    QTcpServer m_server;
    // Its connections (children of it) stay idle.
    QTcpServer m_data;
    QTcpSocket *m_socket = nullptr;
    QByteArray m_payload;
    qint64 m_at = 0;
    qint64 m_queued = 256 * 1024;
    bool m_flooding = false;
};

struct Round
{
    double rate = 0;
    double stallMs = 0;
    double peakHeapMB = 0;
    double peakResidentMB = 0;
    bool complete = false;
};

Round floodRound(frmMain *w, qint64 bytes)
{
    Round r;
    qint64 received = 0;
    const QMetaObject::Connection counting = QObject::connect(
        w->tcpPC, &Winsock::DataArrival, [&received](qint64 n) { received += n; });
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&r] {
        r.peakHeapMB = std::max(r.peakHeapMB, heapInUse() / kMB);
        r.peakResidentMB = std::max(r.peakResidentMB, residentBytes() / kMB);
    });
    sampler.start(kSampleMs);
    StallProbe probe;
    probe.start();
    QElapsedTimer clock;
    clock.start();
    w->tcpPC->SendData(kFloodRequest);
    r.complete = runEventLoopUntil([&] { return received >= bytes; }, kRunTimeoutMs, 1);
    r.rate = bytes / kMB / (clock.nsecsElapsed() / 1e9);
    r.stallMs = probe.stopMs();
    sampler.stop();
    r.peakHeapMB = std::max(r.peakHeapMB, heapInUse() / kMB);
    r.peakResidentMB = std::max(r.peakResidentMB, residentBytes() / kMB);
    QObject::disconnect(counting);
    return r;
}

} // namespace

int main(int argc, char *argv[])
{
    useOffscreenUnlessSet();
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption roundsOption(QStringLiteral("rounds"), QStringLiteral("Rounds."),
                                          QStringLiteral("R"), QStringLiteral("5"));
    const QCommandLineOption sizeOption(QStringLiteral("megabytes"),
                                        QStringLiteral("MB flooded per round."),
                                        QStringLiteral("M"), QStringLiteral("64"));
    const QCommandLineOption queuedOption(QStringLiteral("queued"),
                                          QStringLiteral("KB the sender keeps queued."),
                                          QStringLiteral("K"), QStringLiteral("256"));
    const QCommandLineOption deviceOption(QStringLiteral("device"),
                                          QStringLiteral("Run as the flooding device."));
    parser.addOptions({roundsOption, sizeOption, queuedOption, deviceOption});
    parser.process(app);
    const int rounds = std::max(1, parser.value(roundsOption).toInt());

    if (parser.isSet(deviceOption)) {
        // Tells its port and the payload's size on one line, then serves until
        // the window goes.
        FloodingPortd device;
        const QByteArray payload =
            consoleText(qint64(std::max(1, parser.value(sizeOption).toInt()) * kMB));
        device.setPayload(payload);
        device.setQueued(qint64(std::max(1, parser.value(queuedOption).toInt())) * 1024);
        if (!device.listen())
            return 2;
        std::printf("%d %lld\n", int(device.port()), qlonglong(payload.size()));
        std::fflush(stdout);
        return app.exec();
    }

    QProcess deviceProcess;
    deviceProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    deviceProcess.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--device"), QStringLiteral("--megabytes"),
                         parser.value(sizeOption), QStringLiteral("--queued"),
                         parser.value(queuedOption)});
    if (!deviceProcess.waitForStarted() || !deviceProcess.waitForReadyRead(60000)) {
        std::fprintf(stderr, "the device did not start\n");
        return 2;
    }
    const QList<QByteArray> line = deviceProcess.readLine().trimmed().split(' ');
    const quint16 port = line.value(0).toUShort();
    const qint64 payloadSize = line.value(1).toLongLong();
    if (port == 0 || payloadSize <= 0) {
        std::fprintf(stderr, "the device cannot listen on 127.0.0.1\n");
        return 2;
    }

    registerNetclientWindows();
    frmMain *w = Windows::get<frmMain>(WindowName::frmMain);
    w->show();
    w->txtIP->setText(QStringLiteral("127.0.0.1"));
    w->txtPort->setText(QString::number(port));
    w->cmdConnect->click();
    if (!w->flgConnect) {
        std::fprintf(stderr, "the window did not connect\n");
        return 2;
    }
    // The doubled query's second reply settles first.
    runEventLoopFor(300);
    const double baseResident = residentBytes() / kMB;
    const double baseHeap = heapInUse() / kMB;

    std::printf("flood: %.1f MB per round, %d rounds; before: heap %.1f MB, resident %.1f MB\n",
                payloadSize / kMB, rounds, baseHeap, baseResident);
    std::vector<double> rates, stalls, heaps, residents;
    bool complete = true;
    for (int i = 0; i < rounds; ++i) {
        const Round r = floodRound(w, payloadSize);
        complete = complete && r.complete;
        rates.push_back(r.rate);
        stalls.push_back(r.stallMs);
        heaps.push_back(r.peakHeapMB);
        residents.push_back(r.peakResidentMB);
        std::printf("round %d: %.1f MB/s taken, stall %.1f ms, peak heap %.1f MB, peak resident "
                    "%.1f MB%s\n",
                    i + 1, r.rate, r.stallMs, r.peakHeapMB, r.peakResidentMB,
                    r.complete ? "" : ", INCOMPLETE");
        std::fflush(stdout);
    }
    const double stall = median(stalls);
    const double resident = median(residents);
    std::printf("\nmedian rate taken:             %.1f MB/s\n", median(rates));
    std::printf("longest event-loop stall:      %.1f ms median, %.1f ms worst (target <= 100 ms)\n",
                stall, *std::max_element(stalls.begin(), stalls.end()));
    std::printf("peak heap in use:              %.1f MB median (%.1f before)\n", median(heaps),
                baseHeap);
    std::printf("peak resident memory:          %.1f MB median (%.1f before; target: within 32 MB)\n",
                resident, baseResident);
    std::printf("every round taken whole:       %s\n", complete ? "yes" : "NO");

    Windows::clear();
    deviceProcess.kill();
    deviceProcess.waitForFinished();
    const bool ok = complete && stall <= 100 && resident - baseResident <= 32;
    std::printf("%s\n", ok ? "targets met" : "targets NOT met");
    return ok ? 0 : 1;
}

#include "bench_controlflood.moc"
