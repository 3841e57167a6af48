#pragma once
// The command-line scan: one scan of the machine, printed as a table or as the JSON
// report, then the process exits (0, or 1 with one "error: " line on standard error).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "QuaylightKit/listener/ScanResult.h"

namespace quaylight {

struct QuaylightCLI {
    // What a run touches, so that every path runs on fixed inputs in tests.
    struct Dependencies {
        std::function<ScanResult(bool includeArgv)> scan;      // may throw
        std::function<bool(std::string_view)> writeOutput;    // false when standard output failed
        std::function<void(std::string_view)> writeError;     // one line, newline added
        std::function<std::string(WallTime)> formatScanTime;  // the table's time of day

        static Dependencies live();
    };

    enum class PrintOutcome { printed, encodingFailed, writeFailed };

    // `arguments` without the program path: "--json" selects the report, "--all" adds the
    // hidden rows; anything else is ignored.
    static std::int32_t run(const std::vector<std::string>& arguments);
    static std::int32_t run(const std::vector<std::string>& arguments, const Dependencies& dependencies);

    static PrintOutcome printTable(const ScanResult& result, bool includeHidden);
    static PrintOutcome printJSON(const ScanResult& result, bool includeHidden);
    static void stderr(std::string_view message);

    // The printed texts, each ending in a newline.
    static std::string tableText(const ScanResult& result, bool includeHidden,
                                 const std::function<std::string(WallTime)>& formatScanTime);
    static std::optional<std::string> jsonText(const ScanResult& result, bool includeHidden);

    // The report handed to `write` in pieces of about 64 KiB: a report of hundreds of rows
    // then never needs a buffer of its whole size, whose every fresh page costs time.
    static PrintOutcome streamJSON(const ScanResult& result, bool includeHidden,
                                   const std::function<bool(std::string_view)>& write);

    // Visible rows, then hidden ones when asked, ordered by port; they point into `result`.
    static std::vector<const PortListener*> rows(const ScanResult& result, bool includeHidden);

    static constexpr std::string_view enumerationUnavailableMessage =
        "error: process enumeration unavailable \u2014 /proc listed no processes. This build must run unsandboxed.";
    // Followed by what went wrong, for any other failure of the scan.
    static constexpr std::string_view scanFailedPrefix = "error: the scan failed: ";
    static constexpr std::string_view encodingFailedMessage = "error: failed to encode scan report as JSON";
    static constexpr std::string_view writeFailedMessage = "error: failed to write scan output";
};

}  // namespace quaylight
