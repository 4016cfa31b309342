#include "engine/byte_io.h"

#include <cerrno>
#include <unistd.h>

namespace qorvel::engine {

bool preadAll(int fd, char* out, size_t n, uint64_t off) {
    size_t done = 0;
    while (done < n) {
        const ssize_t r = ::pread(fd, out + done, n - done, off_t(off + done));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        done += size_t(r);
    }
    return true;
}

bool pwriteAll(int fd, const char* data, size_t n, uint64_t off) {
    size_t done = 0;
    while (done < n) {
        const ssize_t w = ::pwrite(fd, data + done, n - done, off_t(off + done));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        done += size_t(w);
    }
    return true;
}

std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace qorvel::engine
