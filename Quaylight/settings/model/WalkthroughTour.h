#pragma once
// The four pages of the welcome tour, their texts, the counter, and what the arrow keys,
// Return and the buttons do on each page.

#include <QString>
#include <array>

#include "Quaylight/design/icons/LucideIconName.h"

namespace quaylight {

enum class WalkthroughPage { listeners, agents, actions, search };

struct WalkthroughPageText {
    QString eyebrow;
    LucideIconName icon = LucideIconName::layoutList;
    QString headline;
    QString body;
};

// What a key or button leads to.
enum class WalkthroughStep { none, advance, retreat, done };
enum class WalkthroughKey { right, left, enter };

struct WalkthroughTour {
    static constexpr int pageCount = 4;
    static const std::array<WalkthroughPage, 4>& pages();
    static int index(WalkthroughPage page) { return static_cast<int>(page); }

    static WalkthroughPageText text(WalkthroughPage page);
    // "01 / 04".
    static QString counter(WalkthroughPage page);

    // The page after `step`; `done` and `none` keep the page.
    static WalkthroughPage after(WalkthroughPage page, WalkthroughStep step);
    // What a key does on a page; `none` means the key is passed on.
    static WalkthroughStep stepForKey(WalkthroughPage page, WalkthroughKey key);

    static bool showsSkip(WalkthroughPage page) { return page != WalkthroughPage::search; }
    static bool showsBack(WalkthroughPage page) { return page != WalkthroughPage::listeners; }
    // "Get Started" on the last page, "Next" before it.
    static QString primaryTitle(WalkthroughPage page);
    static WalkthroughStep primaryStep(WalkthroughPage page);

    // Ease-in-out over 180 ms, or ease-out over 100 ms with reduced motion.
    static int pageAnimationMilliseconds(bool reduceMotion) { return reduceMotion ? 100 : 180; }
};

}  // namespace quaylight
