#pragma once

#include "app/codepage.h"
#include "app/form.h"
#include "netclient/serverlogic.h"

#include <array>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class Winsock;

// A TCP server laid out like the device's server program, for trying the
// network client without a device: a control port that greets with a module
// name and echoes, eight data ports after it that greet with their index and
// echo with their number, and a box whose every change goes out on the
// control connection.
class frmServer : public Form
{
    Q_OBJECT

public:
    explicit frmServer(QWidget *parent = nullptr);
    ~frmServer() override;

    void formLoad() override;

    // The control port's listener, and then its connection.
    Winsock *tcpServer = nullptr;
    // The data ports' listeners, and then their connections.
    std::array<Winsock *, ServerLogic::kDataPorts> tcpComm{};
    QLineEdit *txtPort = nullptr;
    QPushButton *cmdConnect = nullptr;
    QLabel *Label1 = nullptr;
    QPlainTextEdit *txtSendData = nullptr;
    QLabel *Label2 = nullptr;
    QPlainTextEdit *txtOutput = nullptr;

    // True while tcpServer is meant to listen.
    bool Listening = false;

    // The control port at load; data port k is this + k.
    int basePort() const { return m_basePort; }

    void cmdConnect_Click();
    void txtSendData_Change();
    void tcpServer_ConnectionRequest(qintptr requestID);
    void tcpServer_DataArrival(qint64 bytesTotal);
    void tcpComm_ConnectionRequest(int Index, qintptr requestID);
    void tcpComm_DataArrival(int Index, qint64 bytesTotal);

private:
    void buildControls();
    // Listens on a data port, adding the port and the reason when it cannot.
    void listenData(int index, QList<ServerLogic::ListenFailure> &failures);
    // The echo of a connection whose queue was full may go on now.
    void onSendProgress(Winsock *socket, qint64 bytesRemaining);
    void showMessages(const QStringList &texts);

    int m_basePort = ServerLogic::kDefaultBasePort;
    // Data ports whose listening failed and that the toggle tries again.
    std::array<bool, ServerLogic::kDataPorts> m_dataListenFailed{};
    // Connections that stopped taking what their peer sends until their
    // queue goes down: the control connection, then the data ports.
    std::array<bool, 1 + ServerLogic::kDataPorts> m_echoHeld{};
    // A change of the send box waits for the control connection's queue.
    bool m_sendTextHeld = false;
    Cp950::Decoder m_outputDecoder;
};
