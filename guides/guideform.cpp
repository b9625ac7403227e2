#include "guides/guideform.h"

#include "app/look.h"
#include "app/windows.h"
#include "guides/guidecontrols.h"

#include <QLabel>
#include <QPushButton>

using namespace Guides;

namespace {

// Every guide has its three step buttons at the same places.
constexpr Twips kPrviewAt{4920, 2760, 975, 375};
constexpr Twips kNextAt{4920, 3240, 975, 375};
constexpr Twips kExitAt{4920, 3720, 975, 375};
constexpr Twips kConfigurationAt{3200, 840, 1455, 375};

constexpr qreal kStepPoints = 9.75;
constexpr qreal kTextPoints = 9;

Twips twipsOf(const QRect &r)
{
    return {r.left(), r.top(), r.width(), r.height()};
}

} // namespace

GuideForm::GuideForm(GuideId id, QWidget *parent) : Form(parent), m_table(guide(id))
{
    setWindowTitle(m_table.caption);
    setClientSizeTwips(m_table.clientTwips.width(), m_table.clientTwips.height());

    // From the bottom up: the pictures, the texts, the pointer lines over both,
    // and the buttons.
    for (qsizetype i = 0; i < m_table.pictures.size(); ++i) {
        QLabel *p = picture(QStringLiteral("Image%1").arg(i + 1),
                            artwork(m_table.pictures.at(i), m_table.pictureSize),
                            twipsOf(m_table.pictureTwips));
        pictures.append(p);
    }

    stepLabel = label(m_table.stepLabelName, Guides::stepLabel(1), twipsOf(m_table.stepLabelTwips));
    stepLabel->setFont(letteringFont(font(), kMingFaces, kStepPoints, true));

    textLabel = placed<CaptionLabel>(m_table.textLabelName, twipsOf(m_table.textLabelTwips));
    textLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    textLabel->setWordWrap(true);
    textLabel->setFont(instructionFont(font(), kTextPoints));
    textLabel->setText(m_table.designText);

    for (qsizetype i = 0; i < m_table.lines.size(); ++i) {
        const PointerLine &l = m_table.lines.at(i);
        auto *line = new GuideLine(l.x1, l.y1, l.x2, l.y2, QColor::fromRgb(l.rgb), this);
        line->setObjectName(QStringLiteral("Line%1").arg(i + 1));
        lines.append(line);
    }

    // Created in their tab order: "Next>>" first.
    cmdNext = button(QStringLiteral("cmdNext"), kNextCaption, kNextAt);
    cmdPrview = button(QStringLiteral("cmdPrview"), kPrviewCaption, kPrviewAt);
    exitButton = button(m_table.exitName, kExitCaption, kExitAt);
    setCancelButton(exitButton);
    if (id == GuideId::Wizard) {
        Command1 = button(QStringLiteral("Command1"), kConfigurationCaption, kConfigurationAt);
        Command1->setToolTip(kConfigurationToolTip);
        connect(Command1, &QPushButton::clicked, this, &GuideForm::Command1_Click);
    }
    connect(cmdNext, &QPushButton::clicked, this, &GuideForm::cmdNext_Click);
    connect(cmdPrview, &QPushButton::clicked, this, &GuideForm::cmdPrview_Click);
    connect(exitButton, &QPushButton::clicked, this, &GuideForm::exit_Click);

    showState(designState(m_table));
}

void GuideForm::formLoad()
{
    textLabel->setText(m_table.openingText);
}

void GuideForm::cmdNext_Click()
{
    ApplyGuideStep(+1);
}

void GuideForm::cmdPrview_Click()
{
    ApplyGuideStep(-1);
}

void GuideForm::exit_Click()
{
    close();
}

void GuideForm::Command1_Click()
{
    close();
    // This window is gone now; the configuration window loads (and talks to
    // the device) before the click returns.
    Windows::show(WindowName::frmTerminal);
}

void GuideForm::ApplyGuideStep(int delta)
{
    const GuideState next = applyGuideStep(m_table, state(), delta);
    const quint64 change = ++m_stepChanges;
    showState(next);

    // A page with a picture of its own for a moment: the rest of the page
    // follows after the wait, unless the window closed or the user moved to
    // another page meanwhile.
    const GuidePage *page = pageOf(m_table, stepFromLabel(next.stepLabel));
    if (!page || !page->flashPicture)
        return;
    if (!wait(page->flashMs))
        return;
    if (change != m_stepChanges)
        return;
    showState(finishFlash(m_table, state()));
}

GuideState GuideForm::state() const
{
    GuideState s;
    s.stepLabel = stepLabel->text();
    s.text = textLabel->text();
    for (const QLabel *p : pictures)
        s.pictureVisible.append(!p->isHidden());
    for (const GuideLine *l : lines)
        s.lineVisible.append(!l->isHidden());
    s.prviewEnabled = cmdPrview->isEnabled();
    s.nextEnabled = cmdNext->isEnabled();
    s.configurationVisible = Command1 && !Command1->isHidden();
    return s;
}

void GuideForm::showState(const GuideState &s)
{
    stepLabel->setText(s.stepLabel);
    textLabel->setText(s.text);
    for (qsizetype i = 0; i < pictures.size() && i < s.pictureVisible.size(); ++i)
        pictures.at(i)->setVisible(s.pictureVisible.at(i));
    for (qsizetype i = 0; i < lines.size() && i < s.lineVisible.size(); ++i)
        lines.at(i)->setVisible(s.lineVisible.at(i));
    cmdPrview->setEnabled(s.prviewEnabled);
    cmdNext->setEnabled(s.nextEnabled);
    if (Command1)
        Command1->setVisible(s.configurationVisible);
}
