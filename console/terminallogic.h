#pragma once

#include <QString>

#include <optional>

// Fixed texts and small conversions of the serial terminal.
namespace TerminalLogic {

// The title the configuration window gives the program, and the application
// name its saved settings are kept under.
inline const QString kTitle = QStringLiteral("PortView 終端機");
inline const QString kSettingsSection = QStringLiteral("Properties");

inline const QString kStatusPrefix = QStringLiteral("狀態: ");
inline const QString kSettingsPrefix = QStringLiteral("設定: ");
inline const QString kErrorBoxTitle =
    QStringLiteral("按下「取消」結束離開，按下「確定」忽略這個錯誤繼續執行。");
// Status texts of our own: a console exchange is already running; a console
// exchange found the port closed.
inline const QString kBusyText = QStringLiteral("裝置通訊中，請稍候");
inline const QString kPortClosedText = QStringLiteral("通訊埠未開啟");

// What a communication event code means to the user.
struct CommEventText
{
    enum class Kind { None, Event, Error };
    Kind kind = Kind::None;
    QString text;
};
// Receive (2) and send (1) have no text; unknown codes are errors.
CommEventText commEventText(int code);

// The character code that a key press types into the terminal, as the key
// press handler takes it; 0 for a key that types no character (Delete, the
// arrows, function keys, a modifier alone). Backspace, Tab, Enter, Escape and
// Ctrl with a letter type their control characters on every platform.
int keyAscii(int key, Qt::KeyboardModifiers modifiers, const QString &text);

// The connect clock: the time of day of an elapsed time, "hh:nn:ss" and one
// blank; it starts again from zero after 24 hours.
QString connectTime(qint64 elapsedSeconds);

// Saved setting texts as the window applies them. Nothing when the text is
// not a number of that width, or not a truth value.
std::optional<qint16> toInt16(const QString &text);
std::optional<qint32> toInt32(const QString &text);
// "True"/"False" in any case, or a number (not 0 is true).
std::optional<bool> toBool(const QString &text);

} // namespace TerminalLogic
