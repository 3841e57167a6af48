#include "ProcessCoreKit/safety/SystemClassifier.h"

#include <sys/stat.h>


namespace quaylight {
namespace {

std::optional<SystemClassifier::FileFacts> statFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return SystemClassifier::FileFacts{S_ISREG(st.st_mode), st.st_uid, static_cast<unsigned>(st.st_mode & 07777)};
}

}  // namespace

SystemClassifier::SystemClassifier() : lookup_(statFile) {}
SystemClassifier::SystemClassifier(FileFactsLookup lookup) : lookup_(std::move(lookup)) {}

bool SystemClassifier::isVendorSystemLocation(std::string_view path) {
    for (std::string_view prefix : {"/usr/sbin/", "/sbin/", "/usr/libexec/", "/usr/lib/systemd/", "/lib/systemd/"})
        if (path.starts_with(prefix)) return true;
    if (path.starts_with("/usr/lib/jvm/")) return false;
    return (path.starts_with("/usr/lib/") || path.starts_with("/lib/")) && path.find("/libexec/") != std::string_view::npos;
}

bool SystemClassifier::isStrongSystemBackground(const std::optional<std::string>& executablePath) {
    if (!executablePath || !isVendorSystemLocation(*executablePath)) return false;
    return isVendorSystemExecutable(*executablePath);
}

bool SystemClassifier::isVendorSystemExecutable(const std::string& path) {
    if (auto it = cache_.find(path); it != cache_.end()) return it->second;
    auto facts = lookup_(path);
    bool system = facts && facts->regularFile && facts->ownerUID == 0 && (facts->mode & 022) == 0;
    cache_.emplace(path, system);
    return system;
}

}  // namespace quaylight
