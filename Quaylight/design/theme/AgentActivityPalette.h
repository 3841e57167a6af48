#pragma once
// The screen-top indicator's three colours per provider, one per row of its activity
// matrix from the bottom up; the second is also the completion check mark's colour.

#include <QColor>
#include <array>

namespace quaylight::PremiumTheme {

const std::array<QColor, 3>& codexActivity();
const std::array<QColor, 3>& claudeActivity();

}  // namespace quaylight::PremiumTheme
