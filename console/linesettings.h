#pragma once

#include <QSerialPort>
#include <QString>

#include <optional>

// The line settings of a serial port in their text form, "baud,parity,data,stop"
// (for example "57600,n,8,1"), and what they mean to QSerialPort.
struct LineSettings
{
    qint32 baudRate = 57600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    // The canonical text: "57600,n,8,1".
    QString text() const;

    // Reads a settings text; blanks around the fields and the case of the
    // parity letter do not matter. On failure returns nothing and, when error
    // is given, a text that names the bad value and the expected form.
    static std::optional<LineSettings> parse(const QString &text, QString *error = nullptr);
};

// Handshaking codes of the port: 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both.
namespace Handshake {
inline constexpr int kNone = 0;
inline constexpr int kXonXoff = 1;
inline constexpr int kRtsCts = 2;
inline constexpr int kBoth = 3;
} // namespace Handshake
