// Echo throughput of the device-like server window's data ports against a
// plain QTcpServer echo, in the same run.
//
//   bench_serverecho [--rounds R] [--megabytes M]
//
// Each round streams M MB (default 10) through a plain QTcpServer echo and
// then through one data port of the window (round r uses port base + r, so
// that all rounds run against one loaded window), with a client in a thread of
// its own that keeps at most 1 MB in flight and checks every byte that comes
// back. It reports both throughputs and their ratio, the longest stall of the
// window's event loop, and the heap in use: with the window loaded, at its
// peak during each window stream, after each round and after unloading. The
// medians are the figures. Targets: ratio 0.5 or more, no stall above 100 ms,
// heap after the last round within 1 MiB of the heap after the first (the
// window stays loaded throughout). A last stream through the control port,
// which also shows each block in the window, is reported without a target.
// Exit code 0 when every target holds.

#include "app/windows.h"
#include "bench/support/benchtools.h"
#include "netclient/frmserver.h"
#include "netclient/netclient.h"
#include "netclient/serverlogic.h"
#include "tests/support/freeports.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr qint64 kInFlightBytes = 1024 * 1024;
constexpr qint64 kChunkBytes = 64 * 1024;
constexpr int kClientTimeoutMs = 20000;

double peakRssMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// Bytes of every kind but digits, so that the port numbers the window adds
// can be told apart.
QByteArray payloadOf(qsizetype size)
{
    QByteArray out(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) {
        char c = char((i * 7 + i / 251) & 0xff);
        if (c >= '0' && c <= '9')
            c = char(c + 0x40);
        out[i] = c;
    }
    return out;
}

// A client in a thread of its own: reads the greeting, then streams the
// payload and checks what comes back, skipping the digits the server adds.
class StreamClient : public QThread
{
public:
    StreamClient(quint16 port, const QByteArray &greeting, const QByteArray &payload)
        : m_port(port), m_greeting(greeting), m_payload(payload)
    {
    }
    double seconds = 0;
    bool ok = false;
    QString error;

protected:
    void run() override
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_port);
        if (!socket.waitForConnected(kClientTimeoutMs)) {
            error = QStringLiteral("cannot connect: ") + socket.errorString();
            return;
        }
        QByteArray greeting;
        while (greeting.size() < m_greeting.size()) {
            if (!socket.waitForReadyRead(kClientTimeoutMs)) {
                error = QStringLiteral("no greeting");
                return;
            }
            greeting += socket.readAll();
        }
        if (greeting != m_greeting) {
            error = QStringLiteral("wrong greeting: ") + QString::fromLatin1(greeting.toHex());
            return;
        }

        const qint64 total = m_payload.size();
        qint64 sent = 0;
        qint64 checked = 0;
        QElapsedTimer clock;
        clock.start();
        while (checked < total) {
            while (sent < total && sent - checked < kInFlightBytes) {
                const qint64 n = std::min(kChunkBytes, total - sent);
                socket.write(m_payload.constData() + sent, n);
                sent += n;
            }
            if (!socket.waitForReadyRead(kClientTimeoutMs)) {
                error = QStringLiteral("echo stopped after %1 of %2 bytes").arg(checked).arg(total);
                return;
            }
            const QByteArray data = socket.readAll();
            for (const char c : data) {
                if (c >= '0' && c <= '9')
                    continue;
                if (checked >= total || c != m_payload.at(checked)) {
                    error = QStringLiteral("wrong byte at %1").arg(checked);
                    return;
                }
                ++checked;
            }
        }
        seconds = clock.nsecsElapsed() / 1e9;
        ok = true;
    }

private:
    quint16 m_port;
    QByteArray m_greeting;
    const QByteArray &m_payload;
};

struct Stream
{
    double mbPerSecond = 0;
    double stallMs = 0;
    double peakHeap = 0;
    bool ok = false;
};

