#include "QuaylightKit/list/ListenerSearch.h"

#include <algorithm>

#include "ProcessCoreKit/support/Text.h"

namespace quaylight {

// Folds ASCII letters only: bytes of other UTF-8 characters pass unchanged, so a name that
// is not ASCII is still found by its exact spelling.
std::string ListenerSearch::normalizedQuery(std::string_view query) {
    return asciiLowercased(trimmedASCIIWhitespace(query));
}

std::vector<std::string> ListenerSearch::haystack(const PortListener& listener) {
    const auto& process = *listener.process;
    const auto& c = listener.classification;
    std::vector<std::string> entries;
    entries.reserve(14);
    entries.push_back(std::to_string(listener.port));
    entries.push_back(asciiLowercased(process.displayName()));
    entries.push_back(asciiLowercased(c.label));
    if (c.runtime) entries.push_back(std::string(rawValue(*c.runtime)));
    if (c.framework) entries.push_back(asciiLowercased(displayName(*c.framework)));
    if (c.service) entries.push_back(asciiLowercased(displayName(*c.service)));
    if (process.name) entries.push_back(asciiLowercased(*process.name));
    if (process.executablePath) entries.push_back(asciiLowercased(*process.executablePath));
    if (process.argv) {
        std::string joined;
        for (std::size_t i = 0; i < process.argv->size(); ++i) {
            if (i > 0) joined += ' ';
            joined += (*process.argv)[i];
        }
        entries.push_back(asciiLowercased(joined));
    }
    if (listener.agentOrigin) {
        entries.push_back(std::string(rawValue(*listener.agentOrigin)));
        entries.push_back(asciiLowercased(displayName(*listener.agentOrigin)));
    }
    if (listener.host) {
        entries.push_back(std::string(rawValue(listener.host->kind)));  // as stored: "claudeDesktop"
        entries.push_back(asciiLowercased(displayName(listener.host->kind)));
    }
    if (listener.project) {
        entries.push_back(asciiLowercased(listener.project->name));
        if (listener.project->path) entries.push_back(asciiLowercased(*listener.project->path));
    }
    return entries;
}

bool ListenerSearch::matchesNormalized(const PortListener& listener, std::string_view normalized) {
    if (normalized.empty()) return true;
    const auto entries = haystack(listener);
    return std::any_of(entries.begin(), entries.end(),
                       [&](const std::string& entry) { return entry.find(normalized) != std::string::npos; });
}

bool ListenerSearch::matches(const PortListener& listener, std::string_view query) {
    return matchesNormalized(listener, normalizedQuery(query));
}

}  // namespace quaylight
