#pragma once
// The small on/off switch of a settings row: a capsule track, accent when on, with a white
// knob that slides across. Space toggles it; clicking anywhere on it toggles it. It takes
// its accessible name from the row it sits in, since the row's title is its visible label.

#include <QAbstractButton>
#include <QVariantAnimation>

namespace quaylight {

// The track and knob colours of a switch that is `on`, part-way `progress` (0 off, 1 on).
struct PremiumSwitchColors {
    QColor track;
    QColor trackBorder;
    QColor knob;
};
PremiumSwitchColors premiumSwitchColors(qreal progress);

class PremiumSwitch : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int width = 32;
    static constexpr int height = 18;

    explicit PremiumSwitch(const QString& accessibleName, bool on = false, QWidget* parent = nullptr);

    // 0 while off, 1 while on, in between while the knob slides.
    qreal progress() const { return progress_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Follows every change of the checked state, also one made with signals blocked.
    void checkStateSet() override;

private:
    void followCheckedState();
    void setProgress(qreal progress);

    qreal progress_;
    QVariantAnimation slide_;
};

}  // namespace quaylight
