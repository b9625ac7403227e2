// A device COM port that streams into the network client: 10 MB of console
// text pushed into one data connection of the window (shown, headless), next
// to the same bytes read by a plain QTcpSocket reader, in the same run.
//
//   bench_netclientstream [--rounds R] [--megabytes M] [--long L]
//
// Each round streams M MB (CR LF lines, some Chinese in code page 950) from a
// sender thread into the window's first data connection, until the receive
// box shows the round's end mark, then the same bytes into a plain reader.
// It reports both rates and the longest event-loop stall during the window's
// run; medians at the end. A last run streams L times M MB into the window
// without a pause and samples the heap in use and the resident memory after
// each M MB.
// Targets: at least 20 MB/s into the window, no stall above 100 ms, memory
// flat once the buffer is full (heap in use and resident memory of the last
// sample of the long run within 2 MB of its second: the first payload also
// warms the allocator up to the largest arrivals). The exit code is 0 when
// every target holds.

#include "app/windownames.h"
#include "app/windows.h"
#include "bench/support/benchtools.h"
#include "netclient/frmmain.h"
#include "netclient/netclient.h"
#include "netclient/receiveview.h"
#include "tests/support/simulatedportd.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>


#include <atomic>
#include <cstdio>
#include <vector>

namespace {

constexpr double kMB = 1024.0 * 1024.0;
constexpr qint64 kChunk = 64 * 1024;
// The sender keeps at most this much queued, as a device's line would.
constexpr qint64 kQueued = 256 * 1024;
constexpr int kRunTimeoutMs = 120000;

// Resident memory and heap in use, in MB.
double residentMB()
{
    return residentBytes() / kMB;
}

double heapMB()
{
    return heapInUse() / kMB;
}

// Listens on one port and streams to whoever connects, from its own thread;
// each stream() sends the payload once more, as fast as the reader takes it.
class Sender : public QObject
{
    Q_OBJECT

public:
    std::atomic<bool> connected{false};
    std::atomic<qint64> sent{0};

    bool listen(quint16 port)
    {
        bool ok = false;
        QMetaObject::invokeMethod(
            this, [&] { ok = m_server.listen(QHostAddress::LocalHost, port); },
            Qt::BlockingQueuedConnection);
        return ok;
    }
    quint16 port() const { return m_server.serverPort(); }

    void setPayload(const QByteArray &payload) { m_payload = payload; }

    // The payload repeats times without a pause, then tail.
    void stream(const QByteArray &tail, int repeats = 1)
    {
        QMetaObject::invokeMethod(this, [this, tail, repeats] {
            m_tail = tail;
            m_repeats = repeats;
            m_at = 0;
            sent = 0;
            pump();
        });
    }

    Sender()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                delete m_socket;
                m_socket = s;
                connect(s, &QTcpSocket::bytesWritten, this, &Sender::pump);
                connected = true;
            }
        });
    }

private:
    void pump()
    {
        if (!m_socket)
            return;
        // The payloads, then the tail, without copying any of them.
        const qint64 payloads = m_repeats * m_payload.size();
        const qint64 total = payloads + m_tail.size();
        while (m_at < total && m_socket->bytesToWrite() < kQueued) {
            if (m_at >= payloads) {
                m_socket->write(m_tail);
                m_at = total;
                break;
            }
            const qint64 offset = m_at % m_payload.size();
            const qint64 n = std::min(kChunk, m_payload.size() - offset);
            m_socket->write(m_payload.constData() + offset, n);
            m_at += n;
        }
        sent = m_at;
    }

    // A child, so that it moves to the sender's thread with it.
    QTcpServer m_server{this};
    QTcpSocket *m_socket = nullptr;
    QByteArray m_payload;
    QByteArray m_tail;
    qint64 m_repeats = 1;
    qint64 m_at = 0;
};

struct WindowRun
{
    double rate = 0;
    double stallMs = 0;
    bool complete = false;
};

QByteArray endMark(int round)
{
    return "\r\n#END-" + QByteArray::number(round) + "#";
}

WindowRun windowRun(frmMain *w, Sender &sender, qint64 bytes, int round)
{
    WindowRun run;
    const QString mark = QString::fromLatin1(endMark(round)).remove(QStringLiteral("\r\n"));
    StallProbe probe;
    probe.start();
    QElapsedTimer clock;
    clock.start();
    sender.stream(endMark(round));
    // Done when the box (and so its hex view) shows the end of the data.
    run.complete = runEventLoopUntil(
        [&] { return w->txtCommRx->textView().endsWith(mark) && w->txtCommRx->isUpToDate(); },
        kRunTimeoutMs, 1);
    const double seconds = clock.nsecsElapsed() / 1e9;
    run.stallMs = probe.stopMs();
    run.rate = bytes / kMB / seconds;
    return run;
}

