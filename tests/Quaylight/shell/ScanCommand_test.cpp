// The real `quaylight scan` against real listeners that these tests start: a Python and a
// Node web server in a project folder, a pre-fork pool, listeners on 127.0.0.2 and on an
// interface address. Only rows of these tests' own processes are looked at: the machine
// may have listeners of its own.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <arpa/inet.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "QuaylightKit/listener/PortListener.h"
#include "QuaylightKit/listener/PortListenerCoding.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

extern char** environ;

namespace quaylight {
namespace {

namespace fs = std::filesystem;
using testsupport::ChildProcess;

struct CommandRun {
    int status = -1;
    std::string out, err;
};

// Runs the executable with its standard output going to `outputPath` (a file of its own
// when empty) and returns its exit status and both outputs.
CommandRun runQuaylight(const std::vector<std::string>& arguments, std::string outputPath = {}) {
    testsupport::TempDir temp;
    const bool ownOutput = outputPath.empty();
    if (ownOutput) outputPath = (temp / "out").string();
    const std::string errorPath = (temp / "err").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> argv{QUAYLIGHT_EXECUTABLE};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    pid_t pid = -1;
    CommandRun run;
    if (posix_spawn(&pid, QUAYLIGHT_EXECUTABLE, &actions, nullptr, args.data(), environ) == 0) {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    if (ownOutput) run.out = temp.read("out");
    run.err = temp.read("err");
    return run;
}

nlohmann::json scanReport(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> arguments{"scan", "--json"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    auto run = runQuaylight(arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    return nlohmann::json::parse(run.out);
}

// The rows whose owning process is `pid` (or, for a pool, whose identity is keyed on it).
std::vector<PortListener> rowsOf(const nlohmann::json& report, pid_t pid) {
    std::vector<PortListener> rows;
    for (const auto& j : report.at("listeners")) {
        auto listener = j.get<PortListener>();  // the report's rows decode as listeners
        if (listener.process->identity.pid == pid || listener.identity.process.pid == pid) rows.push_back(listener);
    }
    return rows;
}

const PortListener* onPort(const std::vector<PortListener>& rows, int port) {
    for (const auto& row : rows)
        if (row.port == port) return &row;
    return nullptr;
}

std::optional<std::string> program(std::initializer_list<const char*> candidates) {
    for (const char* path : candidates)
        if (::access(path, X_OK) == 0) return std::string(path);
    return std::nullopt;
}

// A project folder (marked by package.json) whose real path is known.
struct Project {
    testsupport::TempDir temp;
    fs::path root;
    Project() {
        temp.write("site/package.json", "{\"name\":\"site\"}\n");
        root = fs::canonical(temp.path() / "site");
    }
};

TEST(ScanCommand, PythonWebServerInAProject) {
    auto python = program({"/usr/bin/python3"});
    if (!python) GTEST_SKIP() << "python3 from Debian is not installed";
    Project project;
    auto server = ChildProcess::spawn({*python, "-u", "-m", "http.server", "--bind", "127.0.0.1", "0"}, std::nullopt,
                                      project.root.string());
    auto line = server.readLine();  // Serving HTTP on 127.0.0.1 port N (...)
    auto at = line.find(" port ");
    ASSERT_NE(at, std::string::npos) << line;
    int port = std::stoi(line.substr(at + 6));

    auto rows = rowsOf(scanReport(), server.pid());
    const auto* row = onPort(rows, port);
    ASSERT_TRUE(row) << "no row for the Python server on port " << port;
    EXPECT_EQ(row->bindScope, BindScope::loopbackOnly);
    EXPECT_EQ(row->bindSignature.tokens, std::vector{BindSignature::Token::loopback()});
    EXPECT_EQ(row->endpoints, (std::vector<BoundEndpoint>{{"127.0.0.1", AddressFamily::ipv4, port}}));
    EXPECT_EQ(row->classification.runtime, Runtime::python);
    EXPECT_EQ(row->classification.framework, std::nullopt);
    EXPECT_EQ(row->classification.label, "Python");
    EXPECT_EQ(row->project, (ListenerProject{"site", project.root.string()}));
    EXPECT_EQ(row->visibility, VisibilityClass::defaultVisible);
    EXPECT_EQ(row->workerPoolSize, 1);
    EXPECT_FALSE(row->identity.isPool);
    EXPECT_EQ(row->id(), fmt::format("proc:{}:{}.{}:TCP:{}:0", server.pid(), row->process->identity.startTimeSeconds,
                                     row->process->identity.startTimeMicroseconds, port));
    EXPECT_EQ(row->openableURL(), fmt::format("http://localhost:{}", port));
    ASSERT_TRUE(row->process->argv);
    EXPECT_EQ(row->process->argv->at(3), "http.server");
    EXPECT_FALSE(row->isInQuaylightSubtree);
}

TEST(ScanCommand, NodeServerOnAllInterfacesAndLoopback) {
    auto node = program({"/usr/bin/node", "/usr/local/bin/node"});
    if (!node) GTEST_SKIP() << "node is not installed";
    Project project;
    // Installed where a Vite project keeps its command, so its argv reads like one.
    auto script = project.temp.write("site/node_modules/.bin/vite", R"JS(
const http = require('http');
const hosts = ['::', '127.0.0.1'];
const ports = [];
let waiting = hosts.length;
hosts.forEach((host, i) => {
  const server = http.createServer((request, response) => response.end('ok'));
  server.listen(0, host, () => {
    ports[i] = server.address().port;
    if (--waiting === 0) console.log('ports ' + ports.join(' '));
  });
});
process.stdin.on('end', () => process.exit(0));
process.stdin.resume();
)JS");
    auto server = ChildProcess::spawn({*node, fs::canonical(script).string()}, std::nullopt, project.root.string());
    auto ports = testsupport::numbersAfter(server.readLine(), "ports");
    ASSERT_EQ(ports.size(), 2u);

    auto rows = rowsOf(scanReport(), server.pid());
    const auto* wildcard = onPort(rows, ports[0]);
    const auto* loopback = onPort(rows, ports[1]);
    ASSERT_TRUE(wildcard && loopback) << rows.size() << " rows";
    EXPECT_EQ(wildcard->bindScope, BindScope::allInterfaces);
    EXPECT_EQ(wildcard->endpoints, (std::vector<BoundEndpoint>{{"::", AddressFamily::ipv6, ports[0]}}));
    EXPECT_EQ(wildcard->bindSignature.tokens, std::vector{BindSignature::Token::allInterfaces()});
    EXPECT_EQ(wildcard->openableURL(), fmt::format("http://localhost:{}", ports[0]));
    EXPECT_EQ(loopback->bindScope, BindScope::loopbackOnly);
    for (const auto* row : {wildcard, loopback}) {
        EXPECT_EQ(row->classification.runtime, Runtime::node);
        EXPECT_EQ(row->classification.framework, Framework::vite);
        EXPECT_EQ(row->classification.confidence, Confidence::high);
        EXPECT_EQ(row->classification.label, "Node \u00b7 Vite");
        EXPECT_EQ(row->project, (ListenerProject{"site", project.root.string()}));
        EXPECT_EQ(row->visibility, VisibilityClass::defaultVisible);
    }
}

TEST(ScanCommand, PreForkWorkersSharingOneSocketAreOnePool) {
    Project project;
    fs::create_directories(project.root / "server");
    const auto executable = project.temp.path() / "pool-srv";  // short, so the table shows the pool size
    fs::copy_file(testsupport::fixtureProcessPath(), executable);
    fs::permissions(executable, fs::perms::owner_all);
    auto supervisor = ChildProcess::spawn({executable.string(), "--listen", "127.0.0.1", "--workers", "3"}, std::nullopt,
                                          (project.root / "server").string());
    int port = testsupport::numbersAfter(supervisor.readLine(), "ports").at(0);
    auto workers = testsupport::numbersAfter(supervisor.readLine(), "workers");
    ASSERT_EQ(workers.size(), 3u);

    auto rows = rowsOf(scanReport(), supervisor.pid());
    ASSERT_EQ(rows.size(), 2u);
    const PortListener* pool = rows[0].isWorkerPool() ? &rows[0] : &rows[1];
    const PortListener* parent = rows[0].isWorkerPool() ? &rows[1] : &rows[0];
    EXPECT_EQ(pool->port, port);
    EXPECT_EQ(pool->workerPoolSize, 3);
    EXPECT_TRUE(pool->identity.isPool);
    EXPECT_EQ(pool->identity.process.pid, supervisor.pid());
    EXPECT_EQ(pool->parentIdentity, pool->identity.process);
    EXPECT_EQ(pool->identity.executablePath, fs::canonical(executable).string());
    EXPECT_EQ(pool->process->identity.pid, *std::min_element(workers.begin(), workers.end()));
    EXPECT_EQ(pool->project, (ListenerProject{"site", project.root.string()}));
    EXPECT_TRUE(pool->id().starts_with(fmt::format("pool:{}:", supervisor.pid())));
    EXPECT_EQ(parent->process->identity.pid, supervisor.pid());
    EXPECT_EQ(parent->workerPoolSize, 1);
    EXPECT_EQ(parent->port, port);

    auto table = runQuaylight({"scan"});
    EXPECT_EQ(table.status, 0);
    EXPECT_NE(table.out.find(fmt::format("{:<7}TCP   pool-srv \u00d73           {:<8}Unknown", port,
                                         pool->process->identity.pid)),
              std::string::npos)
        << table.out;
    EXPECT_NE(table.out.find(fmt::format("{:<7}TCP   pool-srv              {:<8}Unknown               localhost\n",
                                         port, supervisor.pid())),
              std::string::npos);
}

// The first IPv4 address of an interface that is up and not the loopback, if any.
std::optional<std::string> interfaceAddress() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return std::nullopt;
    std::optional<std::string> found;
    for (auto* entry = list; entry && !found; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
        if (!(entry->ifa_flags & IFF_UP) || (entry->ifa_flags & IFF_LOOPBACK)) continue;
        char text[INET_ADDRSTRLEN];
        auto* address = &reinterpret_cast<sockaddr_in*>(entry->ifa_addr)->sin_addr;
        if (inet_ntop(AF_INET, address, text, sizeof text)) found = text;
    }
    freeifaddrs(list);
    return found;
}

TEST(ScanCommand, SpecificAddresses) {
    std::vector<std::string> argv{testsupport::fixtureProcessPath(), "--listen", "127.0.0.2"};
    auto specific = interfaceAddress();
    if (specific) argv.insert(argv.end(), {"--listen", *specific});
    auto child = ChildProcess::spawn(argv, std::nullopt, "/");
    auto ports = testsupport::numbersAfter(child.readLine(), "ports");

    auto rows = rowsOf(scanReport(), child.pid());
    const auto* second = onPort(rows, ports.at(0));
    ASSERT_TRUE(second);
    EXPECT_EQ(second->bindScope, BindScope::loopbackOnly);  // all of 127.0.0.0/8 is the loopback
    EXPECT_EQ(second->endpoints, (std::vector<BoundEndpoint>{{"127.0.0.2", AddressFamily::ipv4, ports[0]}}));
    EXPECT_EQ(second->openableURL(), fmt::format("http://localhost:{}", ports[0]));
    EXPECT_EQ(second->project, std::nullopt);  // working in "/"
    EXPECT_EQ(second->classification, ServiceClassification::unknown());
    if (!specific) GTEST_SKIP() << "no interface address besides the loopback";
    const auto* interface = onPort(rows, ports.at(1));
    ASSERT_TRUE(interface);
    EXPECT_EQ(interface->bindScope, BindScope::specificInterface);
    EXPECT_EQ(interface->bindSignature.tokens, std::vector{BindSignature::Token::specific(*specific)});
    EXPECT_EQ(interface->openableURL(), fmt::format("http://{}:{}", *specific, ports[1]));
    EXPECT_EQ(interface->id(),
              fmt::format("proc:{}:{}.{}:TCP:{}:2:{}", child.pid(), interface->process->identity.startTimeSeconds,
                          interface->process->identity.startTimeMicroseconds, ports[1], *specific));
}

// Java on Linux binds IPv4 addresses through IPv6 sockets: the kernel lists them mapped.
TEST(ScanCommand, IPv4MappedAddressesTakeTheScopeOfTheirIPv4Address) {
    auto child = ChildProcess::spawn(
        {testsupport::fixtureProcessPath(), "--listen", "::ffff:127.0.0.1", "--listen", "::ffff:0.0.0.0"}, std::nullopt,
        "/");
    auto ports = testsupport::numbersAfter(child.readLine(), "ports");
    ASSERT_EQ(ports.size(), 2u);

    auto rows = rowsOf(scanReport(), child.pid());
    const auto* loopback = onPort(rows, ports[0]);
    ASSERT_TRUE(loopback);
    EXPECT_EQ(loopback->endpoints, (std::vector<BoundEndpoint>{{"::ffff:127.0.0.1", AddressFamily::ipv6, ports[0]}}));
    EXPECT_EQ(loopback->bindScope, BindScope::loopbackOnly);
    EXPECT_EQ(loopback->bindSignature.tokens, std::vector{BindSignature::Token::loopback()});
    EXPECT_EQ(loopback->openableURL(), fmt::format("http://localhost:{}", ports[0]));
    const auto* wildcard = onPort(rows, ports[1]);
    ASSERT_TRUE(wildcard);
    EXPECT_EQ(wildcard->bindScope, BindScope::allInterfaces);
    EXPECT_EQ(wildcard->bindSignature.tokens, std::vector{BindSignature::Token::allInterfaces()});

    auto table = runQuaylight({"scan"});
    EXPECT_NE(table.out.find(fmt::format("{:<8}Unknown               localhost\n", child.pid())), std::string::npos)
        << table.out;
    EXPECT_NE(table.out.find(fmt::format("{:<8}Unknown               all-interfaces\n", child.pid())),
              std::string::npos)
        << table.out;
}

// Two servers one parent started on one port, on two addresses: two servers, not a pool.
TEST(ScanCommand, ServersOfOneParentOnOtherAddressesOfOnePortAreTwoRows) {
    auto python = program({"/usr/bin/python3"});
    if (!python) GTEST_SKIP() << "python3 from Debian is not installed";
    for (const char* second : {"::1", "127.0.0.4"}) {
        auto first = ChildProcess::spawn({*python, "-u", "-m", "http.server", "--bind", "127.0.0.1", "0"}, std::nullopt,
                                         "/");
        auto line = first.readLine();  // Serving HTTP on 127.0.0.1 port N (...)
        auto at = line.find(" port ");
        ASSERT_NE(at, std::string::npos) << line;
        int port = std::stoi(line.substr(at + 6));
        auto other = ChildProcess::spawn({*python, "-u", "-m", "http.server", "--bind", second, std::to_string(port)},
                                         std::nullopt, "/");
        if (other.readLine().find(" port ") == std::string::npos) {
            GTEST_SKIP() << "cannot listen on " << second;
        }

        auto report = scanReport();
        auto firstRows = rowsOf(report, first.pid());
        auto otherRows = rowsOf(report, other.pid());
        ASSERT_EQ(firstRows.size(), 1u) << second;
        ASSERT_EQ(otherRows.size(), 1u) << second;
        EXPECT_EQ(firstRows[0].workerPoolSize, 1);
        EXPECT_FALSE(firstRows[0].identity.isPool);
        EXPECT_EQ(firstRows[0].endpoints, (std::vector<BoundEndpoint>{{"127.0.0.1", AddressFamily::ipv4, port}}));
        EXPECT_EQ(otherRows[0].workerPoolSize, 1);
        EXPECT_FALSE(otherRows[0].identity.isPool);
        EXPECT_EQ(otherRows[0].endpoints.at(0).address, second);
        EXPECT_NE(firstRows[0].id(), otherRows[0].id());
    }
}

// The fixture process run under an executable name of the test's choosing, listening on
// 127.0.0.1, and its port.
std::pair<ChildProcess, int> listenerNamed(const testsupport::TempDir& temp, const std::string& name) {
    const auto executable = temp.path() / name;
    fs::copy_file(testsupport::fixtureProcessPath(), executable);
    fs::permissions(executable, fs::perms::owner_all);
    auto child = ChildProcess::spawn({executable.string(), "--listen", "127.0.0.1"});
    int port = testsupport::numbersAfter(child.readLine(), "ports").at(0);
    return {std::move(child), port};
}

// A control character could drive the terminal, and a right-to-left override would make
// it draw the rest of the line backwards ("evil\u202egpj.exe" reads as "evilexe.jpg"):
// the table shows each as "?", as the panel does; the report keeps the name, escaped.
TEST(ScanCommand, UntrustedProgramNamesAreShownSafely) {
    struct Case {
        std::string name, raw, cell, kept, escaped;
    };
    const Case cases[] = {
        {"evil\x1b[31mname\xff", "\x1b", "evil?[31mname\ufffd", "evil\x1b[31mname\ufffd", "evil\\u001b[31mname\ufffd"},
        {"evil\u202egpj.exe", "\u202e", "evil?gpj.exe          ", "evil\u202egpj.exe", "evil\\u202egpj.exe"},
        {"\u2067a\u200fb\u2069", "\u2067", "?a?b?                 ", "\u2067a\u200fb\u2069", "\\u2067a\\u200fb\\u2069"},
    };
    for (const auto& c : cases) {
        testsupport::TempDir temp;
        auto [child, port] = listenerNamed(temp, c.name);

        auto table = runQuaylight({"scan"});
        EXPECT_EQ(table.status, 0);
        EXPECT_EQ(table.out.find(c.raw), std::string::npos) << c.cell;
        EXPECT_NE(table.out.find(fmt::format("{:<7}TCP   {}", port, c.cell)), std::string::npos) << table.out;

        auto json = runQuaylight({"scan", "--json"});
        EXPECT_EQ(json.status, 0);
        EXPECT_EQ(json.out.find(c.raw), std::string::npos) << c.cell;
        EXPECT_NE(json.out.find(c.escaped), std::string::npos) << c.cell;
        const auto rows = rowsOf(nlohmann::json::parse(json.out), child.pid());
        const auto* row = onPort(rows, port);
        ASSERT_TRUE(row);
        EXPECT_TRUE(row->process->executablePath->ends_with("/" + c.kept)) << *row->process->executablePath;
    }
}

// A CJK or emoji name takes two columns per character on screen: the PID column stays
// where the header puts it.
TEST(ScanCommand, WideNamesKeepTheColumnsInPlace) {
    const std::pair<const char*, const char*> names[] = {
        {"\u670d\u52a1\u5668\U0001F680", "\u670d\u52a1\u5668\U0001F680              "},  // 8 of 22 columns
        {"\u30b5\u30fc\u30d0\u30fc\u30d7\u30ed\u30bb\u30b9\u540d\u524d\u304c\u9577\u3044",
         "\u30b5\u30fc\u30d0\u30fc\u30d7\u30ed\u30bb\u30b9\u540d\u524d  "},  // cut at 20 of 21 columns
    };
    for (const auto& [name, cell] : names) {
        testsupport::TempDir temp;
        auto [child, port] = listenerNamed(temp, name);
        auto table = runQuaylight({"scan"});
        EXPECT_EQ(table.status, 0);
        EXPECT_NE(table.out.find(fmt::format("{:<7}TCP   {}{:<8}Unknown", port, cell, child.pid())), std::string::npos)
            << table.out;
    }
}

TEST(ScanCommand, HiddenRowsOnlyWithAllAndCountsUnchanged) {
    auto plain = scanReport();
    auto all = scanReport({"--all"});
    for (const auto* report : {&plain, &all}) {
        std::int64_t visible = 0;
        for (const auto& row : report->at("listeners")) visible += row["visibility"] == "defaultVisible" ? 1 : 0;
        EXPECT_EQ(report->at("visibleCount").get<std::int64_t>(), visible);
        EXPECT_GT(report->at("processCount").get<std::int64_t>(), 1);
        EXPECT_TRUE(report->at("scannedAt").get<std::string>().ends_with("Z"));
    }
    for (const auto& row : plain.at("listeners")) EXPECT_EQ(row["visibility"], "defaultVisible");
}

TEST(ScanCommand, AFailedWriteIsAnError) {
    if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    for (std::vector<std::string> arguments : {std::vector<std::string>{"scan"}, {"--scan", "--json"}}) {
        auto run = runQuaylight(arguments, "/dev/full");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "error: failed to write scan output\n");
    }
}

}  // namespace
}  // namespace quaylight
