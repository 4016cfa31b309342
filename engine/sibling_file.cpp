#include "engine/sibling_file.h"

#include <cctype>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace qorvel::engine {

namespace {
bool sameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}
}  // namespace

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string siblingFile(const std::string& path, const std::string& ext, bool* exists) {
    const auto slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string prefix = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = base.find_last_of('.');
    std::string ownExt = dot == std::string::npos ? "" : base.substr(dot);
    if (dot != std::string::npos)
        base.resize(dot);
    std::string spelled = ext;
    const bool lower = !ownExt.empty() && std::islower(static_cast<unsigned char>(ownExt.back()));
    for (char& c : spelled)
        c = static_cast<char>(lower ? std::tolower(static_cast<unsigned char>(c)) : std::toupper(static_cast<unsigned char>(c)));
    const std::string wanted = prefix + base + spelled;
    if (fileExists(wanted)) {
        if (exists)
            *exists = true;
        return wanted;
    }
    std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(dir.c_str()), ::closedir);
    if (d) {
        const std::string target = base + ext;
        while (dirent* e = ::readdir(d.get())) {
            if (sameIgnoringCase(e->d_name, target) && fileExists(prefix + e->d_name)) {
                if (exists)
                    *exists = true;
                return prefix + e->d_name;
            }
        }
    }
    if (exists)
        *exists = false;
    return wanted;
}

}  // namespace qorvel::engine
