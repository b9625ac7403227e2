#include "modbus/modbushelp.h"

namespace ModbusHelp {

namespace {

const char *const kItems[kFunctionItems] = {
    "Function Code 01(0x01) Read Coils for DO",
    "Function Code 02(0x02) Read Discrete Inputs for DI",
    "Function Code 03(0x03) Read Holding Registers for AO",
    "Function Code 04(0x04) Read Input Register for AI",
    "Function Code 05(0x05) Write Single Coil for DO",
    "Function Code 06(0x06) Write Single Register for AO",
    "Function Code 15(0x0F) Write Multiple Coils for DO",
    "Function Code 16(0x10) Write Multiple Registers for AO",
};

// What follows "Function call=" in each item's explanation.
const char *const kFunctionCall[kFunctionItems] = {"01", "02", "03", "04",
                                                   "05", "06", "0F (hex)", "10 (hex)"};

QStringList requestLines(int item, const QString &channel)
{
    switch (item) {
    case 0:
    case 1:
        return {channel, QStringLiteral("    Byte 4-5:     Bit count")};
    case 2:
    case 3:
        return {channel, QStringLiteral("    Byte 4-5:     Word count")};
    case 4:
        return {channel, QStringLiteral("    Byte 4:       =FF for trun ON coil, 00 for trun OFF coil"),
                QStringLiteral("    Byte 5:       =00")};
    case 5:
        return {channel, QStringLiteral("    Byte 4-5:     Register value")};
    case 6:
        return {channel, QStringLiteral("    Byte 4-5:     Bit count"),
                QStringLiteral("    Byte 6:       Byte count [B=(bit count + 7)/8]"),
                QStringLiteral("    Byte 7-(B+6): Data to be written (least significant is first coil)")};
    default:
        return {channel, QStringLiteral("    Byte 4-5:     Word count"),
                QStringLiteral("    Byte 6:       Byte count (B=2 x word count)"),
                QStringLiteral("    Byte 7-(B+6): Register values")};
    }
}

QStringList responseLines(int item, const QString &channel)
{
    switch (item) {
    case 0:
    case 1:
        return {QStringLiteral("    Byte 2:       Byte count of response [B=(bit count + 7)/8]"),
                QStringLiteral("    Byte 3-(B+2): Bit values (least significant is first coil)")};
    case 2:
    case 3:
        return {QStringLiteral("    Byte 2:       Byte count of response (B=2 x word count)"),
                QStringLiteral("    Byte 3-(B+2): Register values")};
    case 4:
        // This explanation alone ends with a line end.
        return {channel,
                QStringLiteral("    Byte 4:       =FF to trun ON coil, =00 to trun OFF coil (echoed)"),
                QStringLiteral("    Byte 5:       =00"), QString()};
    case 5:
        return {channel, QStringLiteral("    Byte 4-5:     Register value")};
    case 6:
        return {channel, QStringLiteral("    Byte 4-5:     Bit count")};
    default:
        return {channel, QStringLiteral("    Byte 4-5:     Word count")};
    }
}

const QString kNetId = QStringLiteral(" Net ID (Device number) ");
const QString kRefHigh = QStringLiteral(" Reference number (high byte) ");
const QString kRefLow = QStringLiteral(" Reference number (low byte) ");

} // namespace

QStringList functionItems()
{
    QStringList items;
    for (const char *item : kItems)
        items << QString::fromLatin1(item);
    return items;
}

QString explanation(int item)
{
    if (item < 0 || item >= kFunctionItems)
        return QString();
    const QString itemText = QString::fromLatin1(kItems[item]);
    const QString functionLine =
        QStringLiteral("    Byte 1:       Function call=") + QLatin1String(kFunctionCall[item]);
    const QString channel =
        QStringLiteral("    Byte 2-3:     Channel NO. of Device for ") + itemText.right(2);
    const QString netId = QStringLiteral("    Byte 0:       Net ID (Device number)");

    QStringList lines;
    lines << (item == 5 || item == 6 ? QStringLiteral("[Prefixed 6 bytes of Modbus/TCP protocol]")
                                     : QStringLiteral("[Prefixed 6 bytes for Modbus/TCP protocol]"))
          << QStringLiteral("    Byte 0: MB transaction identificaion - copied by server - normally 0")
          << QStringLiteral("    Byte 1: MB transaction identificaion - copied by server - normally 0")
          << QStringLiteral("    Byte 2: MB protocol identification=0")
          << QStringLiteral("    Byte 3: MB protocol identification=0")
          << QStringLiteral("    Byte 4: Length field for Upper byte=0")
          << QStringLiteral("                (since all messages are smaller than 256)")
          << QStringLiteral("    Byte 5: Length field for Lower byte=number of bytes following")
          << QString();
    lines << QStringLiteral("[Request]") << netId << functionLine << requestLines(item, channel);
    lines << QString() << QStringLiteral("[Response]") << netId << functionLine
          << responseLines(item, channel);
    return lines.join(QLatin1String("\r\n"));
}

std::optional<int> itemForText(const QString &text)
{
    for (int i = 0; i < kFunctionItems; ++i) {
        if (text == QLatin1String(kItems[i]))
            return i;
    }
    return std::nullopt;
}

QString headerTip(int byte)
{
    switch (byte) {
    case 0:
    case 1:
        return QStringLiteral(" Transaction identifier - copied by server - usually 0 ");
    case 2:
    case 3:
        return QStringLiteral(" Protocol identifier=0 ");
    case 4:
        return QStringLiteral(" Length field (upper byte)=0 ");
    case 5:
        return QStringLiteral(" Length field (lower byte)=number of bytes following ");
    default:
        return QString();
    }
}

QString netIdNote()
{
    return QStringLiteral(
        "Note: The NetID is mean one byte, left digit of one byte is mean gateway COM port no of "
        "RM4630K-M being used. and right digit of one byte is mean slave RTU device addr.");
}

QString netIdExample()
{
    return QStringLiteral(
        "EX: NetID:21 Hex mean COM2 of RM4630K-M and 01 is address of Modbus device.");
}

ByteTips byteTips(int functionCode)
{
    ByteTips t;
    const QString call = QStringLiteral(" Function call=%1) ").arg(functionCode);
    t.command[0] = kNetId;
    t.command[1] = call;
    t.command[2] = kRefHigh;
    t.command[3] = kRefLow;
    t.response[0] = kNetId;
    t.response[1] = call;
    for (int i = 0; i < 4; ++i)
        t.commandVisible[i] = true;
    t.responseVisible[0] = t.responseVisible[1] = true;

    auto command = [&t](int i, const QString &tip) {
        t.command[i] = tip;
        t.commandVisible[i] = true;
    };
    auto response = [&t](int i, const QString &tip) {
        t.response[i] = tip;
        t.responseVisible[i] = true;
    };
    const QString coil = QStringLiteral(" =FF to turn ON coil, =00 to turn OFF coil ");
    switch (functionCode) {
    case 1:
    case 2:
        command(4, QStringLiteral(" Bit count (high byte) "));
        command(5, QStringLiteral(" Bit count (low byte) "));
        response(2, QStringLiteral(" Byte count of response [B=(bit count + 7)/8] "));
        response(3, QStringLiteral(" Byte 3-(B+2): Bit values (least significant is first coil) "));
        break;
    case 3:
    case 4:
        command(4, QStringLiteral(" Word count (high byte) "));
        command(5, QStringLiteral(" Word count (low byte) "));
        response(2, QStringLiteral(" Byte count of response (B=2 x word count) "));
        response(3, QStringLiteral(" Byte 3-(B+2): Register values "));
        break;
    case 5:
        command(4, coil);
        command(5, QStringLiteral(" 00 "));
        response(2, kRefHigh);
        response(3, kRefLow);
        response(4, coil);
        response(5, QStringLiteral(" 00 "));
        break;
    case 6:
        command(4, QStringLiteral(" Register value (high byte) "));
        command(5, QStringLiteral(" Register value (low byte) "));
        response(2, kRefHigh);
        response(3, kRefLow);
        response(4, QStringLiteral(" Register value (high byte) "));
        response(5, QStringLiteral(" Register value (low byte) "));
        break;
    case 15:
        command(4, QStringLiteral(" Bit count (high byte) "));
        command(5, QStringLiteral(" Bit count (low byte) "));
        command(6, QStringLiteral(" Byte count of response [B=(bit count + 7)/8] "));
        command(7, QStringLiteral(" Byte 7-(B+6): Data to be written (least significant is first coil) "));
        response(2, kRefHigh);
        response(3, kRefLow);
        response(4, QStringLiteral(" Bit count (high byte) "));
        response(5, QStringLiteral(" Bit count (low byte) "));
        break;
    case 16:
        command(2, kRefHigh);
        command(3, kRefLow);
        command(4, QStringLiteral(" Word count (high byte) "));
        command(5, QStringLiteral(" Word count (low byte) "));
        command(6, QStringLiteral(" Byte count (B=2 x word count) "));
        command(7, QStringLiteral(" Byte 7-(B+6): Register values "));
        response(2, kRefHigh);
        response(3, kRefLow);
        response(4, QStringLiteral(" Word count (high byte) "));
        response(5, QStringLiteral(" Word count (low byte) "));
        break;
    default:
        break;
    }
    return t;
}

} // namespace ModbusHelp
