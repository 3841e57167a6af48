#include "Quaylight/popover/pages/SettingsPage.h"

#include <QWidget>

namespace quaylight {

SettingsPage::SettingsPage(PopoverPages pages, const PopoverCommands& commands, std::function<void()> close,
                           QWidget* parent)
    : pages_(std::move(pages)), commands_(commands), close_(std::move(close)), holder_(parent) {
    holder_.widget()->setObjectName(QStringLiteral("settingsPopout"));
}

PopoverPages::SettingsActions SettingsPage::actions() {
    PopoverPages::SettingsActions actions;
    actions.displaySettingsChanged = [this] {
        if (commands_.onDisplaySettingsChange) commands_.onDisplaySettingsChange();
    };
    actions.replayWalkthrough = [this] {
        if (commands_.replayWalkthrough) commands_.replayWalkthrough();
    };
    actions.quit = [this] {
        if (commands_.quit) commands_.quit();
    };
    actions.close = [this] { close_(); };
    actions.setShowSystem = [this](bool on) {
        if (commands_.setShowSystem) commands_.setShowSystem(on);
    };
    return actions;
}

void SettingsPage::show(bool showSystem, const std::optional<QString>& lastScanned) {
    if (!pages_.settings) return;
    holder_.fill([&] { return pages_.settings(showSystem, lastScanned, actions()); });
    if (pages_.showLastScanned && holder_.view() && holder_.view()->isVisibleTo(holder_.widget()))
        pages_.showLastScanned(holder_.view(), lastScanned);
}

void SettingsPage::drop() {
    if (holder_.filled()) holder_.clear();
}

}  // namespace quaylight
