#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Fixed texts and modem commands of the terminal's log, file transmission and
// dialling.
namespace TerminalTools {

inline const QString kLogDialogTitle = QStringLiteral("開啟通訊記錄檔");
inline const QString kLogFilter = QStringLiteral("記錄檔 (*.LOG)|*.log|所有檔案 (*.*)|*.*");
inline const QString kTransmitDialogTitle = QStringLiteral("傳送文字檔");
inline const QString kTransmitFilter =
    QStringLiteral("Text Files (*.TXT)|*.txt|All Files (*.*)|*.*");
inline const QString kDialPrompt = QStringLiteral("輸入電話號碼:");
inline const QString kDialTitle = QStringLiteral("撥號");
// What the dial prompt offers: a fixed example number that the user replaces
// with the one to dial.
inline const QString kDefaultNumber = QStringLiteral("5551234");
inline const QString kHangUpCommand = QStringLiteral("ATH");

// "要取代既有的檔案嗎 - " + the file's full path + "?".
QString replaceQuestion(const QString &path);
// The window's caption while path is the log: "PortView 終端機 - " + its name.
QString logCaption(const QString &path);
// A log that cannot be opened or created: its full path and why.
QString logOpenFailedText(const QString &path, const QString &why);
// The line that the capture log gets where text was left out while it could
// not be written.
QString notLoggedText(qint64 chars);
// The file's full path + " 找不到!".
QString notFoundText(const QString &path);
// "ATDT" + number + CR LF.
QString dialCommand(const QString &number);
// A transmission that stopped before the end of its file.
QString interruptedText(const QString &path, const QString &why, qint64 delivered, qint64 total);
// The full path as the system writes it.
QString fullPath(const QString &path);

} // namespace TerminalTools

// A file read for sending in blocks of at most the port's transmit buffer:
// exactly its bytes, the last block as short as what is left.
class FileBlocks
{
public:
    // False, with errorText(), when the file cannot be read.
    bool open(const QString &path);
    qint64 size() const { return m_size; }
    bool atEnd() const { return m_read >= m_size; }
    // The next block of at most maxBytes (1 or more); empty, with errorText(),
    // when reading failed.
    QByteArray next(int maxBytes);
    QString errorText() const { return m_error; }

private:
    QFile m_file;
    qint64 m_size = 0;
    qint64 m_read = 0;
    QString m_error;
};
