// Polling speed of the Modbus/TCP test window against a local libmodbus server,
// next to a plain libmodbus client against the same server, in the same run.
//
//   bench_modbuspoll [--seconds S] [--rounds R] [--long L]
//
// Each round polls S seconds with the plain client, then S seconds through the
// window (shown, headless), and reports both rates and their ratio; the median
// ratio is the figure (target: 0.5 or more). A last run of L seconds through
// the window compares the polls per second of its last tenth with its first
// (target: 0.9 or more) and reports the resident memory of the process after
// its first minute and at its end (target: no more than 10 MiB of growth
// between them; the lists are full long before the first minute ends). Every
// window run checks that the statistics boxes equal the frames sent and the
// replies received, and that each list holds its latest lines. The exit code
// is 0 when every target holds.

#include "app/windows.h"
#include "modbus/linelist.h"
#include "modbus/modbus.h"
#include "modbus/modbustcp.h"
#include "net/winsock.h"
#include "bench/support/benchtools.h"
#include "tests/support/modbusserver.h"

#include <modbus.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The window's frame: 64 input registers from unit 0x21, as the plain client reads.
const QString kFrame = QStringLiteral("10 20 00 00 00 06 21 04 00 00 00 40");
constexpr int kReplyBytes = 137;
constexpr int kReplyLines = 11;
constexpr int kMemoryMarkMs = 60 * 1000;
constexpr double kMiB = 1024.0 * 1024.0;

// CPU time of the calling thread, user and system, in microseconds.
double threadCpuUs()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec * 1e6 + usage.ru_utime.tv_usec + usage.ru_stime.tv_sec * 1e6
           + usage.ru_stime.tv_usec;
}

double plainClientRate(int port, int ms)
{
    modbus_t *ctx = modbus_new_tcp("127.0.0.1", port);
    if (!ctx || modbus_connect(ctx) != 0) {
        std::fprintf(stderr, "plain client cannot connect\n");
        if (ctx)
            modbus_free(ctx);
        return 0;
    }
    modbus_set_slave(ctx, 0x21);
    uint16_t regs[64];
    long polls = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        if (modbus_read_input_registers(ctx, 0, 64, regs) != 64) {
            std::fprintf(stderr, "plain client read failed\n");
            break;
        }
        ++polls;
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    modbus_close(ctx);
    modbus_free(ctx);
    return polls / seconds;
}

struct WindowRun
{
    double rate = 0;
    double cpuUsPerPoll = 0;
    bool exact = false;
    std::vector<double> tenthRates;
    std::vector<double> tenthCpuUsPerPoll; // the window's own work, whatever else the machine runs
    long lines = 0;         // lines the lists hold at the end
    double listBytes = 0;   // bytes the lists hold for them
    double rssAtMinute = 0; // resident bytes after the first minute; 0 in shorter runs
    double rssAtEnd = 0;
};

