// The device commands of frmMain and the launch of its dialogs.

#include "netclient/frmmain.h"

#include "app/windownames.h"
#include "app/windows.h"
#include "net/winsock.h"
#include "netclient/comset.h"
#include "netclient/comsetting.h"
#include "netclient/receiveview.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

void frmMain::ledCommand(bool on)
{
    txtCommTx->clear();
    m_buffers.clear(m_curPort);
    m_curPort = combCommPort->currentIndex();
    setReceiveBox(commBuf(m_curPort));
    tcpPC->SendData(Portd::requestLed(on));
    // The reply is only shown; a time-out is no error here.
    replyWait();
}

void frmMain::cmdLedon_Click()
{
    ledCommand(true);
}

void frmMain::cmdLedoff_Click()
{
    ledCommand(false);
}

void frmMain::cmdReboot_Click()
{
    // A click during the pause would reboot the device again as it restarts.
    if (m_rebooting)
        return;
    m_rebooting = true;
    tcpPC->SendData(Portd::requestReboot());
    if (!wait(kRebootPauseMs))
        return;
    m_rebooting = false;
    // Connected, this disconnects; disconnected meanwhile, it connects anew.
    cmdConnect_Click();
}

void frmMain::cmdSend_Click()
{
    const int state = tcpPC->State();
    if (state != Winsock::sckConnected)
        ShowNetState(state);
    else
        tcpPC->SendData(txtSend->text());
    txtCommTx->clear();
    setReceiveBox(QString());
}

void frmMain::txtSend_KeyPress(int KeyAscii)
{
    if (KeyAscii == 13 && flgConnect)
        cmdSend_Click();
}

void frmMain::cmdCommSet_Click()
{
    const ComSetting::Fill fill =
        ComSetting::fill(combCommPort->currentIndex(), lblCommStatus->text(),
                         lblServerInfo[0]->text(), lblAllModbusSet->text());
    comset *dialog = Windows::get<comset>(WindowName::comset);
    if (!dialog)
        return;
    dialog->applyFill(fill);
    showModal(WindowName::comset);
}

void frmMain::showAddressDialog(const QString &name)
{
    showModal(name);
}

void frmMain::cmdIPset_Click()
{
    showAddressDialog(WindowName::IPset);
}

void frmMain::cmdMaskset_Click()
{
    showAddressDialog(WindowName::Maskset);
}

void frmMain::cmdGatewayset_Click()
{
    showAddressDialog(WindowName::Gatewayset);
}

void frmMain::cmdCommandlist_Click()
{
    showModal(WindowName::commandlist);
}
