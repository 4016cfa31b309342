#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Integers in file layouts, and whole reads and writes at a file position.
namespace qorvel::engine {

inline uint16_t le16(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return uint16_t(u[0] | u[1] << 8);
}
inline uint32_t le32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return uint32_t(u[0]) | uint32_t(u[1]) << 8 | uint32_t(u[2]) << 16 | uint32_t(u[3]) << 24;
}
inline uint32_t be32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return uint32_t(u[0]) << 24 | uint32_t(u[1]) << 16 | uint32_t(u[2]) << 8 | uint32_t(u[3]);
}
inline void putLe16(char* p, uint32_t v) {
    p[0] = static_cast<char>(v);
    p[1] = static_cast<char>(v >> 8);
}
inline void putLe32(char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<char>(v >> (8 * i));
}
inline void putBe32(char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<char>(v >> (24 - 8 * i));
}

// Reads or writes exactly n bytes at off, retrying short transfers; false on error
// or end of file (errno says which).
bool preadAll(int fd, char* out, size_t n, uint64_t off);
bool pwriteAll(int fd, const char* data, size_t n, uint64_t off);

// The last component of a path, for messages.
std::string baseName(const std::string& path);

}  // namespace qorvel::engine
