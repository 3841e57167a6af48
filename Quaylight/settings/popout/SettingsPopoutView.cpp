#include "Quaylight/settings/popout/SettingsPopoutView.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTimer>

#include "Quaylight/design/controls/DesignAccessibility.h"
#include "Quaylight/design/controls/PremiumCard.h"
#include "Quaylight/design/controls/PremiumChoiceTrigger.h"
#include "Quaylight/design/controls/PremiumMenu.h"
#include "Quaylight/design/controls/PremiumSwitch.h"
#include "Quaylight/design/controls/RetireWidget.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/agent-hooks/connections/AgentProviderConnectionStore.h"
#include "Quaylight/design/controls/AccessibilityHiddenColumn.h"
#include "Quaylight/settings/views/SettingsWidgets.h"
#include "Quaylight/shell/defaults/SettingsKeys.h"
#include "Quaylight/shell/platform/LaunchAtLoginManager.h"
#include "QuaylightKit/platform/UserDefaults.h"

namespace quaylight {

using namespace settings;

namespace {

using Density = DisplaySettings::RowDensity;

QWidget* standardCard(QWidget* content) {
    auto* card = new PremiumCard(14, 16, PremiumTheme::cardFill(), PremiumTheme::cardBorder());
    card->contentLayout()->addWidget(content);
    return card;
}

// The layer over the whole popout while a choice menu is open: a click anywhere on it
// outside the menu closes the menu and changes nothing.
class MenuLayer : public QWidget {
public:
    MenuLayer(QWidget* parent, std::function<void()> onOutsideClick)
        : QWidget(parent), onOutsideClick_(std::move(onOutsideClick)) {
        setAttribute(Qt::WA_NoSystemBackground);
        setAccessibleName(QString());
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        onOutsideClick_();
    }

private:
    std::function<void()> onOutsideClick_;
};

}  // namespace

SettingsPopoutView::SettingsPopoutView(Dependencies dependencies, Callbacks callbacks, bool showSystem,
                                       std::optional<QString> lastScanned, QWidget* parent)
    : QWidget(parent),
      deps_(std::move(dependencies)),
      callbacks_(std::move(callbacks)),
      display_(*deps_.defaults),
      defaultFilter_(display_.defaultFilter()),
      rowDensity_(display_.rowDensity()),
      fields_(display_.visibleFields()),
      batteryMode_(display_.batteryMode()),
      showSystem_(showSystem),
      showAgentActivity_(deps_.defaults->boolValue(SettingsKeys::showAgentActivity).value_or(false)),
      autoCloseAfterOpening_(display_.autoCloseAfterOpening()),
      launchAtLoginOn_(deps_.defaults->boolValue(SettingsKeys::launchAtLoginEnabled).value_or(false)),
      lastScanned_(std::move(lastScanned)) {
    setAccessibleName(QStringLiteral("Settings"));
    auto* outer = column(this, 0);
    scroll_ = new QScrollArea;
    makeTransparent(scroll_);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    outer->addWidget(scroll_);

    auto* content = new AccessibilityHiddenColumn;
    column_ = content;
    content->setAccessibleName(QStringLiteral("Settings cards"));
    // The column is as tall as its cards at the popout's width: the wrapped texts' own
    // minimum heights (taken at their narrowest) would leave empty space below the footer.
    content->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
    auto* stack = column(content, 12);
    stack->setContentsMargins(16, 14, 16, 14);
    stack->addWidget(standardCard(buildListCard()));
    stack->addWidget(standardCard(buildShortcutCard()));
    stack->addWidget(standardCard(buildRowFieldsCard()));
    stack->addWidget(standardCard(buildStartupCard()));
    stack->addWidget(standardCard(buildConnectionsCard()));
    stack->addWidget(buildUpdatesCard());
    stack->addWidget(standardCard(buildSupportCard()));
    stack->addWidget(buildFooterActions());
    stack->addWidget(buildBrandFooter());
    stack->addStretch(1);
    scroll_->setWidget(content);

    menuLayer_ = new MenuLayer(this, [this] { closeChoiceMenu(); });
    menuLayer_->hide();

    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && isVisible()) reconcileLaunchAtLogin();
    });
}

SettingsPopoutView::~SettingsPopoutView() {
    if (deps_.connections != nullptr && connectionsObserver_ != 0) deps_.connections->removeObserver(connectionsObserver_);
}

