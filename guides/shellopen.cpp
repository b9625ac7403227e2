#include "guides/shellopen.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {

// Windows: the shell's URL handler opens the file as a double click would,
// in a normal focused window. Elsewhere: the desktop's file opening.
class SystemShellOpen final : public ShellOpen
{
public:
    bool openFile(const QString &path) override
    {
#ifdef Q_OS_WIN
        QProcess process;
        process.setProgram(QStringLiteral("rundll32.exe"));
        // The handler takes the rest of the command line as the file name,
        // so the name is passed as it is, without quoting.
        process.setNativeArguments(QStringLiteral("url.dll,FileProtocolHandler ") + path);
        return process.startDetached();
#else
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
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
