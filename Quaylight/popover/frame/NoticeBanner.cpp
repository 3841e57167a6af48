#include "Quaylight/popover/frame/NoticeBanner.h"

#include <QHBoxLayout>
#include <QPainter>

#include "Quaylight/design/icons/LucideIcon.h"
#include "Quaylight/design/theme/Foreground.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/frame/DisplayText.h"
#include "Quaylight/popover/frame/PopoverWidgets.h"
#include "Quaylight/popover/frame/WrapLabel.h"

namespace quaylight {

NoticeBanner::NoticeBanner(QWidget* parent, Dismissal dismissal) : QWidget(parent) {
    setObjectName(QStringLiteral("noticeBanner"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(16, 8, 16, 9);
    row->setSpacing(8);
    auto* icon = new LucideIcon(LucideIconName::shield, 14, std::nullopt, this);
    setForeground(icon, PremiumTheme::warning());
    row->addWidget(icon, 0, Qt::AlignVCenter);
    text_ = new WrapLabel({}, PremiumTheme::display(11.5, PremiumFontWeight::regular), PremiumTheme::textSecondary(),
                          Qt::AlignLeft, this);
    text_->setObjectName(QStringLiteral("noticeText"));
    text_->setMaximumLines(3);
    row->addWidget(text_, 1);
    if (dismissal == Dismissal::none) return;
    auto* dismiss = new IconButton(LucideIconName::x, 13, PremiumTheme::textTertiary(), QSize(20, 20),
                                   QStringLiteral("Dismiss"), this);
    row->addWidget(dismiss, 0, Qt::AlignVCenter);
    connect(dismiss, &QAbstractButton::clicked, this, [this] {
        if (onDismiss) onDismiss();
    });
}

void NoticeBanner::setText(const QString& text) {
    text_->setText(text);
    setPlainTooltip(this, text);
}

QString NoticeBanner::text() const { return text_->text(); }

void NoticeBanner::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), withOpacity(PremiumTheme::warning(), 0.06));
    p.fillRect(QRect(0, height() - 1, width(), 1), PremiumTheme::hairline());
}

}  // namespace quaylight
