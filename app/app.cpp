#include "app/app.h"

#include "app/look.h"
#include "app/main1.h"
#include "app/windows.h"

#include <QApplication>

void registerAppWindows()
{
    Windows::add(WindowName::Main1, Windows::Mode::Modeless, [] { return new Main1; });
}

int runProgram(const QStringList &extraWindows)
{
    QApplication::setWindowIcon(artworkIcon(QStringLiteral(":/icon.svg"), {16, 32, 64}));
    Windows::show(WindowName::Main1);
    // Over the launcher: no window is active yet at start.
    for (const QString &name : extraWindows)
        Windows::showModalOver(name, Windows::loaded(WindowName::Main1));
    const int code = QApplication::exec();
    Windows::clear();
    return code;
}
