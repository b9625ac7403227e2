#include "console/ipconfigreport.h"

#include "app/hostnet.h"

namespace IpconfigReport {

namespace {

// The command indents every line of an adapter's section by eight blanks.
const QByteArray kIndent(8, ' ');
const QByteArray kCrLf = QByteArrayLiteral("\r\n");

QByteArray line(const QString &label, const QString &value)
{
    return kIndent + label.toLatin1() + ' ' + value.toLatin1() + kCrLf;
}

} // namespace

QString valueAfter(const QString &report, const QString &label)
{
    const qsizetype p = report.indexOf(label);
    if (p < 0)
        return QString();
    // The value stands on the label's line, one blank after it: a line that
    // ends at the label has none, and the next line is not its value.
    const qsizetype blank = p + label.size();
    if (blank < report.size() && (report.at(blank) == u'\r' || report.at(blank) == u'\n'))
        return QString();
    QString value = report.mid(p + label.size() + 1, kValueChars);
    // A shorter address is followed by the line break, and by the blanks that
    // indent the next line: neither belongs to it.
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value.at(i) == u'\r' || value.at(i) == u'\n') {
            value.truncate(i);
            break;
        }
    }
    while (!value.isEmpty() && value.back().isSpace())
        value.chop(1);
    return value;
}

PcAddresses read(const QByteArray &report)
{
    const QString text = QString::fromLatin1(report);
    return {valueAfter(text, kLabelIp), valueAfter(text, kLabelMask),
            valueAfter(text, kLabelGateway)};
}

QByteArray write(const PcAddresses &pc)
{
    QByteArray out = kCrLf + "IP Configuration" + kCrLf + kCrLf;
    if (pc.ip.isEmpty())
        return out;
    out += "Ethernet adapter:" + kCrLf + kCrLf;
    out += line(kLabelIp, pc.ip);
    out += line(kLabelMask, pc.mask);
    out += line(kLabelGateway, pc.gateway);
    return out;
}

PcAddresses fromHostNet(HostNet::Source &source)
{
    PcAddresses pc;
    const HostNet::NetworkInfo info = HostNet::GetNetworkInfo(source);
    if (info.gateway) {
        const QString field = *info.gateway;
        pc.gateway = field.left(field.indexOf(QChar(0)));
    }
    const HostNet::AddressSummary summary = HostNet::addressTableSummary(source);
    pc.ip = summary.pcIp.value_or(QString());
    pc.mask = summary.pcMask.value_or(QString());
    return pc;
}

} // namespace IpconfigReport
