#include "Quaylight/popover/frame/ListStateView.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "Quaylight/design/brand/PlugMark.h"
#include "Quaylight/design/icons/LucideIcon.h"
#include "Quaylight/design/theme/Foreground.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/frame/WrapLabel.h"

namespace quaylight {

ListStateView::ListStateView(ListStateSpec spec, QWidget* parent) : QWidget(parent) {
    setObjectName(spec.name);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(spec.horizontalPadding, 0, spec.horizontalPadding, 0);
    column->setSpacing(spec.spacing);
    column->addStretch(1);
    QWidget* icon = nullptr;
    if (spec.icon == ListStateSpec::Icon::plugMark) {
        auto* mark = new PlugMark(false, PlugCut{2.1, 2.0, 8.9}, this);
        mark->setFixedSize(26 * 24 / 11, 26);
        icon = mark;
    } else {
        icon = new LucideIcon(spec.lucide, 28, std::nullopt, this);
    }
    setForeground(icon, spec.iconColor);
    column->addWidget(icon, 0, Qt::AlignHCenter);
    if (spec.title) {
        auto* title = new WrapLabel(*spec.title, PremiumTheme::display(15, PremiumFontWeight::semibold),
                                    PremiumTheme::textPrimary(), Qt::AlignHCenter, this);
        title->setObjectName(QStringLiteral("title"));
        column->addWidget(title);
    }
    if (spec.detail) {
        auto* detail = new WrapLabel(*spec.detail, PremiumTheme::display(spec.detailSize, PremiumFontWeight::regular),
                                     PremiumTheme::textSecondary(), Qt::AlignHCenter, this);
        detail->setObjectName(QStringLiteral("detail"));
        column->addWidget(detail);
    }
    if (!spec.buttons.empty()) {
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        row->setContentsMargins(0, spec.buttonsTopPadding, 0, 0);
        row->addStretch(1);
        for (auto& b : spec.buttons) {
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