// Runs a client against port while the event loop of this thread serves it.
Stream stream(quint16 port, const QByteArray &greeting, const QByteArray &payload)
{
    Stream result;
    StreamClient client(port, greeting, payload);
    QEventLoop loop;
    QObject::connect(&client, &QThread::finished, &loop, &QEventLoop::quit);
    QTimer heapSampler;
    result.peakHeap = heapInUse();
    QObject::connect(&heapSampler, &QTimer::timeout,
                     [&] { result.peakHeap = std::max(result.peakHeap, heapInUse()); });
    StallProbe stalls;
    stalls.start();
    heapSampler.start(5);
    client.start();
    loop.exec();
    client.wait();
    heapSampler.stop();
    result.stallMs = stalls.stopMs();
    result.peakHeap = std::max(result.peakHeap, heapInUse());
    if (!client.ok)
        std::fprintf(stderr, "client: %s\n", qPrintable(client.error));
    result.ok = client.ok;
    result.mbPerSecond = client.ok ? payload.size() / 1e6 / client.seconds : 0;
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    useOffscreenUnlessSet();
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption roundsOption(QStringLiteral("rounds"),
                                          QStringLiteral("Rounds (1 to 8)."), QStringLiteral("R"),
                                          QStringLiteral("5"));
    const QCommandLineOption sizeOption(QStringLiteral("megabytes"),
                                        QStringLiteral("Megabytes per stream."),
                                        QStringLiteral("M"), QStringLiteral("10"));
    parser.addOptions({roundsOption, sizeOption});
    parser.process(app);
    const int rounds = std::clamp(parser.value(roundsOption).toInt(), 1, ServerLogic::kDataPorts);
    const qsizetype bytes = std::max(1, parser.value(sizeOption).toInt()) * qsizetype(1000000);
    const QByteArray payload = payloadOf(bytes);

    CountingDialogs dialogs;
    Dialogs::install(&dialogs);

    // The plain echo: every block written back as it comes.
    QTcpServer plain;
    if (!plain.listen(QHostAddress::LocalHost)) {
        std::fprintf(stderr, "plain echo cannot listen\n");
        return 2;
    }
    QObject::connect(&plain, &QTcpServer::newConnection, [&plain] {
        while (QTcpSocket *s = plain.nextPendingConnection()) {
            QObject::connect(s, &QIODevice::readyRead, s, [s] { s->write(s->readAll()); });
            QObject::connect(s, &QAbstractSocket::disconnected, s, &QObject::deleteLater);
        }
    });

    const int base = freeBasePort(ServerLogic::kDataPorts);
    if (base < 0) {
        std::fprintf(stderr, "no free ports for the window\n");
        return 2;
    }
    qputenv(ServerLogic::kBasePortVariable, QByteArray::number(base));
    registerNetclientWindows();
    const double heapBeforeWindow = heapInUse();
    auto *w = Windows::get<frmServer>(WindowName::frmServer);
    w->show();
    runEventLoopFor(50);
    const double heapAtStart = heapInUse();

    bool ok = true;
    std::vector<double> plainRates, windowRates, ratios, stalls;
    double heapAfterFirst = 0;
    double heapAfterLast = 0;
    double peakHeap = 0;
    for (int r = 0; r < rounds; ++r) {
        const Stream p = stream(plain.serverPort(), QByteArray(), payload);
        const Stream s = stream(quint16(base + r + 1), ServerLogic::dataGreeting(r), payload);
        runEventLoopFor(20); // the last port numbers and closes
        const double heapNow = heapInUse();
        if (r == 0)
            heapAfterFirst = heapNow;
        heapAfterLast = heapNow;
        peakHeap = std::max(peakHeap, s.peakHeap);
        ok = ok && p.ok && s.ok;
        plainRates.push_back(p.mbPerSecond);
        windowRates.push_back(s.mbPerSecond);
        ratios.push_back(p.mbPerSecond > 0 ? s.mbPerSecond / p.mbPerSecond : 0);
        stalls.push_back(s.stallMs);
        std::printf("round %d: plain echo %.1f MB/s, window port %d %.1f MB/s, ratio %.3f, "
                    "longest stall %.1f ms (plain %.1f ms), heap %.2f MiB (peak %.2f MiB)%s\n",
                    r + 1, p.mbPerSecond, base + r + 1, s.mbPerSecond, ratios.back(), s.stallMs,
                    p.stallMs, heapNow / 1048576, s.peakHeap / 1048576,
                    p.ok && s.ok ? "" : ", DATA WRONG");
        std::fflush(stdout);
    }
    // Not a target: the control port, which also shows each block in the
    // receive box.
    const Stream control = stream(quint16(base), ServerLogic::controlGreeting(), payload);
    ok = ok && control.ok;
    std::printf("control port %d: %.1f MB/s, longest stall %.1f ms, peak heap %.2f MiB%s\n", base,
                control.mbPerSecond, control.stallMs, control.peakHeap / 1048576,
                control.ok ? "" : ", DATA WRONG");
    Windows::clear();
    runEventLoopFor(50); // what goes with deleteLater
    const double heapAtEnd = heapInUse();

    const double ratio = median(ratios);
    const double longestStall = *std::max_element(stalls.begin(), stalls.end());
    std::printf("median: plain echo %.1f MB/s, window %.1f MB/s, ratio %.3f (target >= 0.5); "
                "median stall %.1f ms, longest %.1f ms (target <= 100)\n",
                median(plainRates), median(windowRates), ratio, median(stalls), longestStall);
    std::printf("heap: %.2f MiB before the window, %.2f MiB loaded, %.2f MiB after round 1, "
                "%.2f MiB after round %d, peak %.2f MiB during a stream, %.2f MiB after unloading; "
                "peak RSS %.1f MiB\n",
                heapBeforeWindow / 1048576, heapAtStart / 1048576, heapAfterFirst / 1048576,
                heapAfterLast / 1048576, rounds,
                peakHeap / 1048576, heapAtEnd / 1048576, peakRssMiB());
    Dialogs::install(nullptr);

    const bool flat = heapAfterLast - heapAfterFirst < 1048576.0;
    ok = ok && dialogs.texts.isEmpty() && ratio >= 0.5 && longestStall <= 100 && flat;
    if (!dialogs.texts.isEmpty())
        std::printf("boxes shown: %s\n", qPrintable(dialogs.texts.join(QStringLiteral(" | "))));
    std::printf("%s\n", ok ? "targets met" : "targets NOT met");
    return ok ? 0 : 1;
}
