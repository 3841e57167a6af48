#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>


namespace quaylight {

// Whether an executable belongs to the operating system itself: a root-owned regular file,
// writable by nobody else, in a location only the system installs to. /usr/bin, /bin and
// /usr/lib/jvm never count: they hold the node, python, ruby and java that users' own
// servers run on, and those servers must stay visible and stoppable.
//
// Caches its answer per path; not safe to share between threads (one per batch).
class SystemClassifier {
public:
    struct FileFacts {
        bool regularFile = false;
        unsigned ownerUID = 0;
        unsigned mode = 0;  // permission bits
    };
    using FileFactsLookup = std::function<std::optional<FileFacts>(const std::string& path)>;

    SystemClassifier();  // reads the file system
    explicit SystemClassifier(FileFactsLookup lookup);

    // Locations of the system's own processes, used with a process name to recognise the
    // session's core processes.
    static constexpr std::array<std::string_view, 9> systemPrefixes{
        "/System/", "/usr/libexec/", "/usr/sbin/", "/usr/lib/", "/usr/bin/", "/sbin/", "/bin/", "/Library/Apple/", "/lib/",
    };

    bool isStrongSystemBackground(const std::optional<std::string>& executablePath);

    // The location rule alone.
    static bool isVendorSystemLocation(std::string_view path);

private:
    bool isVendorSystemExecutable(const std::string& path);

    FileFactsLookup lookup_;
    std::unordered_map<std::string, bool> cache_;
};

}  // namespace quaylight
