#pragma once

#include "app/form.h"
#include "guides/guidestep.h"

class QLabel;
class QPushButton;

// The download menu: the two ways of loading a new ROM image into the 4630K,
// each opening the terminal program on the connection file of the PC's COM
// port (Label5, written by the launcher) together with its picture guide.
class Download : public Form
{
    Q_OBJECT

public:
    explicit Download(QWidget *parent = nullptr);

    void Command6_Click();
    void Command1_Click();
    void Command4_Click();

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command6 = nullptr;

private:
    void ShowGuideForPort(Guides::GuideId guide);
};
