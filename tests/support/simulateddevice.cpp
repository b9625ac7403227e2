#include "tests/support/simulateddevice.h"

#include <QtGlobal>

namespace {

const QByteArray kPrompt = QByteArrayLiteral("A:\\>");
const QByteArray kPromptLine = QByteArrayLiteral("\r\n\r\nA:\\>");

QByteArray address(const std::array<int, 4> &a)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(a[0], 3)
        .arg(a[1], 3)
        .arg(a[2], 3)
        .arg(a[3], 3)
        .toLatin1();
}

QByteArray list(const std::array<QString, 8> &values, int from, int to)
{
    QStringList items;
    for (int p = from; p <= to; ++p)
        items << QStringLiteral("%1:%2").arg(p).arg(values[static_cast<size_t>(p - 1)]);
    return items.join(QLatin1Char(' ')).toLatin1();
}

bool parseAddress(const QString &text, std::array<int, 4> &out)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    std::array<int, 4> a{};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        a[static_cast<size_t>(i)] = parts.at(i).trimmed().toInt(&ok);
        if (!ok || a[static_cast<size_t>(i)] < 0 || a[static_cast<size_t>(i)] > 255)
            return false;
    }
    out = a;
    return true;
}

} // namespace

SimulatedDevice::SimulatedDevice(QObject *parent) : QObject(parent)
{
    m_clock.start();
    m_pumpTimer.setSingleShot(true);
    connect(&m_pumpTimer, &QTimer::timeout, this, &SimulatedDevice::pump);
    connect(&m_link, &PtyLink::received, this, &SimulatedDevice::onReceived);
}

void SimulatedDevice::attachAs(int comPort)
{
    qputenv(QByteArray("RM4630K_COM") + QByteArray::number(comPort), slavePath().toLocal8Bit());
}

void SimulatedDevice::setChunking(int bytes, int gapMs)
{
    m_chunkBytes = bytes;
    m_chunkGapMs = gapMs;
}

void SimulatedDevice::clearRecord()
{
    m_received.clear();
    m_arrivals.clear();
    m_actions.clear();
}

QByteArray SimulatedDevice::menuScreen(const Settings &s)
{
    QByteArray screen = QByteArrayLiteral("\r\n"
                                          "  4630K configuration (NVCONF)\r\n"
                                          "  ============================\r\n");
    screen += "I : Modify IP ADDR  " + address(s.ip) + "\r\n";
    screen += "N : Modify NetMask  " + address(s.mask) + "\r\n";
    screen += "G : Modify Gateway  " + address(s.gateway) + "\r\n";
    screen += "M : Modify Model No " + s.model.toLatin1() + "\r\n";
    screen += "B : Modify Baudrate " + list(s.baudrates, 1, 4) + " \r\n";
    screen += QByteArray(20, ' ') + list(s.baudrates, 5, 8) + " \r\n";
    screen += "D : Modify Databit  " + list(s.databits, 1, 8) + " \r\n";
    screen += "P : Modify Parity   " + list(s.parities, 1, 8) + " \r\n";
    screen += "S : Modify Stopbit  " + list(s.stopbits, 1, 8) + " \r\n";
    if (s.isModbus())
        screen += "U : Modify fUnction " + QByteArray::number(s.modbusMask, 16).toUpper() + "\r\n";
    screen += "F : Factory default\r\n"
              "Q : Quit\r\n"
              "\r\n"
              "Select: ";
    return screen;
}

void SimulatedDevice::send(const QByteArray &bytes)
{
    if (m_silent || bytes.isEmpty())
        return;
    m_pending.append({m_clock.elapsed() + m_replyDelayMs, bytes});
    pump();
}

void SimulatedDevice::pump()
{
    while (!m_pending.isEmpty()) {
        Pending &next = m_pending.first();
        const qint64 now = m_clock.elapsed();
        if (next.readyAt > now) {
            m_pumpTimer.start(static_cast<int>(next.readyAt - now));
            return;
        }
        if (m_chunkBytes <= 0 || next.bytes.size() <= m_chunkBytes) {
            m_link.write(next.bytes);
            m_pending.removeFirst();
            continue;
        }
        m_link.write(next.bytes.left(m_chunkBytes));
        next.bytes.remove(0, m_chunkBytes);
        next.readyAt = now + m_chunkGapMs;
    }
}

void SimulatedDevice::echo(const QByteArray &bytes)
{
    if (m_echo)
        send(bytes);
}

void SimulatedDevice::onReceived(const QByteArray &bytes)
{
    m_received += bytes;
    m_arrivals.append({m_clock.elapsed(), bytes});
    for (const char c : bytes)
        handle(c);
    emit bytesReceived(bytes);
}

void SimulatedDevice::handle(char c)
{
    switch (m_mode) {
    case Mode::Rebooting:
        return;
    case Mode::Menu:
        menuKey(c);
        return;
    case Mode::Prompt:
    case Mode::MenuPort:
    case Mode::MenuValue:
        break;
    }
    // A line being typed.
    if (c == '\n')
        return;
    if (c == '\b') {
        if (!m_line.isEmpty()) {
            m_line.chop(1);
            echo(QByteArrayLiteral("\b \b"));
        }
        return;
    }
    if (c != '\r') {
        m_line += QLatin1Char(c);
        echo(QByteArray(1, c));
        return;
    }
    const QString line = m_line;
    m_line.clear();
    if (m_mode == Mode::MenuValue && m_skipCr && line.isEmpty()) {
        m_skipCr = false;
        return;
    }
    m_skipCr = false;
    echo(QByteArrayLiteral("\r\n"));
    if (m_mode == Mode::Prompt) {
        execute(line);
    } else if (m_mode == Mode::MenuPort) {
        bool ok = false;
        m_port = line.trimmed().toInt(&ok);
        if (!ok || m_port < 1 || m_port > 8) {
            showScreen(QByteArrayLiteral("Invalid port number\r\n"));
            return;
        }
        m_mode = Mode::MenuValue;
        send(QByteArrayLiteral("New value: "));
    } else {
        applyValue(line);
    }
}

