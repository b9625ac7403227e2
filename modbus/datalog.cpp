#include "modbus/datalog.h"

#include "app/codepage.h"

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

namespace {

const QString kLinkReason = QStringLiteral("it is a symbolic link");
const QString kNotFileReason = QStringLiteral("it is not a regular file");

} // namespace

bool DataLog::open(const QString &path)
{
    close();
    m_error.clear();
#ifdef Q_OS_WIN
    const QFileInfo info(path);
    if (info.isSymLink() || info.isJunction()) {
        m_error = kLinkReason;
        return false;
    }
    if (info.exists() && !info.isFile()) {
        m_error = kNotFileReason;
        return false;
    }
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        m_error = m_file.errorString();
        return false;
    }
    return true;
#else
    const QByteArray name = QFile::encodeName(path);
    struct stat st = {};
    if (::lstat(name.constData(), &st) == 0) {
        if (S_ISLNK(st.st_mode)) {
            m_error = kLinkReason;
            return false;
        }
        if (!S_ISREG(st.st_mode)) {
            m_error = kNotFileReason;
            return false;
        }
    }
    // The name may change between the look above and the opening: the
    // opening itself follows no link and waits for no reader, and the file
    // is emptied only once it is known to be a plain one.
    const int fd = ::open(name.constData(),
                          O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        m_error = errno == ELOOP ? kLinkReason : QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        m_error = kNotFileReason;
        return false;
    }
    if (::ftruncate(fd, 0) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
        return false;
    }
    // Unbuffered: a failed write shows with the line that caused it.
    if (!m_file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFile::AutoCloseHandle)) {
        m_error = m_file.errorString();
        return false;
    }
    return true;
#endif
}

bool DataLog::writeLine(const QString &line)
{
    if (!m_file.isOpen())
        return false;
    const QByteArray bytes = Cp950::fromUnicode(line) + "\r\n";
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 n = m_file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            m_error = m_file.errorString();
            if (m_error.isEmpty())
                m_error = QStringLiteral("the line could not be written");
            return false;
        }
        done += n;
    }
    return true;
}

void DataLog::close()
{
    if (m_file.isOpen())
        m_file.close();
}
