// The data connections of frmMain: one per device COM port, with its receive
// buffer, the selected port's receive box and the hex views.

#include "netclient/frmmain.h"

#include "net/winsock.h"
#include "netclient/receiveview.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

void frmMain::tcpComm_DataArrival(int Index, qint64)
{
    if (Index < 0 || Index >= Portd::kMaxPorts)
        return;
    QByteArray bytes;
    tcpComm[Index]->GetData(bytes);
    const QString text =
        m_decoders[Index].decode(bytes, CommData::CommBuffers::kBufferChars);
    const std::optional<CommData::CommBuffers::BoxUpdate> update =
        m_buffers.receive(Index, text, combCommPort->currentIndex());
    if (!update)
        return;
    // The box is changed only by what the arrival changed in the buffer.
    if (update->replace) {
        txtCommRx->setText(update->text);
    } else {
        txtCommRx->dropFront(update->dropped);
        txtCommRx->append(update->text);
    }
}

void frmMain::setReceiveBox(const QString &text)
{
    txtCommRx->setText(text);
    m_buffers.boxChanged();
}

bool frmMain::checksumOn() const
{
    return optChecksum[0]->isChecked();
}

void frmMain::cmdCommTx_Click()
{
    const QString text = txtCommTx->text();
    if (text.isEmpty())
        return;
    const int p = combCommPort->currentIndex();
    // No port listed yet (the identity queries still run): nothing to send on.
    if (p < 0 || p >= Portd::kMaxPorts)
        return;
    Winsock *socket = tcpComm[p];
    if (socket->State() != Winsock::sckConnected) {
        ShowMsg(CommData::notConnectedMessage(p));
        return;
    }
    setReceiveBox(QString());
    m_buffers.clear(p);
    socket->SendData(CommData::dataSendText(text, intAppend, checksumOn()));
}

void frmMain::txtCommTx_KeyPress(int KeyAscii)
{
    if (KeyAscii == 13 && flgConnect)
        cmdCommTx_Click();
}

void frmMain::combCommPort_Click()
{
    // The port number as the list shows it now; none once the list was
    // emptied (a Disconnect during a wait): the switch then stops.
    const auto port = [this] { return combCommPort->currentIndex() + 1; };

    clearPane();
    if (Portd::isModbusVariant(lblServerInfo[0]->text())) {
        if (!sendTwice(&Portd::requestModbusStatus) || !replyWait())
            return;
        lblAllModbusSet->setText(strNew);
        // A reply that is no number says nothing about the switch.
        if (const std::optional<QString> wording = Portd::modbusWording(strNew))
            lblModBus->setText(*wording);
    }
    txtCommTx->clear();
    setReceiveBox(QString());
    clearPane();

    if (port() < 1)
        return;
    m_buffers.clear(m_curPort);
    m_curPort = combCommPort->currentIndex();
    setReceiveBox(commBuf(m_curPort));
    if (!sendTwice(&Portd::requestPortSettings) || !replyWait())
        return;
    lblCommStatus->setText(strNew);
    txtCommTx->clear();
    setReceiveBox(QString());
    clearPane();
}

void frmMain::cmdCommClr_Click()
{
    setReceiveBox(QString());
    m_buffers.clear(m_curPort);
}

void frmMain::optAppend_Click(int Index)
{
    intAppend = Index;
}
