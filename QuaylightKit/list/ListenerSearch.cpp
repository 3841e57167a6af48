#include "QuaylightKit/list/ListenerSearch.h"

#include <algorithm>

namespace quaylight {
namespace {

// ASCII letters only: bytes of other UTF-8 characters pass unchanged, so a name that is
// not ASCII is still found by its exact spelling.
std::string lowercased(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    return out;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

std::string ListenerSearch::normalizedQuery(std::string_view query) {
    while (!query.empty() && isBlank(query.front())) query.remove_prefix(1);
    while (!query.empty() && isBlank(query.back())) query.remove_suffix(1);
    return lowercased(query);
}

std::vector<std::string> ListenerSearch::haystack(const PortListener& listener) {
    const auto& process = listener.process;
    const auto& c = listener.classification;
    std::vector<std::string> entries;
    entries.reserve(14);
    entries.push_back(std::to_string(listener.port));
    entries.push_back(lowercased(process.displayName()));
    entries.push_back(lowercased(c.label));
    if (c.runtime) entries.push_back(std::string(rawValue(*c.runtime)));
    if (c.framework) entries.push_back(lowercased(displayName(*c.framework)));
    if (c.service) entries.push_back(lowercased(displayName(*c.service)));
    if (process.name) entries.push_back(lowercased(*process.name));
    if (process.executablePath) entries.push_back(lowercased(*process.executablePath));
    if (process.argv) {
        std::string joined;
        for (std::size_t i = 0; i < process.argv->size(); ++i) {
            if (i > 0) joined += ' ';
            joined += (*process.argv)[i];
        }
        entries.push_back(lowercased(joined));
    }
    if (listener.agentOrigin) {
        entries.push_back(std::string(rawValue(*listener.agentOrigin)));
        entries.push_back(lowercased(displayName(*listener.agentOrigin)));
    }
    if (listener.host) {
        entries.push_back(std::string(rawValue(listener.host->kind)));  // as stored: "claudeDesktop"
        entries.push_back(lowercased(displayName(listener.host->kind)));
    }
    if (listener.project) {
        entries.push_back(lowercased(listener.project->name));
        if (listener.project->path) entries.push_back(lowercased(*listener.project->path));
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
