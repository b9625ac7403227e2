#include "app/windows.h"
#include "guides/frmtroubleshooting.h"
#include "guides/guides.h"
#include "guides/troubleshooting.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

QTreeWidgetItem *nodeByKey(QTreeWidget *tree, const QString &key)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if (frmTroubleshooting::nodeKey(*it) == key)
            return *it;
    }
    return nullptr;
}

// The answer box's text for a question's answer (its lines are joined by CR
// LF; the box keeps line breaks only).
QString shownAnswer(const QString &key)
{
    return Troubleshooting::answerFor(key).value_or(QString()).replace(
        QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

// The troubleshooting window: its tree as loaded, and the answer box through
// mouse clicks and the keyboard.
class TstFrmTroubleshooting : public QObject
{
    Q_OBJECT

    frmTroubleshooting *open()
    {
        auto *f = Windows::get<frmTroubleshooting>(WindowName::frmTroubleshooting);
        if (f) {
            f->show();
            if (!QTest::qWaitForWindowExposed(f))
                return nullptr;
        }
        return f;
    }

    static void clickAt(QTreeWidget *tree, const QPoint &at)
    {
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    }

private slots:
    void init() { registerGuidesWindows(); }
    void cleanup() { Windows::clear(); }

    // Both families open with all their questions, in the order added, and
    // the answer box empty and first in line for the keyboard.
    void loaded()
    {
        frmTroubleshooting *f = open();
        QVERIFY(f);
        QCOMPARE(f->windowTitle(), QStringLiteral("Trouble shooting"));
        QStringList shown;
        for (QTreeWidgetItemIterator it(f->TreeView1); *it; ++it) {
            const QTreeWidgetItem *n = *it;
            shown << QStringLiteral("%1 %2 %3%4")
                         .arg(frmTroubleshooting::nodeIndex(n))
                         .arg(frmTroubleshooting::nodeKey(n),
                              n->parent() ? QStringLiteral("  ") : QString(), n->text(0));
            QVERIFY2(!n->isHidden() && (!n->parent() || n->parent()->isExpanded()),
                     qPrintable(n->text(0)));
        }
        QCOMPARE(shown, QStringList({"1 R RM4630K Series",
                                     "3 C1   What should you do when ZE4630ZEZ system halted ?",
                                     "4 C2   Why can't RM4630K be communicated by RS232?",
                                     "5 C3   Why can't the ethernet function of RM4630K work?",
                                     "6 C4   Why do I fail to download the image file? ",
                                     "2 M RM4630K-MTCP Series", "7 C5   What is the NetID?"}));
        QVERIFY(!f->TreeView1->rootIsDecorated());
        QVERIFY(f->TreeView1->selectedItems().isEmpty());
        QVERIFY(f->txtSpec->toPlainText().isEmpty());
        QVERIFY(f->txtSpec->isReadOnly());
        QTRY_COMPARE(QApplication::focusWidget(), f->txtSpec);
        QCOMPARE(f->CmdEXIT->text(), QStringLiteral("&Exit"));
    }

    void clicks_data()
    {
        QTest::addColumn<QStringList>("clicks"); // node keys; "blank" is empty tree space, "Down" the key
        QTest::addColumn<QString>("answer");     // the key whose answer shows; empty: none
        QTest::newRow("NetID") << QStringList{"C5"} << "C5";
        QTest::newRow("RS232") << QStringList{"C2"} << "C2";
        QTest::newRow("download") << QStringList{"C4"} << "C4";
        QTest::newRow("root after a question") << QStringList{"C1", "R"} << "C1";
        QTest::newRow("other root after a question") << QStringList{"C3", "M"} << "C3";
        QTest::newRow("question after a question") << QStringList{"C1", "C5"} << "C5";
        QTest::newRow("blank space after a question") << QStringList{"C2", "blank"} << "C2";
        QTest::newRow("blank space after a keyboard move") << QStringList{"C2", "Down", "blank"} << "C3";
        QTest::newRow("blank space, nothing selected") << QStringList{"blank"} << "";
        QTest::newRow("root only") << QStringList{"M"} << "";
    }

    // A click on a question shows its answer; a click on a root leaves the
    // last answer, and one on blank space shows the selected question's,
    // also when the keyboard selected it.
    void clicks()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QString, answer);
        frmTroubleshooting *f = open();
        QVERIFY(f);
        QTreeWidget *tree = f->TreeView1;
        const QPoint blank(tree->viewport()->width() - 4, tree->viewport()->height() - 4);
        QVERIFY(!tree->itemAt(blank));
        for (const QString &click : clicks) {
            if (click == QLatin1String("blank")) {
                clickAt(tree, blank);
                continue;
            }
            if (click == QLatin1String("Down")) {
                QTest::keyClick(tree, Qt::Key_Down);
                continue;
            }
            QTreeWidgetItem *node = nodeByKey(tree, click);
            QVERIFY(node);
            clickAt(tree, tree->visualItemRect(node).center());
            QVERIFY(node->isSelected());
        }
        QCOMPARE(f->txtSpec->toPlainText(), shownAnswer(answer));
    }

    // Moving the selection with the keyboard raises no click: the answer
    // stays with the question clicked last.
    void keyboardKeepsTheAnswer()
    {
        frmTroubleshooting *f = open();
        QVERIFY(f);
        QTreeWidget *tree = f->TreeView1;
        clickAt(tree, tree->visualItemRect(nodeByKey(tree, "C1")).center());
        QCOMPARE(f->txtSpec->toPlainText(), shownAnswer("C1"));
        QTest::keyClick(tree, Qt::Key_Down);
        QVERIFY(nodeByKey(tree, "C2")->isSelected());
        QCOMPARE(f->txtSpec->toPlainText(), shownAnswer("C1"));

        f->CmdEXIT->click();
        QVERIFY(!Windows::loaded(WindowName::frmTroubleshooting));
        f = open();
        QVERIFY(f && f->txtSpec->toPlainText().isEmpty());
    }
};

QTEST_MAIN(TstFrmTroubleshooting)
#include "tst_frmtroubleshooting.moc"
