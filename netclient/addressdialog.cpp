#include "netclient/addressdialog.h"

#include "app/dialogs.h"
#include "net/winsock.h"
#include "netclient/frmmain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {

constexpr int kBoxLeft = 1080;  // twips
constexpr int kBoxStep = 720;   // twips
constexpr int kBoxWidth = 615;  // twips
constexpr int kLabelHeight = 255;

const QString kDisconnectFlag = QStringLiteral("Ok!");
const QString kRangeTitle = QStringLiteral("Error message!");
const QString kNoteTitle = QStringLiteral("Note!");

} // namespace

AddressDialog::AddressDialog(AddressSetting::Kind kind, const Names &names, QWidget *parent)
    : Form(parent), m_kind(kind), m_texts(AddressSetting::texts(kind))
{
    // Cancel and the close button end a running "Set" at once.
    setCloseHeldDuringOperation(false);
    setWindowTitle(m_texts.title);
    setClientSizeTwips(4200, 2880);
    QFont arial = font();
    arial.setFamily(QStringLiteral("Arial"));
    setFont(arial);

    Label1 = label(QStringLiteral("Label1"), m_texts.caption, {240, 330, 795, kLabelHeight});
    controlArray(m_boxes, QString::fromLatin1(names.boxes));
    controlArray(m_octets, QString::fromLatin1(names.octets));
    for (int i = 0; i < 4; ++i) {
        place(m_boxes[i], kBoxLeft + i * kBoxStep, 300, kBoxWidth, 300);
        place(m_octets[i], kBoxLeft + i * kBoxStep, 690, kBoxWidth, kLabelHeight);
        m_octets[i]->setText(QStringLiteral("Label1"));
    }
    m_send = label(QString::fromLatin1(names.send), QStringLiteral("Label1"),
                   {kBoxLeft, 1020, 2055, kLabelHeight});
    m_status = label(QString::fromLatin1(names.status), QStringLiteral("Label1"),
                     {3240, 1020, 855, kLabelHeight});
    m_copy = label(QString::fromLatin1(names.copy), m_texts.designCopy,
                   {kBoxLeft, 1380, 2775, kLabelHeight});
    m_copy->setStyleSheet(QStringLiteral("color: #606060;"));
    Command2 = button(QStringLiteral("Command2"), QStringLiteral("Set"), {1080, 2340, 1215, 375});
    Command3 = button(QStringLiteral("Command3"), QStringLiteral("Cancel"), {2520, 2340, 1215, 375});
    setCancelButton(Command3);
    connect(Command2, &QPushButton::clicked, this, &AddressDialog::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &AddressDialog::Command3_Click);
}

QString AddressDialog::sourceLabel() const
{
    const frmMain *main = frmMain::instance();
    if (!main)
        return m_texts.designCopy;
    switch (m_kind) {
    case AddressSetting::Kind::Ip:
        return main->lblIP->text();
    case AddressSetting::Kind::Mask:
        return main->lblMask->text();
    case AddressSetting::Kind::Gateway:
        break;
    }
    return main->lblGateway->text();
}

void AddressDialog::formLoad()
{
    m_copy->setText(sourceLabel());
    // A label that is no dotted address gives empty boxes.
    const AddressSetting::Octets octets = AddressSetting::splitLabel(m_copy->text());
    for (int i = 0; i < 4; ++i)
        m_boxes[i]->setText(octets[i]);
}

void AddressDialog::Command2_Click()
{
    // One "Set" at a time: a second click while the first waits is refused.
    const Operation op = beginOperation();
    if (!op)
        return;
    AddressSetting::Octets typed;
    for (int i = 0; i < 4; ++i)
        typed[i] = m_boxes[i]->text();
    const AddressSetting::Check check = AddressSetting::check(typed);
    for (int i = 0; i < 4; ++i)
        m_octets[i]->setText(check.sent[i]);
    m_status->setText(check.status());
    m_send->setText(check.argument);
    if (!check.ok) {
        msgBox(this, m_texts.rangeMessage, QMessageBox::Ok, QMessageBox::Critical, kRangeTitle);
        return;
    }

    const QPointer<AddressDialog> self(this);
    frmMain *main = frmMain::instance();
    if (!main) {
        close();
        return;
    }
    main->clearPane();
    main->txtCommTx->clear();
    main->tcpPC->SendData(AddressSetting::request(m_kind, m_send->text()));
    if (!frmMain::dialogWait(this)) {
        // With the client gone there is nothing left to set.
        if (self && !isUnloaded())
            close();
        return;
    }
    msgBox(this, m_texts.reconnectNote, QMessageBox::Ok, QMessageBox::Information, kNoteTitle);
    if (!self || isUnloaded())
        return;
    main = frmMain::instance();
    if (!main) {
        close();
        return;
    }
    if (m_texts.writesAddressBox) {
        AddressSetting::Octets boxes;
        for (int i = 0; i < 4; ++i)
            boxes[i] = m_boxes[i]->text();
        main->txtIP->setText(AddressSetting::typedAddress(boxes));
    }
    main->Disconnect->setText(kDisconnectFlag);
    close();
}

void AddressDialog::Command3_Click()
{
    close();
}

IPset::IPset(QWidget *parent)
    : AddressDialog(AddressSetting::Kind::Ip, {"txtIP", "IP", "lblSendIP", "lblIPstatus", "lblIP"},
                    parent)
{
    Label2 = label(QStringLiteral("Label2"),
                   QStringLiteral("Note: If you want to connect to PC by lan, please make sure "
                                  "the 4630K's IP match the PC's IP address."),
                   {240, 1680, 3735, 555});
    Label2->setWordWrap(true);
}

Maskset::Maskset(QWidget *parent)
    : AddressDialog(AddressSetting::Kind::Mask,
                    {"txtMask", "Mask", "lblSendMask", "lblMaskstatus", "lblMask"}, parent)
{
}

Gatewayset::Gatewayset(QWidget *parent)
    : AddressDialog(AddressSetting::Kind::Gateway,
                    {"txtGateway", "Gateway", "lblSendGateway", "lblGatewaystatus", "lblGateway"},
                    parent)
{
}
