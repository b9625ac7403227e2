#include "app/app.h"
#include "console/console.h"
#include "guides/guides.h"
#include "modbus/modbus.h"
#include "netclient/netclient.h"

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

    registerAppWindows();
    registerConsoleWindows();
    registerNetclientWindows();
    registerModbusWindows();
    registerGuidesWindows();
    return runProgram(parser.values(showOption));
}
