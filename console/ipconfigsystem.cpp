// Where the report of the PC's addresses comes from on this system, and how
// its file is opened: the name is fixed and the folder may be writable by
// others, so the file is used only when it is a plain one, never through a
// symbolic link.
#include "console/ipconfigreport.h"

#include "app/plainfile.h"

#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#ifdef Q_OS_WIN
#include <QProcess>
#include <QStandardPaths>

#include <windows.h>
#else
#include "app/hostnet.h"
#endif

namespace IpconfigReport {

namespace {

QString cannotWrite(const QString &path, const QString &reason)
{
    return QStringLiteral("%1 cannot be written: %2").arg(path, reason);
}

} // namespace

#ifdef Q_OS_WIN

bool produce(const QString &path, QString *why, bool *refused)
{
    if (refused)
        *refused = false;
    const QFileInfo target(path);
    // The command's redirection would follow a link: look first.
    const bool link = target.isSymLink() || target.isJunction();
    if (link || (target.exists() && !target.isFile())) {
        if (why)
            *why = cannotWrite(path, link ? PlainFile::linkReason() : PlainFile::notFileReason());
        if (refused)
            *refused = true;
        return false;
    }
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

bool produce(const QString &path, QString *why, bool *refused)
{
    QFile file;
    QString reason;
    bool failed = !PlainFile::openForWriting(file, path, &reason, refused);
    if (!failed) {
        const QByteArray report = write(fromHostNet(HostNet::Source::current()));
        failed = file.write(report) != report.size();
        if (failed)
            reason = file.errorString();
        file.close();
    }
    if (failed && why)
        *why = cannotWrite(path, reason);
    return !failed;
}

#endif

PcAddresses readFile(const QString &path)
{
    QFile file;
    if (!PlainFile::openForReading(file, path))
        return {};
    return read(file.read(kMaxReportBytes));
}

} // namespace IpconfigReport
