#pragma once

#include "app/form.h"

#include <QStringList>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// The launcher: the tool buttons, the PC's COM port choice, the PC's address
// summary, and the labels that mirror the shared launcher state.
class Main1 : public Form
{
    Q_OBJECT

public:
    explicit Main1(QWidget *parent = nullptr);
    void formLoad() override;

    // Dotted decimal of an address as the platform stores it.
    static QString ConvertAddressToString(quint32 longAddr);

    // The lines printed on the window while it loaded.
    QStringList printedLines() const { return m_printed; }

    QFrame *Shape1 = nullptr;
    QFrame *Shape2 = nullptr;
    QFrame *Shape3 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *cmdTroubleshooting = nullptr;
    QComboBox *Combo1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label8 = nullptr;
    QLabel *Label9 = nullptr;
    QLabel *NettestIP = nullptr;
    QLineEdit *Text1 = nullptr;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void GetNetworkInfo();
    void printAddressSummary();
    void showState();
    void Command6_Click();

    // Text printed on the window; kept so that every repaint draws it again.
    QStringList m_printed;
};
