#include "Quaylight/popover/frame/ListStateView.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "Quaylight/design/brand/PlugMark.h"
#include "Quaylight/design/icons/LucideIcon.h"
#include "Quaylight/design/theme/Foreground.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/frame/WrapLabel.h"

namespace quaylight {

ListStateView::ListStateView(ListStateContent stateContent, QWidget* parent) : QWidget(parent) {
    setObjectName(stateContent.name);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(stateContent.horizontalPadding, 0, stateContent.horizontalPadding, 0);
    column->setSpacing(stateContent.spacing);
    column->addStretch(1);
    QWidget* icon = nullptr;
    if (stateContent.icon == ListStateContent::Icon::plugMark) {
        auto* mark = new PlugMark(false, PlugCut{2.1, 2.0, 8.9}, this);
        mark->setFixedSize(26 * 24 / 11, 26);
        icon = mark;
    } else {
        icon = new LucideIcon(stateContent.lucide, 28, std::nullopt, this);
    }
    setForeground(icon, stateContent.iconColor);
    column->addWidget(icon, 0, Qt::AlignHCenter);
    if (stateContent.title) {
        auto* title = new WrapLabel(*stateContent.title, PremiumTheme::display(15, PremiumFontWeight::semibold),
                                    PremiumTheme::textPrimary(), Qt::AlignHCenter, this);
        title->setObjectName(QStringLiteral("title"));
        column->addWidget(title);
    }
    if (stateContent.detail) {
        const QFont font = PremiumTheme::display(stateContent.detailSize, PremiumFontWeight::regular);
        auto* detail = new WrapLabel(*stateContent.detail, font, PremiumTheme::textSecondary(), Qt::AlignHCenter, this);
        detail->setObjectName(QStringLiteral("detail"));
        column->addWidget(detail);
    }
    if (!stateContent.buttons.empty()) {
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        row->setContentsMargins(0, stateContent.buttonsTopPadding, 0, 0);
        row->addStretch(1);
        for (auto& b : stateContent.buttons) {
            auto* button = new PremiumButton(b.title, PremiumButtonStyle{b.kind, 34, 10, 15, false}, this);
            button->setFocusPolicy(Qt::NoFocus);
            button->setAccessibleName(b.title);
            connect(button, &QAbstractButton::clicked, this, [action = b.action] {
                if (action) action();
            });
            row->addWidget(button);
        }
        row->addStretch(1);
        column->addLayout(row);
    }
    column->addStretch(1);
}

}  // namespace quaylight
