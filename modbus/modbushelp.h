#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The Modbus/TCP client's teaching aids: the function list with each
// function's frame explained byte by byte, and the tool tips of the byte labels
// that show the layout of the frame last sent.
namespace ModbusHelp {

constexpr int kFunctionItems = 8;
constexpr int kHeaderBytes = 6;
constexpr int kPduLabels = 8;

// The function list's items, in order.
QStringList functionItems();
// The explanation of item 0 to 7: lines joined by CR LF.
QString explanation(int item);
// The item whose text is exactly text.
std::optional<int> itemForText(const QString &text);

// Fixed tips of the six header byte labels.
QString headerTip(int byte);
// The two notes on the Net ID.
QString netIdNote();
QString netIdExample();

// What one frame's function code does to the request and response byte labels:
// tips to set (unset ones keep the tip they had) and which labels show.
struct ByteTips
{
    std::array<std::optional<QString>, kPduLabels> command;
    std::array<std::optional<QString>, kPduLabels> response;
    std::array<bool, kPduLabels> commandVisible{};
    std::array<bool, kPduLabels> responseVisible{};
};
ByteTips byteTips(int functionCode);

} // namespace ModbusHelp
