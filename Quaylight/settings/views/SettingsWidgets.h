#pragma once
// The small building blocks every settings card and first-run screen is made of: text in
// the theme's faces, a card's heading, a titled row with its control, the hairline between
// rows, and plain layouts without margins.

#include <QBoxLayout>
#include <QLabel>
#include <QString>
#include <QWidget>

#include "Quaylight/design/icons/LucideIconName.h"
#include "Quaylight/design/theme/PremiumFont.h"

class QScrollArea;

namespace quaylight::settings {

// A label in `font` and `color`; `wraps` lets it take as many lines as it needs.
QLabel* textLabel(const QString& text, const QFont& font, const QColor& color, bool wraps = false);

QVBoxLayout* column(QWidget* holder, int spacing);
QHBoxLayout* row(QWidget* holder, int spacing);

// A 32-point accent badge with the icon, then the title over the subtitle.
QWidget* sectionHeader(LucideIconName icon, const QString& title, const QString& subtitle);

// The title over the subtitle on the left, the control on the right, padded 10 by 8.
// The control is named by the row's title when it has no name of its own.
QWidget* controlRow(const QString& title, const QString& subtitle, QWidget* control);

// A 1-point hairline as wide as the card.
QWidget* cardDivider();

// A scroll area that draws nothing of its own, so the panel shows through.
void makeTransparent(QScrollArea* scroll);

// A rounded `side`-point tile filled with `fill` and the icon centred on it.
QWidget* iconBadge(LucideIconName icon, qreal side, qreal radius, qreal iconSize, const QColor& fill,
                   const QColor& iconColor);

}  // namespace quaylight::settings
