#pragma once

#include <string>

namespace qorvel::engine {

// The file beside `path` with the same base name and extension `ext` (".CDX"),
// matched without regard to letter case. When none exists, the name to create:
// the extension takes the letter case of path's own extension.
std::string siblingFile(const std::string& path, const std::string& ext, bool* exists = nullptr);

bool fileExists(const std::string& path);

}  // namespace qorvel::engine
