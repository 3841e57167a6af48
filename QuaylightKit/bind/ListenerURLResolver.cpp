#include "QuaylightKit/bind/ListenerURLResolver.h"

#include <algorithm>
#include <string_view>

#include <fmt/format.h>

#include "ProcessCoreKit/support/Text.h"

namespace quaylight {
namespace {

std::string normalisedArgument(std::string_view argument) {
    return asciiLowercased(trimmedASCIIWhitespace(argument));
}

template <std::size_t N>
bool isOneOf(std::string_view text, const std::array<std::string_view, N>& words) {
    return std::find(words.begin(), words.end(), text) != words.end();
}

constexpr std::array<std::string_view, 6> kOptOuts{"--no-https", "--no-ssl", "--no-tls", "https=false", "ssl=false",
                                                   "tls=false"};
constexpr std::array<std::string_view, 9> kOptIns{"--https",        "--ssl",          "--tls",
                                                  "--secure",       "https=true",     "ssl=true",
                                                  "tls=true",       "--scheme=https", "--protocol=https"};
constexpr std::array<std::string_view, 9> kCertificateFlags{"--cert",      "--certificate", "--key",
                                                            "--ssl-cert",  "--ssl-key",     "--tls-cert",
                                                            "--tls-key",   "--https-cert",  "--https-key"};

bool isTLSOptIn(std::string_view argument) {
    if (argument.find("https://") != std::string_view::npos) return true;
    if (isOneOf(argument, kOptIns)) return true;
    return isOneOf(argument.substr(0, argument.find('=')), kCertificateFlags);
}

// Hosts come from the kernel's address text; anything beyond these characters would not
// make a URL a browser accepts.
bool isValidHost(std::string_view host) {
    if (host.empty()) return false;
    return std::all_of(host.begin(), host.end(), [](unsigned char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == ':' ||
               c == '-' || c == '[' || c == ']';
    });
}

}  // namespace

std::string ListenerURLResolver::scheme(std::int64_t port, const std::optional<std::vector<std::string>>& argv) {
    std::vector<std::string> arguments;
    if (argv) {
        arguments.reserve(argv->size());
        for (const auto& argument : *argv) arguments.push_back(normalisedArgument(argument));
    }
    for (const auto& argument : arguments)
        if (isOneOf(std::string_view(argument), kOptOuts)) return "http";
    if (std::find(conventionalHTTPSPorts.begin(), conventionalHTTPSPorts.end(), port) != conventionalHTTPSPorts.end())
        return "https";
    for (const auto& argument : arguments)
        if (isTLSOptIn(argument)) return "https";
    return "http";
}

std::optional<std::string> ListenerURLResolver::url(std::int64_t port, const std::vector<BoundEndpoint>& endpoints,
                                                    const std::optional<std::vector<std::string>>& argv) {
    std::string host = "localhost";
    bool anyLoopback = std::any_of(endpoints.begin(), endpoints.end(), [](const auto& e) { return e.isLoopback(); });
    if (!anyLoopback) {
        auto specific =
            std::find_if(endpoints.begin(), endpoints.end(), [](const auto& e) { return !e.isAllInterfaces(); });
        if (specific != endpoints.end())
            host = specific->family == AddressFamily::ipv6 && !specific->isIPv4Mapped()
                       ? "[" + specific->address + "]"
                       : std::string(specific->effectiveAddress());
    }
    if (!isValidHost(host) || port < 0 || port > 65535) return std::nullopt;
    return fmt::format("{}://{}:{}", scheme(port, argv), host, port);
}

}  // namespace quaylight
