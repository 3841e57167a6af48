#pragma once
// The stop confirmation laid over the whole popover: a dimmed backdrop and one card. While
// it shows it holds the keyboard: Return or Enter confirms, Escape cancels, every other key
// and every click beneath it goes nowhere, so nothing can change the card's target. The
// focus it took goes back where it was once the last card leaves. It fades in and out
// (ease-out, 0.16 s); while it fades out it takes no clicks and no keys.

#include <QPointer>
#include <QWidget>

class QGraphicsOpacityEffect;
class QVariantAnimation;
#include <functional>

#include "Quaylight/popover/model/ConfirmationCards.h"

namespace quaylight {

class PremiumDialogSurface;
class WrapLabel;
class PremiumButton;

class ConfirmationOverlay : public QWidget {
    Q_OBJECT
public:
    explicit ConfirmationOverlay(QWidget* parent = nullptr);

    // Shows the card for `texts`, or hides the overlay for none.
    void present(const std::optional<ConfirmationTexts>& texts);
    bool isPresented() const { return presented_; }
    // The fade's opacity: 0 hidden, 1 fully shown.
    qreal opacity() const { return opacity_; }
    QWidget* card() const;
    QString title() const;
    QString message() const;

    std::function<void()> onCancel;
    std::function<void()> onConfirm;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeCard();
    void fadeTo(qreal target);
    void setOpacity(qreal opacity);

    PremiumDialogSurface* card_;
    WrapLabel* title_;
    WrapLabel* message_;
    PremiumButton* cancel_;
    PremiumButton* confirm_;
    bool presented_ = false;
    qreal opacity_ = 0;
    QGraphicsOpacityEffect* fadeEffect_;
    QVariantAnimation* fade_;
    QPointer<QWidget> previousFocus_;
};

}  // namespace quaylight
