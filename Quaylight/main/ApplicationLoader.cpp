#include "Quaylight/main/ApplicationLoader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "Quaylight/InstallPaths.h"
#include "Quaylight/main/ApplicationEntry.h"

namespace quaylight {

namespace {

constexpr const char* libraryName = "libquaylight-app.so";

std::string executablePath() {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

}  // namespace

std::vector<std::string> applicationLibraryCandidates(const std::string& executablePath) {
    auto folder = std::filesystem::path(executablePath).parent_path();
    return {
        (folder / libraryName).string(),
        (folder / installPaths::libraryFromBinaryFolder / libraryName).lexically_normal().string(),
    };
}

int runApplicationLibrary(int argc, char** argv) {
    auto exe = executablePath();
    if (exe.empty()) {
        std::fputs("error: Quaylight cannot find its own executable, so it cannot load the application.\n", stderr);
        return 1;
    }
    std::string lastError;
    for (const auto& candidate : applicationLibraryCandidates(exe)) {
        if (access(candidate.c_str(), F_OK) != 0) continue;
        void* library = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            const char* reason = dlerror();
            lastError = reason ? reason : candidate;
            continue;
        }
        auto run = reinterpret_cast<QuaylightRunApplication>(dlsym(library, QUAYLIGHT_APPLICATION_ENTRY));
        if (run == nullptr) {
            lastError = candidate + " has no entry point " QUAYLIGHT_APPLICATION_ENTRY;
            continue;
        }
        // The library stays loaded until the process ends: Qt registers exit handlers.
        return run(argc, argv);
    }
    if (lastError.empty()) {
        std::fprintf(stderr, "error: Quaylight could not find %s beside its executable or in %s.\n", libraryName,
                     installPaths::libraryFromBinaryFolder);
    } else {
        std::fprintf(stderr, "error: Quaylight could not load its application library (%s).\n", lastError.c_str());
    }
    return 1;
}

}  // namespace quaylight
