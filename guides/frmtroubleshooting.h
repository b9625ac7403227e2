#pragma once

#include "app/form.h"

class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The troubleshooting tree: the questions under their product families, and
// the answer of the question last clicked.
class frmTroubleshooting : public Form
{
    Q_OBJECT

public:
    explicit frmTroubleshooting(QWidget *parent = nullptr);
    void formLoad() override;

    // A mouse click anywhere in the tree, after the click has selected.
    void TreeView1_Click();
    void CmdEXIT_Click();

    // The node's position in the tree's node collection, counted from 1 in
    // the order the nodes were added; 0 for none.
    static int nodeIndex(const QTreeWidgetItem *node);
    // The node's key ("R", "C1", ...).
    static QString nodeKey(const QTreeWidgetItem *node);

    QTreeWidget *TreeView1 = nullptr;
    QPlainTextEdit *txtSpec = nullptr;
    QPushButton *CmdEXIT = nullptr;
};
