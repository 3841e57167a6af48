#pragma once
// Which URL the open-in-browser action uses for a listener.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "QuaylightKit/bind/BoundEndpoint.h"

namespace quaylight {

struct ListenerURLResolver {
    static constexpr std::array<std::int64_t, 7> conventionalHTTPSPorts{443, 4443, 5443, 7443, 8443, 9443, 10443};

    // "https" for a conventional TLS port or an explicit TLS argument, unless an argument
    // opts out; "http" otherwise.
    static std::string scheme(std::int64_t port, const std::optional<std::vector<std::string>>& argv);

    // scheme://host:port with "localhost" for loopback or wildcard-only listeners, else the
    // first specific address (IPv6 in brackets); no value when that text is no valid URL.
    static std::optional<std::string> url(std::int64_t port, const std::vector<BoundEndpoint>& endpoints,
                                          const std::optional<std::vector<std::string>>& argv);
};

}  // namespace quaylight
