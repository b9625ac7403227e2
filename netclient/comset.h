#pragma once

#include "app/form.h"
#include "netclient/comsetting.h"

class QComboBox;
class QLabel;
class QPushButton;

// The dialog in which the user sets a device COM port's line settings and,
// on the Modbus variant, its Modbus switch: frmMain fills its lists, and
// "Set" sends the settings over frmMain's control connection and writes them
// back into frmMain's status labels.
class comset : public Form
{
    Q_OBJECT

public:
    explicit comset(QWidget *parent = nullptr);

    QComboBox *cmbBaudrate = nullptr;
    QComboBox *cmbDatabit = nullptr;
    QComboBox *cmbParity = nullptr;
    QComboBox *cmbStopbit = nullptr;
    QComboBox *cmbModbus = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;

    // The caption, the lists and their choices, as frmMain gives them.
    void applyFill(const ComSetting::Fill &fill);
    // What the lists show now: their texts, and the index of a chosen item
    // (-1 for a text typed instead).
    ComSetting::Choice choice() const;

    void Command1_Click();
    void Command2_Click();

private:
    void fillList(QComboBox *list, const QStringList &items, int selected);
};
