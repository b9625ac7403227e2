#include "netclient/commandlisttext.h"

#include <initializer_list>
#include <vector>

namespace CommandListText {

namespace {

struct Detail
{
    int level;
    const char *text;
    // A note beside the line, at its own column.
    const char *note = nullptr;
    int noteColumn = 0;
};

struct Block
{
    const char *code;
    const char *explanation;
    const char *example;
    const char *reply;
    int explanationColumn;
    int exampleColumn;
    int replyColumn;
    std::vector<Detail> details;
    // Columns of detail levels 1, 2 and 3.
    int levelColumn[3] = {23, 26, 29};
};

constexpr int kSeparatorLength = 81;

std::vector<Detail> operator+(std::vector<Detail> a, const std::vector<Detail> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The baud rate and data format lines that codes 02, 03, 06 and 07 share.
std::vector<Detail> baudrateArgs(const char *errorLine)
{
    return {{1, "Arg: NBBBB"},
            {2, "N: COM port no (1~8)"},
            {2, "BBBB: Baudrate to be set"},
            {2, "(1200,2400,4800,9600,19200,38400,"},
            {2, "57600,115200)"},
            {1, "Return:"},
            {2, errorLine},
            {2, "OK: Success."}};
}

std::vector<Detail> dataFormatArgs()
{
    return {{1, "Arg: NDPS"},
            {2, "N: COM port no (1~8)"},
            {2, "D: Databit"},
            {3, "(7,8==>COM1~COM2)"},
            {3, "(5,6,7,8==>COM3~COM8)"},
            {2, "P: Parity"},
            {3, "(0==>none parity)"},
            {3, "(1==>even parity)"},
            {3, "(2==>odd  parity)"},
            {2, "S: Stopbit"},
            {3, "(1==>COM1~COM2)"},
            {3, "(1,2==>COM3~COM8)"},
            {1, "Return:"},
            {2, "ERROR: Fail,"},
            {2, "OK: Success."}};
}

std::vector<Detail> addressArgs()
{
    return {{1, "Arg: iiipppIIIPPP"},
            {2, "iii/ppp/III/PPP: 3 digits number(0~255)"},
            {1, "Return:"},
            {2, "ERROR: Fail,"},
            {2, "OK: Success."}};
}

const char kNotSupported[] = "Input Command Not Support: Module not support ModbusTCP,";

std::vector<Block> blocks()
{
    std::vector<Block> b = {
        {"00[arg]", "Stop Server Portd.exe.", "00quit", "(none)", 18, 73, 103,
         {{1, "Arg: quit"}, {1, "Return: (none)"}}},
        {"01", "Read version information.", "01", "V1.0.00[01/06/2003]", 21, 75, 108,
         {{1, "Return: Vm.n.rr[mm/dd/yy]"},
          {1, "m: major version"},
          {1, "n: minor version"},
          {1, "rr: reversion number"}}},
        {"02[arg]", "Set baudrate of COM ports", "02257600", "OK.", 18, 71, 98,
         baudrateArgs("ERROR: Fail")},
        {"03[arg]", "Set data format of COM ports", "032801", "OK.", 18, 70, 98, dataFormatArgs()},
        {"06[arg]", "Set Baudrate of COM port and write the", "0629600", "OK.", 18, 63, 92,
         std::vector<Detail>{{1, "baudrate setting to SEPROM."}} + baudrateArgs("ERROR: Fail,")},
        {"07[arg]", "Set data format of COM ports and write", "072801", "OK.", 18, 64, 93,
         std::vector<Detail>{{1, "the data format setting to EEPROM."}} + dataFormatArgs()},
        {"08[arg]", "Set IP address.", "08192009040100", "OK.", 18, 80, 101, addressArgs()},
        {"10", "Read Module name.", "10", "RM4630K", 21, 76, 109,
         {{1, "Return:"}, {2, "Module Name"}}},
        {"11[arg]", "Server test.", "11Hello!", "Hello!", 19, 82, 112,
         {{1, "Arg: SSS"}, {2, "String to be test."}, {1, "Return:"}, {2, "SSS"}}},
        {"12[arg]", "Set Gateway address.", "12192009040254", "OK", 18, 75, 96, addressArgs()},
        {"13", "Read Gateway address.", "13", "192.9.40.254", 21, 75, 108,
         {{1, "Return:"}, {2, "iii,ppp,III,PPP"}}},
        {"14", "Set Mask.", "14255255255000", "OK.", 21, 84, 105, {}},
        {"15", "Read Mask.", "15", "255.255.255.0", 21, 82, 115, {}},
        {"16[arg]", "Read COM port setting.", "162", "19200,8,0,1", 18, 73, 104,
         {{1, "Arg: N"},
          {2, "N: COM port no (1~8)"},
          {1, "Return:"},
          {2, "baudrate,data,parity,stop"}}},
        {"20[arg]", "Enabled/Disable LED show information.", "201", "OK.", 18, 62, 94,
         {{1, "Arg: E"},
          {2, "E: 0==>disabled, 1==>enabled."},
          {1, "Return:"},
          {2, "ERROR: Fail,"},
          {2, "OK: Success."}}},
        {"21", "Read MAC address.", "21", "00:00:f1:86:97:a6", 21, 77, 109,
         {{1, "Return:"}, {2, "Xx:xx,xx,xx,xx,xx"}}},
        {"22[arg]", "Enable/Disable flow control(COM1 only)", "2211", "OK", 18, 61, 92,
         {{1, "Arg: 11", "(Set COM1", 122},
          {2, "Enable flow control of COM1 & RTS", "flowcontrol enable)", 102},
          {2, "CTS auto control by hardware."},
          {1, "Arg: 10"},
          {2, "Disable flow control of COM1"}}},
        {"231", "Inquire the flow control status of COM", "331", "0", 20, 67, 99,
         {{1, "port (COM1 only)", "(Flow control of", 114},
          {1, "Return:", "COM1 is disable)", 122},
          {2, "0: Flow control of COM1 is disable."},
          {2, "1: Flow control of COM1 is enable."}}},
        {"32[arg]", "Set Com's Modbus status.", "3211", "OK", 18, 72, 103,
         {{1, "Arg: NS", "Set COM1 to Modbus", 122},
          {2, "N:COM port no(1-8).", "(For 4630K-M only)", 113},
          {2, "S:Module status."},
          {3, "(0==>Disable)"},
          {3, "(1==>Enable)"},
          {1, "Return:"},
          {2, kNotSupported},
          {2, "OK: Success."}}},
        {"33[arg]", "Read Com's Modbus status.", "331", "1", 18, 70, 102,
         {{1, "Arg: N", "COM1 is Modbus", 123},
          {2, "N:COM port no(1-8).", "(For 4630K-M only)", 113},
          {1, "Return:"},
          {2, kNotSupported},
          {2, "0: Modbus Disable. 1: Modbus enable."}}},
        {"99", "Reboot 4630K.", "99", "", 21, 80, 113, {}},
    };
    // The block of 11 is indented one column further.
    for (Block &block : b) {
        if (QLatin1StringView(block.code) == QLatin1StringView("11[arg]")) {
            block.levelColumn[0] = 24;
            block.levelColumn[1] = 27;
        }
    }
    return b;
}

// Pads line with blanks to column, then puts text there.
void putAt(QString &line, int column, const char *text)
{
    if (line.size() < column)
        line += QString(column - line.size(), QLatin1Char(' '));
    line += QLatin1StringView(text);
}

} // namespace

QString text()
{
    const QString crlf = QStringLiteral("\r\n");
    const std::vector<Block> all = blocks();
    QString out;
    for (size_t i = 0; i < all.size(); ++i) {
        const Block &b = all[i];
        QString head = QLatin1StringView(b.code);
        putAt(head, b.explanationColumn, b.explanation);
        putAt(head, b.exampleColumn, b.example);
        // An empty reply still pads the line to its column.
        putAt(head, b.replyColumn, b.reply);
        out += head + crlf;
        for (const Detail &d : b.details) {
            QString line;
            putAt(line, b.levelColumn[d.level - 1], d.text);
            if (d.note)
                putAt(line, d.noteColumn, d.note);
            out += line + crlf;
        }
        if (i + 1 < all.size())
            out += QString(kSeparatorLength, QLatin1Char('=')) + crlf;
    }
    return out;
}

} // namespace CommandListText
