#include "app/app.h"
#include "program/allwindows.h"

#include <QApplication>
#include <QCommandLineParser>

#include <csignal>

int main(int argc, char *argv[])
{
#ifdef Q_OS_UNIX
    // A write to a pipe whose reader has gone, or past the file-size limit,
    // then fails with EPIPE or EFBIG and is told like any failed write,
    // instead of ending the program unannounced. Set before any thread
    // starts, so that every thread has it.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
#endif
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
