#include "Quaylight/design/icons/LucideIconName.h"

namespace quaylight {

namespace {

struct IconEntry {
    LucideIconName name;
    const char* resource;
};

constexpr IconEntry entries[] = {
    {LucideIconName::search, "search"},
    {LucideIconName::settings2, "settings-2"},
    {LucideIconName::moreHorizontal, "more-horizontal"},
    {LucideIconName::globe, "globe"},
    {LucideIconName::link2, "link-2"},
    {LucideIconName::hash, "hash"},
    {LucideIconName::copy, "copy"},
    {LucideIconName::ban, "ban"},
    {LucideIconName::monitor, "monitor"},
    {LucideIconName::personStanding, "person-standing"},
    {LucideIconName::hardDrive, "hard-drive"},
    {LucideIconName::zap, "zap"},
    {LucideIconName::shield, "shield"},
    {LucideIconName::bell, "bell"},
    {LucideIconName::refreshCw, "refresh-cw"},
    {LucideIconName::lock, "lock"},
    {LucideIconName::x, "x"},
    {LucideIconName::layoutList, "layout-list"},
    {LucideIconName::list, "list"},
    {LucideIconName::rocket, "rocket"},
    {LucideIconName::startup, "rocket"},
    {LucideIconName::externalLink, "external-link"},
    {LucideIconName::helpCircle, "circle-help"},
    {LucideIconName::clock, "clock"},
    {LucideIconName::cpu, "cpu"},
    {LucideIconName::memory, "memory-stick"},
    {LucideIconName::bolt, "bolt"},
    {LucideIconName::folder, "folder"},
    {LucideIconName::terminal, "terminal"},
    {LucideIconName::textAlign, "align-left"},
    {LucideIconName::power, "power"},
    {LucideIconName::check, "check"},
    {LucideIconName::chevronDown, "chevron-down"},
};

static_assert(std::size(entries) == 33);

}  // namespace

const std::array<LucideIconName, 33>& allLucideIconNames() {
    static const auto names = [] {
        std::array<LucideIconName, 33> result{};
        for (std::size_t index = 0; index < result.size(); ++index) result[index] = entries[index].name;
        return result;
    }();
    return names;
}

QString lucideResourceName(LucideIconName name) {
    // The table is in declaration order, so the case's value indexes it.
    return QString::fromLatin1(entries[static_cast<std::size_t>(name)].resource);
}

}  // namespace quaylight
