#include "app/plainfile.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <QFileInfo>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace PlainFile {

namespace {

bool fail(QString *why, bool *refused, const QString &reason, bool refusal)
{
    if (why)
        *why = reason;
    if (refused)
        *refused = refusal;
    return false;
}

} // namespace

#ifdef Q_OS_WIN

// Not free of races here: the name is looked at before it is opened.
bool openForWriting(QFile &file, const QString &path, QString *why, bool *refused)
{
    const QFileInfo info(path);
    if (info.isSymLink() || info.isJunction())
        return fail(why, refused, linkReason(), true);
    if (info.exists() && !info.isFile())
        return fail(why, refused, notFileReason(), true);
    file.setFileName(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return fail(why, refused, file.errorString(), false);
    if (refused)
        *refused = false;
    return true;
}

bool openForReading(QFile &file, const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink() || info.isJunction() || !info.isFile())
        return false;
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly);
}

#else

bool openForWriting(QFile &file, const QString &path, QString *why, bool *refused)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st = {};
    if (::lstat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return fail(why, refused, S_ISLNK(st.st_mode) ? linkReason() : notFileReason(), true);
    // The name may change after that look: the opening itself follows no link
    // and waits for no reader, and the file is emptied only once it is known
    // to be a plain one.
    const int fd =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        return error == ELOOP ? fail(why, refused, linkReason(), true)
                              : fail(why, refused, QString::fromLocal8Bit(std::strerror(error)),
                                     false);
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(why, refused, notFileReason(), true);
    }
    if (::ftruncate(fd, 0) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(why, refused, QString::fromLocal8Bit(std::strerror(error)), false);
    }
    if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFile::AutoCloseHandle))
        return fail(why, refused, file.errorString(), false);
    if (refused)
        *refused = false;
    return true;
}

bool openForReading(QFile &file, const QString &path)
{
    // A named pipe would hold the caller in open() until a writer came.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    return file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle);
}

#endif

} // namespace PlainFile
