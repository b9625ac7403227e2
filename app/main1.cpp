#include "app/main1.h"

#include "app/launcherstate.h"
#include "app/look.h"
#include "app/twips.h"
#include "app/windows.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

Main1::Main1(QWidget *parent) : Form(parent)
{
    setWindowTitle(QStringLiteral("RM4630K utility"));
    setClientSizeTwips(6600, 4935);

    auto button = [this](QPushButton *&b, const char *name, const char *text, int left, int top) {
        b = control<QPushButton>(QString::fromLatin1(name));
        b->setText(QString::fromUtf8(text));
        place(b, left, top, 1815, 375);
        applyButtonFace(b);
    };
    button(Command1, "Command1", "Wizard", 360, 1080);
    button(Command3, "Command3", "Configuration", 360, 2280);
    button(Command6, "Command6", "Download image", 360, 2760);
    button(Command2, "Command2", "Nettest", 360, 3840);
    button(Command5, "Command5", "ModbusTCP test", 360, 4320);
    button(cmdTroubleshooting, "cmdTroubleshooting", "Trouble shooting", 4680, 3960);
    button(Command4, "Command4", "Exit", 4680, 4440);

    Combo1 = control<QComboBox>(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    place(Combo1, 1440, 1845, 855, 300);

    Label4 = control<QLabel>(QStringLiteral("Label4"));
    Label5 = control<QLabel>(QStringLiteral("Label5"));
    Label6 = control<QLabel>(QStringLiteral("Label6"));
    NettestIP = control<QLabel>(QStringLiteral("NettestIP"));
    NettestIP->hide();

    connect(Command1, &QPushButton::clicked, this, [] { Windows::show(QStringLiteral("Wizard")); });
    connect(Command2, &QPushButton::clicked, this, [] { Windows::show(QStringLiteral("frmMain")); });
    connect(Command3, &QPushButton::clicked, this,
            [] { Windows::show(QStringLiteral("frmTerminal")); });
    connect(Command5, &QPushButton::clicked, this,
            [] { Windows::show(QStringLiteral("ModbusTCP")); });
    connect(cmdTroubleshooting, &QPushButton::clicked, this,
            [] { Windows::show(QStringLiteral("frmTroubleshooting")); });
    connect(Command4, &QPushButton::clicked, this, [] { Windows::endProgram(); });
    connect(Combo1, &QComboBox::currentTextChanged, this,
            [](const QString &text) { LauncherState::instance().setComPort(text); });
}

void Main1::formLoad()
{
    Combo1->addItems({QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"),
                      QStringLiteral("COM4")});
    Combo1->setCurrentIndex(0);
}
