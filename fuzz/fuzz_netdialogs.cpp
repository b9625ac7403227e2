// The network client's dialogs as they read what the device replied and what
// the user typed: the address dialogs split the client's label into octet
// boxes and check the octets typed; the COM-port dialog preselects its lists
// from the port's settings reply and Modbus status.
//
// Input: a first byte (the selected port and the dialog), then fields
// separated by 0xFF: the label, the four octet boxes, the settings reply, the
// module name, the Modbus status.

#include "fuzz/fuzzcheck.h"

#include "app/codepage.h"
#include "netclient/addresssetting.h"
#include "netclient/comsetting.h"
#include "netclient/portd.h"

using AddressSetting::Octets;

namespace {

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// An octet as a plain number: one to three digits, 0 to 255.
bool isPlainOctet(const QString &text)
{
    if (text.isEmpty() || text.size() > 3)
        return false;
    for (const QChar c : text) {
        if (!isAsciiDigit(c))
            return false;
    }
    return text.toInt() <= 255;
}

// Four boxes only from a label with three dots, and nothing but the label:
// the boxes joined with dots are the label again.
void checkSplit(const QString &label)
{
    const Octets boxes = AddressSetting::splitLabel(label);
    if (label.count(u'.') < 3) {
        for (const QString &box : boxes)
            FUZZ_CHECK(box.isEmpty());
        return;
    }
    for (size_t i = 0; i < 3; ++i)
        FUZZ_CHECK(!boxes[i].contains(u'.'));
    FUZZ_CHECK(AddressSetting::typedAddress(boxes) == label);
}

void checkOctets(const Octets &boxes, AddressSetting::Kind kind)
{
    const AddressSetting::Check c = AddressSetting::check(boxes);
    bool inRange = true;
    bool plain = true;
    QString joined;
    for (size_t i = 0; i < boxes.size(); ++i) {
        const QString &box = boxes[i];
        const double v = AddressSetting::octetValue(box);
        FUZZ_CHECK(v == Portd::leadingValue(box).value_or(0));
        inRange = inRange && v < AddressSetting::kOctetLimit;
        plain = plain && isPlainOctet(box);
        // A short octet in range gets its zeros; everything else goes as typed.
        const bool padded = v < AddressSetting::kOctetLimit && box.size() < 3 && !box.isEmpty();
        FUZZ_CHECK(c.sent[i] == (padded ? QString(3 - box.size(), u'0') + box : box));
        joined += c.sent[i];
    }
    FUZZ_CHECK(c.ok == inRange);
    FUZZ_CHECK(c.status() == (inRange ? AddressSetting::kOk : AddressSetting::kError));
    FUZZ_CHECK(c.argument == joined);
    // Octets typed as plain numbers give the twelve digits, three per octet,
    // as the device reads them.
    if (plain) {
        FUZZ_CHECK(c.ok && c.argument.size() == 12);
        std::array<quint8, 4> values{};
        for (size_t i = 0; i < boxes.size(); ++i) {
            FUZZ_CHECK(c.argument.mid(qsizetype(3 * i), 3).toInt() == boxes[i].toInt());
            values[i] = static_cast<quint8>(boxes[i].toInt());
        }
        FUZZ_CHECK(c.argument == Portd::addressArgument(values));
    }
    const QString request = AddressSetting::request(kind, c.argument);
    FUZZ_CHECK(request.size() == c.argument.size() + 2 && request.endsWith(c.argument));
}

// A selection is none or an item of its list.
void checkIndex(int index, const QStringList &items)
{
    FUZZ_CHECK(index >= -1 && index < items.size());
}

void checkFill(int portIndex, const QString &status, const QString &module, const QString &modbus)
{
    const ComSetting::Fill f = ComSetting::fill(portIndex, status, module, modbus);
    FUZZ_CHECK(f.caption == QStringLiteral("COMM%1 Setting").arg(portIndex + 1));
    checkIndex(f.baudrate, f.baudrates);
    checkIndex(f.databit, f.databits);
    checkIndex(f.parity, f.parities);
    checkIndex(f.stopbit, f.stopbits);
    checkIndex(f.modbusChoice, f.modbus);
    FUZZ_CHECK(f.modbus.size() == 2);
    // No port listed: no settings to choose from.
    if (portIndex < 0) {
        FUZZ_CHECK(f.baudrates.isEmpty() && f.databits.isEmpty() && f.parities.isEmpty()
                   && f.stopbits.isEmpty());
    }

    // What is selected is what the reply says.
    const Portd::PortSettings s = Portd::readPortSettings(status);
    FUZZ_CHECK(f.baudrate < 0 || f.baudrates.at(f.baudrate) == s.baudrate);
    FUZZ_CHECK(f.databit < 0 || f.databits.at(f.databit) == s.databits);
    FUZZ_CHECK(f.parity < 0 || QString::number(f.parity) == s.parity);
    FUZZ_CHECK(f.stopbit < 0 || f.stopbits.at(f.stopbit) == s.stopbits);
    FUZZ_CHECK(f.modbusEnabled == Portd::isModbusVariant(module));
    FUZZ_CHECK(f.modbusChoice < 0
               || (f.modbusEnabled && Portd::readModbusStatus(modbus) == double(f.modbusChoice)));

    // Settings chosen from the lists, sent and read back as the client's
    // status label, select the same items again.
    if (f.baudrate >= 0 && f.databit >= 0 && f.parity >= 0 && f.stopbit >= 0) {
        ComSetting::Choice choice;
        choice.baudrate = f.baudrates.at(f.baudrate);
        choice.databits = f.databits.at(f.databit);
        choice.parity = f.parity;
        choice.stopbits = f.stopbits.at(f.stopbit);
        choice.modbus = std::max(f.modbusChoice, 0);
        choice.modbusText = f.modbus.at(choice.modbus);
        const QString written = ComSetting::commStatusText(choice);
        const QString modbusWritten = ComSetting::allModbusSetText(choice);
        const ComSetting::Fill again = ComSetting::fill(portIndex, written, module, modbusWritten);
        FUZZ_CHECK(again.baudrate == f.baudrate && again.databit == f.databit
                   && again.parity == f.parity && again.stopbit == f.stopbit);
        FUZZ_CHECK(!again.modbusEnabled || again.modbusChoice == choice.modbus);
        FUZZ_CHECK(ComSetting::modbusLabel(choice) == Portd::modbusWording(modbusWritten));
        const int port = portIndex + 1;
        FUZZ_CHECK(ComSetting::baudrateRequest(port, choice)
                   == QStringLiteral("06") + QString::number(port) + choice.baudrate);
        FUZZ_CHECK(ComSetting::dataFormatRequest(port, choice)
                   == QStringLiteral("07") + QString::number(port) + choice.databits
                          + QString::number(choice.parity) + choice.stopbits);
        FUZZ_CHECK(ComSetting::modbusRequest(port, choice)
                   == QStringLiteral("32") + QString::number(port) + QString::number(choice.modbus));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const auto b0 = data[0];
    const QList<QByteArray> fields = Fuzz::bytes(data + 1, size - 1).split('\xFF');
    const auto field = [&fields](qsizetype i) { return i < fields.size() ? fields.at(i) : QByteArray(); };

    // The client's labels and replies come decoded from code page 950; the
    // boxes hold whatever was typed.
    const QString label = Cp950::toUnicode(field(0));
    checkSplit(label);
    checkSplit(QString::fromUtf8(field(0)));
    Octets boxes;
    for (size_t i = 0; i < boxes.size(); ++i)
        boxes[i] = QString::fromUtf8(field(qsizetype(i) + 1));
    const auto kind = static_cast<AddressSetting::Kind>(b0 % 3);
    checkOctets(boxes, kind);
    checkOctets(AddressSetting::splitLabel(label), kind);

    // The selected port's index, none (-1) included.
    const int portIndex = (b0 >> 2) % 10 - 1;
    checkFill(portIndex, Cp950::toUnicode(field(5)), Cp950::toUnicode(field(6)),
              Cp950::toUnicode(field(7)));
    return 0;
}
