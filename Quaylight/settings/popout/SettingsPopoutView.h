#pragma once
// The settings screen of the panel: one scrolling column of cards (listener list, global
// shortcut, row fields, startup and energy, agent connections, updates with what the last
// check found, support, footer), the choice menus laid over it, every change written back
// to the settings at once, and the login item's true state shown whenever the popout
// appears or the application becomes active. The panel builds a fresh popout each time it opens the settings.

#include <QPointer>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>

#include "ProcessCoreKit/records/AgentKind.h"
#include "ProcessCoreKit/records/BatteryMode.h"
#include "ProcessCoreKit/support/Time.h"
#include "Quaylight/design/controls/PremiumCard.h"
#include "Quaylight/settings/model/SettingsChoiceMenu.h"
#include "Quaylight/shell/defaults/DisplaySettings.h"
#include "Quaylight/shell/defaults/RowVisibleFields.h"
#include "QuaylightKit/list/DefaultFilterSetting.h"
#include "QuaylightKit/login/LaunchAtLoginReconciler.h"

class QLabel;
class QLineEdit;
class QScrollArea;
class QVBoxLayout;

namespace quaylight {

class AccessibilityHiddenColumn;
class AgentProviderConnectionStore;
class GlobalShortcutManager;
class LaunchAtLoginManager;
class PremiumChoiceTrigger;
class PremiumMenuButton;
class PremiumSwitch;
class UpdaterViewModel;
class UserDefaults;

class SettingsPopoutView : public QWidget {
    Q_OBJECT
public:
    struct Dependencies {
        UserDefaults* defaults = nullptr;
        LaunchAtLoginManager* launchAtLogin = nullptr;
        AgentProviderConnectionStore* connections = nullptr;
        GlobalShortcutManager* shortcut = nullptr;
        UpdaterViewModel* updater = nullptr;
        bool updateFeedConfigured = false;
        std::string supportAddress;          // empty: no support mail in this build
        std::optional<std::string> version;  // the application's version
        std::optional<std::string> osName;   // PRETTY_NAME of the distribution
        std::function<bool(const QUrl&)> openUrl;
        // The last event's time of day in the user's locale (short form).
        std::function<QString(WallTime)> formatTime;
        std::string installedPath;    // where hooks work from
        std::string installedFolder;  // named in the move notice
    };

    struct Callbacks {
        std::function<void()> onDisplaySettingsChange;
        std::function<void()> onReplayWalkthrough;
        std::function<void()> quit;
        // Closes the popout (the panel's settings flag to false).
        std::function<void()> close;
        // The panel's "show system rows" state, which the popout edits.
        std::function<void(bool)> setShowSystem;
    };

    SettingsPopoutView(Dependencies dependencies, Callbacks callbacks, bool showSystem,
                       std::optional<QString> lastScanned, QWidget* parent = nullptr);
    ~SettingsPopoutView() override;

    // The settings as the popout holds them.
    DefaultFilterSetting defaultFilter() const { return defaultFilter_; }
    DisplaySettings::RowDensity rowDensity() const { return rowDensity_; }
    const RowVisibleFields& fields() const { return fields_; }
    BatteryMode batteryMode() const { return batteryMode_; }
    bool showSystem() const { return showSystem_; }
    bool showAgentActivity() const { return showAgentActivity_; }
    bool autoCloseAfterOpening() const { return autoCloseAfterOpening_; }
    bool launchAtLoginOn() const { return launchAtLoginOn_; }
    const std::optional<QString>& startupFailureCaption() const { return startupFailureCaption_; }
    bool startupNeedsApproval() const { return startupNeedsApproval_; }

    // The open choice menu and its highlighted row.
    std::optional<SettingsChoiceMenu> activeChoiceMenu() const { return activeChoiceMenu_; }
    int choiceHighlightedIndex() const { return choiceHighlightedIndex_; }
    PremiumMenuSurface* choiceMenuSurface() const { return menuSurface_; }

    void toggleChoiceMenu(SettingsChoiceMenu menu);
    void closeChoiceMenu();
    void moveChoiceHighlight(int step);
    void activateHighlightedChoice();

