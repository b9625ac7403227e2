#include "guides/guidestep.h"

namespace Guides {

namespace {

const QString kCR = QStringLiteral("\r");

const QString kWiringDark = QStringLiteral(":/guides/wiring-dark.svg");
const QString kWiringLit = QStringLiteral(":/guides/wiring-lit.svg");
const QString kWiringDarkInit = QStringLiteral(":/guides/wiring-dark-init.svg");
const QString kWiringLitInit = QStringLiteral(":/guides/wiring-lit-init.svg");
const QString kTerminalPrompt = QStringLiteral(":/guides/terminal-prompt.svg");
const QString kTerminalImgput = QStringLiteral(":/guides/terminal-imgput.svg");
const QString kTerminalTransfer = QStringLiteral(":/guides/terminal-transfer.svg");
const QString kTerminalRequest = QStringLiteral(":/guides/terminal-request.svg");
const QString kSendFile = QStringLiteral(":/guides/sendfile.svg");
const QString kXmodemProgress = QStringLiteral(":/guides/xmodem-progress.svg");
const QString kTerminalRestarted = QStringLiteral(":/guides/terminal-restarted.svg");

// All three guide windows share the window size and the picture rectangle.
constexpr QSize kClientTwips(6030, 4275);
constexpr QRect kPictureTwips(240, 720, 4530, 3390);
constexpr QSize kPictureSize(300, 224);
// The download guides' step label is narrower than the wizard's.
constexpr QRect kDownloadStepTwips(120, 120, 735, 375);

// The Init* picture shows this long on the wizard's last page.
constexpr int kInitFlashMs = 1500;

// The texts that two download guides share.
const QString kSelectSendFile = QStringLiteral("Select transfer / Send file...");
const QString kChooseProtocol =
    QStringLiteral("To choose the image and select the Xmodem protocal then press Send");
const QString kWaitTransfer = QStringLiteral("Wait for transfer finish....");
const QString kRebootAfter = QStringLiteral("The 4630K will be reboot after transfer finish.");

// What every guide window shares: its caption, size and picture rectangle.
GuideTable guideWindow(GuideId id, const QString &windowName)
{
    GuideTable t;
    t.id = id;
    t.windowName = windowName;
    t.caption = QStringLiteral("Wizard");
    t.clientTwips = kClientTwips;
    t.pictureTwips = kPictureTwips;
    t.pictureSize = kPictureSize;
    return t;
}

// The two download guides also share their control names and step label.
GuideTable downloadGuide(GuideId id, const QString &windowName, const QRect &textLabelTwips)
{
    GuideTable t = guideWindow(id, windowName);
    t.stepLabelName = QStringLiteral("Label1");
    t.textLabelName = QStringLiteral("Label2");
    t.exitName = QStringLiteral("Command4");
    t.stepLabelTwips = kDownloadStepTwips;
    t.textLabelTwips = textLabelTwips;
    return t;
}

GuideTable makeWizard()
{
    GuideTable t = guideWindow(GuideId::Wizard, QStringLiteral("Wizard"));
    t.stepLabelName = QStringLiteral("lblStep");
    t.textLabelName = QStringLiteral("lblDetail");
    t.exitName = QStringLiteral("CmdEXIT");
    t.stepLabelTwips = QRect(120, 120, 1215, 375);
    t.textLabelTwips = QRect(1080, 240, 4935, 1455);
    t.designText = QStringLiteral("Connect the device...");
    t.openingText = t.designText;
    t.pictures = {kWiringDark, kWiringLit, kWiringLitInit};
    t.pages = {
        {QStringLiteral("Connect the device."), 1, {}, false, true, Visibility::Unchanged},
        {QStringLiteral("Power on the 4630K and wait about 10 sec...") + kCR
             + QStringLiteral("(until the 7seg show IP information...)"),
         2, {}, true, true, Visibility::Hidden},
        {QStringLiteral("Init* to touch GND, 4630K will in Rom Dos prompt A:\\>") + kCR
             + QStringLiteral("You can configurate 4630K now (Connected by RS232)."),
         2, {}, true, false, Visibility::Shown, 3, kInitFlashMs},
    };
    return t;
}

GuideTable makeTerminalwizard()
{
    GuideTable t = downloadGuide(GuideId::Terminalwizard, QStringLiteral("Terminalwizard"),
                                 QRect(1080, 240, 4815, 675));
    t.designText = QStringLiteral("Make sure the 4630K's OS already in Rom Dos prompt A:\\>");
    // The window's loading shortens the design text.
    t.openingText = QStringLiteral("Make sure the 4630K already in Rom Dos prompt A:\\>");
    t.pictures = {kTerminalPrompt, kTerminalImgput, kTerminalTransfer,
                  kSendFile,       kXmodemProgress, kTerminalRestarted};
    t.lines = {
        {720, 3480, 2760, 600, kBlue, true},   // the prompt
        {2760, 600, 840, 3480, kBlue, false},  // the typed command
        {2400, 480, 2040, 1080, kBlue, false}, // Send File in the Transfer menu
        {2160, 480, 3360, 2280, kBlue, false}, // the Send button
        {3720, 480, 1560, 2640, kRed, false},  // the protocol box
    };
    t.pages = {
        {QStringLiteral("Make sure the 4630K's OS already in Rom Dos prompt A:\\>") + kCR
             + QStringLiteral("(After Portd.exe loaded, Init* to touch GND)"),
         1, {1}, false, true},
        {QStringLiteral("Type imgput /e and press enter to download image file to 4630K.") + kCR
             + QStringLiteral("Now 4630K will ready to receive image..."),
         2, {2}, true, true},
        {kSelectSendFile, 3, {3}, true, true},
        {kChooseProtocol, 4, {4, 5}, true, true},
        {kWaitTransfer, 5, {}, true, true},
        {kRebootAfter, 6, {}, true, false},
    };
    return t;
}

GuideTable makeTerminalwizard1()
{
    GuideTable t = downloadGuide(GuideId::Terminalwizard1, QStringLiteral("Terminalwizard1"),
                                 QRect(1080, 240, 5175, 615));
    t.designText = QStringLiteral("Connect Init* to GND before poweron 4630K");
    t.openingText = t.designText;
    t.pictures = {kWiringDarkInit, kWiringLitInit,  kWiringLit,        kTerminalRequest,
                  kSendFile,       kXmodemProgress, kTerminalRestarted};
    t.lines = {
        {2160, 480, 1200, 2400, kBlue, true},  // the Init* wire
        {2280, 480, 2040, 1200, kBlue, false}, // Send File in the Transfer menu
        {1920, 480, 3480, 2280, kBlue, false}, // the Send button
        {3360, 480, 1680, 2640, kRed, false},  // the protocol box
    };
    t.pages = {
        {QStringLiteral("Connect Init* to GND before power on 4630K"), 1, {1}, false, true},
        {QStringLiteral("Power on 4630K"), 2, {}, true, true},
        {QStringLiteral("Disconnect Init* to GND"), 3, {}, true, true},
        {kSelectSendFile, 4, {2}, true, true},
        {kChooseProtocol, 5, {3, 4}, true, true},
        {kWaitTransfer, 6, {}, true, true},
        {kRebootAfter, 7, {}, true, false},
    };
    return t;
}

void showOnly(QList<bool> &visible, int oneBased)
{
    for (qsizetype i = 0; i < visible.size(); ++i)
        visible[i] = (i + 1 == oneBased);
}

} // namespace

const GuideTable &guide(GuideId id)
{
    static const GuideTable wizard = makeWizard();
    static const GuideTable terminalwizard = makeTerminalwizard();
    static const GuideTable terminalwizard1 = makeTerminalwizard1();
    switch (id) {
    case GuideId::Terminalwizard:
        return terminalwizard;
    case GuideId::Terminalwizard1:
        return terminalwizard1;
    case GuideId::Wizard:
        break;
    }
    return wizard;
}

GuideState designState(const GuideTable &table)
{
    GuideState s;
    s.stepLabel = stepLabel(1);
    s.text = table.designText;
    s.pictureVisible = QList<bool>(table.pictures.size(), false);
    showOnly(s.pictureVisible, 1);
    for (const PointerLine &line : table.lines)
        s.lineVisible.append(line.visibleAtDesign);
    s.prviewEnabled = false;
    s.nextEnabled = true;
    s.configurationVisible = false;
    return s;
}

GuideState openingState(const GuideTable &table)
{
    GuideState s = designState(table);
    s.text = table.openingText;
    return s;
}

int stepFromLabel(const QString &caption)
{
    if (caption.isEmpty())
        return 0;
    const QChar last = caption.back();
    return last >= u'0' && last <= u'9' ? last.unicode() - u'0' : 0;
}

QString stepLabel(int step)
{
    return kStepPrefix + QString::number(step);
}

const GuidePage *pageOf(const GuideTable &table, int step)
{
    return step >= 1 && step <= table.lastStep() ? &table.pages.at(step - 1) : nullptr;
}

GuideState applyGuideStep(const GuideTable &table, const GuideState &state, int delta)
{
    GuideState s = state;
    const int step = stepFromLabel(state.stepLabel) + delta;
    s.stepLabel = stepLabel(step);
    const GuidePage *page = pageOf(table, step);
    if (!page)
        return s;

    s.text = page->text;
    if (page->flashPicture) {
        showOnly(s.pictureVisible, page->flashPicture);
        s.nextEnabled = false;
        return s;
    }
    showOnly(s.pictureVisible, page->picture);
    for (qsizetype i = 0; i < s.lineVisible.size(); ++i)
        s.lineVisible[i] = page->lines.contains(int(i) + 1);
    s.prviewEnabled = page->prviewEnabled;
    s.nextEnabled = page->nextEnabled;
    if (page->configuration != Visibility::Unchanged)
        s.configurationVisible = page->configuration == Visibility::Shown;
    return s;
}

GuideState finishFlash(const GuideTable &table, const GuideState &state)
{
    const GuidePage *page = pageOf(table, stepFromLabel(state.stepLabel));
    if (!page || !page->flashPicture)
        return state;
    GuideState s = state;
    showOnly(s.pictureVisible, page->picture);
    s.prviewEnabled = page->prviewEnabled;
    s.nextEnabled = page->nextEnabled;
    if (page->configuration != Visibility::Unchanged)
        s.configurationVisible = page->configuration == Visibility::Shown;
    return s;
}

} // namespace Guides
