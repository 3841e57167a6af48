#pragma once
// Containers drawn as a rounded shape behind their content: the card, and the popup menu and
// dialog surfaces built on it.

#include <QVBoxLayout>
#include <QWidget>

#include "Quaylight/design/controls/Shadow.h"

namespace quaylight {

// Content padded on all four edges, on a rounded rectangle filled and stroked 1 point.
class PremiumCard : public QWidget {
    Q_OBJECT
public:
    PremiumCard(qreal padding, qreal cornerRadius, QColor fill, QColor border, QWidget* parent = nullptr);

    // Where the content goes; the caller may add several widgets (a vertical stack).
    QVBoxLayout* contentLayout() const { return layout_; }
    // Puts `content` in the card, in place of what was there.
    void setContent(QWidget* content);

    qreal padding() const { return padding_; }
    qreal cornerRadius() const { return cornerRadius_; }
    const QColor& fill() const { return fill_; }
    const QColor& border() const { return border_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal padding_;
    qreal cornerRadius_;
    QColor fill_;
    QColor border_;
    QVBoxLayout* layout_;
};

// The background of a popup menu: rows stacked without spacing, 6 points in from a rounded
// popup-coloured shape with a deep shadow, `width` wide, dark inside.
class PremiumMenuSurface : public PremiumCard {
    Q_OBJECT
public:
    explicit PremiumMenuSurface(qreal width, QWidget* parent = nullptr);
    void addRow(QWidget* row) { contentLayout()->addWidget(row); }
};

// The card of a confirmation dialog: content padded 18 points, `width` wide, on a rounded
// popup-coloured shape with a deeper shadow, dark inside, announced as modal.
class PremiumDialogSurface : public PremiumCard {
    Q_OBJECT
public:
    explicit PremiumDialogSurface(qreal width, QWidget* parent = nullptr);
};

}  // namespace quaylight
