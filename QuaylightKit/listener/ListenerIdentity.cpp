#include "QuaylightKit/listener/ListenerIdentity.h"

#include <fmt/format.h>

namespace quaylight {

std::string ListenerIdentity::stableID() const {
    std::string tokens;
    for (std::size_t i = 0; i < bindSignature.tokens.size(); ++i) {
        if (i > 0) tokens += ',';
        tokens += bindSignature.tokens[i].sortKey();
    }
    std::string id = fmt::format("{}:{}:{}.{}:{}:{}:{}", isPool ? "pool" : "proc", process.pid,
                                 process.startTimeSeconds, process.startTimeMicroseconds, rawValue(proto), port, tokens);
    if (executablePath) {
        id += ':';
        id += *executablePath;
    }
    return id;
}

}  // namespace quaylight
