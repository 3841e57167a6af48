#pragma once
// The states that take the list's place (nothing listens, nothing matches, the agent filter
// finds no listener, the exact scope is empty, the scan failed): one centred shape of icon,
// text lines and buttons.

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "Quaylight/design/controls/PremiumButton.h"
#include "Quaylight/design/icons/LucideIconName.h"

namespace quaylight {

struct ListStateContent {
    enum class Icon { plugMark, lucide };
    struct Button {
        QString title;
        PremiumButtonKind kind = PremiumButtonKind::primary;
        std::function<void()> action;
    };
    QString name;  // the view's object name, for tests and the accessibility tree
    int spacing = 8;
    int horizontalPadding = 24;
    Icon icon = Icon::lucide;
    LucideIconName lucide = LucideIconName::search;
    QColor iconColor;
    std::optional<QString> title;
    std::optional<QString> detail;
    qreal detailSize = 11.5;
    std::vector<Button> buttons;
    int buttonsTopPadding = 0;
};

class ListStateView : public QWidget {
    Q_OBJECT
public:
    explicit ListStateView(ListStateContent stateContent, QWidget* parent = nullptr);
};

}  // namespace quaylight
