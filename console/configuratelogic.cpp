#include "console/configuratelogic.h"

#include "app/dottedaddress.h"
#include "console/menuscreen.h"

namespace ConfigurateLogic {

namespace {

constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';

QString upToLineBreak(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == kCr || text.at(i) == kLf)
            return text.left(i);
    }
    return text;
}

QString deviceValue(const QString &screen, const QString &label)
{
    return upToLineBreak(MenuScreen::readFixed(screen, label, MenuScreen::kAddressChars));
}

// A part as the decimal text of its number: blanks before it skipped, 0 when
// it does not begin with digits.
QString number(const QString &part, qint64 add = 0)
{
    return QString::number(MenuScreen::leadingNumber(part) + add);
}

} // namespace

bool ReceiveText::append(const QString &piece)
{
    if (piece.isEmpty())
        return true;
    bool kept = true;
    if (m_text.size() > kCapChars) {
        m_text.remove(0, kDropChars);
        kept = false;
    }
    m_text += QChar(kCr);
    m_text += piece;
    return kept;
}

QString ReceiveText::toDisplay(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == kCr) {
            shown += QChar(kLf);
            if (i + 1 < text.size() && text.at(i + 1) == kLf)
                ++i;
        } else {
            shown += c;
        }
    }
    return shown;
}

DeviceAddresses readDeviceAddresses(const QString &screen)
{
    return {deviceValue(screen, MenuScreen::kLabelIp), deviceValue(screen, MenuScreen::kLabelMask),
            deviceValue(screen, MenuScreen::kLabelGateway)};
}

bool needsSecondReading(const QString &deviceIp)
{
    return deviceIp.size() < kShortIpChars;
}

Proposal proposeAtLoad(const IpconfigReport::PcAddresses &pc)
{
    // A value that is no dotted address (a report without it) proposes
    // nothing, rather than a lone "1".
    Proposal out;
    if (const auto p = DottedAddress::split(pc.ip))
        out.ip = {(*p)[0], (*p)[1], (*p)[2], number((*p)[3], 1)};
    if (const auto p = DottedAddress::split(pc.mask))
        out.mask = *p;
    if (const auto p = DottedAddress::split(pc.gateway))
        out.gateway = *p;
    return out;
}

Proposal proposeAtReading(const IpconfigReport::PcAddresses &pc, const QString &deviceGateway)
{
    Proposal out;
    if (const auto p = DottedAddress::split(pc.ip))
        out.ip = {number((*p)[0]), number((*p)[1]), number((*p)[2]), number((*p)[3], 1)};
    if (const auto p = DottedAddress::split(pc.mask))
        out.mask = {number((*p)[0]), number((*p)[1]), number((*p)[2]), number((*p)[3])};
    // The device pads its octets with blanks; the last two keep them.
    if (const auto p = DottedAddress::split(deviceGateway))
        out.gateway = {number((*p)[0]), number((*p)[1]), (*p)[2], (*p)[3]};
    return out;
}

} // namespace ConfigurateLogic
