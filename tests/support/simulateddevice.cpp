#include "tests/support/simulateddevice.h"

#include <QStringList>
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

void SimulatedDevice::clearRecord()
{
    m_received.clear();
    m_arrivals.clear();
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
        const qint64 wait = m_pending.first().readyAt - m_clock.elapsed();
        if (wait > 0) {
            m_pumpTimer.start(static_cast<int>(wait));
            return;
        }
        m_link.write(m_pending.takeFirst().bytes);
    }
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
    if (m_mode == Mode::Menu) {
        menuKey(c);
        return;
    }
    // A line being typed.
    if (c == '\n')
        return;
    if (c != '\r') {
        m_line += QLatin1Char(c);
        send(QByteArray(1, c));
        return;
    }
    const QString line = m_line;
    m_line.clear();
    if (m_mode == Mode::MenuValue && m_skipCr && line.isEmpty()) {
        m_skipCr = false;
        return;
    }
    m_skipCr = false;
    send(QByteArrayLiteral("\r\n"));
    if (m_mode == Mode::Prompt) {
        execute(line);
    } else if (m_mode == Mode::MenuPort) {
        m_port = line.trimmed().toInt();
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
        send(QByteArrayLiteral("\r\n4630K ROM-DOS\r\nInit* tied to GND: console mode\r\n")
             + kPromptLine);
    } else {
        send(QByteArrayLiteral("Bad command or file name") + kPromptLine);
    }
}

void SimulatedDevice::menuKey(char c)
{
    // CR, LF and unknown keys do nothing in the menu; known ones echo.
    const char letter = static_cast<char>(QChar::toUpper(static_cast<char32_t>(c)));
    if (!QByteArray("INGBDPSUFQ").contains(letter) || (letter == 'U' && !m_settings.isModbus()))
        return;
    send(QByteArray(1, letter));
    m_letter = letter;
    switch (letter) {
    case 'I':
    case 'N':
    case 'G':
        m_mode = Mode::MenuValue;
        m_skipCr = true; // the letter may come with a CR of its own
        send(letter == 'I'   ? QByteArrayLiteral("\r\nNew IP address: ")
             : letter == 'N' ? QByteArrayLiteral("\r\nNew netmask: ")
                             : QByteArrayLiteral("\r\nNew gateway: "));
        return;
    case 'U':
        m_mode = Mode::MenuValue;
        m_skipCr = true;
        send(QByteArrayLiteral("\r\nModbus function of the ports: "));
        return;
    case 'F':
        m_settings = Settings{.model = m_settings.model};
        showScreen(QByteArrayLiteral("\r\nFactory default settings restored.\r\n"));
        return;
    case 'Q':
        m_mode = Mode::Prompt;
        send(kPromptLine);
        return;
    default: // B, D, P, S: per port
        m_mode = Mode::MenuPort;
        send(QByteArrayLiteral("\r\nPort number (1-8): "));
        return;
    }
}

void SimulatedDevice::applyValue(const QString &value)
{
    const QString v = value.trimmed();
    Settings &s = m_settings;
    std::array<int, 4> *address = m_letter == 'I'   ? &s.ip
                                  : m_letter == 'N' ? &s.mask
                                  : m_letter == 'G' ? &s.gateway
                                                    : nullptr;
    std::array<QString, 8> *perPort = m_letter == 'B'   ? &s.baudrates
                                      : m_letter == 'D' ? &s.databits
                                      : m_letter == 'P' ? &s.parities
                                      : m_letter == 'S' ? &s.stopbits
                                                        : nullptr;
    bool ok = !v.isEmpty();
    if (address) {
        ok = parseAddress(v, *address);
    } else if (perPort) {
        (*perPort)[static_cast<size_t>(qBound(1, m_port, 8) - 1)] = v;
    } else if (m_letter == 'U') {
        const int mask = v.toInt(&ok);
        ok = ok && mask >= 0 && mask <= 255;
        if (ok)
            s.modbusMask = mask;
    }
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
