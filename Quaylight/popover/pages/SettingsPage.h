#pragma once
// The settings popout's page of the main area: made afresh each time it comes on screen (so
// it starts from the stored settings) and dropped when it leaves.

#include <QString>
#include <functional>
#include <optional>

#include "Quaylight/popover/PopoverPages.h"
#include "Quaylight/popover/model/PopoverInputs.h"
#include "Quaylight/popover/pages/PageHolder.h"

namespace quaylight {

class SettingsPage {
public:
    // `commands` are the router's and outlive the page; `close` closes the popout.
    SettingsPage(PopoverPages pages, const PopoverCommands& commands, std::function<void()> close, QWidget* parent);

    QWidget* widget() const { return holder_.widget(); }
    // Shows the popout, and hands it the panel's latest "last scanned" line.
    void show(bool showSystem, const std::optional<QString>& lastScanned);
    void drop();

private:
    PopoverPages::SettingsActions actions();

    PopoverPages pages_;
    const PopoverCommands& commands_;
    std::function<void()> close_;
    PageHolder holder_;
};

}  // namespace quaylight
