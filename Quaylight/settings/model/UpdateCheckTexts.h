#pragma once
// What the updates card says about a finished update check, in its own words.

#include <QString>

#include "Quaylight/shell/platform/Updater.h"

namespace quaylight {

struct UpdateCheckTexts {
    using Kind = Updater::CheckResult::Kind;

    Kind kind = Kind::failed;
    // "Quaylight 1.5.0 is available.", "Quaylight is up to date." or the failure's sentence.
    QString text;
    // Whether "View Release" is offered: only for a new release whose link is a web page,
    // so a feed cannot have a local file or another kind of address opened.
    bool opensRelease = false;

    static UpdateCheckTexts of(const Updater::CheckResult& result);
};

}  // namespace quaylight
