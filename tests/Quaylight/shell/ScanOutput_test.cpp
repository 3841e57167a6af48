// The scan command's table and report, printed from fixed scan results.
#include <gtest/gtest.h>

#include <utf8.h>

#include "ProcessCoreKit/records/ScanError.h"
#include "Quaylight/shell/QuaylightCLI.h"
#include "Quaylight/shell/ScanTimeText.h"
#include "Quaylight/shell/SortedPrettyJSON.h"
#include "QuaylightKit/listener/PortListenerCoding.h"

namespace quaylight {
namespace {

PortListener row(std::int32_t pid, std::int64_t port, std::string path, std::string label = "Node",
                 VisibilityClass visibility = VisibilityClass::defaultVisible) {
    PortListener l;
    ProcessSnapshot& process = l.process.edit();
    process.identity = {pid, 1'780'000'000, 250'000};
    process.executablePath = path;
    process.name = path.substr(path.rfind('/') + 1).substr(0, 15);
    process.parentPID = 1;
    process.uid = 1000;
    process.sameUser = true;
    process.cpuReadable = true;
    process.residentMemoryBytes = 52'428'800;
    process.cpuTimeNanos = 120'000'000;
    l.port = port;
    l.endpoints = {{"127.0.0.1", AddressFamily::ipv4, port}};
    l.bindScope = BindScope::loopbackOnly;
    l.bindSignature = BindSignature::make(l.endpoints);
    l.identity = ListenerIdentity{l.process->identity, PortProtocol::tcp, port, l.bindSignature, false, std::nullopt};
    l.visibility = visibility;
    l.classification = ServiceClassification{Runtime::node, std::nullopt, std::nullopt, Confidence::medium, label};
    return l;
}

ScanResult result(std::vector<PortListener> listeners, std::int64_t processes = 312) {
    ScanResult r;
    r.listeners = std::move(listeners);
    r.scannedAt = wallTimeFromMicroseconds(1'780'000'123'999'999);  // 2026-05-28T20:28:43.999999Z
    r.processCount = processes;
    return r;
}

std::string table(const ScanResult& r, bool all = false) {
    return QuaylightCLI::tableText(r, all, [](WallTime) { return std::string("3:04:05 PM"); });
}

std::string rule() {
    std::string line;
    for (int i = 0; i < 78; ++i) line += "\u2500";
    return line + "\n";
}

TEST(ScanTable, WholeTableWithPoolsAndHiddenRows) {
    auto pool = row(501, 8000, "/usr/bin/gunicorn", "Python \u00b7 Gunicorn");
    pool.workerPoolSize = 4;
    pool.bindScope = BindScope::allInterfaces;
    auto cups = row(77, 631, "/usr/sbin/cupsd", "Unknown", VisibilityClass::hiddenSystemBackground);
    auto r = result({pool, row(4242, 5173, "/usr/bin/node", "Node \u00b7 Vite"), cups});
    r.agentPresence.entries.emplace_back(AgentProcessIdentity{{9, 1, 0}, AgentKind::claude}, std::nullopt, std::nullopt,
                                         std::nullopt, WallTime{});

    const std::string header = "Quaylight \u2014 2 listeners (1 system/background hidden) \u00b7 312 processes \u00b7 "
                               "scanned 3:04:05 PM\nAgents present: 0 Codex \u00b7 1 Claude\n\n"
                               "PORT   PROTO PROCESS               PID     CLASSIFICATION        BIND\n" +
                               rule();
    EXPECT_EQ(table(r), header +
                            "5173   TCP   node                  4242    Node \u00b7 Vite           localhost\n"
                            "8000   TCP   gunicorn \u00d74           501     Python \u00b7 Gunicorn     all-interfaces\n");
    EXPECT_EQ(table(r, true), header +
                                  "5173   TCP   node                  4242    Node \u00b7 Vite           localhost\n"
                                  "8000   TCP   gunicorn \u00d74           501     Python \u00b7 Gunicorn     all-interfaces\n"
                                  "631    TCP   cupsd                 77      Unknown               localhost \u00b7sys\n");
}

TEST(ScanTable, TitleCountsVisibleRowsOnly) {
    EXPECT_EQ(table(result({})), "Quaylight \u2014 0 listeners (0 system/background hidden) \u00b7 312 processes \u00b7 "
                                 "scanned 3:04:05 PM\n\nNo local listeners.\n");
    EXPECT_TRUE(table(result({row(1, 80, "/a")}, 1))
                    .starts_with("Quaylight \u2014 1 listener (0 system/background hidden) \u00b7 1 processes \u00b7 "));
    auto hiddenOnly = result({row(1, 80, "/a", "Unknown", VisibilityClass::hiddenSystemBackground)});
    EXPECT_EQ(table(hiddenOnly), "Quaylight \u2014 0 listeners (1 system/background hidden) \u00b7 312 processes \u00b7 "
                                 "scanned 3:04:05 PM\n\nNo local listeners.\n");
    EXPECT_NE(table(hiddenOnly, true).find("Quaylight \u2014 0 listeners (1 system"), std::string::npos);
    EXPECT_NE(table(hiddenOnly, true).find("\u00b7sys\n"), std::string::npos);
}

TEST(ScanTable, CellsAreFittedToTheirColumns) {
    const std::string name21 = "abcdefghijklmnopqrstu";
    const std::string label22 = "Python \u00b7 Create Reacts";  // 22 characters
    auto exact = row(1, 1, "/x/" + name21, label22);
    auto longer = row(2, 2, "/x/" + name21 + "vw");
    auto text = table(result({exact, longer}));
    EXPECT_NE(text.find("1      TCP   " + name21 + " 1       Python \u00b7 Create React localhost\n"), std::string::npos);
    EXPECT_NE(text.find("2      TCP   " + name21 + " 2       Node                  localhost\n"), std::string::npos);
    auto wide = row(12345678, 65535, "/x/p");
    EXPECT_NE(table(result({wide})).find("65535  TCP   p                     1234567 Node"), std::string::npos);
}

TEST(ScanTable, UntrustedNamesCannotDriveTheTerminal) {
    auto evil = row(7, 3000, "/tmp/\x1b[2J\x07ok\x7f\xc2\x9bname\xff\n");
    auto text = table(result({evil}));
    EXPECT_NE(text.find("3000   TCP   ?[2J?ok??name\ufffd?       7       Node"), std::string::npos) << text;
    for (char c : text) EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << int(c);
    EXPECT_TRUE(utf8::is_valid(text.begin(), text.end()));
}

TEST(ScanTable, MediumTimeOfDay) {
    auto text = mediumLocalTime(wallTimeFromMicroseconds(1'780'000'123'000'000));
    EXPECT_TRUE(text.ends_with(" AM") || text.ends_with(" PM")) << text;
    EXPECT_NE(text.front(), ' ');
    EXPECT_EQ(std::count(text.begin(), text.end(), ':'), 2);
}

TEST(ScanReport, SortedPrettyPrintedReport) {
    auto listener = row(4242, 5173, "/usr/bin/node", "Node");
    listener.process.edit().argv = std::vector<std::string>{"node", "server.js"};
    auto r = result({listener});
    const char* expected = R"({
  "claudeAgentCount" : 0,
  "codexAgentCount" : 0,
  "hiddenCount" : 0,
  "listeners" : [
    {
      "bindScope" : "loopbackOnly",
      "bindSignature" : {
        "tokens" : [
          {
            "loopback" : {

            }
          }
        ]
      },
      "classification" : {
        "confidence" : "medium",
        "label" : "Node",
        "runtime" : "node"
      },
      "endpoints" : [
        {
          "address" : "127.0.0.1",
          "family" : "IPv4",
          "port" : 5173
        }
      ],
      "identity" : {
        "bindSignature" : {
          "tokens" : [
            {
              "loopback" : {

              }
            }
          ]
        },
        "isPool" : false,
        "port" : 5173,
        "process" : {
          "pid" : 4242,
          "startTimeMicroseconds" : 250000,
          "startTimeSeconds" : 1780000000
        },
        "proto" : "TCP"
      },
      "isInQuaylightSubtree" : false,
      "port" : 5173,
      "process" : {
        "argv" : [
          "node",
          "server.js"
        ],
        "cpuReadable" : true,
        "cpuTimeNanos" : 120000000,
        "executablePath" : "\/usr\/bin\/node",
        "identity" : {
          "pid" : 4242,
          "startTimeMicroseconds" : 250000,
          "startTimeSeconds" : 1780000000
        },
        "name" : "node",
        "parentPID" : 1,
        "residentMemoryBytes" : 52428800,
        "sameUser" : true,
        "uid" : 1000
      },
      "proto" : "TCP",
      "state" : "LISTEN",
      "visibility" : "defaultVisible",
      "workerPoolSize" : 1
    }
  ],
  "processCount" : 312,
  "scannedAt" : "2026-05-28T20:28:43Z",
  "visibleCount" : 1
}
)";
    EXPECT_EQ(QuaylightCLI::jsonText(r, false), std::string(expected));
    EXPECT_EQ(QuaylightCLI::jsonText(result({}), true), R"({
  "claudeAgentCount" : 0,
  "codexAgentCount" : 0,
  "hiddenCount" : 0,
  "listeners" : [

  ],
  "processCount" : 312,
  "scannedAt" : "2026-05-28T20:28:43Z",
  "visibleCount" : 0
}
)");
}

TEST(ScanReport, RowsCountsAndOrderFollowTheFlags) {
    auto hidden = row(77, 631, "/usr/sbin/cupsd", "Unknown", VisibilityClass::hiddenSystemBackground);
    auto r = result({row(2, 9000, "/b"), hidden, row(1, 3000, "/a")});
    r.agentPresence.entries.emplace_back(AgentProcessIdentity{{9, 1, 0}, AgentKind::codex}, std::nullopt, std::nullopt,
                                         std::nullopt, WallTime{});
    for (bool all : {false, true}) {
        auto report = nlohmann::json::parse(*QuaylightCLI::jsonText(r, all));
        EXPECT_EQ(report["visibleCount"], 2);
        EXPECT_EQ(report["hiddenCount"], 1);
        EXPECT_EQ(report["codexAgentCount"], 1);
        std::vector<int> ports;
        for (const auto& l : report["listeners"]) ports.push_back(l["port"]);
        EXPECT_EQ(ports, all ? (std::vector<int>{3000, 9000, 631}) : (std::vector<int>{3000, 9000}));
    }
}

TEST(ScanReport, LargeNumbersAndUntrustedTextSurviveExactly) {
    auto l = row(7, 3000, "/tmp/\x1b[2Jname\xff\"q\\");
    ProcessSnapshot& process = l.process.edit();
    process.residentMemoryBytes = 18'446'744'073'709'551'615ULL;
    process.cpuTimeNanos = 9'007'199'254'740'993ULL;  // 2^53 + 1
    process.identity.startTimeSeconds = 18'446'744'073'709'551'000ULL;
    auto text = *QuaylightCLI::jsonText(result({l}), false);
    EXPECT_NE(text.find("\"residentMemoryBytes\" : 18446744073709551615,"), std::string::npos);
    EXPECT_NE(text.find("\"cpuTimeNanos\" : 9007199254740993,"), std::string::npos);
    EXPECT_NE(text.find("\"executablePath\" : \"\\/tmp\\/\\u001b[2Jname\ufffd\\\"q\\\\\","), std::string::npos) << text;
    EXPECT_TRUE(utf8::is_valid(text.begin(), text.end()));
    auto parsed = nlohmann::json::parse(text);
    EXPECT_EQ(parsed["listeners"][0]["process"]["residentMemoryBytes"].get<std::uint64_t>(), 18'446'744'073'709'551'615ULL);
    EXPECT_EQ(parsed["listeners"][0]["process"]["executablePath"], "/tmp/\x1b[2Jname\ufffd\"q\\");
}

TEST(ScanReport, StreamedInPiecesLikeOneDocument) {
    std::vector<PortListener> many;
    for (int i = 0; i < 120; ++i) many.push_back(row(1000 + i, 2000 + i, "/usr/bin/node"));
    auto r = result(many);
    int pieces = 0;
    std::string streamed;
    EXPECT_EQ(QuaylightCLI::streamJSON(r, false,
                                       [&](std::string_view piece) {
                                           ++pieces;
                                           streamed += piece;
                                           return true;
                                       }),
              QuaylightCLI::PrintOutcome::printed);
    EXPECT_GT(pieces, 2);

    nlohmann::ordered_json whole = nlohmann::ordered_json::object();
    whole["listeners"] = many;  // already in port order
    whole["scannedAt"] = "2026-05-28T20:28:43Z";
    whole["processCount"] = 312;
    whole["visibleCount"] = 120;
    whole["hiddenCount"] = 0;
    whole["codexAgentCount"] = 0;
    whole["claudeAgentCount"] = 0;
    EXPECT_EQ(streamed, sortedPrettyJSON(whole) + "\n");

    int calls = 0;
    EXPECT_EQ(QuaylightCLI::streamJSON(r, false,
                                       [&](std::string_view) {
                                           ++calls;
                                           return false;
                                       }),
              QuaylightCLI::PrintOutcome::writeFailed);
    EXPECT_EQ(calls, 1);  // nothing more is written after a failed write
}

// What a run wrote, through fake dependencies.
struct Run {
    std::int32_t status = -1;
    std::string out, err;
};

Run run(std::vector<std::string> arguments, std::function<ScanResult(bool)> scan, bool outputFails = false) {
    Run r;
    QuaylightCLI::Dependencies dependencies{
        std::move(scan),
        [&](std::string_view text) {
            if (outputFails) return false;
            r.out += text;
            return true;
        },
        [&](std::string_view line) { r.err += std::string(line) + "\n"; },
        [](WallTime) { return std::string("3:04:05 PM"); },
    };
    r.status = QuaylightCLI::run(arguments, dependencies);
    return r;
}

TEST(ScanCommand, ExitStatusesAndErrorLines) {
    auto fixed = [](bool includeArgv) {
        EXPECT_TRUE(includeArgv);
        return result({row(1, 3000, "/a")});
    };
    auto table = run({"scan"}, fixed);
    EXPECT_EQ(table.status, 0);
    EXPECT_TRUE(table.out.starts_with("Quaylight \u2014 1 listener "));
    EXPECT_EQ(table.err, "");

    auto json = run({"--json", "scan", "--verbose"}, fixed);
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(nlohmann::json::parse(json.out)["visibleCount"], 1);

    auto unavailable = run({"scan", "--json"}, [](bool) -> ScanResult {
        throw ScanFailure(ScanError::enumerationUnavailable);
    });
    EXPECT_EQ(unavailable.status, 1);
    EXPECT_EQ(unavailable.out, "");
    EXPECT_EQ(unavailable.err,
              "error: process enumeration unavailable \u2014 /proc listed no processes. This build must run "
              "unsandboxed.\n");

    auto other = run({"scan"}, [](bool) -> ScanResult { throw std::runtime_error("procfs is not mounted"); });
    EXPECT_EQ(other.status, 1);
    EXPECT_EQ(other.err, "error: the scan failed: procfs is not mounted\n");
    auto exhausted = run({"scan", "--json"}, [](bool) -> ScanResult { throw std::bad_alloc(); });
    EXPECT_EQ(exhausted.status, 1);
    EXPECT_EQ(exhausted.out, "");
    EXPECT_EQ(exhausted.err, "error: the scan failed: std::bad_alloc\n");
    auto odd = run({"scan"}, [](bool) -> ScanResult { throw 42; });
    EXPECT_EQ(odd.status, 1);
    EXPECT_EQ(odd.err, "error: the scan failed: unknown exception\n");

    for (const char* flag : {"--scan", "--json"}) {
        auto failedWrite = run({"scan", flag}, fixed, true);
        EXPECT_EQ(failedWrite.status, 1) << flag;
        EXPECT_EQ(failedWrite.err, "error: failed to write scan output\n");
    }
}

}  // namespace
}  // namespace quaylight
