#include "console/terminaltools.h"

#include "console/terminallogic.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace TerminalTools {

QString fullPath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString replaceQuestion(const QString &path)
{
    return QStringLiteral("要取代既有的檔案嗎 - ") + fullPath(path) + QLatin1Char('?');
}

QString logCaption(const QString &path)
{
    return TerminalLogic::kTitle + QStringLiteral(" - ") + QFileInfo(path).fileName();
}

QString logOpenFailedText(const QString &path, const QString &why)
{
    return QStringLiteral("無法開啟記錄檔 %1: %2").arg(fullPath(path), why);
}

QString notLoggedText(qint64 chars)
{
    return QStringLiteral("*** 記錄檔無法寫入, %1 個字元未記錄 ***").arg(chars);
}

QString notFoundText(const QString &path)
{
    return fullPath(path) + QStringLiteral(" 找不到!");
}

QString dialCommand(const QString &number)
{
    return QStringLiteral("ATDT") + number + QStringLiteral("\r\n");
}

QString interruptedText(const QString &path, const QString &why, qint64 delivered, qint64 total)
{
    // One arg() for all: a "%" in the path must stay as it is.
    return QStringLiteral("%1 傳送中斷: %2 (已送出 %3 / %4 位元組)")
        .arg(fullPath(path), why, QString::number(delivered), QString::number(total));
}

} // namespace TerminalTools

bool FileBlocks::open(const QString &path)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_error = m_file.errorString();
        return false;
    }
    m_size = m_file.size();
    m_read = 0;
    return true;
}

QByteArray FileBlocks::next(int maxBytes)
{
    const qint64 want = std::min<qint64>(std::max(maxBytes, 1), m_size - m_read);
    QByteArray block(want, Qt::Uninitialized);
    const qint64 n = want > 0 ? m_file.read(block.data(), want) : 0;
    if (n <= 0) {
        // Shorter than it was at the start, or unreadable: nothing more to send.
        m_error = n < 0 ? m_file.errorString() : QStringLiteral("The file ended early.");
        m_read = m_size;
        return QByteArray();
    }
    block.truncate(n);
    m_read += n;
    return block;
}