    // The footer's "Ports last scanned at …" line follows the panel's scans while shown.
    void setLastScanned(std::optional<QString> text);
    const std::optional<QString>& lastScanned() const { return lastScanned_; }

    // Brings the login toggle in line with the system without changing the system.
    void reconcileLaunchAtLogin();
    // The user's change of the login toggle.
    void applyLaunchAtLoginToggle(bool enabled);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Cards.
    QWidget* buildListCard();
    QWidget* buildShortcutCard();
    QWidget* buildRowFieldsCard();
    QWidget* buildStartupCard();
    QWidget* buildConnectionsCard();
    QWidget* buildUpdatesCard();
    QWidget* buildSupportCard();
    QWidget* buildFooterActions();
    QWidget* buildBrandFooter();
    PremiumChoiceTrigger* choiceTrigger(SettingsChoiceMenu menu);
    PremiumSwitch* rowSwitch(const QString& title, bool on);

    // State changes, each written back at once.
    void setDefaultFilter(DefaultFilterSetting value);
    void setRowDensity(DisplaySettings::RowDensity value);
    void setFields(const RowVisibleFields& value);
    void setShowSystem(bool value);
    void setBatteryMode(BatteryMode value);
    void setShowAgentActivity(bool value);
    void setAutoCloseAfterOpening(bool value);

    void selectChoice(SettingsChoiceMenu menu, int index);
    int currentChoiceIndex(SettingsChoiceMenu menu) const;
    void showChoiceMenu();
    void placeChoiceMenu();
    void refreshTriggers();

    void render(const LaunchAtLoginReconciler::Presentation& presentation);
    void refreshStartupRows();
    void refreshShortcutCard();
    void refreshFieldTiles();
    void rebuildConnections();
    void connectProvider(AgentKind provider);
    void refreshUpdates();
    void openSupportMail();
    void replayWalkthrough();

    Dependencies deps_;
    Callbacks callbacks_;
    DisplaySettings display_;

    DefaultFilterSetting defaultFilter_;
    DisplaySettings::RowDensity rowDensity_;
    RowVisibleFields fields_;
    BatteryMode batteryMode_;
    bool showSystem_;
    bool showAgentActivity_;
    bool autoCloseAfterOpening_;
    bool launchAtLoginOn_ = false;
    std::optional<QString> startupFailureCaption_;
    bool startupNeedsApproval_ = false;
    std::optional<QString> lastScanned_;

    std::optional<SettingsChoiceMenu> activeChoiceMenu_;
    int choiceHighlightedIndex_ = 0;

    QScrollArea* scroll_ = nullptr;
    AccessibilityHiddenColumn* column_ = nullptr;
    QWidget* menuLayer_ = nullptr;
    QPointer<PremiumMenuSurface> menuSurface_;
    std::vector<PremiumMenuButton*> menuRows_;
    std::map<SettingsChoiceMenu, PremiumChoiceTrigger*> triggers_;

    PremiumSwitch* loginSwitch_ = nullptr;
    QWidget* startupCaptionRow_ = nullptr;
    QLabel* startupCaption_ = nullptr;
    QWidget* approvalButtonRow_ = nullptr;

    PremiumSwitch* shortcutSwitch_ = nullptr;
    QLabel* shortcutSubtitle_ = nullptr;
    QLabel* lastScannedLabel_ = nullptr;
    QWidget* shortcutEditorDivider_ = nullptr;
    QWidget* shortcutEditor_ = nullptr;
    std::map<int, QWidget*> modifierButtons_;
    QLineEdit* keyField_ = nullptr;
    QWidget* shortcutErrorDivider_ = nullptr;
    QLabel* shortcutError_ = nullptr;

    std::vector<std::pair<PremiumSwitch*, bool RowVisibleFields::*>> fieldSwitches_;
    QWidget* powerLabelsTile_ = nullptr;

    QVBoxLayout* connectionsLayout_ = nullptr;
    QWidget* connectionsContent_ = nullptr;
    std::uint64_t connectionsObserver_ = 0;

    QWidget* checkButton_ = nullptr;
    QWidget* updateResult_ = nullptr;
    QLabel* updateResultText_ = nullptr;
    QWidget* releaseButton_ = nullptr;
};

}  // namespace quaylight
