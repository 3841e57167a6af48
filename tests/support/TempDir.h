#pragma once
// A private temporary folder for one test, removed with everything in it afterwards.

#include <filesystem>
#include <string>

namespace quaylight::testsupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Writes `content` to `relative`, creating folders on the way.
    std::filesystem::path write(const std::string& relative, const std::string& content) const;
    std::string read(const std::string& relative) const;

private:
    std::filesystem::path path_;
};

}  // namespace quaylight::testsupport
