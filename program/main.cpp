#include "app/app.h"
#include "program/allwindows.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("rm4630k-utility"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Set-up and test utility for the 4630K"));
    parser.addHelpOption();
    const QCommandLineOption showOption(
        QStringLiteral("show"), QStringLiteral("Also opens window <name> at start."),
        QStringLiteral("name"));
    parser.addOption(showOption);
    parser.process(application);

    registerAllWindows();
    return runProgram(parser.values(showOption));
}
