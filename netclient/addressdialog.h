#pragma once

#include "app/form.h"
#include "netclient/addresssetting.h"

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

// One of the three dialogs that change the device's IP address, net mask or
// gateway over frmMain's control connection: it fills its four octet boxes
// from frmMain's label, checks and zero-fills the octets typed, sends the
// twelve-digit request, tells the user to reconnect and has frmMain
// disconnect when it is active again. The three windows differ only in their
// texts, their command and their controls' names.
class AddressDialog : public Form
{
    Q_OBJECT

public:
    QLabel *Label1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;

    void formLoad() override;

    void Command2_Click();
    void Command3_Click();

    AddressSetting::Kind kind() const { return m_kind; }

protected:
    // names: the octet boxes, the octet labels, and the argument, status and
    // copy labels.
    struct Names
    {
        const char *boxes;
        const char *octets;
        const char *send;
        const char *status;
        const char *copy;
    };
    AddressDialog(AddressSetting::Kind kind, const Names &names, QWidget *parent);

    std::array<QLineEdit *, 4> m_boxes{};
    std::array<QLabel *, 4> m_octets{};
    QLabel *m_send = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_copy = nullptr;

private:
    // frmMain's label that the dialog starts from.
    QString sourceLabel() const;

    AddressSetting::Kind m_kind;
    AddressSetting::Texts m_texts;
};

// The device's IP address (command 08); the next connection goes to it.
class IPset : public AddressDialog
{
    Q_OBJECT

public:
    explicit IPset(QWidget *parent = nullptr);

    std::array<QLineEdit *, 4> &txtIP = m_boxes;
    std::array<QLabel *, 4> &IP = m_octets;
    QLabel *&lblSendIP = m_send;
    QLabel *&lblIPstatus = m_status;
    QLabel *&lblIP = m_copy;
    QLabel *Label2 = nullptr;
};

// The device's net mask (command 14).
class Maskset : public AddressDialog
{
    Q_OBJECT

public:
    explicit Maskset(QWidget *parent = nullptr);

    std::array<QLineEdit *, 4> &txtMask = m_boxes;
    std::array<QLabel *, 4> &Mask = m_octets;
    QLabel *&lblSendMask = m_send;
    QLabel *&lblMaskstatus = m_status;
    QLabel *&lblMask = m_copy;
};

// The device's gateway (command 12).
class Gatewayset : public AddressDialog
{
    Q_OBJECT

public:
    explicit Gatewayset(QWidget *parent = nullptr);

    std::array<QLineEdit *, 4> &txtGateway = m_boxes;
    std::array<QLabel *, 4> &Gateway = m_octets;
    QLabel *&lblSendGateway = m_send;
    QLabel *&lblGatewaystatus = m_status;
    QLabel *&lblGateway = m_copy;
};
