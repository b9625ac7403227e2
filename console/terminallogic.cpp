#include "console/terminallogic.h"

#include "console/mscomm.h"

#include <limits>

namespace TerminalLogic {

CommEventText commEventText(int code)
{
    using K = CommEventText::Kind;
    switch (code) {
    case MSComm::comEvSend:
    case MSComm::comEvReceive:
        return {K::None, QString()};
    case MSComm::comEvCTS:
        return {K::Event, QStringLiteral("偵測到 CTS 變更")};
    case MSComm::comEvDSR:
        return {K::Event, QStringLiteral("偵測到 DSR 變更")};
    case MSComm::comEvCD:
        return {K::Event, QStringLiteral("偵測到 CD 變更")};
    case MSComm::comEvRing:
        return {K::Event, QStringLiteral("電話鈴聲響了")};
    case MSComm::comEvEOF:
        return {K::Event, QStringLiteral("偵測到檔案結尾")};
    case MSComm::comEventBreak:
        return {K::Error, QStringLiteral("收到中斷訊號")};
    case MSComm::comEventCTSTO:
        return {K::Error, QStringLiteral("Clear-to-send 逾時")};
    case MSComm::comEventDSRTO:
        return {K::Error, QStringLiteral("Data set ready 逾時")};
    case MSComm::comEventFrame:
        return {K::Error, QStringLiteral("訊框(framing)錯誤")};
    case MSComm::comEventOverrun:
        return {K::Error, QStringLiteral("連接埠超速")};
    case MSComm::comEventCDTO:
        return {K::Error, QStringLiteral("載波偵測逾時")};
    case MSComm::comEventRxOver:
        return {K::Error, QStringLiteral("接收緩衝區溢位")};
    case MSComm::comEventRxParity:
        return {K::Error, QStringLiteral("同位元檢查錯誤")};
    case MSComm::comEventTxFull:
        return {K::Error, QStringLiteral("傳送緩衝區已滿")};
    case MSComm::comEventDCB:
        return {K::Error, QStringLiteral("抓取 DCB 訊號錯誤")};
    default:
        return {K::Error, QStringLiteral("無法辨識的錯誤或事件")};
    }
}

int keyAscii(int key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    switch (key) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    default:
        break;
    }
    // Keys beyond the characters (Delete, arrows, F1...) type nothing, whatever
    // text the system gives them: X11 gives Delete the text 0x7F.
    if (key >= Qt::Key_Escape && key != Qt::Key_unknown)
        return 0;
    // Ctrl with A to Z (and [ \ ] ^ _) types 1 to 31; AltGr (Ctrl with Alt)
    // types the character that the layout puts there.
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier) && !modifiers.testFlag(Qt::AltModifier);
    if (ctrl && key >= Qt::Key_A && key <= Qt::Key_Underscore)
        return key & 0x1F;
    if (text.size() != 1)
        return 0;
    const char16_t c = text.at(0).unicode();
    if (c == 0x7F || (c >= 0x80 && c < 0xA0))
        return 0;
    return c;
}

QString connectTime(qint64 elapsedSeconds)
{
    constexpr qint64 kDay = 24 * 60 * 60;
    const qint64 s = ((elapsedSeconds % kDay) + kDay) % kDay;
    return QStringLiteral("%1:%2:%3 ")
        .arg(s / 3600, 2, 10, QLatin1Char('0'))
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

namespace {

std::optional<qint64> toInteger(const QString &text, qint64 low, qint64 high)
{
    // Qt's conversion stops at a NUL and takes "2\0x" for 2.
    if (text.contains(QChar::Null))
        return std::nullopt;
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (!ok || v < low || v > high)
        return std::nullopt;
    return v;
}

} // namespace

std::optional<qint16> toInt16(const QString &text)
{
    const auto v = toInteger(text, std::numeric_limits<qint16>::min(),
                             std::numeric_limits<qint16>::max());
    if (!v)
        return std::nullopt;
    return static_cast<qint16>(*v);
}

std::optional<qint32> toInt32(const QString &text)
{
    const auto v = toInteger(text, std::numeric_limits<qint32>::min(),
                             std::numeric_limits<qint32>::max());
    if (!v)
        return std::nullopt;
    return static_cast<qint32>(*v);
}

std::optional<bool> toBool(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return v != 0.0;
}

} // namespace TerminalLogic
