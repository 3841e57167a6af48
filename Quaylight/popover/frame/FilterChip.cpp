#include "Quaylight/popover/frame/FilterChip.h"

#include "Quaylight/design/controls/PremiumChip.h"
#include "Quaylight/design/controls/Shadow.h"

namespace quaylight {

FilterChip::FilterChip(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    chip_ = new PremiumChip({}, PremiumChipStyle::neutral, std::nullopt, this);
    chip_->setAttribute(Qt::WA_TransparentForMouseEvents);
    // The button speaks for the chip.
    chip_->setAccessibleName({});
}

void FilterChip::set(const QString& title, const QString& accessibleLabel, bool selected) {
    if (chip_->title() != title) {
        chip_->setTitle(title);
        setText(title);
        updateGeometry();
    }
    const auto style = selected ? PremiumChipStyle::selected : PremiumChipStyle::neutral;
    if (chip_->chipStyle() != style) {
        chip_->setChipStyle(style);
        // The face fills this button exactly: the button casts the glow, or it would be cut.
        moveShadow(chip_, this);
    }
    if (isChecked() != selected) setChecked(selected);
    if (accessibleName() != accessibleLabel) setAccessibleName(accessibleLabel);
    const QString value = selected ? QStringLiteral("Selected") : QStringLiteral("Not selected");
    if (accessibleDescription() != value) setAccessibleDescription(value);
}

QString FilterChip::title() const { return chip_->title(); }

QSize FilterChip::sizeHint() const { return chip_->sizeHint(); }

void FilterChip::paintEvent(QPaintEvent*) {}

void FilterChip::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    chip_->setGeometry(rect());
}

}  // namespace quaylight
