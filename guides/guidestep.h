#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

// The pages of the three picture guides (the connection wizard and the two
// ROM-image download guides) as plain data, and the one step mechanism they
// share. A guide keeps no step number of its own: the step label's caption
// ("Step" and one digit) is the step, and each click reads it back.
namespace Guides {

enum class GuideId { Wizard, Terminalwizard, Terminalwizard1 };

inline const QString kStepPrefix = QStringLiteral("Step");
inline const QString kPrviewCaption = QStringLiteral("<<Prview");
inline const QString kNextCaption = QStringLiteral("Next>>");
inline const QString kExitCaption = QStringLiteral("Exit");
// The wizard's button that opens the serial configuration window.
inline const QString kConfigurationCaption = QStringLiteral("Configuration");
inline const QString kConfigurationToolTip =
    QStringLiteral("You can download rom image to 4630K by Hyperterminal");

// What a page does to a control that it may also leave alone.
enum class Visibility { Unchanged, Hidden, Shown };

// A straight pointer line drawn over the picture, from the instruction text
// to the item of the picture that the step is about; in twips of the window's
// client area, 1 pixel wide.
struct PointerLine
{
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    quint32 rgb = 0; // 0xRRGGBB
    bool visibleAtDesign = false;
};

inline constexpr quint32 kBlue = 0x0000ff;
inline constexpr quint32 kRed = 0xff0000;

// One page: what the step sets, in this order: the instruction text, every
// picture (only `picture` visible), every pointer line (only `lines`
// visible), "<<Prview", "Next>>", and last the wizard's Configuration button.
//
// A page with a flash picture (the wizard's last page) runs in two parts. At
// the click: the text, only the flash picture visible, "Next>>" disabled;
// "<<Prview" and Configuration keep their state. After flashMs, while the
// window keeps handling events: only `picture` visible, then the buttons.
struct GuidePage
{
    QString text;
    int picture = 1;  // Image1 is 1
    QList<int> lines; // Line1 is 1
    bool prviewEnabled = true;
    bool nextEnabled = true;
    Visibility configuration = Visibility::Unchanged;
    int flashPicture = 0; // 0: no flash
    int flashMs = 0;
};

// A guide window's content: its pictures, pointer lines and pages.
struct GuideTable
{
    GuideId id = GuideId::Wizard;
    QString windowName;    // the window's class and objectName
    QString caption;
    QString stepLabelName; // objectName of the step label
    QString textLabelName; // objectName of the instruction label
    QString exitName;      // objectName of the "Exit" button
    QRect stepLabelTwips;
    QRect textLabelTwips;
    QString designText;    // the instruction label at design
    // What the instruction label shows once the window has loaded: the design
    // text, unless the window's loading replaces it.
    QString openingText;
    QSize clientTwips;
    QRect pictureTwips;    // every picture's rectangle; the picture sits at its top left
    QSize pictureSize;     // pixels
    QStringList pictures;  // resource of Image1, Image2, ...
    QList<PointerLine> lines;
    QList<GuidePage> pages; // the page of step 1, 2, ...

    int lastStep() const { return int(pages.size()); }
};

const GuideTable &guide(GuideId id);

// Everything of a guide window that the steps change.
struct GuideState
{
    QString stepLabel;
    QString text;
    QList<bool> pictureVisible; // Image1 first
    QList<bool> lineVisible;    // Line1 first
    bool prviewEnabled = false;
    bool nextEnabled = true;
    bool configurationVisible = false; // the wizard's Configuration button
};

// The window as designed: step 1's pictures, lines and buttons, the design text.
GuideState designState(const GuideTable &table);
// The window once loaded (the design state with the opening text).
GuideState openingState(const GuideTable &table);

// The numeric value of the caption's last character; 0 when that is not a
// digit (so only steps 0 to 9 can be read back).
int stepFromLabel(const QString &caption);
// "Step" followed by the number.
QString stepLabel(int step);
// The page of a step; nullptr outside 1..lastStep.
const GuidePage *pageOf(const GuideTable &table, int step);

// One click on "Next>>" (delta +1) or "<<Prview" (-1): the step is read from
// the step label, moved and written back; the page of the new step, if any,
// is applied (its first part only, for a page with a flash picture). A step
// outside the guide changes nothing but the step label.
GuideState applyGuideStep(const GuideTable &table, const GuideState &state, int delta);

// The part of a flash page that runs after its wait. It applies only while
// the step label still shows that page: a click during the wait has moved on,
// and the page the user went to stays as it is.
GuideState finishFlash(const GuideTable &table, const GuideState &state);

} // namespace Guides
