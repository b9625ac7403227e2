#include "console/configurationwarning.h"

#include "app/windows.h"
#include "console/frmterminal.h"
#include "console/mscomm.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>

ConfigurationWarning::ConfigurationWarning(QWidget *parent) : Form(parent)
{
    setWindowTitle(QStringLiteral("Warning"));
    setClientSizeTwips(7305, 1200);

    Label1 = label(QStringLiteral("Label1"),
                   QStringLiteral("The connecting of 4630K to PC(by RS232) is fail! Please make "
                                  "sure already touch the *INIT to GND."),
                   {120, 240, 7095, 375});
    Label1->setWordWrap(true);
    cmdOK = button(QStringLiteral("cmdOK"), QStringLiteral("Exit"), {5880, 720, 1335, 375});
    connect(cmdOK, &QPushButton::clicked, this, &ConfigurationWarning::cmdOK_Click);
}

void ConfigurationWarning::formLoad()
{
    frmTerminal *term = Windows::loaded<frmTerminal>(WindowName::frmTerminal);
    if (!term)
        return;
    for (QPushButton *b : {term->cmdTerminal, term->cmdReboot4630K, term->Command2, term->cmdSetIP,
                           term->cmdSetMask, term->cmdSetGateway, term->cmdBaudrateSet,
                           term->cmdDatabitSet, term->cmdParitySet, term->cmdStopbitSet})
        b->setEnabled(false);
}

void ConfigurationWarning::cmdOK_Click()
{
    // The configuration window may have been closed by its close box already;
    // then there is only this dialog left to close.
    const QPointer<frmTerminal> term = Windows::loaded<frmTerminal>(WindowName::frmTerminal);
    if (!term) {
        close();
        return;
    }
    // A close of this dialog waits for the end of Exit, which closes it.
    Operation mine = beginOperation();
    if (!mine)
        return;
    Operation theirs = term->beginOperation();
    if (!theirs) {
        // Another exchange runs there (its status bar says so): Exit follows
        // when it has ended, as the window's own EXIT does.
        if (!m_exitQueued) {
            m_exitQueued = true;
            term->afterOperation(this, [this] {
                m_exitQueued = false;
                cmdOK_Click();
            });
        }
        return;
    }
    if (term->MSComm1->PortOpen()) {
        const bool sent = term->Send(QStringLiteral("Q\r"));
        if (sent && !term->wait(kExitWaitMs))
            return; // the program is ending
        term->MSComm1->setPortOpen(false);
    }
    theirs.release();
    Windows::unload(WindowName::frmTerminal);
    mine.release();
    close();
}
