#include "guides/troubleshooting.h"

#include <QStringList>

namespace Troubleshooting {

namespace {

// The answers' lines are joined by CR LF; an empty item is an empty line.
QString lines(const QStringList &l)
{
    return l.join(QStringLiteral("\r\n"));
}

const QString kCrossCable =
    QStringLiteral("(If 4630K is connected to PC directly, a cross cable must be used!)");

// The answers of the questions, by node index.
QString answerText(int index)
{
    switch (index) {
    case 3:
        return lines({
            QStringLiteral("1. Please check the download image by connecting Init* to GND in "
                           "RM4630K utility."),
            QString(),
            QStringLiteral("2. Possibly Init* was once connected to V+ by a mistake and that may "
                           "cause hardware damage. Please send it back for a hardware fix."),
        });
    case 4:
        return lines({
            QStringLiteral("1. Please make sure the TX,RX,GND of the cable are connected to "
                           "RM4630K's TX,RX,GND correctly!"),
            QString(),
            QStringLiteral("2. If you want to type command to RM4630K, don't to forget to connect "
                           "Init* to GND after PORTD.exe loaded."),
            QString(),
            QStringLiteral("3. If you use Hyperterminal, please make sure COM port setting as "
                           "follow:"),
            QStringLiteral("       Baudrate:57600bps"),
            QStringLiteral("       Databit: 8"),
            QStringLiteral("       Parity:  N"),
            QStringLiteral("       Stopbit: 1"),
            QStringLiteral("       Flowcontrol: None"),
        });
    case 5:
        return lines({
            QStringLiteral("1. Please check the connection of RJ45 cable of 4630K or hub!"),
            kCrossCable,
            QString(),
            QStringLiteral("2. If 4630K is in LAN, please make sure the first 3 numbers of IP of "
                           "4630K must be the same as the console PC and the fouth number of IP "
                           "must be different from remote PC."),
        });
    case 6:
        return lines({
            QStringLiteral("1. If you download by connecting Init* to GND, please make sure Init* "
                           "is disconnected from ground immediately prior to the completion of "
                           "updating disk image, otherwise the system will hang."),
            kCrossCable,
            QString(),
            QStringLiteral("2. Xmodem must be selected for transfer protocol."),
            QString(),
            QStringLiteral("3. After entering imgput /e or Init* to GND, please start the "
                           "transfer process in 60 seconds otherwise timeout will occur."),
        });
    case 7:
        return lines({
            QStringLiteral("The NetID is mean one byte, left digit of one byte is mean gateway "
                           "COM port no of RM4630K-M being used. ")
                + QStringLiteral("and right digit of one byte is mean slave RTU device addr."),
            QString(),
            QStringLiteral("Example: NetID:21 Hex mean COM2 of RM4630K-M and 01 is address of "
                           "Modbus device."),
        });
    default:
        return QString();
    }
}

} // namespace

const QList<Node> &nodes()
{
    static const QList<Node> tree{
        {QStringLiteral("R"), QString(), QStringLiteral("RM4630K Series")},
        {QStringLiteral("M"), QString(), QStringLiteral("RM4630K-MTCP Series")},
        {QStringLiteral("C1"), QStringLiteral("R"),
         QStringLiteral("What should you do when ZE4630ZEZ system halted ?")},
        {QStringLiteral("C2"), QStringLiteral("R"),
         QStringLiteral("Why can't RM4630K be communicated by RS232?")},
        {QStringLiteral("C3"), QStringLiteral("R"),
         QStringLiteral("Why can't the ethernet function of RM4630K work?")},
        {QStringLiteral("C4"), QStringLiteral("R"),
         QStringLiteral("Why do I fail to download the image file? ")},
        {QStringLiteral("C5"), QStringLiteral("M"), QStringLiteral("What is the NetID?")},
    };
    return tree;
}

std::optional<QString> answerAt(int index)
{
    const QString answer = answerText(index);
    if (answer.isEmpty())
        return std::nullopt;
    return answer;
}

std::optional<QString> answerFor(const QString &key)
{
    const QList<Node> &tree = nodes();
    for (qsizetype i = 0; i < tree.size(); ++i) {
        if (tree.at(i).key == key)
            return answerAt(int(i) + 1);
    }
    return std::nullopt;
}

} // namespace Troubleshooting
