// The cards of the settings popout below the listener list card: the global shortcut, the
// row fields, startup and energy, agent connections, updates, support and the footers.
#include <QCoreApplication>
#include <QGraphicsOpacityEffect>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

#include "Quaylight/agent-hooks/connections/AgentProviderConnectionStore.h"
#include "Quaylight/design/brand/PlugMark.h"
#include "Quaylight/design/controls/PremiumButton.h"
#include "Quaylight/design/controls/PremiumCard.h"
#include "Quaylight/design/controls/PremiumChoiceTrigger.h"
#include "Quaylight/design/controls/PremiumSwitch.h"
#include "Quaylight/design/controls/RetireWidget.h"
#include "Quaylight/design/controls/Shapes.h"
#include "Quaylight/design/icons/LucideIcon.h"
#include "Quaylight/design/theme/Foreground.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/settings/model/AgentConnectionPresentation.h"
#include "Quaylight/settings/model/SettingsVersionText.h"
#include "Quaylight/settings/model/ShortcutKeyInput.h"
#include "Quaylight/settings/model/UpdateCheckTexts.h"
#include "Quaylight/settings/popout/SettingsPopoutView.h"
#include "Quaylight/settings/popout/UpdaterViewModel.h"
#include "Quaylight/settings/views/PlainButton.h"
#include "Quaylight/settings/views/SettingsWidgets.h"
#include "Quaylight/shell/defaults/SettingsKeys.h"
#include "Quaylight/shell/platform/LaunchAtLoginManager.h"
#include "Quaylight/shell/platform/SupportLink.h"
#include "Quaylight/shell/shortcut/GlobalShortcutManager.h"
#include "QuaylightKit/platform/UserDefaults.h"

