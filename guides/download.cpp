#include "guides/download.h"

#include "app/dialogs.h"
#include "app/windows.h"
#include "guides/downloadmenu.h"
#include "guides/guidecontrols.h"
#include "guides/shellopen.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include <algorithm>

using namespace Guides;

namespace {

const QString kWizardToolTip =
    QStringLiteral("You can download rom image to 4630K by Hyperterminal");
constexpr qreal kHeadingPoints = 9;

} // namespace

Download::Download(QWidget *parent) : Form(parent)
{
    setWindowTitle(QStringLiteral("Download"));
    setClientSizeTwips(5610, 3570);

    Label4 = label(QStringLiteral("Label4"),
                   QStringLiteral("You have 2 ways to download 4630K's new image file to 4630K"),
                   {120, 120, 5415, 495});
    Label4->setWordWrap(true);
    Label4->setFont(letteringFont(font(), kMingFaces, kHeadingPoints, true));
    Label2 = label(QStringLiteral("Label2"),
                   QStringLiteral("1. Use \"imgput /e\" command to download image file to 4630K"),
                   {120, 840, 4575, 255});
    Label1 = label(QStringLiteral("Label1"),
                   QStringLiteral("2. If your 4630K can't type any command (ex: System show "
                                  "halted..)"),
                   {120, 2040, 5415, 255});
    Label3 = label(QStringLiteral("Label3"),
                   QStringLiteral("Use Init* to GND to download the image to 4630K"),
                   {120, 2400, 4215, 255});
    // A line of text is never cut short where the face is wider than the
    // layout's: the label grows to its right, where the window is empty.
    for (QLabel *line : {Label2, Label1, Label3})
        line->resize(std::max(line->width(), line->sizeHint().width()), line->height());

    // The launcher's PC COM port, out of sight.
    Label5 = label(QStringLiteral("Label5"), QStringLiteral("Label5"), {4920, 2760, 615, 255});
    Label5->hide();

    // Created in their tab order: the first "Wizard" first.
    Command6 = button(QStringLiteral("Command6"), QStringLiteral("Wizard"), {120, 1080, 1575, 375});
    Command6->setToolTip(kWizardToolTip);
    Command1 = button(QStringLiteral("Command1"), QStringLiteral("Wizard"), {120, 2640, 1575, 375});
    Command1->setToolTip(kWizardToolTip);
    Command4 = button(QStringLiteral("Command4"), QStringLiteral("Exit"), {4200, 3120, 1335, 375});
    setCancelButton(Command4);

    connect(Command6, &QPushButton::clicked, this, &Download::Command6_Click);
    connect(Command1, &QPushButton::clicked, this, &Download::Command1_Click);
    connect(Command4, &QPushButton::clicked, this, &Download::Command4_Click);
}

void Download::Command6_Click()
{
    ShowGuideForPort(GuideId::Terminalwizard);
}

void Download::Command1_Click()
{
    ShowGuideForPort(GuideId::Terminalwizard1);
}

void Download::Command4_Click()
{
    close();
}

void Download::ShowGuideForPort(GuideId guide)
{
    // Only COM1 to COM4 have a connection file; any other name does nothing.
    const auto launch = launchForPort(Label5->text(), guide, connectionFileFolders());
    if (!launch)
        return;
    // The terminal program runs on its own and nothing waits for it. Should
    // the opening fail, its answer comes while the guide is open: it is said
    // over the guide, or over the menu once the guide has closed.
    const QString file = launch->file;
    const QString guideName = Guides::guide(launch->guide).windowName;
    QPointer<Download> self(this);
    ShellOpen::current().openFile(file, [self, file, guideName](const QString &reason) {
        QWidget *over = Windows::loaded(guideName);
        if (!over)
            over = self;
        msgBox(over, openingFailedText(file, reason), QMessageBox::Ok, QMessageBox::Warning);
    });
    showModal(guideName);
}
