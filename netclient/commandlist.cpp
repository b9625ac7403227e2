#include "netclient/commandlist.h"

#include "app/look.h"
#include "netclient/commandlisttext.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// The help text's size: 8 points at 96 dots per inch.
constexpr int kTextPixels = 11;

} // namespace

commandlist::commandlist(QWidget *parent) : Form(parent)
{
    setWindowTitle(QStringLiteral("4630K command list"));
    setClientSizeTwips(7950, 5295);

    QFont heading = font();
    heading.setFamily(QStringLiteral("Arial"));
    heading.setBold(true);
    struct Head
    {
        QLabel *&label;
        const char *name;
        const char *caption;
        int left;
    };
    const Head heads[] = {{Label1, "Label1", "Command:", 120},
                          {Label2, "Label2", "Explanations:", 1200},
                          {Label3, "Label3", "Input:", 4320},
                          {Label4, "Label4", "Return:", 5880}};
    for (const Head &h : heads) {
        h.label = label(QString::fromLatin1(h.name), QString::fromLatin1(h.caption),
                        {h.left, 120, 1095, 255});
        h.label->setFont(heading);
    }

    text = placed<QPlainTextEdit>(QStringLiteral("text"), {120, 360, 7695, 4455});
    // The head lines' fields stand at character columns after runs of
    // blanks. In a proportional face the blanks are narrow, and at this size
    // each field starts under its column head; a fixed pitch puts the example
    // and reply fields far to the right, past the box.
    QFont proportional = windowFont(font());
    proportional.setPixelSize(kTextPixels);
    text->setFont(proportional);
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setUndoRedoEnabled(false);

    Command1 = button(QStringLiteral("Command1"), QStringLiteral("Exit"), {6720, 4920, 1095, 375});
    setCancelButton(Command1);
    connect(Command1, &QPushButton::clicked, this, &commandlist::Command1_Click);
}

void commandlist::formLoad()
{
    text->setPlainText(CommandListText::text());
}

void commandlist::Command1_Click()
{
    close();
}