namespace quaylight {

using namespace settings;

namespace {

// One tile of the row fields grid: icon, title and switch on a rounded chip; a click
// anywhere on the tile flips the switch.
class FieldTile : public QWidget {
public:
    FieldTile(LucideIconName icon, const QString& title, PremiumSwitch* toggle) : toggle_(toggle) {
        setMinimumHeight(43);
        auto* layout = row(this, 8);
        layout->setContentsMargins(10, 6, 10, 6);
        auto* iconView = new LucideIcon(icon, 14);
        setForeground(iconView, PremiumTheme::textTertiary());
        iconView->setFixedWidth(17);
        layout->addWidget(iconView);
        auto* label = textLabel(title, PremiumTheme::display(11.5, PremiumFontWeight::medium),
                                PremiumTheme::textSecondary(), true);
        layout->addWidget(label, 1);
        layout->addWidget(toggle_);
        setAccessibleName(title);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        fillAndStroke(painter, roundedRectPath(strokeFittingRect(QRectF(rect())), 11), PremiumTheme::chipFill(),
                      PremiumTheme::chipBorder());
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (isEnabled() && rect().contains(event->pos())) toggle_->click();
    }

private:
    PremiumSwitch* toggle_;
};

PlainButtonLook tintedLook(const QColor& text, const QColor& fill, const QColor& stroke, LucideIconName icon,
                           qreal horizontal, qreal vertical, qreal radius) {
    PlainButtonLook look{PremiumTheme::display(11.5, PremiumFontWeight::medium), text, icon};
    look.horizontalPadding = horizontal;
    look.verticalPadding = vertical;
    look.cornerRadius = radius;
    look.fill = fill;
    look.stroke = stroke;
    return look;
}

QWidget* noticeLine(const QString& text, QWidget* trailing, int spacerMinimum) {
    auto* holder = new QWidget;
    auto* layout = row(holder, 8);
    layout->setContentsMargins(0, 8, 0, 8);
    auto* icon = new LucideIcon(LucideIconName::shield, 13);
    setForeground(icon, PremiumTheme::warning());
    layout->addWidget(icon);
    layout->addWidget(textLabel(text, PremiumTheme::display(10.75, PremiumFontWeight::regular),
                                PremiumTheme::textSecondary(), true),
                      1);
    layout->addSpacing(spacerMinimum);
    layout->addWidget(trailing);
    return holder;
}

QString modifierWord(GlobalShortcutModifier modifier) { return QString::fromUtf8(displayName(modifier).data(), int(displayName(modifier).size())); }

}  // namespace

// ---- Global shortcut

QWidget* SettingsPopoutView::buildShortcutCard() {
    auto* card = new QWidget;
    auto* layout = column(card, 0);
    auto* header = sectionHeader(LucideIconName::terminal, QStringLiteral("Global shortcut"),
                                 QStringLiteral("Toggle Quaylight from anywhere · no permissions required."));
    header->setContentsMargins(0, 0, 0, 7);
    layout->addWidget(header);
    shortcutSwitch_ = rowSwitch(QStringLiteral("Keyboard shortcut"), deps_.shortcut && deps_.shortcut->isEnabled());
    QObject::connect(shortcutSwitch_, &QAbstractButton::clicked, this, [this](bool on) {
        if (deps_.shortcut) deps_.shortcut->setEnabled(on);
    });
    auto* shortcutRow = controlRow(QStringLiteral("Keyboard shortcut"), QString(), shortcutSwitch_);
    shortcutSubtitle_ = shortcutRow->findChild<QLabel*>(QStringLiteral("subtitle"));
    layout->addWidget(shortcutRow);

    shortcutEditorDivider_ = cardDivider();
    layout->addWidget(shortcutEditorDivider_);
    shortcutEditor_ = new QWidget;
    auto* editor = row(shortcutEditor_, 7);
    editor->setContentsMargins(0, 9, 0, 9);
    for (auto modifier : allCases<GlobalShortcutModifier>()) {
        PlainButtonLook look{PremiumTheme::mono(12, QFont::DemiBold), PremiumTheme::textSecondary()};
        look.horizontalPadding = 8;
        look.minimumWidth = 30;
        look.minimumHeight = 30;
        look.cornerRadius = 8;
        auto* button = new PlainButton(modifierWord(modifier), look);
        button->setCheckable(true);
        button->setAccessibleName(modifierWord(modifier) + QStringLiteral(" modifier"));
        QObject::connect(button, &QAbstractButton::clicked, this, [this, modifier] {
            if (!deps_.shortcut) return;
            auto preference = deps_.shortcut->preference();
            if (preference.modifiers.contains(modifier))
                preference.modifiers.erase(modifier);
            else
                preference.modifiers.insert(modifier);
            deps_.shortcut->update(preference);
            refreshShortcutCard();
        });
        modifierButtons_[int(modifier)] = button;
        editor->addWidget(button);
    }
    keyField_ = new QLineEdit;
    keyField_->setPlaceholderText(QStringLiteral("P"));
    keyField_->setAccessibleName(QStringLiteral("Shortcut key"));
    keyField_->setFont(PremiumTheme::mono(12, QFont::DemiBold));
    keyField_->setAlignment(Qt::AlignCenter);
    keyField_->setFixedSize(34, 30);
    keyField_->setStyleSheet(QStringLiteral("QLineEdit { color: %1; background: %2; border: 1px solid %3; border-radius: 8px; }")
                                 .arg(PremiumTheme::textPrimary().name(QColor::HexArgb),
                                      PremiumTheme::chipFill().name(QColor::HexArgb),
                                      PremiumTheme::chipBorder().name(QColor::HexArgb)));
    QObject::connect(keyField_, &QLineEdit::textEdited, this, [this](const QString& text) {
        const auto key = ShortcutKeyInput::keyFromEdit(text, keyField_->cursorPosition());
        if (key && deps_.shortcut) {
            auto preference = deps_.shortcut->preference();
            preference.key = key->toStdString();
            deps_.shortcut->update(preference);
        }
        refreshShortcutCard();
    });
    editor->addWidget(keyField_);
    editor->addStretch(1);
    auto* reset = new PlainButton(QStringLiteral("Reset"), {PremiumTheme::display(10.75, PremiumFontWeight::medium),
                                                            PremiumTheme::accentSoft()});
    reset->setMinimumHeight(24);
    QObject::connect(reset, &QAbstractButton::clicked, this, [this] {
        if (deps_.shortcut) deps_.shortcut->restoreDefault();
        refreshShortcutCard();
    });
    editor->addWidget(reset);
    layout->addWidget(shortcutEditor_);

    shortcutErrorDivider_ = cardDivider();
    layout->addWidget(shortcutErrorDivider_);
    shortcutError_ = textLabel(QString(), PremiumTheme::display(10.5, PremiumFontWeight::regular), PremiumTheme::warning(), true);
    shortcutError_->setContentsMargins(0, 9, 0, 0);
    shortcutError_->setObjectName(QStringLiteral("shortcutError"));
    layout->addWidget(shortcutError_);

    if (deps_.shortcut) {
        QObject::connect(deps_.shortcut, &GlobalShortcutManager::preferenceChanged, this, [this] { refreshShortcutCard(); });
        QObject::connect(deps_.shortcut, &GlobalShortcutManager::enabledChanged, this, [this] { refreshShortcutCard(); });
        QObject::connect(deps_.shortcut, &GlobalShortcutManager::registrationErrorChanged, this,
                         [this] { refreshShortcutCard(); });
    }
    refreshShortcutCard();
    return card;
}

void SettingsPopoutView::refreshShortcutCard() {
    if (shortcutSwitch_ == nullptr) return;
    const bool enabled = deps_.shortcut && deps_.shortcut->isEnabled();
    {
        const QSignalBlocker blocker(shortcutSwitch_);
        shortcutSwitch_->setChecked(enabled);
    }
    const auto preference = deps_.shortcut ? deps_.shortcut->preference() : GlobalShortcutPreference::defaultPreference();
    const QString subtitle = enabled ? QStringLiteral("Current shortcut: ") + QString::fromStdString(preference.displayText())
                                     : QStringLiteral("Shortcut is turned off");
    if (shortcutSubtitle_) shortcutSubtitle_->setText(subtitle);
    shortcutSwitch_->setAccessibleDescription(subtitle);
    shortcutEditorDivider_->setVisible(enabled);
    shortcutEditor_->setVisible(enabled);
    for (auto [raw, widget] : modifierButtons_) {
        auto* button = static_cast<PlainButton*>(widget);
        const bool on = preference.modifiers.contains(GlobalShortcutModifier(raw));
        button->setChecked(on);
        button->setAccessibleDescription(on ? QStringLiteral("On") : QStringLiteral("Off"));
        PlainButtonLook look = button->look();
        look.color = on ? white() : PremiumTheme::textSecondary();
        look.fill = on ? PremiumTheme::accent() : PremiumTheme::chipFill();
        look.stroke = on ? withOpacity(PremiumTheme::accentSoft(), 0.45) : PremiumTheme::chipBorder();
        button->setLook(look);
    }
    const QString key = QString::fromStdString(preference.key).toUpper();
    if (keyField_->text() != key) keyField_->setText(key);
    const auto& error = deps_.shortcut ? deps_.shortcut->registrationError() : std::optional<std::string>();
    shortcutErrorDivider_->setVisible(error.has_value());
    shortcutError_->setVisible(error.has_value());
    shortcutError_->setText(error ? QString::fromStdString(*error) : QString());
}

// ---- Row fields

QWidget* SettingsPopoutView::buildRowFieldsCard() {
    auto* card = new QWidget;
    auto* layout = column(card, 10);
    layout->addWidget(sectionHeader(LucideIconName::list, QStringLiteral("Each row shows"),
                                    QStringLiteral("Keep the facts you scan for at a glance.")));
    auto* grid = new QWidget;
    auto* gridLayout = new QGridLayout(grid);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    gridLayout->setHorizontalSpacing(8);
    gridLayout->setVerticalSpacing(8);
    struct Tile {
        const char* title;
        LucideIconName icon;
        bool RowVisibleFields::*flag;
    };
    const Tile tiles[] = {
        {"Port number", LucideIconName::hash, &RowVisibleFields::port},
        {"App it was launched from", LucideIconName::terminal, &RowVisibleFields::host},
        {"Time running", LucideIconName::clock, &RowVisibleFields::uptime},
        {"CPU usage", LucideIconName::cpu, &RowVisibleFields::cpu},
        {"Memory (RAM)", LucideIconName::memory, &RowVisibleFields::memory},
        {"Power use", LucideIconName::bolt, &RowVisibleFields::power},
        {"Project folder", LucideIconName::folder, &RowVisibleFields::project},
        {"Full file path", LucideIconName::textAlign, &RowVisibleFields::path},
        {"Power words (Low / Medium / High)", LucideIconName::textAlign, &RowVisibleFields::powerLabels},
    };
    int index = 0;
    for (const auto& tile : tiles) {
        const QString title = QString::fromUtf8(tile.title);
        auto* toggle = rowSwitch(title, fields_.*(tile.flag));
        const auto flag = tile.flag;
        QObject::connect(toggle, &QAbstractButton::toggled, this, [this, flag](bool on) {
            RowVisibleFields next = fields_;
            next.*flag = on;
            setFields(next);
        });
        auto* tileWidget = new FieldTile(tile.icon, title, toggle);
        if (flag == &RowVisibleFields::powerLabels) powerLabelsTile_ = tileWidget;
        fieldSwitches_.emplace_back(toggle, flag);
        gridLayout->addWidget(tileWidget, index / 2, index % 2);
        ++index;
    }
    gridLayout->setColumnStretch(0, 1);
    gridLayout->setColumnStretch(1, 1);
    layout->addWidget(grid);
    refreshFieldTiles();
    return card;
}

void SettingsPopoutView::refreshFieldTiles() {
    if (powerLabelsTile_ == nullptr) return;
    // The power words only mean something next to the power column; their own flag stays.
    powerLabelsTile_->setEnabled(fields_.power);
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(powerLabelsTile_->graphicsEffect());
    if (effect == nullptr) {
        effect = new QGraphicsOpacityEffect(powerLabelsTile_);
        powerLabelsTile_->setGraphicsEffect(effect);
    }
    effect->setOpacity(fields_.power ? 1.0 : 0.42);
}

// ---- Startup and energy

QWidget* SettingsPopoutView::buildStartupCard() {
    auto* card = new QWidget;
    auto* layout = column(card, 0);
    auto* header = sectionHeader(LucideIconName::rocket, QStringLiteral("Startup & energy"),
                                 QStringLiteral("Stay available without wasting battery."));
    header->setContentsMargins(0, 0, 0, 7);
    layout->addWidget(header);
    loginSwitch_ = rowSwitch(QStringLiteral("Open Quaylight at login"), launchAtLoginOn_);
    // Only the user's own click asks for a change; states read from the system are set
    // with signals blocked.
    QObject::connect(loginSwitch_, &QAbstractButton::clicked, this, [this](bool on) { applyLaunchAtLoginToggle(on); });
    layout->addWidget(controlRow(QStringLiteral("Open Quaylight at login"),
                                 QStringLiteral("Ready in the tray when you sign in"), loginSwitch_));

    startupCaptionRow_ = new QWidget;
    auto* captionLayout = row(startupCaptionRow_, 8);
    captionLayout->setContentsMargins(10, 0, 10, 8);
    auto* shield = new LucideIcon(LucideIconName::shield, 13);
    setForeground(shield, PremiumTheme::warning());
    shield->setContentsMargins(0, 1, 0, 0);
    captionLayout->addWidget(shield, 0, Qt::AlignTop);
    startupCaption_ = textLabel(QString(), PremiumTheme::display(11, PremiumFontWeight::regular),
                                PremiumTheme::textTertiary(), true);
    startupCaption_->setObjectName(QStringLiteral("startupCaption"));
    captionLayout->addWidget(startupCaption_, 1);
    layout->addWidget(startupCaptionRow_);

    approvalButtonRow_ = new QWidget;
    auto* approvalLayout = row(approvalButtonRow_, 0);
    approvalLayout->setContentsMargins(10, 0, 10, 9);
    auto* approval = new PlainButton(
        QStringLiteral("Open Autostart Settings"),
        tintedLook(PremiumTheme::accentSoft(), withOpacity(PremiumTheme::accent(), 0.1),
                   withOpacity(PremiumTheme::accent(), 0.28), LucideIconName::externalLink, 11, 7, 9));
    QObject::connect(approval, &QAbstractButton::clicked, this, [this] {
        if (deps_.launchAtLogin) deps_.launchAtLogin->openLoginItemsSettings();
    });
    approvalLayout->addWidget(approval);
    approvalLayout->addStretch();
    layout->addWidget(approvalButtonRow_);

    layout->addWidget(cardDivider());
    layout->addWidget(controlRow(QStringLiteral("Scan cadence"), QStringLiteral("Balance live process detail with battery life"),
                                 choiceTrigger(SettingsChoiceMenu::batteryMode)));
    layout->addWidget(cardDivider());
    auto* tidewatch = rowSwitch(QStringLiteral("Tidewatch"), showAgentActivity_);
    QObject::connect(tidewatch, &QAbstractButton::toggled, this, [this](bool on) { setShowAgentActivity(on); });
    layout->addWidget(controlRow(QStringLiteral("Tidewatch"),
                                 QStringLiteral("Shows live Codex and Claude Code activity beside a supported screen "
                                                "notch, never beside the Quaylight icon. Uses a little more energy."),
                                 tidewatch));
    refreshStartupRows();
    return card;
}

void SettingsPopoutView::refreshStartupRows() {
    if (startupCaptionRow_ == nullptr) return;
    startupCaptionRow_->setVisible(startupFailureCaption_.has_value());
    startupCaption_->setText(startupFailureCaption_.value_or(QString()));
    approvalButtonRow_->setVisible(startupNeedsApproval_);
}

// ---- Agent connections

QWidget* SettingsPopoutView::buildConnectionsCard() {
    auto* card = new QWidget;
    connectionsLayout_ = column(card, 0);
    auto* header = sectionHeader(LucideIconName::terminal, QStringLiteral("Agent connections"),
                                 QStringLiteral("Session detail from Codex and Claude, on your say-so."));
    header->setContentsMargins(0, 0, 0, 7);
    connectionsLayout_->addWidget(header);
    auto* privacy = textLabel(QStringLiteral("Quaylight receives the provider, event type, session identifier, project "
                                             "folder name, and local parent process. It does not receive prompts, "
                                             "responses, transcript contents, or tool payloads."),
                              PremiumTheme::display(10.25, PremiumFontWeight::regular), PremiumTheme::textTertiary(), true);
    privacy->setContentsMargins(0, 9, 0, 0);
    connectionsLayout_->addWidget(privacy);
    if (deps_.connections) {
        connectionsObserver_ = deps_.connections->addObserver([self = QPointer<SettingsPopoutView>(this)] {
            if (self) self->rebuildConnections();
        });
    }
    rebuildConnections();
    return card;
}

void SettingsPopoutView::rebuildConnections() {
    if (connectionsLayout_ == nullptr || deps_.connections == nullptr) return;
    if (connectionsContent_ != nullptr) {
        // Out of the card at once; deleted later, since one of its buttons may be the
        // sender of the change that led here.
        retireWidget(connectionsContent_);
    }
    connectionsContent_ = new QWidget;
    auto* layout = column(connectionsContent_, 0);
    auto& store = *deps_.connections;
    bool first = true;
    for (auto provider : allCases<AgentKind>()) {
        if (!first) layout->addWidget(cardDivider());
        first = false;
        const auto status = store.connection(provider).status;
        auto* providerRow = new QWidget;
        auto* rowLayout = column(providerRow, 6);
        rowLayout->setContentsMargins(0, 8, 0, 8);
        auto* top = new QWidget;
        auto* topLayout = row(top, 10);
        auto* texts = new QWidget;
        auto* textStack = column(texts, 2);
        textStack->addWidget(textLabel(AgentConnectionPresentation::title(provider),
                                       PremiumTheme::display(12, PremiumFontWeight::medium), PremiumTheme::textPrimary()));
        const QString time = status.lastEventAt && deps_.formatTime ? deps_.formatTime(*status.lastEventAt) : QString();
        auto* caption = textLabel(AgentConnectionPresentation::caption(status, provider, time),
                                  PremiumTheme::display(10.5, PremiumFontWeight::regular), PremiumTheme::textTertiary(), true);
        caption->setObjectName(QStringLiteral("connectionCaption.") + QString::fromUtf8(rawValue(provider).data()));
        textStack->addWidget(caption);
        topLayout->addWidget(texts, 1);
        topLayout->addSpacing(8);
        auto* buttons = new QWidget;
        auto* buttonLayout = row(buttons, 6);
        for (const auto& offered : AgentConnectionPresentation::buttons(provider, status, store.isConfigured(provider))) {
            auto* button = new PremiumButton(offered.title, {offered.kind, 26, 10, 11, false});
            button->setAccessibleName(offered.accessibleName);
            const auto action = offered.action;
            QObject::connect(button, &QAbstractButton::clicked, this, [this, provider, action] {
                switch (action) {
                    case AgentConnectionAction::connect:
                    case AgentConnectionAction::repair: connectProvider(provider); break;
                    case AgentConnectionAction::testRelay: deps_.connections->testRelay(provider); break;
                    case AgentConnectionAction::disconnect: deps_.connections->disconnect(provider); break;
                }
            });
            buttonLayout->addWidget(button);
        }
        topLayout->addWidget(buttons);
        rowLayout->addWidget(top);
        if (const auto& result = store.lastTestResult(); result && result->provider == provider) {
            auto* line = textLabel(AgentConnectionPresentation::relayTestLine(result->succeeded),
                                   PremiumTheme::display(10.25, PremiumFontWeight::regular),
                                   result->succeeded ? PremiumTheme::success() : PremiumTheme::warning());
            line->setObjectName(QStringLiteral("relayTest.") + QString::fromUtf8(rawValue(provider).data()));
            rowLayout->addWidget(line);
        }
        layout->addWidget(providerRow);
    }
    if (const auto& failure = store.receiverFailure()) {
        layout->addWidget(cardDivider());
        auto* retry = new PremiumButton(QStringLiteral("Retry"), {PremiumButtonKind::secondary, 24, 10, 10, false});
        retry->setAccessibleName(QStringLiteral("Retry starting the event receiver"));
        QObject::connect(retry, &QAbstractButton::clicked, this, [this] {
            if (deps_.connections->onConfiguredChange) deps_.connections->onConfiguredChange();
        });
        layout->addWidget(noticeLine(QStringLiteral("Configured, but not receiving events — ") +
                                         QString::fromStdString(*failure),
                                     retry, 8));
    }
    if (const auto& notice = store.actionNotice()) {
        layout->addWidget(cardDivider());
        PlainButtonLook look{PremiumTheme::display(11, PremiumFontWeight::regular), PremiumTheme::textTertiary(),
                             LucideIconName::x};
        look.iconSize = 12;
        auto* dismiss = new PlainButton(QString(), look);
        dismiss->setAccessibleName(QStringLiteral("Dismiss notice"));
        dismiss->setMinimumSize(16, 16);
        QObject::connect(dismiss, &QAbstractButton::clicked, this, [this] { deps_.connections->setActionNotice(std::nullopt); });
        auto* line = noticeLine(QString::fromStdString(*notice), dismiss, 0);
        line->setObjectName(QStringLiteral("actionNotice"));
        layout->addWidget(line);
    }
    // Above the privacy text, which stays last.
    connectionsLayout_->insertWidget(1, connectionsContent_);
}

void SettingsPopoutView::connectProvider(AgentKind provider) {
    auto& store = *deps_.connections;
    if (auto notice = AgentConnectionPresentation::connectBlockedNotice(store.dependencies().bundlePath,
                                                                        deps_.installedPath, deps_.installedFolder)) {
        store.setActionNotice(notice->toStdString());
        return;
    }
    store.connect(provider);
}

// ---- Updates, support and footers

QWidget* SettingsPopoutView::buildUpdatesCard() {
    auto* card = new PremiumCard(0, 16, QColor::fromRgb(24, 26, 33, int(0.97 * 255)), white(0.11));
    card->setObjectName(QStringLiteral("updatesCard"));
    auto* content = new QWidget;
    auto* lines = column(content, 0);
    lines->setContentsMargins(14, 14, 14, 14);
    auto* head = new QWidget;
    auto* layout = row(head, 12);
    lines->addWidget(head);
    layout->addWidget(iconBadge(LucideIconName::refreshCw, 38, 10, 17, withOpacity(PremiumTheme::info(), 0.1),
                                PremiumTheme::info()));
    auto* texts = new QWidget;
    auto* stack = column(texts, 3);
    stack->addWidget(textLabel(QStringLiteral("Quaylight updates"), PremiumTheme::display(13, PremiumFontWeight::medium),
                               PremiumTheme::textPrimary()));
    const bool feed = deps_.updateFeedConfigured;
    stack->addWidget(textLabel(feed ? QStringLiteral("Checked against this build's release feed")
                                    : QStringLiteral("No update feed is configured in this build."),
                               PremiumTheme::display(11.5, PremiumFontWeight::regular), PremiumTheme::textSecondary(), true));
    stack->addWidget(textLabel(feed ? QStringLiteral("Checks weekly and only tells you; it never installs anything.")
                                    : QStringLiteral("Update Quaylight the same way you installed it."),
                               PremiumTheme::display(10.5, PremiumFontWeight::regular), PremiumTheme::textTertiary(), true));
    // What the last check found, under the texts it answers (past the badge's 38 + 12).
    updateResult_ = new QWidget;
    auto* resultLayout = row(updateResult_, 12);
    resultLayout->setContentsMargins(50, 10, 0, 0);
    updateResultText_ = textLabel(QString(), PremiumTheme::display(11.5, PremiumFontWeight::medium),
                                  PremiumTheme::textSecondary(), true);
    updateResultText_->setObjectName(QStringLiteral("updateResultText"));
    resultLayout->addWidget(updateResultText_, 1);
    auto* release = new PlainButton(
        QStringLiteral("View Release"),
        tintedLook(PremiumTheme::accentSoft(), withOpacity(PremiumTheme::accent(), 0.1),
                   withOpacity(PremiumTheme::accent(), 0.28), LucideIconName::externalLink, 11, 7, 9));
    release->setAccessibleDescription(QStringLiteral("Opens the release page in your browser"));
    QObject::connect(release, &QAbstractButton::clicked, this, [this] {
        const auto& result = deps_.updater ? deps_.updater->lastResult() : std::nullopt;
        if (result && deps_.openUrl) deps_.openUrl(QUrl(result->link, QUrl::StrictMode));
    });
    releaseButton_ = release;
    resultLayout->addWidget(release);
    lines->addWidget(updateResult_);
    layout->addWidget(texts, 1);
    PlainButtonLook look{PremiumTheme::display(11.5, PremiumFontWeight::semibold), white(), LucideIconName::refreshCw};
    look.iconSize = 12;
    look.spacing = 6;
    look.horizontalPadding = 12;
    look.verticalPadding = 8;
    look.cornerRadius = 10;
    look.fill = PremiumTheme::accent();
    look.disabledOpacity = 0.45;
    auto* check = new PlainButton(QStringLiteral("Check for Updates…"), look);
    check->setAccessibleName(QStringLiteral("Check for updates"));
    QObject::connect(check, &QAbstractButton::clicked, this, [this] {
        if (deps_.updater) deps_.updater->checkForUpdates();
    });
    checkButton_ = check;
    layout->addWidget(check);
    if (deps_.updater) {
        QObject::connect(deps_.updater, &UpdaterViewModel::canCheckForUpdatesChanged, this, [this] { refreshUpdates(); });
        QObject::connect(deps_.updater, &UpdaterViewModel::lastResultChanged, this, [this] { refreshUpdates(); });
    }
    refreshUpdates();
    card->contentLayout()->addWidget(content);
    return card;
}

void SettingsPopoutView::refreshUpdates() {
    if (checkButton_) checkButton_->setEnabled(deps_.updater != nullptr && deps_.updater->canCheckForUpdates());
    if (!updateResult_) return;
    const auto& result = deps_.updater ? deps_.updater->lastResult() : std::nullopt;
    const auto shown = result ? std::optional(UpdateCheckTexts::of(*result)) : std::nullopt;
    updateResult_->setVisible(shown.has_value());
    if (!shown) return;
    updateResultText_->setText(shown->text);
    setForeground(updateResultText_, shown->kind == UpdateCheckTexts::Kind::failed ? PremiumTheme::warning()
                                     : shown->kind == UpdateCheckTexts::Kind::updateAvailable ? PremiumTheme::info()
                                                                                               : PremiumTheme::success());
    releaseButton_->setVisible(shown->opensRelease);
}

QWidget* SettingsPopoutView::buildSupportCard() {
    auto* content = new QWidget;
    auto* layout = row(content, 12);
    layout->addWidget(iconBadge(LucideIconName::helpCircle, 38, 10, 17, withOpacity(PremiumTheme::accent(), 0.1),
                                PremiumTheme::accentSoft()));
    auto* texts = new QWidget;
    auto* stack = column(texts, 3);
    stack->addWidget(textLabel(QStringLiteral("Help & feedback"), PremiumTheme::display(13, PremiumFontWeight::medium),
                               PremiumTheme::textPrimary()));
    const bool hasAddress = !deps_.supportAddress.empty();
    stack->addWidget(textLabel(hasAddress ? QStringLiteral("Questions, ideas, or a bug report — reach the team directly.")
                                          : QStringLiteral("No support address is configured in this build."),
                               PremiumTheme::display(10.75, PremiumFontWeight::regular), PremiumTheme::textSecondary(), true));
    layout->addWidget(texts, 1);
    auto* email = new PremiumButton(QStringLiteral("Email Support"), {PremiumButtonKind::secondary, 30, 10, 11, false});
    email->setAccessibleDescription(QStringLiteral("Opens your email app with Quaylight version details"));
    email->setEnabled(hasAddress);
    QObject::connect(email, &QAbstractButton::clicked, this, [this] { openSupportMail(); });
    layout->addWidget(email);
    return content;
}

void SettingsPopoutView::openSupportMail() {
    const auto url = SupportLink::emailURL(deps_.supportAddress, deps_.version, deps_.osName);
    if (!url || !deps_.openUrl) return;
    deps_.openUrl(QUrl(QString::fromStdString(*url), QUrl::StrictMode));
}

QWidget* SettingsPopoutView::buildFooterActions() {
    auto* holder = new QWidget;
    auto* layout = row(holder, 10);
    layout->setContentsMargins(0, 2, 0, 0);
    auto* replay = new PlainButton(
        QStringLiteral("Replay welcome tour"),
        tintedLook(PremiumTheme::accentSoft(), withOpacity(PremiumTheme::accent(), 0.1),
                   withOpacity(PremiumTheme::accent(), 0.28), LucideIconName::helpCircle, 12, 9, 11));
    QObject::connect(replay, &QAbstractButton::clicked, this, [this] { replayWalkthrough(); });
    auto* quit = new PlainButton(
        QStringLiteral("Quit Quaylight"),
        tintedLook(withOpacity(PremiumTheme::danger(), 0.88), withOpacity(PremiumTheme::danger(), 0.08),
                   withOpacity(PremiumTheme::danger(), 0.2), LucideIconName::power, 12, 9, 11));
    QObject::connect(quit, &QAbstractButton::clicked, this, [this] {
        if (callbacks_.quit) callbacks_.quit();
    });
    layout->addWidget(replay);
    layout->addStretch(1);
    layout->addWidget(quit);
    return holder;
}

void SettingsPopoutView::replayWalkthrough() {
    // The popout closes first; the tour then takes the panel.
    auto replay = callbacks_.onReplayWalkthrough;
    if (callbacks_.close) callbacks_.close();
    if (replay) replay();
}

QWidget* SettingsPopoutView::buildBrandFooter() {
    auto* holder = new QWidget;
    auto* layout = column(holder, 9);
    layout->setContentsMargins(0, 0, 0, 2);
    layout->addWidget(cardDivider());
    auto* line = new QWidget;
    auto* lineLayout = row(line, 8);
    auto* mark = new PlugMark(false, PlugCut{2.5, 2.1, 8.7});
    setForeground(mark, PremiumTheme::textTertiary());
    mark->setFixedSize(16, 14);
    lineLayout->addWidget(mark);
    lineLayout->addWidget(textLabel(QStringLiteral("Quaylight"), PremiumTheme::display(11.5, PremiumFontWeight::semibold),
                                    PremiumTheme::textSecondary()));
    lineLayout->addStretch(1);
    lastScannedLabel_ = textLabel(lastScanned_.value_or(QString()), PremiumTheme::mono(9.5, QFont::Normal),
                                  PremiumTheme::textTertiary());
    lastScannedLabel_->setObjectName(QStringLiteral("lastScannedText"));
    // In its layout before it is shown: a parentless label made visible is a window of its own.
    lineLayout->addWidget(lastScannedLabel_);
    lastScannedLabel_->setVisible(lastScanned_.has_value());
    if (auto version = SettingsVersionText::versionText(deps_.version)) {
        QFont font = PremiumTheme::mono(9.5, QFont::Normal);
        font.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
        auto* label = textLabel(QString::fromStdString(*version), font, PremiumTheme::textTertiary());
        label->setObjectName(QStringLiteral("versionText"));
        lineLayout->addWidget(label);
    }
    layout->addWidget(line);
    return holder;
}

}  // namespace quaylight