PremiumSwitch* SettingsPopoutView::rowSwitch(const QString& title, bool on) { return new PremiumSwitch(title, on); }

PremiumChoiceTrigger* SettingsPopoutView::choiceTrigger(SettingsChoiceMenu menu) {
    auto* trigger = new PremiumChoiceTrigger(SettingsChoiceMenuInfo::anchorID(menu), SettingsChoiceMenuInfo::title(menu),
                                             SettingsChoiceMenuInfo::choiceTitles(menu)[std::size_t(currentChoiceIndex(menu))]);
    QObject::connect(trigger, &QAbstractButton::clicked, this, [this, menu] { toggleChoiceMenu(menu); });
    triggers_[menu] = trigger;
    return trigger;
}

QWidget* SettingsPopoutView::buildListCard() {
    auto* card = new QWidget;
    auto* layout = column(card, 0);
    auto* header = sectionHeader(LucideIconName::layoutList, QStringLiteral("Listener list"),
                                 QStringLiteral("Set the default view and row rhythm."));
    header->setContentsMargins(0, 0, 0, 7);
    layout->addWidget(header);
    layout->addWidget(controlRow(QStringLiteral("Open showing"), QStringLiteral("The view when Quaylight opens"),
                                 choiceTrigger(SettingsChoiceMenu::defaultFilter)));
    layout->addWidget(cardDivider());
    layout->addWidget(controlRow(QStringLiteral("Row size"), QStringLiteral("Comfortable or compact spacing"),
                                 choiceTrigger(SettingsChoiceMenu::rowDensity)));
    layout->addWidget(cardDivider());
    auto* system = rowSwitch(QStringLiteral("System & background ports"), showSystem_);
    QObject::connect(system, &QAbstractButton::toggled, this, [this](bool on) { setShowSystem(on); });
    layout->addWidget(controlRow(QStringLiteral("System & background ports"),
                                 QStringLiteral("Include quieter listeners normally kept out of view"), system));
    layout->addWidget(cardDivider());
    auto* autoClose = rowSwitch(QStringLiteral("Close after opening"), autoCloseAfterOpening_);
    QObject::connect(autoClose, &QAbstractButton::toggled, this, [this](bool on) { setAutoCloseAfterOpening(on); });
    layout->addWidget(controlRow(QStringLiteral("Close after opening"),
                                 QStringLiteral("Dismiss Quaylight after Open Browser or Focus App"), autoClose));
    return card;
}

// ---- Choice menus

int SettingsPopoutView::currentChoiceIndex(SettingsChoiceMenu menu) const {
    switch (menu) {
        case SettingsChoiceMenu::defaultFilter: return int(defaultFilter_);
        case SettingsChoiceMenu::rowDensity: return int(rowDensity_);
        case SettingsChoiceMenu::batteryMode: return int(batteryMode_);
    }
    return 0;
}

void SettingsPopoutView::toggleChoiceMenu(SettingsChoiceMenu menu) {
    if (activeChoiceMenu_ == menu) {
        closeChoiceMenu();
        return;
    }
    activeChoiceMenu_ = menu;
    choiceHighlightedIndex_ = currentChoiceIndex(menu);
    showChoiceMenu();
}

void SettingsPopoutView::closeChoiceMenu() {
    if (!activeChoiceMenu_) return;
    activeChoiceMenu_.reset();
    menuRows_.clear();
    retireWidget(menuSurface_);
    menuSurface_ = nullptr;
    menuLayer_->hide();
    column_->setHiddenFromAccessibility(false);
    refreshTriggers();
}

