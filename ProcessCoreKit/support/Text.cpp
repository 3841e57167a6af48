#include "ProcessCoreKit/support/Text.h"

#include <iterator>

#include <utf8.h>

namespace quaylight {

std::string decodeUtf8Lossy(std::string_view bytes) {
    if (utf8::is_valid(bytes.begin(), bytes.end())) return std::string(bytes);
    std::string repaired;
    repaired.reserve(bytes.size() + 8);
    utf8::replace_invalid(bytes.begin(), bytes.end(), std::back_inserter(repaired));
    return repaired;
}

std::optional<std::string> pathBasename(std::string_view path) {
    while (!path.empty() && path.back() == '/') path.remove_suffix(1);
    if (path.empty()) return std::nullopt;
    auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::optional<std::string> basenameOrName(const std::optional<std::string>& path,
                                          const std::optional<std::string>& name) {
    if (path) {
        if (auto base = pathBasename(*path)) return base;
    }
    return name;
}

}  // namespace quaylight
