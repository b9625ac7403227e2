// Where the report of the PC's addresses comes from on this system.
#include "console/ipconfigreport.h"

#include <QFileInfo>
#include <QtGlobal>

#ifdef Q_OS_WIN
#include <QProcess>
#include <QStandardPaths>

#include <windows.h>
#else
#include "app/hostnet.h"

#include <QSaveFile>
#endif

namespace IpconfigReport {

#ifdef Q_OS_WIN

bool produce(const QString &path, QString *why)
{
    const QFileInfo target(path);
    // The interpreter of the older systems; the newer ones have only their own.
    QString shell = QStandardPaths::findExecutable(QStringLiteral("COMMAND.COM"));
    if (shell.isEmpty())
        shell = qEnvironmentVariable("COMSPEC", QStringLiteral("cmd.exe"));
    QProcess command;
    command.setProgram(shell);
    command.setNativeArguments(QStringLiteral("/c ipconfig/all > ") + target.fileName());
    command.setWorkingDirectory(target.absolutePath());
    // Hidden: no console window flashes up over the form.
    command.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *args) {
        args->flags = (args->flags & ~DWORD(CREATE_NEW_CONSOLE)) | CREATE_NO_WINDOW;
        args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        args->startupInfo->wShowWindow = SW_HIDE;
    });
    if (command.startDetached())
        return true;
    if (why)
        *why = QStringLiteral("%1 cannot be started: %2").arg(shell, command.errorString());
    return false;
}

#else

bool produce(const QString &path, QString *why)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)
        && file.write(write(fromHostNet(HostNet::Source::current()))) >= 0 && file.commit())
        return true;
    if (why)
        *why = QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString());
    return false;
}

#endif

} // namespace IpconfigReport
