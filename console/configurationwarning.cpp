#include "console/configurationwarning.h"

#include "app/look.h"
#include "app/twips.h"
#include "app/windows.h"
#include "console/frmterminal.h"
#include "console/mscomm.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

ConfigurationWarning::ConfigurationWarning(QWidget *parent) : Form(parent)
{
    setWindowTitle(QStringLiteral("Warning"));
    setClientSizeTwips(7305, 1200);

    Label1 = control<QLabel>(QStringLiteral("Label1"));
    Label1->setText(QStringLiteral("The connecting of 4630K to PC(by RS232) is fail! Please make "
                                   "sure already touch the *INIT to GND."));
    Label1->setWordWrap(true);
    place(Label1, 120, 240, 7095, 375);

    cmdOK = control<QPushButton>(QStringLiteral("cmdOK"));
    cmdOK->setText(QStringLiteral("Exit"));
    place(cmdOK, 5880, 720, 1335, 375);
    applyButtonFace(cmdOK);
    connect(cmdOK, &QPushButton::clicked, this, &ConfigurationWarning::cmdOK_Click);
}

void ConfigurationWarning::formLoad()
{
    frmTerminal *term = Windows::loaded<frmTerminal>(QStringLiteral("frmTerminal"));
    if (!term)
        return;
    for (QPushButton *b : {term->cmdTerminal, term->cmdReboot4630K, term->Command2, term->cmdSetIP,
                           term->cmdSetMask, term->cmdSetGateway, term->cmdBaudrateSet,
                           term->cmdDatabitSet, term->cmdParitySet, term->cmdStopbitSet})
        b->setEnabled(false);
}

void ConfigurationWarning::cmdOK_Click()
{
    if (m_exiting)
        return;
    // The configuration window may have been closed by its close box already;
    // then there is only this dialog left to close.
    if (QPointer<frmTerminal> term = Windows::loaded<frmTerminal>(QStringLiteral("frmTerminal"))) {
        ConsoleGuard::Scope operation = term->BeginOperation();
        if (!operation)
            return; // another exchange is running; the window says so
        m_exiting = true;
        QPointer<ConfigurationWarning> self(this);
        if (term->MSComm1->PortOpen()) {
            const bool sent = term->Send(QStringLiteral("Q\r"));
            if (sent && !term->Wait(kExitWaitMs))
                return; // the program is ending
            term->MSComm1->setPortOpen(false);
        }
        operation.release();
        if (!self)
            return;
        m_exiting = false;
        Windows::unload(QStringLiteral("frmTerminal"));
    }
    close();
}

void ConfigurationWarning::closeEvent(QCloseEvent *event)
{
    if (m_exiting) {
        event->ignore(); // Exit closes it when it is done
        return;
    }
    Form::closeEvent(event);
}
