#pragma once

#include "app/form.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The launcher: the tool buttons, the PC's COM port choice and the labels
// that show the shared launcher state.
class Main1 : public Form
{
    Q_OBJECT

public:
    explicit Main1(QWidget *parent = nullptr);
    void formLoad() override;

    QComboBox *Combo1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *cmdTroubleshooting = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *NettestIP = nullptr;
};
