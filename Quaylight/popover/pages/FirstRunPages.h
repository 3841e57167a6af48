#pragma once
// The first-run pages of the main area: the launch-at-login offer, then the welcome tour.
// Each is made when it comes on screen and dropped when it leaves; finishing one tells the
// application, which moves the panel on.

#include "Quaylight/popover/PopoverPages.h"
#include "Quaylight/popover/model/MainAreaChoice.h"
#include "Quaylight/popover/pages/PageHolder.h"

namespace quaylight {

class FirstRunPages {
public:
    // `commands` are the router's and outlive the pages.
    FirstRunPages(PopoverPages pages, const PopoverCommands& commands, QWidget* parent);

    QWidget* offer() const { return offer_.widget(); }
    QWidget* tour() const { return tour_.widget(); }
    // Drops whichever of the two is not `page`: the next time it comes, it starts afresh.
    void dropAllBut(MainPage page);
    // Fills the page `page` names, if it is one of the two.
    void fill(MainPage page);

private:
    PopoverPages pages_;
    const PopoverCommands& commands_;
    PageHolder offer_;
    PageHolder tour_;
};

}  // namespace quaylight
