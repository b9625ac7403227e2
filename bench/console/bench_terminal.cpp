// Pushes 10 MB through a pseudo-terminal into the running terminal pane as
// fast as the pane reads it, and, in the same run, through a plain reader of
// the same pseudo-terminal (the limit). Reports throughput, the longest stall
// of the event loop, and whether every character reached the display rules
// and the log.
#include "app/codepage.h"
#include "app/twips.h"
#include "console/controls.h"
#include "console/frmterminal.h"
#include "console/mscomm.h"
#include "bench/support/benchtools.h"
#include "tests/support/ptylink.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr qsizetype kPayloadBytes = 10 * 1024 * 1024;
constexpr int kRounds = 5;
constexpr double kMB = 1024.0 * 1024.0;

// Characters the display rules put in for the payload: LF goes, CR gets one.
qsizetype shownLength(const QByteArray &bytes)
{
    const QString text = Cp950::toUnicode(bytes);
    return text.size() - text.count(u'\n') + text.count(u'\r');
}

struct Result
{
    double seconds = 0;
    double firstHalfSeconds = 0;
    double stallMs = 0;
    bool complete = false;
};

Result runPane(frmTerminal &pane, PtyLink &link, const QByteArray &data, qsizetype expected)
{
    Result r;
    qsizetype logged = 0;
    QElapsedTimer clock;
    QEventLoop loop;
    pane.setLogSink([&](const QString &s) {
        if (logged < expected / 2 && logged + s.size() >= expected / 2)
            r.firstHalfSeconds = clock.nsecsElapsed() / 1e9;
        logged += s.size();
        if (logged >= expected)
            loop.quit();
    });
    pane.txtTerm->setText(QString());
    StallProbe probe;
    QTimer::singleShot(120000, &loop, &QEventLoop::quit); // a hung run still ends
    probe.start();
    clock.start();
    link.write(data);
    loop.exec();
    r.seconds = clock.nsecsElapsed() / 1e9;
    r.stallMs = probe.stopMs();
    r.complete = logged == expected
                 && pane.txtTerm->length() <= TerminalText::kCapChars + MSComm::kInBufferSize
                 && pane.txtTerm->text().endsWith(QStringLiteral("\r\n"));
    if (!r.complete)
        std::fprintf(stderr, "logged %lld of %lld, length %lld, tail %s\n",
                     static_cast<long long>(logged), static_cast<long long>(expected),
                     static_cast<long long>(pane.txtTerm->length()),
                     qPrintable(pane.txtTerm->text().right(30).toUtf8().toHex()));
    pane.setLogSink({});
    return r;
}

Result runPlain(PtyLink &link, const QByteArray &data)
{
    Result r;
    const int fd = ::open(link.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return r;
    qsizetype got = 0;
    QElapsedTimer clock;
    QEventLoop loop;
    QSocketNotifier notifier(fd, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        char buf[65536];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            if (got < data.size() / 2 && got + n >= data.size() / 2)
                r.firstHalfSeconds = clock.nsecsElapsed() / 1e9;
            got += n;
        }
        if (got >= data.size())
            loop.quit();
    });
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    StallProbe probe;
    probe.start();
    clock.start();
    link.write(data);
    loop.exec();
    r.seconds = clock.nsecsElapsed() / 1e9;
    r.stallMs = probe.stopMs();
    r.complete = got == data.size();
    notifier.setEnabled(false);
    ::close(fd);
    return r;
}

} // namespace

int main(int argc, char *argv[])
{
    useOffscreenUnlessSet();
    QApplication app(argc, argv);

    PtyLink link;
    if (!link.isOpen()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    qputenv("RM4630K_COM1", link.slavePath().toLocal8Bit());
    frmTerminal pane;
    pane.setFormWidthTwips(frmTerminal::kWideWidth);
    pane.show();

    const QByteArray data = consoleText(kPayloadBytes);
    const qsizetype expected = shownLength(data);
    std::printf("payload: %.1f MB, %lld characters on screen, %d rounds\n", data.size() / kMB,
                static_cast<long long>(expected), kRounds);

    std::vector<double> paneRate, plainRate, paneStall, plainStall, firstHalf, secondHalf;
    bool allComplete = true;
    for (int round = 0; round < kRounds; ++round) {
        pane.TogglePort(); // open
        if (!pane.MSComm1->PortOpen()) {
            std::fprintf(stderr, "cannot open %s\n", qPrintable(link.slavePath()));
            return 1;
        }
        const Result p = runPane(pane, link, data, expected);
        pane.TogglePort(); // close
        const Result q = runPlain(link, data);
        allComplete = allComplete && p.complete && q.complete;
        paneRate.push_back(data.size() / kMB / p.seconds);
        plainRate.push_back(data.size() / kMB / q.seconds);
        paneStall.push_back(p.stallMs);
        plainStall.push_back(q.stallMs);
        firstHalf.push_back(data.size() / 2 / kMB / p.firstHalfSeconds);
        secondHalf.push_back(data.size() / 2 / kMB / (p.seconds - p.firstHalfSeconds));
        std::printf("round %d: pane %.1f MB/s (stall %.1f ms%s), plain reader %.1f MB/s (stall %.1f ms)\n",
                    round + 1, paneRate.back(), p.stallMs, p.complete ? "" : ", INCOMPLETE",
                    plainRate.back(), q.stallMs);
    }

    const double paneMedian = median(paneRate);
    const double plainMedian = median(plainRate);
    std::printf("\nmedian pane throughput:        %.1f MB/s (target >= 3 MB/s)\n", paneMedian);
    std::printf("median plain reader (limit):   %.1f MB/s\n", plainMedian);
    std::printf("pane / plain reader:           %.2f\n", paneMedian / plainMedian);
    std::printf("pane first half / second half: %.1f / %.1f MB/s (work per arrival does not grow)\n",
                median(firstHalf), median(secondHalf));
    std::printf("longest event-loop stall:      pane %.1f ms median, %.1f ms worst (target <= 50 ms);"
                " plain %.1f ms\n",
                median(paneStall), *std::max_element(paneStall.begin(), paneStall.end()),
                median(plainStall));
    std::printf("every character reached the display rules and the log: %s\n",
                allComplete ? "yes" : "NO");
    return allComplete ? 0 : 1;
}
