#include "Quaylight/settings/onboarding/LaunchAtLoginOfferView.h"

#include <QScrollArea>

#include "Quaylight/design/controls/PremiumButton.h"
#include "Quaylight/design/controls/PremiumCard.h"
#include "Quaylight/design/controls/PremiumChip.h"
#include "Quaylight/design/icons/LucideIcon.h"
#include "Quaylight/design/theme/Foreground.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/settings/views/PlainButton.h"
#include "Quaylight/settings/views/SettingsWidgets.h"
#include "Quaylight/shell/defaults/SettingsKeys.h"
#include "Quaylight/shell/platform/LaunchAtLoginManager.h"

namespace quaylight {
namespace {

using namespace settings;

QWidget* reassuranceRow(LucideIconName icon, const QString& title, const QString& detail) {
    auto* holder = new QWidget;
    auto* layout = row(holder, 9);
    auto* iconView = new LucideIcon(icon, 14);
    setForeground(iconView, PremiumTheme::textTertiary());
    iconView->setFixedWidth(16);
    layout->addWidget(iconView, 0, Qt::AlignTop);
    auto* texts = new QWidget;
    auto* stack = column(texts, 2);
    stack->addWidget(textLabel(title, PremiumTheme::display(11.5, PremiumFontWeight::semibold), PremiumTheme::textPrimary()));
    stack->addWidget(textLabel(detail, PremiumTheme::display(9.5, PremiumFontWeight::regular),
                               PremiumTheme::textTertiary(), true));
    layout->addWidget(texts, 1);
    // One element for assistive technologies, read as its title and detail.
    holder->setAccessibleName(title + QStringLiteral(". ") + detail);
    return holder;
}

}  // namespace

LaunchAtLoginOfferView::LaunchAtLoginOfferView(Dependencies dependencies, std::function<void(bool)> onComplete,
                                               QWidget* parent)
    : QWidget(parent), dependencies_(std::move(dependencies)), onComplete_(std::move(onComplete)) {
    setAccessibleName(QStringLiteral("Open at login offer"));
    auto* outer = column(this, 0);
    auto* scroll = new QScrollArea;
    makeTransparent(scroll);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    outer->addWidget(scroll);

    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    auto* stack = column(content, 10);
    stack->setContentsMargins(20, 12, 20, 12);
    stack->addStretch(1);

    auto* tile = new QWidget;
    tile->setFixedSize(46, 46);
    {
        auto* badge = iconBadge(LucideIconName::startup, 46, 12, 21, withOpacity(PremiumTheme::accent(), 0.12),
                                PremiumTheme::info());
        badge->setParent(tile);
        badge->setAccessibleName(QStringLiteral("Open at login"));
        tile->setAccessibleName(QStringLiteral("Open at login"));
    }
    stack->addWidget(tile, 0, Qt::AlignHCenter);
    stack->addWidget(new PremiumChip(QStringLiteral("ONE-TIME SETUP"), PremiumChipStyle::accent), 0, Qt::AlignHCenter);

    QFont headlineFont = PremiumTheme::display(22, PremiumFontWeight::semibold);
    headlineFont.setLetterSpacing(QFont::AbsoluteSpacing, -0.4);
    auto* headline = textLabel(QStringLiteral("Keep Quaylight ready."), headlineFont, PremiumTheme::textPrimary());
    headline->setAlignment(Qt::AlignHCenter);
    stack->addWidget(headline);
    auto* summary = textLabel(QStringLiteral("Start Quaylight automatically when you sign in, so your local listener "
                                             "list is waiting in the tray when you need it."),
                              PremiumTheme::display(11.5, PremiumFontWeight::regular), PremiumTheme::textSecondary(),
                              true);
    summary->setAlignment(Qt::AlignHCenter);
    stack->addWidget(summary);

    auto* reassurance = new PremiumCard(10, 14, PremiumTheme::cardFill(), PremiumTheme::cardBorder());
    reassurance->contentLayout()->setSpacing(9);
    reassurance->contentLayout()->addWidget(reassuranceRow(LucideIconName::power, QStringLiteral("A standard XDG autostart entry"),
                                                           QStringLiteral("You can turn it off anytime in Quaylight Settings.")));
    reassurance->contentLayout()->addWidget(cardDivider());
    reassurance->contentLayout()->addWidget(reassuranceRow(
        LucideIconName::shield, QStringLiteral("No broad privacy permissions"),
        QStringLiteral("No administrator access and no extra permissions.")));
    stack->addWidget(reassurance);

    // The message card in its two looks: plain, and the approval's blue.
    for (bool approval : {false, true}) {
        auto* card = approval ? new PremiumCard(8, 14, withOpacity(PremiumTheme::accent(), 0.12),
                                                withOpacity(PremiumTheme::info(), 0.35))
                              : new PremiumCard(8, 14, PremiumTheme::chipFill(), PremiumTheme::cardBorder());
        auto* messageRow = new QWidget;
        auto* messageLayout = row(messageRow, 7);
        auto* icon = new LucideIcon(approval ? LucideIconName::settings2 : LucideIconName::helpCircle, 13);
        setForeground(icon, approval ? PremiumTheme::info() : PremiumTheme::warning());
        messageLayout->addWidget(icon, 0, Qt::AlignTop);
        auto* text = textLabel(QString(), PremiumTheme::display(10.5, PremiumFontWeight::regular),
                               PremiumTheme::textSecondary(), true);
        text->setObjectName(QStringLiteral("offerMessage"));
        messageLayout->addWidget(text, 1);
        card->contentLayout()->addWidget(messageRow);
        stack->addWidget(card);
        (approval ? approvalCard_ : plainCard_) = card;
        (approval ? approvalText_ : plainText_) = text;
    }

    auto* openAtLogin = new PremiumButton(QStringLiteral("Open at Login"),
                                          {PremiumButtonKind::primary, 38, 10, 15, true});
    openAtLogin->setAccessibleName(QStringLiteral("Open at Login"));
    connect(openAtLogin, &QAbstractButton::clicked, this, [this] { enableAtLogin(); });
    stack->addWidget(openAtLogin);

    approvalRow_ = new QWidget;
    auto* approvalLayout = row(approvalRow_, 8);
    approvalLayout->addStretch();
    auto* openSettings = new PremiumButton(QStringLiteral("Open Autostart Settings"),
                                           {PremiumButtonKind::secondary, 36, 10, 15, false});
    connect(openSettings, &QAbstractButton::clicked, this, [this] {
        dependencies_.launchAtLogin->openLoginItemsSettings();  // what it answers changes nothing here
    });
    auto* turnedOn = new PremiumButton(QStringLiteral("I Turned It On"), {PremiumButtonKind::secondary, 36, 10, 15, false});
    connect(turnedOn, &QAbstractButton::clicked, this, [this] { reconcileAfterApproval(); });
    approvalLayout->addWidget(openSettings);
    approvalLayout->addWidget(turnedOn);
    approvalLayout->addStretch();
    stack->addWidget(approvalRow_);

    auto* notNow = new PlainButton(QStringLiteral("Not now"), {PremiumTheme::display(11, PremiumFontWeight::medium),
                                                              PremiumTheme::textTertiary()});
    notNow->setMinimumHeight(22);
    connect(notNow, &QAbstractButton::clicked, this, [this] {
        if (onComplete_) onComplete_(false);
    });
    stack->addWidget(notNow, 0, Qt::AlignHCenter);
    stack->addStretch(1);

    scroll->setWidget(content);
    render();
}

void LaunchAtLoginOfferView::enableAtLogin() {
    apply(LaunchAtLoginOffer::afterEnable(state_, dependencies_.launchAtLogin->registerItem()));
}

void LaunchAtLoginOfferView::reconcileAfterApproval() {
    const bool enabled = dependencies_.launchAtLogin->isEnabled();
    dependencies_.defaults->setBool(SettingsKeys::launchAtLoginEnabled, enabled);
    apply(LaunchAtLoginOffer::afterApprovalCheck(state_, enabled));
}

void LaunchAtLoginOfferView::apply(const LaunchAtLoginOfferStep& step) {
    state_ = step.state;
    render();
    if (step.openSettings) dependencies_.launchAtLogin->openLoginItemsSettings();
    if (step.complete && onComplete_) onComplete_(*step.complete);
}

void LaunchAtLoginOfferView::render() {
    const bool approval = state_.awaitingApproval;
    const QString message = state_.message.value_or(QString());
    plainText_->setText(message);
    approvalText_->setText(message);
    plainCard_->setVisible(state_.message && !approval);
    approvalCard_->setVisible(state_.message && approval);
    approvalRow_->setVisible(approval);
}

}  // namespace quaylight
