#include "QuaylightKit/project/PathStandardization.h"

#include <vector>

namespace quaylight {

std::string standardizedPath(std::string_view path) {
    if (path.empty()) return {};
    const bool absolute = path.front() == '/';
    std::vector<std::string_view> parts;
    std::size_t pos = 0;
    while (pos <= path.size()) {
        auto end = path.find('/', pos);
        if (end == std::string_view::npos) end = path.size();
        std::string_view part = path.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..") {
                parts.pop_back();
                continue;
            }
            if (absolute) continue;  // nothing lies above the root
        }
        parts.push_back(part);
    }
    std::string result = absolute ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) result += '/';
        result += parts[i];
    }
    if (result.empty()) return absolute ? "/" : ".";
    return result;
}

std::string lastPathComponent(std::string_view standardized) {
    if (standardized == "/") return "/";
    auto slash = standardized.rfind('/');
    return std::string(slash == std::string_view::npos ? standardized : standardized.substr(slash + 1));
}

std::string deletingLastPathComponent(std::string_view standardized) {
    auto slash = standardized.rfind('/');
    if (slash == std::string_view::npos) return {};
    if (slash == 0) return "/";
    return std::string(standardized.substr(0, slash));
}

std::string appendingPathComponent(std::string_view standardized, std::string_view name) {
    std::string joined(standardized);
    if (joined.empty() || joined.back() != '/') joined += '/';
    joined += name;
    return joined;
}

std::string parentFolder(std::string_view path) {
    auto end = path.find_last_not_of('/');
    if (end == std::string_view::npos) return "/";
    auto slash = path.find_last_of('/', end);
    if (slash == std::string_view::npos) return ".";
    auto parentEnd = path.find_last_not_of('/', slash);
    return parentEnd == std::string_view::npos ? "/" : std::string(path.substr(0, parentEnd + 1));
}

}  // namespace quaylight
