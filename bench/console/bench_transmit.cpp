// Text-file transmission and the capture log, measured in one run:
// - a 4 MB file sent by the toolbar's transmission (block by block, waiting
//   for the port to drain between blocks) against the same bytes handed to
//   the port in one piece, both into a plain reader of a pseudo-terminal;
// - 10 MB of console text taken in by the terminal pane with a log file open
//   against the same without a log.
// - a full disk: 10 MB of console text taken in while the question about a
//   failed log write is open, and the memory that it holds meanwhile.
// Reports medians, same-run ratios and the longest stall of the event loop.
#include "app/codepage.h"
#include "app/dialogs.h"
#include "console/controls.h"
#include "console/frmterminal.h"
#include "console/mscomm.h"
#include "console/terminallog.h"
#include "bench/support/benchtools.h"
#include "tests/support/ptylink.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

constexpr qsizetype kFileBytes = 4 * 1024 * 1024;
constexpr qsizetype kTextBytes = 10 * 1024 * 1024;
constexpr int kRounds = 5;
constexpr double kMB = 1024.0 * 1024.0;

// Answers every file dialog with one path and every box with its first button
// but No; a Retry/Cancel question runs whileAsked, which answers it.
class FixedDialogs : public Dialogs
{
public:
    QString path;
    std::function<QMessageBox::StandardButton()> whileAsked;
    QMessageBox::StandardButton message(QWidget *, const QString &text,
                                        QMessageBox::StandardButtons buttons, QMessageBox::Icon,
                                        const QString &) override
    {
        if (buttons.testFlag(QMessageBox::Retry) && whileAsked)
            return whileAsked();
        std::fprintf(stderr, "box: %s\n", qPrintable(text));
        return buttons.testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
    }
    QString input(QWidget *, const QString &, const QString &, const QString &) override
    {
        return QString();
    }
    QString openFile(QWidget *, const QString &, const QString &) override { return path; }
    QString saveFile(QWidget *, const QString &, const QString &) override { return path; }
};

// Memory taken from malloc, large blocks included.
double allocatedBytes()
{
    const struct mallinfo2 m = mallinfo2();
    return static_cast<double>(m.uordblks + m.hblkhd);
}

// Runs the event loop until done() or 120 s.
void waitFor(const std::function<bool()> &done)
{
    runEventLoopUntil(done, 120000);
}

} // namespace

