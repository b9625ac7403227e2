#include "netclient/commdata.h"

#include "app/module1.h"

#include <utility>

namespace CommData {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool splitsPair(QStringView text, qsizetype at)
{
    return at > 0 && at < text.size() && text.at(at).isLowSurrogate()
           && text.at(at - 1).isHighSurrogate();
}

template <size_t... I>
std::array<BoundedText, sizeof...(I)> makeBuffers(std::index_sequence<I...>)
{
    return {((void)I, BoundedText(CommBuffers::kBufferChars))...};
}

} // namespace

QStringList terminatorCaptions()
{
    return {QStringLiteral("None"),  QStringLiteral("CR"),    QStringLiteral("LF"),
            QStringLiteral("LF_CR"), QStringLiteral("CR_LF"), QStringLiteral("CS_CR")};
}

QString terminatorText(int index)
{
    switch (index) {
    case CR:
    case CS_CR:
        return QStringLiteral("\r");
    case LF:
        return QStringLiteral("\n");
    case LF_CR:
        return QStringLiteral("\n\r");
    case CR_LF:
        return QStringLiteral("\r\n");
    default:
        return QString();
    }
}

QString dataSendText(const QString &text, int terminator, bool checksum)
{
    if (text.isEmpty())
        return QString();
    return (checksum ? Module1::AppendChecksum(text) : text) + terminatorText(terminator);
}

QString notConnectedMessage(int socketIndex)
{
    return QStringLiteral("tcp comm%1 is not connected").arg(socketIndex);
}

QString HexView(QStringView s)
{
    QString out(s.size() * kHexCharsPerChar, Qt::Uninitialized);
    QChar *p = out.data();
    for (const QChar c : s) {
        const quint8 b = static_cast<quint8>(c.unicode() & 0xFF);
        *p++ = QLatin1Char(kHexDigits[b >> 4]);
        *p++ = QLatin1Char(kHexDigits[b & 0x0F]);
        *p++ = QLatin1Char('.');
    }
    return out;
}

QString receivedText(const QString &arrival)
{
    QString text = arrival;
    text.remove(QStringLiteral("\r\n"));
    return text;
}

BoundedText::BoundedText(qsizetype limit) : m_limit(std::max<qsizetype>(limit, 1)) {}

BoundedText::Change BoundedText::append(QStringView text)
{
    Change change;
    if (text.isEmpty())
        return change;
    if (text.size() >= m_limit) {
        // The new text alone fills the limit: only its latest part stays.
        qsizetype from = text.size() - m_limit;
        const bool pairWithHeld = from == 0 && !isEmpty() && m_data.back().isHighSurrogate()
                                  && text.front().isLowSurrogate();
        if (splitsPair(text, from) || pairWithHeld)
            ++from;
        change.dropped = size();
        change.appended = text.mid(from).toString();
        m_data = change.appended;
        m_start = 0;
        return change;
    }
    qsizetype drop = size() + text.size() - m_limit;
    if (drop > 0) {
        if (splitsPair(QStringView(m_data), m_start + drop))
            ++drop;
        m_start += drop;
        change.dropped = drop;
    }
    m_data.append(text);
    change.appended = text.toString();
    // Dropped characters are only skipped; they are moved out once they are
    // as many as the limit, so each character is moved at most once.
    if (m_start >= m_limit) {
        m_data.remove(0, m_start);
        m_start = 0;
    }
    return change;
}

void BoundedText::clear()
{
    m_data.clear();
    m_start = 0;
}

CommBuffers::CommBuffers() : m_buffers(makeBuffers(std::make_index_sequence<kPorts>{})) {}

std::optional<CommBuffers::BoxUpdate> CommBuffers::receive(int index, const QString &arrival,
                                                           int selected)
{
    if (index < 0 || index >= kPorts)
        return std::nullopt;
    BoundedText &buffer = m_buffers[static_cast<size_t>(index)];
    const BoundedText::Change change = buffer.append(receivedText(arrival));
    if (index != selected) {
        if (m_boxPort == index)
            m_boxPort = -1;
        return std::nullopt;
    }
    BoxUpdate update;
    if (m_boxPort == index) {
        update.dropped = change.dropped;
        update.text = change.appended;
    } else {
        update.replace = true;
        update.text = buffer.toString();
        m_boxPort = index;
    }
    return update;
}

void CommBuffers::clear(int index)
{
    if (index < 0 || index >= kPorts)
        return;
    m_buffers[static_cast<size_t>(index)].clear();
    if (m_boxPort == index)
        m_boxPort = -1;
}

QStringView CommBuffers::buffer(int index) const
{
    if (index < 0 || index >= kPorts)
        return QStringView();
    return m_buffers[static_cast<size_t>(index)].view();
}

} // namespace CommData
