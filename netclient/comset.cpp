#include "netclient/comset.h"

#include "app/windowbehaviour.h"
#include "net/winsock.h"
#include "netclient/frmmain.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

namespace {

constexpr int kLabelLeft = 240;  // twips
constexpr int kListLeft = 1440;  // twips
constexpr int kRowTop = 300;     // twips
constexpr int kRowStep = 420;    // twips
constexpr int kListWidth = 1695; // twips
constexpr int kListHeight = 315; // twips

// The item chosen, or -1 when the list shows a text typed instead.
int chosenIndex(const QComboBox *list)
{
    const int i = list->currentIndex();
    return i >= 0 && list->itemText(i) == list->currentText() ? i : -1;
}

} // namespace

comset::comset(QWidget *parent) : Form(parent)
{
    // Cancel and the close button end a running "Set" at once.
    setCloseHeldDuringOperation(false);
    setWindowTitle(QStringLiteral("Comm Setting"));
    setClientSizeTwips(3600, 3000);
    QFont arial = font();
    arial.setFamily(QStringLiteral("Arial"));
    setFont(arial);

    struct Row
    {
        QLabel *&caption;
        const char *captionName;
        const char *captionText;
        QComboBox *&list;
        const char *listName;
        const char *designText;
    };
    const Row rows[] = {
        {Label1, "Label1", "Baudrate:", cmbBaudrate, "cmbBaudrate", "Baudrate"},
        {Label2, "Label2", "Databit:", cmbDatabit, "cmbDatabit", "Dtatbit"},
        {Label3, "Label3", "Parity:", cmbParity, "cmbParity", "Parity"},
        {Label4, "Label4", "Stopbit:", cmbStopbit, "cmbStopbit", "Stopbit"},
        {Label5, "Label5", "Modbust:", cmbModbus, "cmbModbus", "Modbus"},
    };
    int top = kRowTop;
    for (const Row &r : rows) {
        r.caption = label(QString::fromLatin1(r.captionName), QString::fromLatin1(r.captionText),
                          {kLabelLeft, top + 30, 1095, 255});
        r.list = placed<QComboBox>(QString::fromLatin1(r.listName),
                                   {kListLeft, top, kListWidth, kListHeight});
        // A typed text is sent as typed; it adds no item.
        makeEditableAsTyped(r.list);
        r.list->setEditText(QString::fromLatin1(r.designText));
        top += kRowStep;
    }
    Command1 = button(QStringLiteral("Command1"), QStringLiteral("Set"), {240, 2460, 1335, 375});
    Command2 = button(QStringLiteral("Command2"), QStringLiteral("Cancel"), {1800, 2460, 1335, 375});
    setCancelButton(Command2);
    connect(Command1, &QPushButton::clicked, this, &comset::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &comset::Command2_Click);
}

void comset::fillList(QComboBox *list, const QStringList &items, int selected)
{
    // Without a choice the list keeps the text it shows.
    const QString shown = list->currentText();
    list->clear();
    list->addItems(items);
    list->setCurrentIndex(selected);
    if (selected < 0)
        list->setEditText(shown);
}

void comset::applyFill(const ComSetting::Fill &fill)
{
    setWindowTitle(fill.caption);
    fillList(cmbModbus, fill.modbus, fill.modbusChoice);
    fillList(cmbBaudrate, fill.baudrates, fill.baudrate);
    fillList(cmbDatabit, fill.databits, fill.databit);
    fillList(cmbParity, fill.parities, fill.parity);
    fillList(cmbStopbit, fill.stopbits, fill.stopbit);
    cmbModbus->setEnabled(fill.modbusEnabled);
}

ComSetting::Choice comset::choice() const
{
    ComSetting::Choice c;
    c.baudrate = cmbBaudrate->currentText();
    c.databits = cmbDatabit->currentText();
    c.parity = chosenIndex(cmbParity);
    c.stopbits = cmbStopbit->currentText();
    c.modbus = chosenIndex(cmbModbus);
    c.modbusText = cmbModbus->currentText();
    return c;
}

void comset::Command1_Click()
{
    // One "Set" at a time: a second click while the first waits is refused.
    const Operation op = beginOperation();
    if (!op)
        return;
    const QPointer<comset> self(this);
    // Every step reaches the client anew: it may have gone during a wait.
    const auto main = [] { return frmMain::instance(); };
    const auto port = [&main] { return main()->combCommPort->currentIndex() + 1; };
    const auto startStep = [&main] {
        main()->clearPane();
        main()->txtCommTx->clear();
    };
    // False when the dialog or the client went: nothing more is sent or written.
    const auto exchange = [&](const QString &request) {
        if (!main())
            return false;
        main()->tcpPC->SendData(request);
        if (frmMain::dialogWait(this))
            return true;
        // With the client gone there is nothing left to set.
        if (self && !isUnloaded())
            close();
        return false;
    };
    if (!main()) {
        close();
        return;
    }

    startStep();
    if (!exchange(ComSetting::baudrateRequest(port(), choice())))
        return;
    startStep();
    if (!exchange(ComSetting::dataFormatRequest(port(), choice())))
        return;
    main()->lblCommStatus->setText(ComSetting::commStatusText(choice()));
    if (cmbModbus->isEnabled()) {
        startStep();
        if (!exchange(ComSetting::modbusRequest(port(), choice())))
            return;
        const ComSetting::Choice c = choice();
        main()->lblModBus->setText(ComSetting::modbusLabel(c));
        main()->lblAllModbusSet->setText(ComSetting::allModbusSetText(c));
    }
    close();
}

void comset::Command2_Click()
{
    close();
}