WindowRun windowRate(ModbusTestServer &server, int ms, CountingDialogs &dialogs)
{
    WindowRun run;
    registerModbusWindows();
    auto *w = Windows::get<ModbusTCP>(QStringLiteral("ModbusTCP"));
    w->show();
    w->ServeripText->setText(QStringLiteral("127.0.0.1"));
    w->ServerPortText->setText(QString::number(server.port()));
    w->cmdConnect->click();
    if (!runEventLoopUntil([w] { return w->cmdSend->isEnabled(); }, 5000, 5)) {
        std::fprintf(stderr, "window cannot connect\n");
        Windows::clear();
        return run;
    }
    w->txtString->setText(kFrame);
    const long requestsBefore = server.requests();

    // Samples of the replies counted, each tenth of the run.
    struct Sample
    {
        qint64 ns;
        qint64 replies;
        double cpuUs;
    };
    std::vector<Sample> samples;
    QElapsedTimer clock;
    QTimer sampler;
    sampler.setTimerType(Qt::PreciseTimer);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        // Nine inner marks; the end of the run closes the tenth tenth.
        if (samples.size() < 10)
            samples.push_back({clock.nsecsElapsed(), w->counters().recvPackets, threadCpuUs()});
    });
    QTimer minuteMark;
    minuteMark.setSingleShot(true);
    QObject::connect(&minuteMark, &QTimer::timeout, [&run] { run.rssAtMinute = residentBytes(); });
    clock.start();
    const double cpuBefore = threadCpuUs();
    samples.push_back({0, 0, cpuBefore});
    sampler.start(ms / 10);
    if (ms > kMemoryMarkMs)
        minuteMark.start(kMemoryMarkMs);
    w->cmdStartPolling->click();
    runEventLoopFor(ms);
    run.rssAtEnd = residentBytes();
    sampler.stop();
    const qint64 replies = w->counters().recvPackets;
    run.cpuUsPerPoll = replies > 0 ? (threadCpuUs() - cpuBefore) / replies : 0;
    const double seconds = clock.nsecsElapsed() / 1e9;
    samples.push_back({clock.nsecsElapsed(), replies, threadCpuUs()});
    w->cmdStopPolling->click();
    runEventLoopUntil(
        [w] { return w->counters().recvBytes == w->counters().sendPackets * kReplyBytes; }, 5000, 5);
    // The boxes are redrawn a few times a second: give them their last turn.
    runEventLoopUntil(
        [w] { return w->txtReceivePacket->text() == QString::number(w->counters().recvPackets); },
        1000, 5);

    run.rate = replies / seconds;
    for (size_t i = 1; i < samples.size(); ++i) {
        const double dt = (samples[i].ns - samples[i - 1].ns) / 1e9;
        const qint64 polls = samples[i].replies - samples[i - 1].replies;
        if (dt > 0)
            run.tenthRates.push_back(polls / dt);
        run.tenthCpuUsPerPoll.push_back(polls > 0 ? (samples[i].cpuUs - samples[i - 1].cpuUs) / polls : 0);
    }

    // What the boxes finally show against what was sent and received, and the
    // latest lines in the lists.
    const ModbusCounters &c = w->counters();
    const qint64 sendLines = std::min<qint64>(c.sendPackets, LineList::kMaxLines);
    const qint64 receiveLines = std::min<qint64>(c.recvPackets * kReplyLines, LineList::kMaxLines);
    const QString lastSendLine = QStringLiteral("10 20 00 00 00 06 --> 21 04 00 00 00 40 ");
    run.exact = w->txtSendPacket->text() == QString::number(c.sendPackets)
                && w->txtReceivePacket->text() == QString::number(c.recvPackets)
                && w->txtSendByte->text() == QString::number(c.sendPackets * 12)
                && w->txtReceiveByte->text() == QString::number(c.recvPackets * kReplyBytes)
                && w->txtDiffPacket->text() == QStringLiteral("0")
                && w->txtDiffPercent->text() == QStringLiteral("0.00 %")
                && c.sendPackets == server.requests() - requestsBefore
                && c.recvPackets == c.sendPackets
                && w->lstSend->count() == sendLines && w->lstReceive->count() == receiveLines
                && w->lstSend->text(w->lstSend->count() - 1) == lastSendLine
                && w->lstSend->currentRow() == w->lstSend->count() - 1
                && w->lstReceive->currentRow() == w->lstReceive->count() - 1
                && dialogs.texts.isEmpty();
    if (!run.exact) {
        std::fprintf(stderr,
                     "statistics differ: boxes sent %s recv %s, counted sent %lld recv %lld, "
                     "server %ld, lists %d/%d, boxes shown %lld\n",
                     qPrintable(w->txtSendPacket->text()), qPrintable(w->txtReceivePacket->text()),
                     c.sendPackets, c.recvPackets, server.requests() - requestsBefore,
                     w->lstSend->count(), w->lstReceive->count(), qint64(dialogs.texts.size()));
    }
    run.lines = w->lstSend->count() + w->lstReceive->count();
    run.listBytes = double(w->lstSend->memoryBytes() + w->lstReceive->memoryBytes());
    w->cmdClose->click();
    Windows::clear();
    return run;
}

} // namespace

