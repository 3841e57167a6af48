#include "Quaylight/popover/pages/FirstRunPages.h"

namespace quaylight {

FirstRunPages::FirstRunPages(PopoverPages pages, const PopoverCommands& commands, QWidget* parent)
    : pages_(std::move(pages)), commands_(commands), offer_(parent), tour_(parent) {}

void FirstRunPages::dropAllBut(MainPage page) {
    if (page != MainPage::launchAtLoginOffer && offer_.filled()) offer_.clear();
    if (page != MainPage::walkthrough && tour_.filled()) tour_.clear();
}

void FirstRunPages::fill(MainPage page) {
    if (page == MainPage::launchAtLoginOffer && pages_.launchAtLoginOffer) {
        offer_.fill([this] {
            return pages_.launchAtLoginOffer([this](bool enabled) {
                if (commands_.completeLaunchAtLoginOffer) commands_.completeLaunchAtLoginOffer(enabled);
            });
        });
    }
    if (page == MainPage::walkthrough && pages_.walkthrough) {
        tour_.fill([this] {
            return pages_.walkthrough([this] {
                if (commands_.completeWalkthrough) commands_.completeWalkthrough();
            });
        });
    }
}

}  // namespace quaylight
