#include "guides/shellopen.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The system's file opening on Linux: xdg-open, whose failure comes back
// later as a reason for the user.
class TstShellOpen : public QObject
{
    Q_OBJECT

    QTemporaryDir m_bin;
    QByteArray m_path;

private slots:
    void initTestCase()
    {
        QVERIFY(m_bin.isValid());
        m_path = qgetenv("PATH");
    }
    void cleanup() { qputenv("PATH", m_path); }

    void failureIsTold_data()
    {
        QTest::addColumn<int>("exitCode"); // -1: no xdg-open at all
        QTest::addColumn<QString>("reason");
        QTest::newRow("no xdg-open") << -1 << "xdg-open could not be started";
        QTest::newRow("no program for the file") << 4 << "no program opened it";
        QTest::newRow("no such file") << 2 << "the file does not exist";
    }
    // Nothing is told inside the call; the reason comes from the event loop.
    void failureIsTold()
    {
        QFETCH(int, exitCode);
        QFETCH(QString, reason);
        // A stand-in xdg-open that notes its argument and ends with exitCode.
        QDir(m_bin.path()).removeRecursively();
        QDir().mkpath(m_bin.path());
        if (exitCode >= 0) {
            QFile script(m_bin.filePath(QStringLiteral("xdg-open")));
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write("#!/bin/sh\necho \"$1\" > \"$(dirname \"$0\")/argument\"\nexit "
                         + QByteArray::number(exitCode) + "\n");
            script.close();
            script.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        }
        // The script's own tools stay on the path; a missing xdg-open is
        // missing from all of it.
        const QByteArray bin = QFile::encodeName(m_bin.path());
        qputenv("PATH", exitCode < 0 ? bin : bin + ":/usr/bin:/bin");

        QStringList told;
        ShellOpen::current().openFile(QStringLiteral("term1.ht"),
                                      [&told](const QString &why) { told << why; });
        QVERIFY(told.isEmpty());
        QTRY_COMPARE(told.size(), 1);
        QVERIFY2(told.first().contains(reason), qPrintable(told.first()));
        if (exitCode >= 0) {
            QFile argument(m_bin.filePath(QStringLiteral("argument")));
            QVERIFY(argument.open(QIODevice::ReadOnly));
            QCOMPARE(argument.readAll().trimmed(),
                     QFile::encodeName(QDir::current().absoluteFilePath("term1.ht")));
        }
    }
};

QTEST_MAIN(TstShellOpen)
#include "tst_shellopen.moc"
