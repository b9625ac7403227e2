#include "guides/frmtroubleshooting.h"

#include "guides/guidecontrols.h"
#include "guides/troubleshooting.h"

#include <QHash>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <functional>

namespace {

constexpr int kIndexRole = Qt::UserRole;
constexpr int kKeyRole = Qt::UserRole + 1;

constexpr qreal kAnswerPoints = 9;
constexpr qreal kExitPoints = 9;
const QStringList kExitFaces = {QStringLiteral("BankGothic Md BT")};

// A tree drawn with lines between a node and its children but without the
// boxes that open and close them, and which reports every mouse click in it,
// on a node or not, once the click has done its selecting; a click on blank
// space selects nothing and deselects nothing.
class LinedTree final : public QTreeWidget
{
public:
    using QTreeWidget::QTreeWidget;

    std::function<void()> onClick;

protected:
    void drawBranches(QPainter *painter, const QRect &rect,
                      const QModelIndex &index) const override
    {
        if (!index.parent().isValid())
            return; // the roots stand alone
        painter->save();
        QPen pen(palette().color(QPalette::Mid), 1, Qt::DotLine);
        painter->setPen(pen);
        const int level = indentation();
        const int x = rect.right() - level + level / 2;
        const int y = rect.center().y();
        const bool more = index.sibling(index.row() + 1, 0).isValid();
        painter->drawLine(x, rect.top(), x, more ? rect.bottom() : y);
        painter->drawLine(x, y, rect.right(), y);
        painter->restore();
    }

    // A press on blank space leaves the selection as it is (the tree view
    // would clear it), so that the click shows the answer of the node still
    // selected.
    void mousePressEvent(QMouseEvent *event) override
    {
        if (!itemAt(event->position().toPoint())) {
            event->accept();
            return;
        }
        QTreeWidget::mousePressEvent(event);
    }

    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QTreeWidget::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && onClick)
            onClick();
    }
};

} // namespace

frmTroubleshooting::frmTroubleshooting(QWidget *parent) : Form(parent)
{
    setWindowTitle(QStringLiteral("Trouble shooting"));
    setClientSizeTwips(7680, 4680);

    // Created in their tab order: the answer box first.
    txtSpec = placed<QPlainTextEdit>(QStringLiteral("txtSpec"), {120, 1800, 7455, 2295});
    txtSpec->setFont(letteringFont(font(), kMingFaces, kAnswerPoints));
    // The answers are to read and to copy from, not to edit.
    txtSpec->setReadOnly(true);
    txtSpec->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto *tree = placed<LinedTree>(QStringLiteral("TreeView1"), {120, 120, 7455, 1575});
    tree->onClick = [this] { TreeView1_Click(); };
    TreeView1 = tree;
    TreeView1->setHeaderHidden(true);
    TreeView1->setColumnCount(1);
    TreeView1->setRootIsDecorated(false);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);

    CmdEXIT = button(QStringLiteral("CmdEXIT"), QStringLiteral("&Exit"), {6240, 4200, 1335, 375});
    setCancelButton(CmdEXIT);
    CmdEXIT->setFont(letteringFont(font(), kExitFaces, kExitPoints));
    connect(CmdEXIT, &QPushButton::clicked, this, &frmTroubleshooting::CmdEXIT_Click);
}

void frmTroubleshooting::formLoad()
{
    QHash<QString, QTreeWidgetItem *> byKey;
    QList<QTreeWidgetItem *> added;
    const QList<Troubleshooting::Node> &nodes = Troubleshooting::nodes();
    for (qsizetype i = 0; i < nodes.size(); ++i) {
        const Troubleshooting::Node &n = nodes.at(i);
        QTreeWidgetItem *parent = byKey.value(n.parentKey);
        auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(TreeView1);
        item->setText(0, n.text);
        item->setData(0, kIndexRole, int(i) + 1);
        item->setData(0, kKeyRole, n.key);
        byKey.insert(n.key, item);
        added.append(item);
    }
    // Both families open, so that every question shows.
    for (QTreeWidgetItem *root : {added.value(0), added.value(1)}) {
        if (root)
            root->setExpanded(true);
    }
}

int frmTroubleshooting::nodeIndex(const QTreeWidgetItem *node)
{
    return node ? node->data(0, kIndexRole).toInt() : 0;
}

QString frmTroubleshooting::nodeKey(const QTreeWidgetItem *node)
{
    return node ? node->data(0, kKeyRole).toString() : QString();
}

void frmTroubleshooting::TreeView1_Click()
{
    const QList<QTreeWidgetItem *> selected = TreeView1->selectedItems();
    // A root, or no node selected at all: the last answer stays on view.
    const auto answer =
        Troubleshooting::answerAt(nodeIndex(selected.isEmpty() ? nullptr : selected.first()));
    if (answer)
        txtSpec->setPlainText(*answer);
}

void frmTroubleshooting::CmdEXIT_Click()
{
    close();
}