int main(int argc, char *argv[])
{
    useOffscreenUnlessSet();
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("Seconds per run."),
                                           QStringLiteral("S"), QStringLiteral("3"));
    const QCommandLineOption roundsOption(QStringLiteral("rounds"), QStringLiteral("Rounds."),
                                          QStringLiteral("R"), QStringLiteral("5"));
    const QCommandLineOption longOption(QStringLiteral("long"),
                                        QStringLiteral("Seconds of the long run."),
                                        QStringLiteral("L"), QStringLiteral("180"));
    parser.addOptions({secondsOption, roundsOption, longOption});
    parser.process(app);
    const int runMs = std::max(1, parser.value(secondsOption).toInt()) * 1000;
    const int rounds = std::max(1, parser.value(roundsOption).toInt());
    const int longMs = std::max(1, parser.value(longOption).toInt()) * 1000;

    ModbusTestServer server;
    if (!server.start()) {
        std::fprintf(stderr, "server: %s\n", server.error().c_str());
        return 2;
    }
    CountingDialogs dialogs;
    Dialogs::install(&dialogs);

    bool ok = true;
    std::vector<double> plainRates, windowRates, ratios;
    for (int r = 0; r < rounds; ++r) {
        const double plain = plainClientRate(server.port(), runMs);
        const WindowRun run = windowRate(server, runMs, dialogs);
        ok = ok && run.exact;
        plainRates.push_back(plain);
        windowRates.push_back(run.rate);
        ratios.push_back(plain > 0 ? run.rate / plain : 0);
        std::printf("round %d: plain %.0f polls/s, window %.0f polls/s (%.1f us CPU per poll), "
                    "ratio %.3f, statistics %s\n",
                    r + 1, plain, run.rate, run.cpuUsPerPoll, ratios.back(),
                    run.exact ? "exact" : "WRONG");
        std::fflush(stdout);
    }
    const double ratio = median(ratios);
    std::printf("median: plain %.0f polls/s, window %.0f polls/s, ratio %.3f (target >= 0.5)\n",
                median(plainRates), median(windowRates), ratio);

    const WindowRun longRun = windowRate(server, longMs, dialogs);
    ok = ok && longRun.exact;
    const auto &t = longRun.tenthRates;
    const double firstTenth = t.empty() ? 0 : t.front();
    const double lastTenth = t.empty() ? 0 : t.back();
    const double growth = firstTenth > 0 ? lastTenth / firstTenth : 0;
    std::printf("long run %d s: %.0f polls/s, first tenth %.0f polls/s, last "
                "tenth %.0f polls/s, last/first %.3f (target >= 0.9), statistics %s\n",
                longMs / 1000, longRun.rate, firstTenth, lastTenth, growth,
                longRun.exact ? "exact" : "WRONG");
    std::printf("polls/s per tenth:");
    for (const double r : t)
        std::printf(" %.0f", r);
    std::printf("\nCPU us per poll per tenth:");
    for (const double us : longRun.tenthCpuUsPerPoll)
        std::printf(" %.1f", us);
    std::printf("\n");
    std::printf("lists: %ld lines kept (at most %lld each), %.2f MiB held for them\n",
                longRun.lines, qint64(LineList::kMaxLines), longRun.listBytes / kMiB);
    const bool memoryMeasured = longRun.rssAtMinute > 0;
    const double memoryGrowth = (longRun.rssAtEnd - longRun.rssAtMinute) / kMiB;
    if (memoryMeasured) {
        std::printf("resident memory: %.1f MiB after the first minute, %.1f MiB at the end, "
                    "growth %.1f MiB (target <= 10)\n",
                    longRun.rssAtMinute / kMiB, longRun.rssAtEnd / kMiB, memoryGrowth);
    } else {
        std::printf("resident memory: %.1f MiB at the end (a long run of more than %d s also "
                    "measures the growth after the first minute)\n",
                    longRun.rssAtEnd / kMiB, kMemoryMarkMs / 1000);
    }

    Dialogs::install(nullptr);
    server.stop();
    ok = ok && ratio >= 0.5 && growth >= 0.9 && (!memoryMeasured || memoryGrowth <= 10);
    std::printf("%s\n", ok ? "targets met" : "targets NOT met");
    return ok ? 0 : 1;
}
