#include "Quaylight/agent-inventory/list/AgentInventoryListModel.h"

#include <algorithm>
#include <array>
#include <locale>
#include <set>

#include <fmt/format.h>
#include <utf8.h>

#include "ProcessCoreKit/support/Text.h"

namespace quaylight {

namespace {

// The white space and line breaks a search text is trimmed of.
bool isSpaceOrNewline(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

// Unicode lower case through the C.UTF-8 locale that glibc always carries; ASCII alone
// where that locale is missing.
std::u32string lowercased(std::u32string text) {
    static const std::ctype<wchar_t>* ctype = [] () -> const std::ctype<wchar_t>* {
        try {
            static const std::locale utf8("C.UTF-8");
            return &std::use_facet<std::ctype<wchar_t>>(utf8);
        } catch (const std::runtime_error&) {
            return nullptr;
        }
    }();
    for (auto& c : text) {
        if (ctype)
            c = static_cast<char32_t>(ctype->tolower(static_cast<wchar_t>(c)));
        else if (c >= U'A' && c <= U'Z')
            c += 32;
    }
    return text;
}

std::u32string codePoints(std::string_view text) { return utf8::utf8to32(decodeUtf8Lossy(text)); }

std::u32string searchQuery(std::string_view text) {
    auto query = codePoints(text);
    auto first = std::find_if_not(query.begin(), query.end(), isSpaceOrNewline);
    auto last = std::find_if_not(query.rbegin(), std::make_reverse_iterator(first), isSpaceOrNewline).base();
    return lowercased(std::u32string(first, last));
}

bool matches(const AgentSessionSnapshot& session, const std::u32string& query) {
    const std::array<std::string, 4> texts{
        std::string(shortDisplayName(session.provider)),
        session.controlSurface ? session.controlSurface->displayName : "Unknown app",
        session.projectName.value_or(""),
        std::string(AgentInventoryListModel::stateLabel(session.state)),
    };
    return std::any_of(texts.begin(), texts.end(), [&](const std::string& text) {
        return lowercased(codePoints(text)).find(query) != std::u32string::npos;
    });
}

bool passes(AgentProviderFilter filter, AgentKind provider) {
    switch (filter) {
        case AgentProviderFilter::all: return true;
        case AgentProviderFilter::codex: return provider == AgentKind::codex;
        case AgentProviderFilter::claude: return provider == AgentKind::claude;
    }
    return false;
}

std::string hostName(const std::optional<AgentHostDescriptor>& host) {
    return host ? host->displayName : "Unknown app";
}

std::string sectionKey(const std::optional<AgentHostDescriptor>& host) {
    return host ? fmt::format("host:{}", rawValue(host->kind)) : "host:unknown";
}

std::string plural(int count, std::string_view noun) {
    return fmt::format("{} {}{}", count, noun, count == 1 ? "" : "s");
}

}  // namespace

std::string AgentInventoryListModel::Section::id() const { return sectionKey(host); }

std::string_view AgentInventoryListModel::stateLabel(AgentSessionState state) {
    switch (state) {
        case AgentSessionState::needsAttention: return "Needs attention";
        case AgentSessionState::working: return "Working";
        case AgentSessionState::waiting: return "Waiting";
        case AgentSessionState::detected: return "Detected";
        case AgentSessionState::recentlyFinished: return "Finished";
    }
    return {};
}

AgentInventoryListModel AgentInventoryListModel::build(const AgentInventorySnapshot& snapshot,
                                                       AgentProviderFilter filter, std::string_view searchText) {
    AgentInventoryListModel model;
    auto current = snapshot.currentSessions();
    model.allCount = static_cast<int>(current.size());
    for (const auto& session : current) ++(session.provider == AgentKind::codex ? model.codexCount : model.claudeCount);

    std::vector<AgentSessionSnapshot> filtered;
    std::copy_if(snapshot.sessions.begin(), snapshot.sessions.end(), std::back_inserter(filtered),
                 [&](const AgentSessionSnapshot& session) { return passes(filter, session.provider); });
    if (snapshot.sessions.empty()) {
        model.content = Content::of(Content::Kind::empty);
    } else if (filtered.empty()) {
        model.content = Content::of(Content::Kind::providerEmpty);
    } else if (auto found = search(filtered, searchText); found.empty()) {
        model.content = Content::of(Content::Kind::noSearchMatches);
    } else {
        model.content = {Content::Kind::sections, group(found)};
        for (auto& section : model.content.sections)
            section.hostRunning = !section.host || !snapshot.exitedHosts.contains(section.host->identity);
    }
    model.summaryLine = summary(current);
    model.stateLine = stateSummary(current);
    return model;
}

std::vector<AgentSessionSnapshot> AgentInventoryListModel::search(const std::vector<AgentSessionSnapshot>& sessions,
                                                                  std::string_view text) {
    auto query = searchQuery(text);
    if (query.empty()) return sessions;
    std::vector<AgentSessionSnapshot> found;
    std::copy_if(sessions.begin(), sessions.end(), std::back_inserter(found),
                 [&](const AgentSessionSnapshot& session) { return matches(session, query); });
    return found;
}

bool AgentInventoryListModel::rowOrder(const AgentSessionSnapshot& a, const AgentSessionSnapshot& b) {
    if (a.state != b.state) return urgencyOrder(a.state) < urgencyOrder(b.state);
    if (a.lastEventAt != b.lastEventAt) return a.lastEventAt > b.lastEventAt;
    return a.id.stableID() < b.id.stableID();
}

std::vector<AgentInventoryListModel::Section> AgentInventoryListModel::group(
    const std::vector<AgentSessionSnapshot>& rows) {
    std::vector<Section> sections;
    for (const auto& row : rows) {
        auto key = sectionKey(row.controlSurface);
        auto section = std::find_if(sections.begin(), sections.end(), [&](const Section& s) { return s.id() == key; });
        if (section == sections.end())
            sections.push_back({row.controlSurface, {row}});
        else
            section->rows.push_back(row);
    }
    for (auto& section : sections) std::stable_sort(section.rows.begin(), section.rows.end(), rowOrder);
    std::stable_sort(sections.begin(), sections.end(), sectionOrder);
    return sections;
}

int AgentInventoryListModel::urgencyRank(const std::vector<AgentSessionSnapshot>& rows) {
    auto any = [&](AgentSessionState state) {
        return std::any_of(rows.begin(), rows.end(), [&](const AgentSessionSnapshot& row) { return row.state == state; });
    };
    if (any(AgentSessionState::needsAttention)) return 0;
    if (any(AgentSessionState::working)) return 1;
    return 2;
}

bool AgentInventoryListModel::sectionOrder(const Section& a, const Section& b) {
    if (a.host.has_value() != b.host.has_value()) return a.host.has_value();
    if (auto ra = urgencyRank(a.rows), rb = urgencyRank(b.rows); ra != rb) return ra < rb;
    if (auto na = hostName(a.host), nb = hostName(b.host); na != nb) return na < nb;
    return a.id() < b.id();
}

std::string AgentInventoryListModel::summary(const std::vector<AgentSessionSnapshot>& current) {
    if (current.empty()) return "No local agents detected";
    const int count = static_cast<int>(current.size());
    bool allLocal = std::all_of(current.begin(), current.end(), [](const AgentSessionSnapshot& s) {
        return s.executionLocation.kind == AgentExecutionLocation::Kind::local;
    });
    auto line = plural(count, allLocal ? "local agent" : "agent");
    std::set<HostAppKind> apps;
    for (const auto& session : current)
        if (session.controlSurface) apps.insert(session.controlSurface->kind);
    if (!apps.empty()) line += " across " + plural(static_cast<int>(apps.size()), "app");
    auto unknown = std::count_if(current.begin(), current.end(), [](const AgentSessionSnapshot& s) {
        return s.executionLocation.kind == AgentExecutionLocation::Kind::unknown;
    });
    if (unknown > 0) line += fmt::format(" · {} location unknown", unknown);
    return line;
}

std::optional<std::string> AgentInventoryListModel::stateSummary(const std::vector<AgentSessionSnapshot>& current) {
    std::string line;
    for (auto state : {AgentSessionState::needsAttention, AgentSessionState::working, AgentSessionState::waiting,
                       AgentSessionState::detected}) {
        auto n = std::count_if(current.begin(), current.end(), [&](const AgentSessionSnapshot& s) { return s.state == state; });
        if (n == 0) continue;
        if (!line.empty()) line += " · ";
        switch (state) {
            case AgentSessionState::needsAttention: line += fmt::format("{} {} attention", n, n == 1 ? "needs" : "need"); break;
            case AgentSessionState::working: line += fmt::format("{} working", n); break;
            case AgentSessionState::waiting: line += fmt::format("{} waiting", n); break;
            default: line += fmt::format("{} detected", n); break;
        }
    }
    if (line.empty()) return std::nullopt;
    return line;
}

}  // namespace quaylight
