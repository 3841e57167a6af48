#pragma once
// The search field's rule: the trimmed, lowercased query must appear as it is in one of
// the listener's texts (port, names, classification, path, arguments, agent, host,
// project).

#include <string>
#include <string_view>
#include <vector>

#include "QuaylightKit/listener/PortListener.h"

namespace quaylight {

struct ListenerSearch {
    static bool matches(const PortListener& listener, std::string_view query);

    // Trimmed of blanks and line breaks at both ends, then lowercased.
    static std::string normalizedQuery(std::string_view query);
    // True for every listener when `normalized` is empty.
    static bool matchesNormalized(const PortListener& listener, std::string_view normalized);
    // The texts a query is looked for in, in order; all lowercased but the host's raw value.
    static std::vector<std::string> haystack(const PortListener& listener);
};

}  // namespace quaylight