int main(int argc, char *argv[])
{
    useOffscreenUnlessSet();
    QApplication app(argc, argv);
    FixedDialogs dialogs;
    Dialogs::install(&dialogs);
    QTemporaryDir dir;

    PtyLink link;
    qsizetype got = 0;
    QObject::connect(&link, &PtyLink::received, [&](const QByteArray &b) { got += b.size(); });
    qputenv("RM4630K_COM1", link.slavePath().toLocal8Bit());
    frmTerminal pane;
    pane.show();
    pane.TogglePort();
    if (!pane.MSComm1->PortOpen()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(link.slavePath()));
        return 1;
    }

    QByteArray file(kFileBytes, Qt::Uninitialized);
    for (qsizetype i = 0; i < file.size(); ++i)
        file[i] = char((i * 37 + 11) % 256);
    const QString filePath = dir.filePath(QStringLiteral("send.txt"));
    QFile f(filePath);
    if (!f.open(QIODevice::WriteOnly) || f.write(file) != file.size())
        return 1;
    f.close();
    const QByteArray text = consoleText(kTextBytes);
    // The whole last line, with its number.
    const QString tail = Cp950::toUnicode(text.mid(text.lastIndexOf('\n', text.size() - 3) + 1));

    std::vector<double> sendRate, plainRate, sendStall, logRate, noLogRate;
    bool complete = true;
    for (int round = 0; round < kRounds; ++round) {
        // Transmission, block by block.
        got = 0;
        dialogs.path = filePath;
        QElapsedTimer clock;
        double stall = 0;
        {
            StallProbe probe;
            probe.start();
            clock.start();
            pane.TransmitTextFile->trigger();
            waitFor([&] { return got >= file.size(); });
            stall = probe.stopMs();
        }
        const double sendSeconds = clock.nsecsElapsed() / 1e9;
        if (got != file.size())
            std::fprintf(stderr, "transmission: %lld of %lld bytes\n", static_cast<long long>(got),
                         static_cast<long long>(file.size()));
        complete = complete && got == file.size();

        // The same bytes in one piece.
        got = 0;
        clock.start();
        pane.MSComm1->OutputBytes(file);
        waitFor([&] { return got >= file.size(); });
        const double plainSeconds = clock.nsecsElapsed() / 1e9;
        complete = complete && got == file.size();

        // Intake with and without a log.
        double intake[2] = {};
        for (const bool withLog : {false, true}) {
            const QString logPath = dir.filePath(QStringLiteral("round%1.log").arg(round));
            if (withLog) {
                dialogs.path = logPath;
                pane.OpenLogFile->trigger();
            }
            pane.txtTerm->setText(QString());
            clock.start();
            link.write(text);
            waitFor([&] { return pane.txtTerm->text().endsWith(tail); });
            intake[withLog] = clock.nsecsElapsed() / 1e9;
            if (withLog) {
                pane.CloseLogFile->trigger();
                QFile log(logPath);
                if (log.size() != text.size())
                    std::fprintf(stderr, "log holds %lld of %lld bytes\n",
                                 static_cast<long long>(log.size()),
                                 static_cast<long long>(text.size()));
                complete = complete && log.size() == text.size();
            }
        }

        sendRate.push_back(file.size() / kMB / sendSeconds);
        plainRate.push_back(file.size() / kMB / plainSeconds);
        sendStall.push_back(stall);
        noLogRate.push_back(text.size() / kMB / intake[0]);
        logRate.push_back(text.size() / kMB / intake[1]);
        std::printf("round %d: transmission %.1f MB/s (stall %.1f ms), one piece %.1f MB/s; "
                    "intake %.1f MB/s without log, %.1f MB/s with log\n",
                    round + 1, sendRate.back(), stall, plainRate.back(), noLogRate.back(),
                    logRate.back());
    }

    // A full disk: the first arrival fails, and the rest of a long flood
    // comes while the question is open (in one stream: the port reads on
    // while it has bytes waiting).
    const QByteArray floodEnd = "end of flood\r\n";
    const qsizetype floodBytes = 3 * text.size() + floodEnd.size();
    dialogs.path = QStringLiteral("/dev/full");
    pane.OpenLogFile->trigger();
    pane.txtTerm->setText(QString());
    double allocatedAsked = 0, allocatedFlooded = 0;
    qsizetype held = 0;
    bool asked = false;
    dialogs.whileAsked = [&] {
        asked = true;
        allocatedAsked = allocatedBytes();
        waitFor([&] { return pane.txtTerm->text().endsWith(QLatin1String(floodEnd)); });
        allocatedFlooded = allocatedBytes();
        held = pane.hLogFile ? pane.hLogFile->heldBytes() : 0;
        return QMessageBox::Cancel;
    };
    // A temporary: the link's copy is the only one, so that its compaction
    // allocates nothing while memory is measured.
    link.write(text + text + text + floodEnd);
    waitFor([&] { return asked && !pane.hLogFile; });
    dialogs.whileAsked = nullptr;
    complete = complete && asked && allocatedFlooded > 0;

    std::printf("\nmedian transmission:            %.1f MB/s (target >= 1 MB/s)\n", median(sendRate));
    std::printf("median one piece (limit):       %.1f MB/s\n", median(plainRate));
    std::printf("transmission / one piece:       %.2f\n", median(sendRate) / median(plainRate));
    std::printf("longest stall in transmission:  %.1f ms median (target <= 50 ms)\n",
                median(sendStall));
    std::printf("median intake without / with log: %.1f / %.1f MB/s, ratio %.2f (target >= 0.5)\n",
                median(noLogRate), median(logRate), median(logRate) / median(noLogRate));
    std::printf("full disk, %.0f MB arriving while asked: held %.2f MB; allocated %.1f MB "
                "when asked, %.1f MB after the flood\n",
                floodBytes / kMB, held / kMB, allocatedAsked / kMB, allocatedFlooded / kMB);
    std::printf("every byte arrived and was logged: %s\n", complete ? "yes" : "NO");
    return complete ? 0 : 1;
}
