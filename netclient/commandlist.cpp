#include "netclient/commandlist.h"

#include "netclient/commandlisttext.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

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
    // The columns are character places: a fixed pitch lines them up.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(8);
    text->setFont(fixed);
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
