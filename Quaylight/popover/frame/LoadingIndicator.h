#pragma once
// The indeterminate progress mark shown until the first scan arrives: an arc that turns
// while it is on screen, and stands still under reduce motion.

#include <QVariantAnimation>
#include <QWidget>

namespace quaylight {

class LoadingIndicator : public QWidget {
    Q_OBJECT
public:
    explicit LoadingIndicator(QWidget* parent = nullptr);
    bool isTurning() const { return turn_.state() == QAbstractAnimation::Running; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QVariantAnimation turn_;
    qreal angle_ = 0;
};

}  // namespace quaylight
