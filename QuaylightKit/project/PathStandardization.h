#pragma once
// Lexical path standardization: no file system access, so "." and ".." are resolved by
// the text alone and symbolic links are left as they are.

#include <string>
#include <string_view>

namespace quaylight {

// Removes "." components, doubled and trailing separators, and resolves ".." against the
// component before it ("/.." stays "/"). A relative path stays relative; "" stays "".
std::string standardizedPath(std::string_view path);

// The last component of a standardized path; "/" for the root itself.
std::string lastPathComponent(std::string_view standardized);

// A standardized path minus its last component: "/a/b" gives "/a", "/a" and "/" give "/",
// a relative path of one component gives "".
std::string deletingLastPathComponent(std::string_view standardized);

// Joins a standardized folder and a name with one separator.
std::string appendingPathComponent(std::string_view standardized, std::string_view name);

// The folder that holds `path`, by its text alone and without standardizing it: trailing
// separators are ignored, "/" stays "/", and a bare name gives ".".
std::string parentFolder(std::string_view path);

inline bool isAbsolutePath(std::string_view path) { return !path.empty() && path.front() == '/'; }

}  // namespace quaylight
