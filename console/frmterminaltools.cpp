// The terminal's toolbar actions: capture log, text-file transmission,
// dialling and hanging up.
#include "console/frmterminal.h"

#include "app/dialogs.h"
#include "app/module1.h"
#include "app/windows.h"
#include "console/controls.h"
#include "console/mscomm.h"
#include "console/terminallog.h"
#include "console/terminallogic.h"
#include "console/terminaltools.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QScopeGuard>

namespace {

// How often a transmission looks whether the port has sent its block.
constexpr int kDrainPollMs = 10;

} // namespace

using namespace TerminalTools;

// --- Capture log -----------------------------------------------------------

void frmTerminal::DoOpenLogFile()
{
    if (hLogFile)
        return; // one log at a time; the button is disabled meanwhile
    QPointer<frmTerminal> self(this);
    QString path;
    for (;;) {
        path = saveFileDialog(this, kLogDialogTitle, qtFileFilter(kLogFilter));
        if (!stillOpen(self) || path.isEmpty())
            return;
        if (!QFileInfo::exists(path))
            break;
        const QMessageBox::StandardButton answer =
            msgBox(this, replaceQuestion(path),
                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Question);
        if (!stillOpen(self))
            return;
        if (answer == QMessageBox::Cancel)
            continue;
        if (answer == QMessageBox::Yes) {
            QFile old(path);
            if (!old.remove()) {
                msgBox(this, logOpenFailedText(path, old.errorString()), QMessageBox::Ok,
                       QMessageBox::Warning);
                return;
            }
        }
        break;
    }

    auto *log = new TerminalLog(this);
    if (!log->open(path)) {
        // No log is open; the terminal goes on without one.
        const QString why = logOpenFailedText(path, log->errorText());
        delete log;
        msgBox(this, why, QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    hLogFile = log;
    setLogSink([this](const QString &text) { WriteLog(text); });
    setWindowTitle(logCaption(path));
    OpenLogFile->setEnabled(false);
    CloseLogFile->setEnabled(true);
}

void frmTerminal::DoCloseLogFile()
{
    setLogSink({});
    delete hLogFile;
    hLogFile = nullptr;
    OpenLogFile->setEnabled(true);
    CloseLogFile->setEnabled(false);
    setWindowTitle(TerminalLogic::kTitle);
}

void frmTerminal::WriteLog(const QString &text)
{
    TerminalLog *log = hLogFile;
    if (!log)
        return;
    // While the user is asked about a failed write, what arrives meanwhile
    // waits behind it (its newest part, past the log's bound): one question
    // at a time, and the log keeps its order.
    if (log->isHolding()) {
        log->hold(text);
        return;
    }
    if (log->write(text))
        return;
    QPointer<frmTerminal> self(this);
    QPointer<TerminalLog> alive(log);
    for (;;) {
        const QMessageBox::StandardButton answer =
            msgBox(this, log->errorText(), QMessageBox::Retry | QMessageBox::Cancel,
                   QMessageBox::Critical);
        if (!stillOpen(self) || !alive)
            return;
        if (answer != QMessageBox::Retry) {
            DoCloseLogFile();
            return;
        }
        if (log->retry())
            return;
    }
}

// --- Text-file transmission --------------------------------------------------

void frmTerminal::DoTransmitTextFile()
{
    // Its bytes must not mix with a console exchange's, nor with another
    // transmission's.
    const Operation operation = beginOperation();
    if (!operation)
        return;
    // However it ends, the next transmission starts clear.
    const auto clearStop = qScopeGuard([] { Module1::CancelSend = false; });
    QPointer<frmTerminal> self(this);
    TransmitTextFile->setEnabled(false);

    QString path;
    for (;;) {
        path = openFileDialog(this, kTransmitDialogTitle, qtFileFilter(kTransmitFilter));
        if (!stillOpen(self))
            return;
        if (path.isEmpty()) {
            TransmitTextFile->setEnabled(MSComm1->PortOpen());
            return;
        }
        if (QFileInfo::exists(path))
            break;
        msgBox(this, notFoundText(path), QMessageBox::Ok, QMessageBox::Warning);
        if (!stillOpen(self))
            return;
    }

    FileBlocks file;
    if (!file.open(path)) {
        msgBox(this, file.errorText(), QMessageBox::Ok, QMessageBox::Warning);
        if (!stillOpen(self))
            return;
        TransmitTextFile->setEnabled(MSComm1->PortOpen());
        return;
    }

    // A close request stops the transmission: the window closes once it has.
    auto stopRequested = [this] {
        return Module1::CancelSend || isClosePending() || Windows::isEnding();
    };
    const int blockSize = MSComm1->OutBufferSize();
    qint64 delivered = 0; // bytes the port has handed on
    QString why;          // why it stopped before the end
    while (!file.atEnd() && !stopRequested()) {
        if (!MSComm1->PortOpen()) {
            why = TerminalLogic::kPortClosedText;
            break;
        }
        const QByteArray block = file.next(blockSize);
        if (block.isEmpty()) {
            why = file.errorText();
            break;
        }
        if (!MSComm1->OutputBytes(block)) {
            why = MSComm1->errorText();
            break;
        }
        // Wait, with the window live, until the port has sent the block.
        for (int pass = 0;; ++pass) {
            Module1::Delay(pass == 0 ? 0 : kDrainPollMs);
            if (!stillOpen(self))
                return;
            if (!MSComm1->PortOpen()) {
                why = TerminalLogic::kPortClosedText;
                break;
            }
            if (MSComm1->OutBufferCount() == 0) {
                delivered += block.size();
                break;
            }
            if (stopRequested())
                break;
        }
        if (!why.isEmpty())
            break;
    }

    if (delivered < file.size() && !stopRequested()) {
        if (why.isEmpty())
            why = TerminalLogic::kPortClosedText;
        msgBox(this, interruptedText(path, why, delivered, file.size()), QMessageBox::Ok,
               QMessageBox::Warning);
        if (!stillOpen(self))
            return;
    }
    TransmitTextFile->setEnabled(MSComm1->PortOpen());
}

// --- Dialling ------------------------------------------------------------------

void frmTerminal::DoDialPhoneNumber()
{
    QPointer<frmTerminal> self(this);
    const QString number = inputBox(this, kDialPrompt, kDialTitle, kDefaultNumber);
    if (!stillOpen(self) || number.isEmpty())
        return;
    if (!MSComm1->PortOpen()) {
        TogglePort(); // says why when it cannot open
        if (!stillOpen(self) || !MSComm1->PortOpen())
            return;
    }
    if (!MSComm1->Output(dialCommand(number))) {
        msgBox(this, MSComm1->errorText(), QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    StartTiming();
}

void frmTerminal::DoHangUpPhone()
{
    // Every step is tried; a failed command is reported at the end.
    QString failure;
    if (!MSComm1->Output(kHangUpCommand))
        failure = MSComm1->errorText();
    const bool dtr = MSComm1->DTREnable();
    MSComm1->setDTREnable(true);
    MSComm1->setDTREnable(false);
    MSComm1->setDTREnable(dtr);
    MSComm1->setPortOpen(false);
    if (!failure.isEmpty()) {
        QPointer<frmTerminal> self(this);
        msgBox(this, failure, QMessageBox::Ok, QMessageBox::Warning);
        if (!stillOpen(self))
            return;
    }

    ShowPortState();
    StatusPanel->setText(TerminalLogic::kStatusPrefix);
}
