#include "Quaylight/popover/cards/ConfirmationOverlay.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include "Quaylight/design/controls/PremiumButton.h"
#include "Quaylight/design/controls/PremiumCard.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/frame/DisplayText.h"
#include "Quaylight/popover/frame/WrapLabel.h"

namespace quaylight {

ConfirmationOverlay::ConfirmationOverlay(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("confirmationOverlay"));
    setFocusPolicy(Qt::NoFocus);
    card_ = new PremiumDialogSurface(360, this);
    card_->setObjectName(QStringLiteral("confirmationCard"));
    auto* column = card_->contentLayout();
    column->setSpacing(0);
    title_ = new WrapLabel({}, PremiumTheme::display(14, PremiumFontWeight::semibold), white(), Qt::AlignHCenter,
                           card_);
    title_->setObjectName(QStringLiteral("cardTitle"));
    message_ = new WrapLabel({}, PremiumTheme::display(12, PremiumFontWeight::regular), PremiumTheme::textSecondary(),
                             Qt::AlignHCenter, card_);
    message_->setObjectName(QStringLiteral("cardMessage"));
    column->addWidget(title_);
    column->addSpacing(6);
    column->addWidget(message_);
    column->addSpacing(14);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    cancel_ = new PremiumButton(QStringLiteral("Cancel"), {PremiumButtonKind::secondary, 38, 10, 15, true}, card_);
    // Named for what it does until a card gives it its own title.
    confirm_ = new PremiumButton(QStringLiteral("Confirm"), {PremiumButtonKind::destructive, 38, 10, 15, true}, card_);
    for (auto* button : {cancel_, confirm_}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        buttons->addWidget(button, 1);
    }
    column->addLayout(buttons);
    connect(cancel_, &QAbstractButton::clicked, this, [this] {
        if (onCancel) onCancel();
    });
    connect(confirm_, &QAbstractButton::clicked, this, [this] {
        if (onConfirm) onConfirm();
    });
    card_->installEventFilter(this);
    fadeEffect_ = new QGraphicsOpacityEffect(this);
    fadeEffect_->setEnabled(false);
    setGraphicsEffect(fadeEffect_);
    fade_ = new QVariantAnimation(this);
    fade_->setObjectName(QStringLiteral("cardFade"));
    fade_->setDuration(160);
    fade_->setEasingCurve(QEasingCurve::OutQuad);
    connect(fade_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) { setOpacity(value.toReal()); });
    connect(fade_, &QVariantAnimation::finished, this, [this] {
        if (!presented_) hide();
    });
    hide();
}

void ConfirmationOverlay::fadeTo(qreal target) {
    fade_->stop();
    fade_->setStartValue(opacity_);
    fade_->setEndValue(target);
    fade_->start();
}

void ConfirmationOverlay::setOpacity(qreal opacity) {
    opacity_ = opacity;
    // Fully shown, the overlay paints directly rather than through the effect's picture.
    fadeEffect_->setEnabled(opacity < 1);
    fadeEffect_->setOpacity(opacity);
}

void ConfirmationOverlay::present(const std::optional<ConfirmationTexts>& texts) {
    if (!texts) {
        if (!presented_) return;
        presented_ = false;
        // Fading out, the backdrop lets clicks through and the keys go back at once.
        setAttribute(Qt::WA_TransparentForMouseEvents, true);
        if (previousFocus_) previousFocus_->setFocus(Qt::OtherFocusReason);
        else if (hasFocus()) clearFocus();
        previousFocus_.clear();
        fadeTo(0);
        return;
    }
    title_->setText(displayText(texts->title));
    message_->setText(displayText(texts->message));
    confirm_->setText(QString::fromStdString(texts->confirmTitle));
    confirm_->setAccessibleName(QString::fromStdString(texts->confirmTitle));
    card_->setAccessibleName(displayText(texts->title));
    if (!presented_) {
        presented_ = true;
        QWidget* focused = window() ? window()->focusWidget() : nullptr;
        previousFocus_ = (focused && focused != this) ? focused : nullptr;
        if (parentWidget()) setGeometry(parentWidget()->rect());
        setAttribute(Qt::WA_TransparentForMouseEvents, false);
        if (isHidden()) setOpacity(0);
        show();
        raise();
        fadeTo(1);
    }
    placeCard();
    setFocus(Qt::OtherFocusReason);
}

QWidget* ConfirmationOverlay::card() const { return card_; }
QString ConfirmationOverlay::title() const { return title_->text(); }
QString ConfirmationOverlay::message() const { return message_->text(); }

void ConfirmationOverlay::placeCard() {
    card_->layout()->activate();
    const int height = card_->layout()->hasHeightForWidth() ? card_->layout()->totalHeightForWidth(360)
                                                            : card_->sizeHint().height();
    card_->setGeometry(22, this->height() - 20 - height, 360, height);
}

void ConfirmationOverlay::paintEvent(QPaintEvent*) { QPainter(this).fillRect(rect(), black(0.3)); }

void ConfirmationOverlay::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            if (onCancel) onCancel();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (onConfirm) onConfirm();
            break;
        default: break;
    }
    event->accept();  // nothing beneath the card may react while it shows
}

void ConfirmationOverlay::mousePressEvent(QMouseEvent* event) {
    // Clicks on the card itself land on the card; this is the backdrop.
    if (onCancel) onCancel();
    event->accept();
}

void ConfirmationOverlay::resizeEvent(QResizeEvent*) { placeCard(); }

bool ConfirmationOverlay::focusNextPrevChild(bool) { return true; }

bool ConfirmationOverlay::eventFilter(QObject* watched, QEvent* event) {
    // A click on the card (not on its buttons) does nothing, and never reaches the backdrop.
    if (watched == card_ && event->type() == QEvent::MouseButtonPress) return true;
    return QWidget::eventFilter(watched, event);
}

}  // namespace quaylight
