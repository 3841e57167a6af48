#pragma once
// The support mail: a mailto link to the build's support address with a subject and a
// body that name the application's and the system's versions. Every value is
// percent-encoded keeping only the unreserved characters, line breaks as CRLF.

#include <optional>
#include <string>
#include <string_view>

namespace quaylight::SupportLink {

// The support address this build was configured with (QUAYLIGHT_SUPPORT_ADDRESS), empty
// when none.
std::string_view configuredAddress();

// mailto:<address>?subject=Quaylight%20<version>%20feedback&body=..., or nothing when the
// address is empty. The body: "What can we help with?", an empty line, "Linux: " + the
// system's name when known, "Quaylight: " + the version or "unknown".
std::optional<std::string> emailURL(std::string_view address, std::optional<std::string> version,
                                    std::optional<std::string> osVersion);

// PRETTY_NAME of an os-release file ("Debian GNU/Linux 12 (bookworm)"), or nothing.
std::optional<std::string> osPrettyName(const std::string& osReleasePath = "/etc/os-release");
// PRETTY_NAME from the text of an os-release file (quotes and escapes removed).
std::optional<std::string> prettyNameFromOsRelease(std::string_view text);

// RFC 3986 percent-encoding of every byte but the unreserved characters.
std::string percentEncoded(std::string_view text);

}  // namespace quaylight::SupportLink
