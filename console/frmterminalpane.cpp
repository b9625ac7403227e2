#include "console/frmterminal.h"

#include "app/dialogs.h"
#include "app/module1.h"
#include "app/windows.h"
#include "console/controls.h"
#include "console/mscomm.h"
#include "console/terminallogic.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>

// --- Console exchanges ---------------------------------------------------

void frmTerminal::operationRefused()
{
    showStatus(TerminalLogic::kBusyText);
}

bool frmTerminal::Send(const QString &text)
{
    if (!MSComm1->PortOpen() || !MSComm1->Output(text)) {
        showStatus(TerminalLogic::kPortClosedText);
        return false;
    }
    if (text.startsWith(QLatin1Char('Q')))
        m_menuLeftOpen = false;
    return true;
}


// --- Terminal pane ---------------------------------------------------------

void frmTerminal::showStatus(const QString &text)
{
    StatusPanel->setText(TerminalLogic::kStatusPrefix + text);
    Timer2->start();
}

void frmTerminal::MSComm1_OnComm()
{
    const int code = MSComm1->CommEvent();
    if (code == MSComm::comEvReceive) {
        ShowData(txtTerm, MSComm1->Input());
        return;
    }
    if (code == MSComm::comEventPortFailure) {
        ReportPortFailure();
        return;
    }
    const TerminalLogic::CommEventText what = TerminalLogic::commEventText(code);
    using Kind = TerminalLogic::CommEventText::Kind;
    if (what.kind == Kind::Event) {
        showStatus(what.text);
    } else if (what.kind == Kind::Error) {
        StatusPanel->setText(TerminalLogic::kStatusPrefix + what.text);
        QApplication::beep();
        QPointer<frmTerminal> self(this);
        const QMessageBox::StandardButton answer =
            msgBox(this, what.text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoIcon,
                   TerminalLogic::kErrorBoxTitle);
        if (!stillOpen(self))
            return;
        if (answer == QMessageBox::Cancel)
            MSComm1->setPortOpen(false);
        Timer2->start();
    }
}

void frmTerminal::ReportPortFailure()
{
    // The port is closed already; say why once, and show it closed.
    const QString why = MSComm1->errorText();
    StatusPanel->setText(TerminalLogic::kStatusPrefix + why);
    ShowPortState();
    QPointer<frmTerminal> self(this);
    msgBox(this, why, QMessageBox::Ok, QMessageBox::Warning);
    if (stillOpen(self))
        Timer2->start();
}

void frmTerminal::ShowData(TerminalBox *box, const QString &data)
{
    box->moveCaretToEnd();
    const QString shown = box->showData(data);
    if (m_logSink) {
        // The sink may ask the user, close the log (replacing itself) or see
        // the window go while it asks.
        const auto sink = m_logSink;
        QPointer<frmTerminal> self(this);
        sink(shown);
        if (!stillOpen(self))
            return;
    }
    box->moveCaretToEnd();
}

void frmTerminal::txtTerm_KeyPress(int &KeyAscii)
{
    if (!MSComm1->PortOpen())
        return;
    MSComm1->Output(QString(QChar(static_cast<char16_t>(KeyAscii))));
    if (!Module1::Echo) {
        txtTerm->moveCaretToEnd();
        KeyAscii = 0;
    }
}

void frmTerminal::tbrToolBar_ButtonClick(QAction *button)
{
    const QString key = button->objectName();
    if (key == QLatin1String("OpenLogFile"))
        DoOpenLogFile();
    else if (key == QLatin1String("CloseLogFile"))
        DoCloseLogFile();
    else if (key == QLatin1String("DialPhoneNumber"))
        DoDialPhoneNumber();
    else if (key == QLatin1String("HangUpPhone"))
        DoHangUpPhone();
    else if (key == QLatin1String("TransmitTextFile"))
        DoTransmitTextFile();
}

void frmTerminal::TogglePort()
{
    if (!MSComm1->setPortOpen(!MSComm1->PortOpen())) {
        QPointer<frmTerminal> self(this);
        msgBox(this, MSComm1->errorText(), QMessageBox::Ok, QMessageBox::Warning);
        if (!stillOpen(self))
            return;
    }
    ShowPortState();
}

void frmTerminal::ShowPortState()
{
    const bool open = MSComm1->PortOpen();
    TransmitTextFile->setEnabled(open);
    DialPhoneNumber->setEnabled(true);
    HangUpPhone->setEnabled(open);
    if (open) {
        imgConnected->raise();
        SettingsPanel->setText(TerminalLogic::kSettingsPrefix + MSComm1->Settings());
        StartTiming();
    } else {
        imgNotConnected->raise();
        SettingsPanel->setText(TerminalLogic::kSettingsPrefix);
        StopTiming();
    }
}

void frmTerminal::StartTiming()
{
    StartTime.start();
    Timer1->start();
}

void frmTerminal::StopTiming()
{
    Timer1->stop();
    ConnectTimePanel->setText(QString());
}

void frmTerminal::Timer1_Timer()
{
    ConnectTimePanel->setText(TerminalLogic::connectTime(StartTime.elapsed() / 1000));
}

void frmTerminal::Timer2_Timer()
{
    StatusPanel->setText(TerminalLogic::kStatusPrefix);
    Timer2->stop();
}
