#pragma once

#include "app/form.h"

class QLabel;
class QPushButton;

// The warning that the device did not answer with its prompt when the
// configuration window loaded: it disables that window's console buttons, and
// its Exit button leaves the device's menu, closes the port and both windows.
class ConfigurationWarning : public Form
{
    Q_OBJECT

public:
    static constexpr int kExitWaitMs = 500;

    explicit ConfigurationWarning(QWidget *parent = nullptr);
    void formLoad() override;

    void cmdOK_Click();

    QLabel *Label1 = nullptr;
    QPushButton *cmdOK = nullptr;

private:
    // Exit waits for the end of another exchange on the configuration window.
    bool m_exitQueued = false;
};
