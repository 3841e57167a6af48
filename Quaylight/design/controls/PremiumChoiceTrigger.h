#pragma once
// The drop-down trigger of a choice menu, and the anchors through which the menu finds it.

#include <QAbstractButton>
#include <QRect>
#include <map>

namespace quaylight {

// Trigger bounds by trigger id, in the coordinates of the widget that collected them.
using PremiumChoiceAnchors = std::map<QString, QRect>;

namespace PremiumChoiceAnchorKey {
// Merges `next` into `value`; for an id in both, `next`'s bounds replace the earlier ones.
void reduce(PremiumChoiceAnchors& value, const PremiumChoiceAnchors& next);
}  // namespace PremiumChoiceAnchorKey

// The current value with a chevron that turns over while the menu is open; clicking emits
// clicked(). Keeps its own size.
class PremiumChoiceTrigger : public QAbstractButton {
    Q_OBJECT
public:
    PremiumChoiceTrigger(QString id, QString title, QString value, bool isExpanded = false,
                         QWidget* parent = nullptr);

    const QString& id() const { return id_; }
    const QString& title() const { return title_; }
    const QString& value() const { return value_; }
    bool isExpanded() const { return isExpanded_; }
    void setValue(const QString& value);
    void setExpanded(bool expanded);

    // This trigger's one-entry anchors: its id and its bounds in `ancestor`'s coordinates.
    PremiumChoiceAnchors anchor(const QWidget* ancestor) const;

    // What assistive technologies read: "Compact, collapsed", and the hint.
    QString accessibilityValue() const;
    QString accessibilityHint() const;

    // Where the value is drawn, in the trigger's coordinates.
    QRect valueRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRectF chevronRect() const;

    QString id_;
    QString title_;
    QString value_;
    bool isExpanded_;
};

// The anchors of every trigger inside `root`, merged in the order the triggers come in the
// widget tree, in `root`'s coordinates.
PremiumChoiceAnchors collectChoiceAnchors(const QWidget* root);

}  // namespace quaylight
