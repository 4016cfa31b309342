#include "bench_data.h"

#include "data/address_schema.h"
#include "engine/tool/address_generator.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace bench {

namespace {
std::string dataDir() {
    const char* d = std::getenv("QORVEL_BENCH_DATA");
    const std::string dir = d ? d : QORVEL_BENCH_DEFAULT_DATA;
    fs::create_directories(dir);
    return dir;
}
}  // namespace

std::string addressTable(unsigned long n) {
    const std::string path = dataDir() + "/address-" + std::to_string(n) + ".dbf";
    if (fs::exists(path))
        return path;
    std::fprintf(stderr, "generating %lu address records in %s ...\n", n, path.c_str());
    const std::string temp = dataDir() + "/generating-" + std::to_string(n) + ".dbf";
    for (const char* ext : {".dbf", ".cdx", ".fpt"})
        fs::remove(temp.substr(0, temp.size() - 4) + ext);
    if (!qorvel::address::createTable(temp)) {
        std::fprintf(stderr, "cannot create %s\n", temp.c_str());
        std::exit(1);
    }
    auto t = qorvel::engine::Table::open(temp);
    if (!t || !qorvel::tool::appendGeneratedAddresses(**t, n, 12345) || !(*t)->close()) {
        std::fprintf(stderr, "cannot generate %s\n", temp.c_str());
        std::exit(1);
    }
    const std::string base = path.substr(0, path.size() - 4);
    for (const char* ext : {".cdx", ".fpt", ".dbf"})
        fs::rename(temp.substr(0, temp.size() - 4) + ext, base + ext);
    return path;
}

std::string scratchCopy(unsigned long n, const std::string& name) {
    const std::string source = addressTable(n);
    const std::string dir = dataDir() + "/scratch";
    fs::create_directories(dir);
    const std::string target = dir + "/" + name + ".dbf";
    for (const char* ext : {".dbf", ".cdx", ".fpt"}) {
        const std::string from = source.substr(0, source.size() - 4) + ext;
        const std::string to = target.substr(0, target.size() - 4) + ext;
        fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    }
    return target;
}

void applySizes(benchmark::internal::Benchmark* b) {
    std::istringstream in(sizes());
    for (std::string s; std::getline(in, s, ',');)
        b->Arg(std::stol(s));
    b->Unit(benchmark::kMillisecond);
}

std::string sizes() {
    const char* s = std::getenv("QORVEL_BENCH_RECORDS");
    return s ? s : "100000";
}

}  // namespace bench