double plainRun(Sender &sender, qint64 bytes, int round)
{
    sender.connected = false;
    QTcpSocket reader;
    reader.connectToHost(QHostAddress::LocalHost, sender.port());
    if (!runEventLoopUntil([&] { return sender.connected.load(); }, 5000))
        return 0;
    const qint64 total = bytes + endMark(round).size();
    qint64 got = 0;
    QObject::connect(&reader, &QTcpSocket::readyRead, [&] { got += reader.readAll().size(); });
    QElapsedTimer clock;
    clock.start();
    sender.stream(endMark(round));
    runEventLoopUntil([&] { return got >= total; }, kRunTimeoutMs, 1);
    const double seconds = clock.nsecsElapsed() / 1e9;
    return got >= total ? bytes / kMB / seconds : 0;
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
    const QCommandLineOption longOption(QStringLiteral("long"),
                                        QStringLiteral("Payloads streamed in the long run."),
                                        QStringLiteral("L"), QStringLiteral("10"));
    const QCommandLineOption sizeOption(QStringLiteral("megabytes"),
                                        QStringLiteral("MB streamed per round."),
                                        QStringLiteral("M"), QStringLiteral("10"));
    parser.addOptions({roundsOption, sizeOption, longOption});
    parser.process(app);
    const int rounds = std::max(1, parser.value(roundsOption).toInt());
    const int longRuns = std::max(2, parser.value(longOption).toInt());
    const qint64 bytes = qint64(std::max(1, parser.value(sizeOption).toInt()) * kMB);
    const QByteArray payload = consoleText(bytes);

    // The device: Portd on a control port, our senders on its first data
    // port (for the window) and on a port of their own (for the plain reader).
    QThread senderThread;
    senderThread.start();
    Sender windowSender;
    Sender plainSender;
    windowSender.moveToThread(&senderThread);
    plainSender.moveToThread(&senderThread);
    windowSender.setPayload(payload);
    plainSender.setPayload(payload);
    SimulatedPortd portd;
    portd.settings().moduleName = QStringLiteral("4630E1");
    bool listening = false;
    for (int attempt = 0; attempt < 20 && !listening; ++attempt)
        listening = portd.start(0, false) && windowSender.listen(portd.controlPort() + 1);
    if (!listening || !plainSender.listen(0)) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
        return 2;
    }

    registerNetclientWindows();
    frmMain *w = Windows::get<frmMain>(WindowName::frmMain);
    w->show();
    w->txtIP->setText(QStringLiteral("127.0.0.1"));
    w->txtPort->setText(QString::number(portd.controlPort()));
    w->cmdConnect->click();
    if (!w->flgConnect || !runEventLoopUntil([&] { return windowSender.connected.load(); }, 5000)) {
        std::fprintf(stderr, "the window did not connect\n");
        return 2;
    }

    std::printf("payload: %.1f MB per round, %d rounds; receive buffer %lld characters\n",
                payload.size() / kMB, rounds, qint64(CommData::CommBuffers::kBufferChars));
    std::vector<double> windowRates, plainRates, stalls;
    bool complete = true;
    for (int r = 0; r < rounds; ++r) {
        const WindowRun run = windowRun(w, windowSender, payload.size(), r);
        const double plain = plainRun(plainSender, payload.size(), r);
        complete = complete && run.complete && plain > 0;
        windowRates.push_back(run.rate);
        plainRates.push_back(plain);
        stalls.push_back(run.stallMs);
        std::printf("round %d: window %.1f MB/s (stall %.1f ms), plain reader %.1f MB/s%s\n",
                    r + 1, run.rate, run.stallMs, plain, run.complete ? "" : ", INCOMPLETE");
        std::fflush(stdout);
    }

    // The long run: memory after each payload, the stream going on.
    const int longRound = rounds;
    std::vector<double> heap, resident;
    StallProbe probe;
    probe.start();
    QElapsedTimer clock;
    clock.start();
    windowSender.stream(endMark(longRound), longRuns);
    for (int k = 1; k <= longRuns; ++k) {
        runEventLoopUntil([&] { return windowSender.sent.load() >= k * payload.size(); },
                          kRunTimeoutMs, 1);
        heap.push_back(heapMB());
        resident.push_back(residentMB());
    }
    const QString mark = QString::fromLatin1(endMark(longRound)).remove(QStringLiteral("\r\n"));
    const bool longComplete = runEventLoopUntil(
        [&] { return w->txtCommRx->textView().endsWith(mark) && w->txtCommRx->isUpToDate(); },
        kRunTimeoutMs, 1);
    const double longRate = longRuns * payload.size() / kMB / (clock.nsecsElapsed() / 1e9);
    const double longStall = probe.stopMs();
    complete = complete && longComplete;
    std::printf("long run of %.0f MB: window %.1f MB/s (stall %.1f ms)\n",
                longRuns * payload.size() / kMB, longRate, longStall);
    std::printf("heap in use per %.0f MB:", payload.size() / kMB);
    for (const double h : heap)
        std::printf(" %.1f", h);
    std::printf(" MB\nresident per %.0f MB: ", payload.size() / kMB);
    for (const double r : resident)
        std::printf(" %.1f", r);
    std::printf(" MB\n");

    const double windowMedian = median(windowRates);
    const double plainMedian = median(plainRates);
    const double worstStall = std::max(*std::max_element(stalls.begin(), stalls.end()), longStall);
    const double heapGrowth = heap.back() - heap[1];
    const double residentGrowth = resident.back() - resident[1];
    std::printf("\nmedian window throughput:      %.1f MB/s (target >= 20 MB/s)\n", windowMedian);
    std::printf("median plain reader (limit):   %.1f MB/s\n", plainMedian);
    std::printf("window / plain reader:         %.2f\n", windowMedian / plainMedian);
    std::printf("longest event-loop stall:      %.1f ms median, %.1f ms worst (target <= 100 ms)\n",
                median(stalls), worstStall);
    std::printf("memory in the long run:        heap %+.1f MB, resident %+.1f MB from the second "
                "sample to the last (target: within 2 MB); resident at the end %.1f MB\n",
                heapGrowth, residentGrowth, resident.back());
    std::printf("every run reached the end mark: %s\n", complete ? "yes" : "NO");

    Windows::clear();
    senderThread.quit();
    senderThread.wait();
    const bool ok = complete && windowMedian >= 20 && worstStall <= 100 && heapGrowth <= 2.0
                    && residentGrowth <= 2.0;
    std::printf("%s\n", ok ? "targets met" : "targets NOT met");
    return ok ? 0 : 1;
}

#include "bench_netclientstream.moc"
