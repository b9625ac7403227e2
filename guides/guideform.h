#pragma once

#include "app/form.h"
#include "guides/guidestep.h"

#include <QList>

class CaptionLabel;
class GuideLine;
class QLabel;
class QPushButton;

// A picture guide: numbered steps, each with its instruction text, its picture
// and the pointer lines over it, moved one step at a time by "Next>>" and
// "<<Prview". The step label's caption is the step; the guide's table gives
// everything else, so the connection wizard and both download guides are this
// one window with another table.
class GuideForm : public Form
{
    Q_OBJECT

public:
    explicit GuideForm(Guides::GuideId id, QWidget *parent = nullptr);
    void formLoad() override;

    const Guides::GuideTable &table() const { return m_table; }

    void cmdNext_Click();
    void cmdPrview_Click();
    void exit_Click();
    // The wizard's "Configuration": the serial configuration window takes over.
    void Command1_Click();

    QLabel *stepLabel = nullptr;      // lblStep or Label1
    CaptionLabel *textLabel = nullptr; // lblDetail or Label2
    QList<QLabel *> pictures;         // Image1, Image2, ...
    QList<GuideLine *> lines;         // Line1, Line2, ...
    QPushButton *cmdNext = nullptr;
    QPushButton *cmdPrview = nullptr;
    QPushButton *exitButton = nullptr; // CmdEXIT or Command4
    QPushButton *Command1 = nullptr;   // the wizard's only

private:
    void ApplyGuideStep(int delta);
    Guides::GuideState state() const;
    void showState(const Guides::GuideState &s);

    const Guides::GuideTable &m_table;
    // Counts the step changes, so that the end of a picture's wait knows
    // whether the user has moved the guide meanwhile.
    quint64 m_stepChanges = 0;
};
