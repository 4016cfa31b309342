// Any bytes as a memo file: read the blocks a record could point at.
#include "engine/fpt_file.h"
#include "fuzz_files.h"

#include <cstring>

using namespace qorvel::engine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4)
        return 0;
    uint32_t pick;
    std::memcpy(&pick, data, 4);
    const std::string path = fuzzDir() + "/m.fpt";
    writeFile(path, reinterpret_cast<const char*>(data) + 4, size - 4);
    auto f = FptFile::open(path, true);
    if (!f)
        return 0;
    for (uint32_t b : {pick, pick % 64, 8u, 9u, 1u})
        (void)(*f)->read(b);
    // Writing after a damaged header must not touch the header or earlier data.
    auto w = (*f)->write(pick % 16, "replacement text");
    if (w)
        (void)(*f)->read(*w);
    return 0;
}