void SettingsPopoutView::showChoiceMenu() {
    retireWidget(menuSurface_);
    menuRows_.clear();
    const auto menu = *activeChoiceMenu_;
    menuSurface_ = new PremiumMenuSurface(SettingsChoiceMenuInfo::width, menuLayer_);
    menuSurface_->setAccessibleName(SettingsChoiceMenuInfo::title(menu) + QStringLiteral(" choices"));
    menuSurface_->setFocusPolicy(Qt::StrongFocus);
    menuSurface_->installEventFilter(this);
    const auto titles = SettingsChoiceMenuInfo::choiceTitles(menu);
    for (int i = 0; i < int(titles.size()); ++i) {
        PremiumMenuButtonFields fields;
        fields.title = titles[std::size_t(i)];
        fields.isHighlighted = i == choiceHighlightedIndex_;
        fields.isCurrentChoice = i == currentChoiceIndex(menu);
        auto* button = new PremiumMenuButton(fields);
        button->setFocusPolicy(Qt::NoFocus);
        QObject::connect(button, &PremiumMenuButton::hoverChanged, this, [this, i](bool inside) {
            if (!inside) return;
            choiceHighlightedIndex_ = i;
            for (int r = 0; r < int(menuRows_.size()); ++r) menuRows_[std::size_t(r)]->setHighlighted(r == i);
        });
        QObject::connect(button, &QAbstractButton::clicked, this, [this, menu, i] {
            selectChoice(menu, i);
            closeChoiceMenu();
        });
        menuSurface_->addRow(button);
        menuRows_.push_back(button);
    }
    menuLayer_->setGeometry(rect());
    column_->setHiddenFromAccessibility(true);
    menuLayer_->show();
    menuLayer_->raise();
    menuSurface_->show();
    placeChoiceMenu();
    refreshTriggers();
    // The menu takes the keyboard once it is on screen.
    QTimer::singleShot(0, menuSurface_, [surface = menuSurface_] {
        if (!surface) return;
        surface->setFocus(Qt::PopupFocusReason);
        announceHighlightedMenuRow(surface);
    });
}

void SettingsPopoutView::placeChoiceMenu() {
    if (!activeChoiceMenu_ || !menuSurface_) return;
    const auto anchors = collectChoiceAnchors(this);
    const auto found = anchors.find(SettingsChoiceMenuInfo::anchorID(*activeChoiceMenu_));
    if (found == anchors.end()) {
        menuSurface_->hide();
        return;
    }
    const QPointF centre =
        SettingsChoiceMenuInfo::position(QRectF(found->second), *activeChoiceMenu_, QSizeF(size()));
    const QSize surfaceSize(int(SettingsChoiceMenuInfo::width), int(SettingsChoiceMenuInfo::height(*activeChoiceMenu_)));
    menuSurface_->setGeometry(QRect(QPoint(int(centre.x() - surfaceSize.width() / 2.0),
                                           int(centre.y() - surfaceSize.height() / 2.0)),
                                    surfaceSize));
}

void SettingsPopoutView::refreshTriggers() {
    for (auto [menu, trigger] : triggers_) {
        trigger->setValue(SettingsChoiceMenuInfo::choiceTitles(menu)[std::size_t(currentChoiceIndex(menu))]);
        trigger->setExpanded(activeChoiceMenu_ == menu);
    }
}

void SettingsPopoutView::moveChoiceHighlight(int step) {
    if (!activeChoiceMenu_) return;
    const int count = SettingsChoiceMenuInfo::choiceCount(*activeChoiceMenu_);
    choiceHighlightedIndex_ = SettingsChoiceMenuInfo::movedHighlight(choiceHighlightedIndex_, step, count);
    for (int r = 0; r < int(menuRows_.size()); ++r) menuRows_[std::size_t(r)]->setHighlighted(r == choiceHighlightedIndex_);
}

void SettingsPopoutView::activateHighlightedChoice() {
    if (!activeChoiceMenu_) return;
    const auto menu = *activeChoiceMenu_;
    if (!SettingsChoiceMenuInfo::isValidHighlight(choiceHighlightedIndex_, SettingsChoiceMenuInfo::choiceCount(menu)))
        return;
    selectChoice(menu, choiceHighlightedIndex_);
    closeChoiceMenu();
}

void SettingsPopoutView::selectChoice(SettingsChoiceMenu menu, int index) {
    switch (menu) {
        case SettingsChoiceMenu::defaultFilter: setDefaultFilter(allCases<DefaultFilterSetting>()[std::size_t(index)]); break;
        case SettingsChoiceMenu::rowDensity: setRowDensity(allCases<Density>()[std::size_t(index)]); break;
        case SettingsChoiceMenu::batteryMode: setBatteryMode(allCases<BatteryMode>()[std::size_t(index)]); break;
    }
    refreshTriggers();
}

bool SettingsPopoutView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == menuSurface_ && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Down: moveChoiceHighlight(1); return true;
            case Qt::Key_Up: moveChoiceHighlight(-1); return true;
            case Qt::Key_Return:
            case Qt::Key_Enter: activateHighlightedChoice(); return true;
            case Qt::Key_Escape: closeChoiceMenu(); return true;
            default: return false;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SettingsPopoutView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    menuLayer_->setGeometry(rect());
    placeChoiceMenu();
}

