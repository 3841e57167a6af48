#pragma once
// What the Agents panel shows, ready-made from a published snapshot, the provider filter
// and the search text: sections per host app with the most urgent first, or which of three
// empty situations applies, plus a summary line, a state line and the chips' counts. Pure:
// the same inputs always give the same model.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Quaylight/agent-inventory/model/AgentInventorySnapshot.h"
#include "Quaylight/agent-inventory/model/PanelMode.h"

namespace quaylight {

struct AgentInventoryListModel {
    struct Section {
        std::optional<AgentHostDescriptor> host;  // none: the sessions without a control surface
        std::vector<AgentSessionSnapshot> rows;
        // False once the host's process was found gone (the snapshot's exitedHosts).
        bool hostRunning = true;

        // "host:" and the host kind's raw value, or "host:unknown".
        std::string id() const;
        friend bool operator==(const Section&, const Section&) = default;
    };

    struct Content {
        enum class Kind {
            sections,         // at least one row to show
            empty,            // no sessions at all
            providerEmpty,    // sessions, but none of the filtered provider
            noSearchMatches,  // sessions of the filtered provider, none matching the search
        };
        Kind kind = Kind::empty;
        std::vector<Section> sections;  // `sections` only

        static Content of(Kind kind) { return {kind, {}}; }
        friend bool operator==(const Content&, const Content&) = default;
    };

    Content content;
    std::string summaryLine;
    std::optional<std::string> stateLine;
    // Current sessions (not recently finished) of the whole inventory, whatever the filter.
    int allCount = 0;
    int codexCount = 0;
    int claudeCount = 0;

    static AgentInventoryListModel build(const AgentInventorySnapshot& snapshot, AgentProviderFilter filter,
                                         std::string_view searchText);

    // Sessions whose provider, app, project or state label contains the trimmed query,
    // ignoring case; all of them for an empty query.
    static std::vector<AgentSessionSnapshot> search(const std::vector<AgentSessionSnapshot>& sessions,
                                                    std::string_view text);
    // One section per host app kind, named after its first row; rows and sections ordered.
    static std::vector<Section> group(const std::vector<AgentSessionSnapshot>& rows);
    // 0 when a row needs attention, else 1 when one is working, else 2.
    static int urgencyRank(const std::vector<AgentSessionSnapshot>& rows);
    static bool sectionOrder(const Section& a, const Section& b);
    static bool rowOrder(const AgentSessionSnapshot& a, const AgentSessionSnapshot& b);
    static std::string summary(const std::vector<AgentSessionSnapshot>& current);
    static std::optional<std::string> stateSummary(const std::vector<AgentSessionSnapshot>& current);

    // The state's name as the search matches it.
    static std::string_view stateLabel(AgentSessionState state);

    friend bool operator==(const AgentInventoryListModel&, const AgentInventoryListModel&) = default;
};

}  // namespace quaylight
