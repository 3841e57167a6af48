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

bool isNeutralisedForDisplay(char32_t c) {
    const bool control = c < 0x20 || (c >= 0x7f && c <= 0x9f);
    const bool bidi = c == 0x061c || c == 0x200e || c == 0x200f || (c >= 0x202a && c <= 0x202e) ||
                      (c >= 0x2066 && c <= 0x2069);
    return control || bidi;
}

std::string neutralisedDisplayText(std::string_view bytes) {
    const std::string valid = decodeUtf8Lossy(bytes);
    std::string out;
    out.reserve(valid.size());
    for (auto it = valid.begin(); it != valid.end();) {
        auto start = it;
        if (isNeutralisedForDisplay(utf8::next(it, valid.end())))
            out += '?';
        else
            out.append(start, it);
    }
    return out;
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

std::string asciiLowercased(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::string_view trimmedASCIIWhitespace(std::string_view text) {
    constexpr std::string_view blanks = " \t\n\v\f\r";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace quaylight