void SettingsPopoutView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    reconcileLaunchAtLogin();
}

void SettingsPopoutView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    closeChoiceMenu();
}

// ---- Write-back: each change once, never the initial value.

void SettingsPopoutView::setDefaultFilter(DefaultFilterSetting value) {
    if (value == defaultFilter_) return;
    defaultFilter_ = value;
    display_.setDefaultFilter(value);
}

void SettingsPopoutView::setRowDensity(Density value) {
    if (value == rowDensity_) return;
    rowDensity_ = value;
    display_.setRowDensity(value);
    if (callbacks_.onDisplaySettingsChange) callbacks_.onDisplaySettingsChange();
}

void SettingsPopoutView::setFields(const RowVisibleFields& value) {
    if (value == fields_) return;
    fields_ = value;
    display_.setVisibleFields(value);
    refreshFieldTiles();
    if (callbacks_.onDisplaySettingsChange) callbacks_.onDisplaySettingsChange();
}

void SettingsPopoutView::setLastScanned(std::optional<QString> text) {
    if (text == lastScanned_) return;
    lastScanned_ = std::move(text);
    if (!lastScannedLabel_) return;
    lastScannedLabel_->setText(lastScanned_.value_or(QString()));
    lastScannedLabel_->setVisible(lastScanned_.has_value());
}

void SettingsPopoutView::setShowSystem(bool value) {
    if (value == showSystem_) return;
    showSystem_ = value;
    deps_.defaults->setBool(SettingsKeys::showSystemRows, value);
    if (callbacks_.setShowSystem) callbacks_.setShowSystem(value);
}

void SettingsPopoutView::setBatteryMode(BatteryMode value) {
    if (value == batteryMode_) return;
    batteryMode_ = value;
    display_.setBatteryMode(value);
}

void SettingsPopoutView::setShowAgentActivity(bool value) {
    if (value == showAgentActivity_) return;
    showAgentActivity_ = value;
    deps_.defaults->setBool(SettingsKeys::showAgentActivity, value);
}

void SettingsPopoutView::setAutoCloseAfterOpening(bool value) {
    if (value == autoCloseAfterOpening_) return;
    autoCloseAfterOpening_ = value;
    deps_.defaults->setBool(SettingsKeys::autoCloseAfterOpening, value);
}

// ---- Launch at login

void SettingsPopoutView::reconcileLaunchAtLogin() {
    if (deps_.launchAtLogin == nullptr) return;
    const auto status = deps_.launchAtLogin->status();
    deps_.defaults->setBool(SettingsKeys::launchAtLoginEnabled, status == LoginItem::Status::enabled);
    render(LaunchAtLoginReconciler::presentation(status));
}

void SettingsPopoutView::applyLaunchAtLoginToggle(bool enabled) {
    if (deps_.launchAtLogin == nullptr) return;
    const auto result = enabled ? deps_.launchAtLogin->registerItem() : deps_.launchAtLogin->unregisterItem();
    const auto status = deps_.launchAtLogin->status();
    deps_.defaults->setBool(SettingsKeys::launchAtLoginEnabled, status == LoginItem::Status::enabled);
    const auto presentation = LaunchAtLoginReconciler::presentation(enabled, result, status);
    if (presentation.openLoginItemsSettings) deps_.launchAtLogin->openLoginItemsSettings();
    render(presentation);
}

void SettingsPopoutView::render(const LaunchAtLoginReconciler::Presentation& presentation) {
    startupNeedsApproval_ = presentation.needsApproval;
    startupFailureCaption_ =
        presentation.caption ? std::optional<QString>(QString::fromStdString(*presentation.caption)) : std::nullopt;
    if (launchAtLoginOn_ != presentation.toggleOn) {
        launchAtLoginOn_ = presentation.toggleOn;
        deps_.defaults->setBool(SettingsKeys::launchAtLoginEnabled, launchAtLoginOn_);
    }
    // The system's state is shown, never taken for a user's request.
    if (loginSwitch_ != nullptr) {
        const QSignalBlocker blocker(loginSwitch_);
        loginSwitch_->setChecked(launchAtLoginOn_);
        loginSwitch_->update();
    }
    refreshStartupRows();
}

}  // namespace quaylight
