#include "Quaylight/popover/agents/AgentFilterChip.h"

#include "Quaylight/design/controls/PremiumChip.h"

namespace quaylight {

AgentFilterChip::AgentFilterChip(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    chip_ = new PremiumChip({}, PremiumChipStyle::neutral, std::nullopt, this);
    chip_->setAttribute(Qt::WA_TransparentForMouseEvents);
    // The button speaks for the chip.
    chip_->setAccessibleName({});
}

void AgentFilterChip::set(const QString& title, const QString& accessibleLabel, bool selected) {
    if (chip_->title() != title) {
        chip_->setTitle(title);
        setText(title);
        updateGeometry();
    }
    const auto style = selected ? PremiumChipStyle::selected : PremiumChipStyle::neutral;
    if (chip_->chipStyle() != style) chip_->setChipStyle(style);
    if (isChecked() != selected) setChecked(selected);
    if (accessibleName() != accessibleLabel) setAccessibleName(accessibleLabel);
    const QString value = selected ? QStringLiteral("Selected") : QStringLiteral("Not selected");
    if (accessibleDescription() != value) setAccessibleDescription(value);
}

QString AgentFilterChip::title() const { return chip_->title(); }

QSize AgentFilterChip::sizeHint() const { return chip_->sizeHint(); }

void AgentFilterChip::paintEvent(QPaintEvent*) {}

void AgentFilterChip::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    chip_->setGeometry(rect());
}

}  // namespace quaylight
