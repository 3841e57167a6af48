#pragma once
// What a screen reader reaches of a widget: its accessible node and every node under it,
// walked through the accessible children as the reader walks them.

#include <QAccessible>
#include <vector>

namespace quaylight::test {

inline void walkAccessible(QAccessibleInterface* node, std::vector<QAccessibleInterface*>& out) {
    if (!node || !node->isValid()) return;
    out.push_back(node);
    for (int i = 0; i < node->childCount(); ++i) walkAccessible(node->child(i), out);
}

inline std::vector<QAccessibleInterface*> accessibleNodes(QObject* top) {
    std::vector<QAccessibleInterface*> nodes;
    walkAccessible(QAccessible::queryAccessibleInterface(top), nodes);
    return nodes;
}

}  // namespace quaylight::test
