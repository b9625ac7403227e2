#pragma once

#include "app/form.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The help window that documents the Portd command codes in one text, in
// fixed columns under four headings.
class commandlist : public Form
{
    Q_OBJECT

public:
    explicit commandlist(QWidget *parent = nullptr);

    void formLoad() override;
    void Command1_Click();

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QPlainTextEdit *text = nullptr;
    QPushButton *Command1 = nullptr;
};
