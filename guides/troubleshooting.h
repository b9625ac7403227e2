#pragma once

#include <QList>
#include <QString>

#include <optional>

// The troubleshooting tree: two product families, each with its questions,
// and the fixed answer of every question.
namespace Troubleshooting {

struct Node
{
    QString key;
    QString parentKey; // empty for a root
    QString text;
};

// The nodes in the order they are added to the tree; a node's index in the
// tree is its position here plus 1.
const QList<Node> &nodes();

// The answer of the node at a 1-based index, as the tree counts its nodes.
// None for a root, or where no node is selected (index 0 or out of range):
// the answer box then keeps what it shows.
std::optional<QString> answerAt(int index);

// The same by the node's key; none for a root or an unknown key.
std::optional<QString> answerFor(const QString &key);

} // namespace Troubleshooting
