#include "netclient/commandlisttext.h"

#include <QTest>

namespace {

// The help text as the window shows it, line by line (each line ends in CR LF).
const char *const kExpected[] = {
    "00[arg]           Stop Server Portd.exe.                                 00quit                        (none)",
    "                       Arg: quit",
    "                       Return: (none)",
    "=================================================================================",
    "01                   Read version information.                             01                               V1.0.00[01/06/2003]",
    "                       Return: Vm.n.rr[mm/dd/yy]",
    "                       m: major version",
    "                       n: minor version",
    "                       rr: reversion number",
    "=================================================================================",
    "02[arg]           Set baudrate of COM ports                            02257600                   OK.",
    "                       Arg: NBBBB",
    "                          N: COM port no (1~8)",
    "                          BBBB: Baudrate to be set",
    "                          (1200,2400,4800,9600,19200,38400,",
    "                          57600,115200)",
    "                       Return:",
    "                          ERROR: Fail",
    "                          OK: Success.",
    "=================================================================================",
    "03[arg]           Set data format of COM ports                        032801                      OK.",
    "                       Arg: NDPS",
    "                          N: COM port no (1~8)",
    "                          D: Databit",
    "                             (7,8==>COM1~COM2)",
    "                             (5,6,7,8==>COM3~COM8)",
    "                          P: Parity",
    "                             (0==>none parity)",
    "                             (1==>even parity)",
    "                             (2==>odd  parity)",
    "                          S: Stopbit",
    "                             (1==>COM1~COM2)",
    "                             (1,2==>COM3~COM8)",
    "                       Return:",
    "                          ERROR: Fail,",
    "                          OK: Success.",
    "=================================================================================",
    "06[arg]           Set Baudrate of COM port and write the       0629600                      OK.",
    "                       baudrate setting to SEPROM.",
    "                       Arg: NBBBB",
    "                          N: COM port no (1~8)",
    "                          BBBB: Baudrate to be set",
    "                          (1200,2400,4800,9600,19200,38400,",
    "                          57600,115200)",
    "                       Return:",
    "                          ERROR: Fail,",
    "                          OK: Success.",
    "=================================================================================",
    "07[arg]           Set data format of COM ports and write        072801                       OK.",
    "                       the data format setting to EEPROM.",
    "                       Arg: NDPS",
    "                          N: COM port no (1~8)",
    "                          D: Databit",
    "                             (7,8==>COM1~COM2)",
    "                             (5,6,7,8==>COM3~COM8)",
    "                          P: Parity",
    "                             (0==>none parity)",
    "                             (1==>even parity)",
    "                             (2==>odd  parity)",
    "                          S: Stopbit",
    "                             (1==>COM1~COM2)",
    "                             (1,2==>COM3~COM8)",
    "                       Return:",
    "                          ERROR: Fail,",
    "                          OK: Success.",
    "=================================================================================",
    "08[arg]           Set IP address.                                               08192009040100       OK.",
    "                       Arg: iiipppIIIPPP",
    "                          iii/ppp/III/PPP: 3 digits number(0~255)",
    "                       Return:",
    "                          ERROR: Fail,",
    "                          OK: Success.",
    "=================================================================================",
    "10                   Read Module name.                                      10                               RM4630K",
    "                       Return:",
    "                          Module Name",
    "=================================================================================",
    "11[arg]            Server test.                                                   11Hello!                      Hello!",
    "                        Arg: SSS",
    "                           String to be test.",
    "                        Return:",
    "                           SSS",
    "=================================================================================",
    "12[arg]           Set Gateway address.                                     12192009040254       OK",
    "                       Arg: iiipppIIIPPP",
    "                          iii/ppp/III/PPP: 3 digits number(0~255)",
    "                       Return:",
    "                          ERROR: Fail,",
    "                          OK: Success.",
    "=================================================================================",
    "13                   Read Gateway address.                                 13                               192.9.40.254",
    "                       Return:",
    "                          iii,ppp,III,PPP",
    "=================================================================================",
    "14                   Set Mask.                                                      14255255255000       OK.",
    "=================================================================================",
    "15                   Read Mask.                                                   15                               255.255.255.0",
    "=================================================================================",
    "16[arg]           Read COM port setting.                                 162                            19200,8,0,1",
    "                       Arg: N",
    "                          N: COM port no (1~8)",
    "                       Return:",
    "                          baudrate,data,parity,stop",
    "=================================================================================",
    "20[arg]           Enabled/Disable LED show information.       201                             OK.",
    "                       Arg: E",
    "                          E: 0==>disabled, 1==>enabled.",
    "                       Return:",
    "                          ERROR: Fail,",
    "                          OK: Success.",
    "=================================================================================",
    "21                   Read MAC address.                                       21                              00:00:f1:86:97:a6",
    "                       Return:",
    "                          Xx:xx,xx,xx,xx,xx",
    "=================================================================================",
    "22[arg]           Enable/Disable flow control(COM1 only)     2211                           OK",
    "                       Arg: 11                                                                                            (Set COM1",
    "                          Enable flow control of COM1 & RTS                                           flowcontrol enable)",
    "                          CTS auto control by hardware.",
    "                       Arg: 10",
    "                          Disable flow control of COM1",
    "=================================================================================",
    "231                 Inquire the flow control status of COM         331                             0",
    "                       port (COM1 only)                                                                           (Flow control of",
    "                       Return:                                                                                            COM1 is disable)",
    "                          0: Flow control of COM1 is disable.",
    "                          1: Flow control of COM1 is enable.",
    "=================================================================================",
    "32[arg]           Set Com's Modbus status.                              3211                           OK",
    "                       Arg: NS                                                                                            Set COM1 to Modbus",
    "                          N:COM port no(1-8).                                                                    (For 4630K-M only)",
    "                          S:Module status.",
    "                             (0==>Disable)",
    "                             (1==>Enable)",
    "                       Return:",
    "                          Input Command Not Support: Module not support ModbusTCP,",
    "                          OK: Success.",
    "=================================================================================",
    "33[arg]           Read Com's Modbus status.                           331                             1",
    "                       Arg: N                                                                                              COM1 is Modbus",
    "                          N:COM port no(1-8).                                                                    (For 4630K-M only)",
    "                       Return:",
    "                          Input Command Not Support: Module not support ModbusTCP,",
    "                          0: Modbus Disable. 1: Modbus enable.",
    "=================================================================================",
    "99                   Reboot 4630K.                                              99                               ",
};

QStringList builtLines()
{
    const QString text = CommandListText::text();
    QStringList lines = text.split(QStringLiteral("\r\n"));
    // The last line's CR LF leaves an empty piece behind it.
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

// The command list's help text: every line, its columns and blanks.
class TstCommandListText : public QObject
{
    Q_OBJECT

private slots:
    void eachLine_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("expected");
        int i = 0;
        for (const char *line : kExpected) {
            QTest::newRow(qPrintable(QStringLiteral("line %1").arg(i + 1))) << i << QString::fromLatin1(line);
            ++i;
        }
    }
    void eachLine()
    {
        QFETCH(int, index);
        QFETCH(QString, expected);
        const QStringList lines = builtLines();
        QVERIFY2(index < lines.size(), "the text has fewer lines");
        QCOMPARE(lines.at(index), expected);
    }

    // Every line ends in CR LF, the last one too, and no separator follows the
    // last block; only the line of 99 ends in blanks.
    void shape()
    {
        const QString text = CommandListText::text();
        QVERIFY(text.endsWith(QStringLiteral("\r\n")));
        QCOMPARE(text.count(QStringLiteral("\r\n")), qsizetype(std::size(kExpected)));
        QCOMPARE(text.count(u'\r'), text.count(u'\n'));
        const QStringList lines = builtLines();
        QCOMPARE(lines.size(), 146);
        QVERIFY(lines.first().startsWith(QStringLiteral("00[arg] ")));
        QVERIFY(lines.last().startsWith(QStringLiteral("99 ")));
        QCOMPARE(lines.last().size(), 113);
        QCOMPARE(lines.count(QString(81, u'=')), 20);
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            QVERIFY2(!lines.at(i).endsWith(u' '), qPrintable(lines.at(i)));
    }
};

QTEST_GUILESS_MAIN(TstCommandListText)
#include "tst_commandlisttext.moc"
