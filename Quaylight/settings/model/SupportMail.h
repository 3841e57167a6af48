#pragma once
// The footer's version text and the support mail link: subject and body carry the
// application's version and the distribution's name, each value percent-encoded so that
// no character of it can be read as part of the link's own syntax.

#include <optional>
#include <string>
#include <string_view>

namespace quaylight {

struct SupportMail {
    // "VERSION 1.4.0"; nothing without a version.
    static std::optional<std::string> versionText(const std::optional<std::string>& version);

    static std::string subject(const std::optional<std::string>& version);
    // Lines end in CRLF, as mail bodies do.
    static std::string body(const std::optional<std::string>& version, const std::optional<std::string>& osName);

    // "mailto:<address>?subject=…&body=…"; nothing when no address is configured.
    static std::optional<std::string> emailURL(std::string_view address, const std::optional<std::string>& version,
                                               const std::optional<std::string>& osName);

    // Every byte except the unreserved characters (letters, digits, "-", ".", "_", "~")
    // as %XX; `keep` lists further characters left as they are.
    static std::string percentEncode(std::string_view text, std::string_view keep = {});

    // PRETTY_NAME of an os-release file's text, unquoted and unescaped; nothing when the
    // line is missing or empty.
    static std::optional<std::string> prettyName(std::string_view osReleaseText);
    // PRETTY_NAME of /etc/os-release (or /usr/lib/os-release when that is missing).
    static std::optional<std::string> systemPrettyName(std::string_view etcPath = "/etc/os-release",
                                                       std::string_view libPath = "/usr/lib/os-release");
};

}  // namespace quaylight
