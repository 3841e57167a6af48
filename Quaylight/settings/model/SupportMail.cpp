#include "Quaylight/settings/model/SupportMail.h"

#include <fstream>
#include <sstream>

namespace quaylight {
namespace {

bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

std::string unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        const char quote = value.front();
        value = value.substr(1, value.size() - 2);
        std::string out;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (quote == '"' && value[i] == '\\' && i + 1 < value.size()) ++i;
            out += value[i];
        }
        return out;
    }
    return std::string(value);
}

std::optional<std::string> readFile(std::string_view path) {
    std::ifstream in{std::string(path)};
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::optional<std::string> SupportMail::versionText(const std::optional<std::string>& version) {
    if (!version || version->empty()) return std::nullopt;
    return "VERSION " + *version;
}

std::string SupportMail::subject(const std::optional<std::string>& version) {
    std::string s = "Quaylight";
    if (version && !version->empty()) s += " " + *version;
    return s + " feedback";
}

std::string SupportMail::body(const std::optional<std::string>& version, const std::optional<std::string>& osName) {
    std::string s = "What can we help with?\r\n\r\n";
    if (osName && !osName->empty()) s += "Linux: " + *osName + "\r\n";
    s += "Quaylight: " + (version && !version->empty() ? *version : std::string("unknown")) + "\r\n";
    return s;
}

std::optional<std::string> SupportMail::emailURL(std::string_view address, const std::optional<std::string>& version,
                                                 const std::optional<std::string>& osName) {
    if (address.empty()) return std::nullopt;
    return "mailto:" + percentEncode(address, "@") + "?subject=" + percentEncode(subject(version)) +
           "&body=" + percentEncode(body(version, osName));
}

std::string SupportMail::percentEncode(std::string_view text, std::string_view keep) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (isUnreserved(c) || keep.find(ch) != std::string_view::npos) {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
    }
    return out;
}

std::optional<std::string> SupportMail::prettyName(std::string_view osReleaseText) {
    std::optional<std::string> found;
    std::size_t start = 0;
    while (start <= osReleaseText.size()) {
        std::size_t end = osReleaseText.find('\n', start);
        if (end == std::string_view::npos) end = osReleaseText.size();
        std::string_view line = osReleaseText.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        constexpr std::string_view key = "PRETTY_NAME=";
        if (line.substr(0, key.size()) == key) found = unquoted(line.substr(key.size()));  // the last one counts
        start = end + 1;
    }
    if (!found || found->empty()) return std::nullopt;
    return found;
}

std::optional<std::string> SupportMail::systemPrettyName(std::string_view etcPath, std::string_view libPath) {
    auto text = readFile(etcPath);
    if (!text) text = readFile(libPath);
    if (!text) return std::nullopt;
    return prettyName(*text);
}

}  // namespace quaylight
