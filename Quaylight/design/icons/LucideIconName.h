#pragma once
// The closed list of line icons the interface may draw, each from one Lucide drawing.

#include <QString>
#include <array>

namespace quaylight {

enum class LucideIconName {
    search,
    settings2,
    moreHorizontal,
    globe,
    link2,
    hash,
    copy,
    ban,
    monitor,
    personStanding,
    hardDrive,
    zap,
    shield,
    bell,
    refreshCw,
    lock,
    x,
    layoutList,
    list,
    rocket,
    startup,
    externalLink,
    helpCircle,
    clock,
    cpu,
    memory,
    bolt,
    folder,
    terminal,
    textAlign,
    power,
    check,
    chevronDown,
};

// Every case, in declaration order.
const std::array<LucideIconName, 33>& allLucideIconNames();

// The base name of the drawing in the resources' "Icons" folder ("circle-help" for
// helpCircle; startup and rocket share "rocket").
QString lucideResourceName(LucideIconName name);

}  // namespace quaylight
