#include "guides/shellopen.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

namespace {

#ifdef Q_OS_WIN
// Runs failed with reason from the event loop.
void failLater(const ShellOpen::Failed &failed, const QString &reason)
{
    QTimer::singleShot(0, QCoreApplication::instance(), [failed, reason] { failed(reason); });
}
#else
// What the desktop's file opening says by its exit status.
QString openerExitReason(int code)
{
    switch (code) {
    case 1:
        return QStringLiteral("xdg-open did not take the file name");
    case 2:
        return QStringLiteral("the file does not exist");
    case 3:
        return QStringLiteral("a program that xdg-open needs is missing");
    case 4:
        return QStringLiteral("no program opened it (none may be set for this kind of file)");
    default:
        return QStringLiteral("xdg-open ended with code %1").arg(code);
    }
}
#endif

// Windows: the shell's URL handler opens the file as a double click would,
// in a normal focused window. Elsewhere: the desktop's file opening, whose
// answer comes when it ends (it may run as long as the program it started).
class SystemShellOpen final : public ShellOpen
{
public:
    void openFile(const QString &path, Failed failed) override
    {
#ifdef Q_OS_WIN
        QProcess process;
        process.setProgram(QStringLiteral("rundll32.exe"));
        // The handler takes the rest of the command line as the file name,
        // so the name is passed as it is, without quoting.
        process.setNativeArguments(QStringLiteral("url.dll,FileProtocolHandler ") + path);
        if (!process.startDetached())
            failLater(failed, QStringLiteral("rundll32.exe could not be started"));
#else
        auto *opener = new QProcess(QCoreApplication::instance());
        opener->setProgram(QStringLiteral("xdg-open"));
        opener->setArguments({QFileInfo(path).absoluteFilePath()});
        // No pipes: the program it starts may outlive this one.
        opener->setStandardOutputFile(QProcess::nullDevice());
        opener->setStandardErrorFile(QProcess::nullDevice());
        // Queued: a start that fails at once is told from the event loop too.
        QObject::connect(
            opener, &QProcess::errorOccurred, opener,
            [opener, failed](QProcess::ProcessError error) {
                if (error != QProcess::FailedToStart)
                    return;
                failed(QStringLiteral("xdg-open could not be started (%1)")
                           .arg(opener->errorString()));
                opener->deleteLater();
            },
            Qt::QueuedConnection);
        QObject::connect(
            opener, &QProcess::finished, opener,
            [opener, failed](int code, QProcess::ExitStatus status) {
                if (status == QProcess::CrashExit)
                    failed(QStringLiteral("xdg-open stopped unexpectedly"));
                else if (code != 0)
                    failed(openerExitReason(code));
                opener->deleteLater();
            },
            Qt::QueuedConnection);
        opener->start();
#endif
    }
};

ShellOpen *g_installed = nullptr;

} // namespace

ShellOpen &ShellOpen::current()
{
    static SystemShellOpen system;
    return g_installed ? *g_installed : system;
}

void ShellOpen::install(ShellOpen *opener)
{
    g_installed = opener;
}
