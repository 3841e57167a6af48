#include "Quaylight/shell/QuaylightCLI.h"

#include <unistd.h>

#include <algorithm>

#include <fmt/format.h>

#include "ProcessCoreKit/records/ScanError.h"
#include "Quaylight/shell/ScanTimeText.h"
#include "Quaylight/shell/SortedPrettyJSON.h"
#include "Quaylight/shell/TableCell.h"
#include "QuaylightKit/engine/PortEngine.h"
#include "QuaylightKit/list/ListenerSorter.h"
#include "QuaylightKit/listener/PortListenerCoding.h"
#include "QuaylightKit/support/FileDescriptorIO.h"

namespace quaylight {
namespace {

bool hasArgument(const std::vector<std::string>& arguments, std::string_view word) {
    return std::find(arguments.begin(), arguments.end(), word) != arguments.end();
}

std::string_view bindScopeText(BindScope scope) {
    switch (scope) {
        case BindScope::loopbackOnly: return "localhost";
        case BindScope::allInterfaces: return "all-interfaces";
        case BindScope::specificInterface: return "specific";
        case BindScope::mixed: return "mixed";
        case BindScope::unknown: return "unknown";
    }
    return "unknown";
}

struct Column {
    std::string_view header;
    std::size_t width;  // 0: the last column, printed as is
};
constexpr Column kColumns[] = {{"PORT", 7}, {"PROTO", 6}, {"PROCESS", 22}, {"PID", 8}, {"CLASSIFICATION", 22},
                               {"BIND", 0}};

void appendLine(std::string& out, const std::string (&cells)[6]) {
    for (std::size_t i = 0; i < 6; ++i)
        out += kColumns[i].width ? fittedCell(cells[i], kColumns[i].width) : sanitizedCell(cells[i]);
    out += '\n';
}

QuaylightCLI::PrintOutcome printed(bool written) {
    return written ? QuaylightCLI::PrintOutcome::printed : QuaylightCLI::PrintOutcome::writeFailed;
}

}  // namespace

QuaylightCLI::Dependencies QuaylightCLI::Dependencies::live() {
    return Dependencies{
        [](bool includeArgv) { return PortEngine(PortEngineDependencies::live()).scan(includeArgv); },
        [](std::string_view text) { return writeAll(STDOUT_FILENO, text); },
        [](std::string_view message) { QuaylightCLI::stderr(message); },
        mediumLocalTime,
    };
}

std::int32_t QuaylightCLI::run(const std::vector<std::string>& arguments) { return run(arguments, Dependencies::live()); }

std::int32_t QuaylightCLI::run(const std::vector<std::string>& arguments, const Dependencies& dependencies) {
    const bool json = hasArgument(arguments, "--json");
    const bool includeHidden = hasArgument(arguments, "--all");

    ScanResult result;
    try {
        result = dependencies.scan(true);
    } catch (const ScanFailure& failure) {
        dependencies.writeError(failure.error == ScanError::enumerationUnavailable
                                   ? std::string(enumerationUnavailableMessage)
                                   : fmt::format("{}{}", scanFailedPrefix, failure.what()));
        return 1;
    } catch (const std::exception& error) {
        dependencies.writeError(fmt::format("{}{}", scanFailedPrefix, error.what()));
        return 1;
    } catch (...) {
        dependencies.writeError(fmt::format("{}{}", scanFailedPrefix, "unknown exception"));
        return 1;
    }

    if (json) {
        switch (streamJSON(result, includeHidden, dependencies.writeOutput)) {
            case PrintOutcome::printed: return 0;
            case PrintOutcome::encodingFailed: dependencies.writeError(encodingFailedMessage); return 1;
            case PrintOutcome::writeFailed: dependencies.writeError(writeFailedMessage); return 1;
        }
    }
    if (!dependencies.writeOutput(tableText(result, includeHidden, dependencies.formatScanTime))) {
        dependencies.writeError(writeFailedMessage);
        return 1;
    }
    return 0;
}

std::vector<const PortListener*> QuaylightCLI::rows(const ScanResult& result, bool includeHidden) {
    std::vector<const PortListener*> rows;
    rows.reserve(result.listeners.size());
    for (const auto& listener : result.listeners)
        if (listener.visibility == VisibilityClass::defaultVisible ||
            (includeHidden && listener.visibility == VisibilityClass::hiddenSystemBackground))
            rows.push_back(&listener);
    return ListenerSorter::sorted(std::move(rows), ListenerSortMode::port, {});
}

std::string QuaylightCLI::tableText(const ScanResult& result, bool includeHidden,
                                    const std::function<std::string(WallTime)>& formatScanTime) {
    const auto visibleCount = result.visibleCount();
    std::string out = fmt::format("Quaylight \u2014 {} listener{} ({} system/background hidden) \u00b7 {} processes "
                                  "\u00b7 scanned {}\n",
                                  visibleCount, visibleCount == 1 ? "" : "s", result.hiddenCount(),
                                  result.processCount, formatScanTime(result.scannedAt));
    if (result.agentPresence.totalCount() >= 1)
        out += fmt::format("Agents present: {} Codex \u00b7 {} Claude\n", result.agentPresence.codexCount(),
                           result.agentPresence.claudeCount());
    out += '\n';

    const auto listeners = rows(result, includeHidden);
    if (listeners.empty()) {
        out += "No local listeners.\n";
        return out;
    }
    // Sized once for the whole table (a row is under 100 bytes): growing it step by step
    // would fault in each larger copy afresh.
    out.reserve(out.size() + 512 + listeners.size() * 100);
    std::string headers[6];
    for (std::size_t i = 0; i < 6; ++i) headers[i] = kColumns[i].header;
    appendLine(out, headers);
    for (int i = 0; i < 78; ++i) out += "\u2500";
    out += '\n';
    for (const PortListener* row : listeners) {
        const PortListener& l = *row;
        std::string process = l.process->displayName();
        if (l.workerPoolSize >= 2) process += fmt::format(" \u00d7{}", l.workerPoolSize);
        std::string bind(bindScopeText(l.bindScope));
        if (l.visibility == VisibilityClass::hiddenSystemBackground) bind += " \u00b7sys";
        const std::string cells[6] = {std::to_string(l.port), "TCP", process, std::to_string(l.process->identity.pid),
                                      l.classification.label, bind};
        appendLine(out, cells);
    }
    return out;
}

QuaylightCLI::PrintOutcome QuaylightCLI::streamJSON(const ScanResult& result, bool includeHidden,
                                                    const std::function<bool(std::string_view)>& write) {
    constexpr std::size_t kPiece = 64 * 1024;
    std::string out;
    bool written = true;
    auto flush = [&](bool always) {
        if (written && (always || out.size() >= kPiece)) {
            written = write(out);
            out.clear();
        }
    };
    try {
        // The report's scalar members, and its rows as one array written row by row: a
        // whole document tree of a few hundred rows would cost more than the scan.
        nlohmann::ordered_json report = nlohmann::ordered_json::object();
        report["scannedAt"] = iso8601UTC(result.scannedAt);
        report["processCount"] = result.processCount;
        report["visibleCount"] = result.visibleCount();
        report["hiddenCount"] = result.hiddenCount();
        report["codexAgentCount"] = result.agentPresence.codexCount();
        report["claudeAgentCount"] = result.agentPresence.claudeCount();
        report["listeners"] = nlohmann::ordered_json::array();
        const auto listeners = rows(result, includeHidden);

        std::vector<std::string> keys;
        for (const auto& [key, value] : report.items()) keys.push_back(key);
        std::sort(keys.begin(), keys.end(), sortedKeyLess);
        out.reserve(kPiece + 16 * 1024);
        out += "{\n";
        for (std::size_t k = 0; k < keys.size(); ++k) {
            if (k > 0) out += ",\n";
            out += "  ";
            appendSortedPrettyJSON(out, keys[k], 1);
            out += " : ";
            if (keys[k] != "listeners" || listeners.empty()) {
                appendSortedPrettyJSON(out, report[keys[k]], 1);
                continue;
            }
            out += "[\n";
            for (std::size_t i = 0; i < listeners.size(); ++i) {
                if (i > 0) out += ",\n";
                out += "    ";
                appendSortedPrettyJSON(out, nlohmann::ordered_json(*listeners[i]), 2);
                flush(false);
            }
            out += "\n  ]";
        }
        out += "\n}\n";
    } catch (const std::exception&) {
        return PrintOutcome::encodingFailed;
    }
    flush(true);
    return written ? PrintOutcome::printed : PrintOutcome::writeFailed;
}

std::optional<std::string> QuaylightCLI::jsonText(const ScanResult& result, bool includeHidden) {
    std::string text;
    auto outcome = streamJSON(result, includeHidden, [&](std::string_view piece) {
        text += piece;
        return true;
    });
    if (outcome != PrintOutcome::printed) return std::nullopt;
    return text;
}

QuaylightCLI::PrintOutcome QuaylightCLI::printTable(const ScanResult& result, bool includeHidden) {
    return printed(writeAll(STDOUT_FILENO, tableText(result, includeHidden, mediumLocalTime)));
}

QuaylightCLI::PrintOutcome QuaylightCLI::printJSON(const ScanResult& result, bool includeHidden) {
    return streamJSON(result, includeHidden, [](std::string_view piece) { return writeAll(STDOUT_FILENO, piece); });
}

void QuaylightCLI::stderr(std::string_view message) {
    std::string line(message);
    line += '\n';
    writeAll(STDERR_FILENO, line);
}

}  // namespace quaylight
