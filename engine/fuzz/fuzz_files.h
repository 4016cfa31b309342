#pragma once

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// A scratch folder per fuzzing process for inputs that must be files.
inline std::string fuzzDir() {
    static const std::string dir = [] {
        std::string d = "/tmp/qorvel-fuzz-" + std::to_string(getpid());
        mkdir(d.c_str(), 0700);
        return d;
    }();
    return dir;
}

inline void writeFile(const std::string& path, const char* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data, std::streamsize(size));
}