void SimulatedDevice::execute(const QString &line)
{
    const QString command = line.trimmed().toUpper();
    if (command.isEmpty()) {
        send(kPrompt);
        return;
    }
    m_actions << command;
    if (command == QLatin1String("NVCONF") || command == QLatin1String("NVCONF.EXE")) {
        showScreen();
    } else if (command == QLatin1String("DIR")) {
        send(QByteArrayLiteral(" Volume in drive A has no label\r\n"
                               " Directory of A:\\\r\n\r\n"
                               "AUTOEXEC BAT        64  01-01-04  12:00a\r\n"
                               "NVCONF   EXE     21504  01-01-04  12:00a\r\n"
                               "PORTD    EXE     48128  01-01-04  12:00a\r\n"
                               "        3 file(s)      69696 bytes\r\n")
             + kPromptLine);
    } else if (command == QLatin1String("RESET")) {
        m_mode = Mode::Rebooting;
        QTimer::singleShot(kRebootMs, this, [this] {
            m_mode = Mode::Prompt;
            m_line.clear();
            send(QByteArrayLiteral("\r\n4630K ROM-DOS\r\nInit* tied to GND: console mode\r\n")
                 + kPromptLine);
        });
    } else {
        send(QByteArrayLiteral("Bad command or file name") + kPromptLine);
    }
}

void SimulatedDevice::menuKey(char c)
{
    const char letter = static_cast<char>(QChar::toUpper(static_cast<char32_t>(c)));
    switch (letter) {
    case 'I':
    case 'N':
    case 'G':
        echo(QByteArray(1, letter));
        m_letter = letter;
        m_mode = Mode::MenuValue;
        send(letter == 'I'   ? QByteArrayLiteral("\r\nNew IP address: ")
             : letter == 'N' ? QByteArrayLiteral("\r\nNew netmask: ")
                             : QByteArrayLiteral("\r\nNew gateway: "));
        return;
    case 'B':
    case 'D':
    case 'P':
    case 'S':
        echo(QByteArray(1, letter));
        m_letter = letter;
        m_mode = Mode::MenuPort;
        send(QByteArrayLiteral("\r\nPort number (1-8): "));
        return;
    case 'U':
        if (!m_settings.isModbus())
            return;
        echo(QByteArray(1, letter));
        m_letter = letter;
        m_mode = Mode::MenuValue;
        m_skipCr = true;
        send(QByteArrayLiteral("\r\nModbus function of the ports: "));
        return;
    case 'F':
        echo(QByteArray(1, letter));
        m_settings = Settings{.model = m_settings.model};
        m_actions << QStringLiteral("menu F");
        showScreen(QByteArrayLiteral("\r\nFactory default settings restored.\r\n"));
        return;
    case 'Q':
        echo(QByteArray(1, letter));
        m_actions << QStringLiteral("menu Q");
        m_mode = Mode::Prompt;
        send(kPromptLine);
        return;
    default:
        return; // CR, LF and unknown keys do nothing in the menu
    }
}

void SimulatedDevice::applyValue(const QString &value)
{
    const QString v = value.trimmed();
    const size_t port = static_cast<size_t>(qBound(1, m_port, 8) - 1);
    const bool narrow = m_port == 1 || m_port == 2; // ports 1 and 2 take fewer values
    bool ok = false;
    switch (m_letter) {
    case 'I':
        ok = parseAddress(v, m_settings.ip);
        break;
    case 'N':
        ok = parseAddress(v, m_settings.mask);
        break;
    case 'G':
        ok = parseAddress(v, m_settings.gateway);
        break;
    case 'B':
        ok = QStringList{"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}
                 .contains(v);
        if (ok)
            m_settings.baudrates[port] = v;
        break;
    case 'D':
        ok = narrow ? QStringList{"7", "8"}.contains(v) : QStringList{"5", "6", "7", "8"}.contains(v);
        if (ok)
            m_settings.databits[port] = v;
        break;
    case 'P':
        ok = QStringList{"0", "1", "2"}.contains(v);
        if (ok)
            m_settings.parities[port] = v;
        break;
    case 'S':
        ok = narrow ? v == QLatin1String("1") : QStringList{"1", "2"}.contains(v);
        if (ok)
            m_settings.stopbits[port] = v;
        break;
    case 'U': {
        const int mask = v.toInt(&ok);
        ok = ok && mask >= 0 && mask <= 255;
        if (ok)
            m_settings.modbusMask = mask;
        break;
    }
    default:
        break;
    }
    const bool perPort = m_letter == 'B' || m_letter == 'D' || m_letter == 'P' || m_letter == 'S';
    m_actions << (perPort ? QStringLiteral("menu %1 %2 %3").arg(QLatin1Char(m_letter)).arg(m_port).arg(v)
                          : QStringLiteral("menu %1 %2").arg(QLatin1Char(m_letter)).arg(v));
    showScreen(ok ? QByteArray() : QByteArrayLiteral("Invalid value\r\n"));
}

void SimulatedDevice::showScreen(const QByteArray &before)
{
    m_mode = Mode::Menu;
    QByteArray screen = menuScreen(m_settings);
    if (m_screenFilter)
        screen = m_screenFilter(screen);
    send(before + screen);
}
