// Where the report of the PC's addresses comes from on this system, and how
// its file is opened: the name is fixed and the folder may be writable by
// others, so the file is used only when it is a plain one, never through a
// symbolic link.
#include "console/ipconfigreport.h"

#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#ifdef Q_OS_WIN
#include <QProcess>
#include <QStandardPaths>

#include <windows.h>
#else
#include "app/hostnet.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace IpconfigReport {

namespace {

const QString kLinkReason = QStringLiteral("it is a symbolic link");
const QString kNotFileReason = QStringLiteral("it is not a regular file");

QString cannotWrite(const QString &path, const QString &reason)
{
    return QStringLiteral("%1 cannot be written: %2").arg(path, reason);
}

} // namespace

#ifdef Q_OS_WIN

PcAddresses readFile(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink() || info.isJunction() || !info.isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return read(file.read(kMaxReportBytes));
}

bool produce(const QString &path, QString *why, bool *refused)
{
    if (refused)
        *refused = false;
    const QFileInfo target(path);
    // The command's redirection would follow a link: look first.
    const bool link = target.isSymLink() || target.isJunction();
    if (link || (target.exists() && !target.isFile())) {
        if (why)
            *why = cannotWrite(path, link ? kLinkReason : kNotFileReason);
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

PcAddresses readFile(const QString &path)
{
    // A named pipe would hold the window in open() until a writer came.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return {};
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle))
        return {};
    return read(file.read(kMaxReportBytes));
}

bool produce(const QString &path, QString *why, bool *refused)
{
    if (refused)
        *refused = false;
    auto fail = [&](const QString &reason, bool refusal) {
        if (why)
            *why = cannotWrite(path, reason);
        if (refused)
            *refused = refusal;
        return false;
    };
    const QByteArray name = QFile::encodeName(path);
    struct stat st = {};
    if (::lstat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return fail(S_ISLNK(st.st_mode) ? kLinkReason : kNotFileReason, true);
    // The name may change after that look: the opening follows no link and
    // waits for no reader, and the file is emptied only once it is known to
    // be a plain one.
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                          0666);
    if (fd < 0) {
        const int error = errno;
        return error == ELOOP ? fail(kLinkReason, true)
                              : fail(QString::fromLocal8Bit(std::strerror(error)), false);
    }
    auto failClosing = [&](int error, bool refusal) {
        ::close(fd);
        return fail(refusal ? kNotFileReason : QString::fromLocal8Bit(std::strerror(error)),
                    refusal);
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return failClosing(0, true);
    if (::ftruncate(fd, 0) != 0)
        return failClosing(errno, false);
    const QByteArray report = write(fromHostNet(HostNet::Source::current()));
    for (qsizetype done = 0; done < report.size();) {
        const ssize_t n = ::write(fd, report.constData() + done, size_t(report.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return failClosing(n < 0 ? errno : ENOSPC, false);
        done += n;
    }
    if (::close(fd) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)), false);
    return true;
}

#endif

} // namespace IpconfigReport
