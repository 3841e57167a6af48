#include "Quaylight/shell/platform/SupportLink.h"

#include <fstream>
#include <sstream>

#ifndef QUAYLIGHT_SUPPORT_ADDRESS
#define QUAYLIGHT_SUPPORT_ADDRESS ""
#endif

namespace quaylight::SupportLink {

namespace {

bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
           c == '~';
}

std::string withCRLF(std::string_view text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (text[i] == '\n' || text[i] == '\r') {
            result += "\r\n";
            continue;
        }
        result += text[i];
    }
    return result;
}

}  // namespace

std::string_view configuredAddress() { return QUAYLIGHT_SUPPORT_ADDRESS; }

std::string percentEncoded(std::string_view text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string result;
    for (char signedByte : text) {
        const auto c = static_cast<unsigned char>(signedByte);
        if (isUnreserved(c)) {
            result += static_cast<char>(c);
        } else {
            result += '%';
            result += hex[c >> 4];
            result += hex[c & 0xf];
        }
    }
    return result;
}

std::optional<std::string> emailURL(std::string_view address, std::optional<std::string> version,
                                    std::optional<std::string> osVersion) {
    if (address.empty()) return std::nullopt;
    std::string subject = "Quaylight";
    if (version) subject += " " + *version;
    subject += " feedback";
    std::string body = "What can we help with?\n\n";
    if (osVersion) body += "Linux: " + *osVersion + "\n";
    body += "Quaylight: " + version.value_or("unknown") + "\n";
    // The address keeps its "@": it separates the parts of the one recipient.
    std::string encodedAddress;
    const auto at = address.rfind('@');
    if (at == std::string_view::npos) {
        encodedAddress = percentEncoded(address);
    } else {
        encodedAddress = percentEncoded(address.substr(0, at)) + "@" + percentEncoded(address.substr(at + 1));
    }
    return "mailto:" + encodedAddress + "?subject=" + percentEncoded(withCRLF(subject)) + "&body=" + percentEncoded(withCRLF(body));
}

std::optional<std::string> prettyNameFromOsRelease(std::string_view text) {
    std::istringstream lines{std::string(text)};
    std::string line;
    std::optional<std::string> found;
    while (std::getline(lines, line)) {
        if (!line.starts_with("PRETTY_NAME=")) continue;
        std::string_view value = std::string_view(line).substr(12);
        std::string unquoted;
        if (!value.empty() && (value.front() == '"' || value.front() == '\'')) {
            const char quote = value.front();
            for (std::size_t i = 1; i < value.size() && value[i] != quote; ++i) {
                if (quote == '"' && value[i] == '\\' && i + 1 < value.size()) ++i;
                unquoted += value[i];
            }
        } else {
            unquoted = std::string(value);
        }
        found = unquoted;  // the last assignment wins, as in a shell
    }
    if (found && found->empty()) return std::nullopt;
    return found;
}

std::optional<std::string> osPrettyName(const std::string& osReleasePath) {
    std::ifstream file(osReleasePath);
    if (!file) return std::nullopt;
    std::stringstream text;
    text << file.rdbuf();
    return prettyNameFromOsRelease(text.str());
}

}  // namespace quaylight::SupportLink
