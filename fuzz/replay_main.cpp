// Replays a fuzz target's seed corpus without libFuzzer, so that the normal test
// run (and its sanitizer build) feeds every seed through the parser.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR...\n", argv[0]);
        return 2;
    }
    int files = 0;
    for (int a = 1; a < argc; ++a) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[a], ec)) {
            if (!entry.is_regular_file())
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            ++files;
        }
        if (ec) {
            std::fprintf(stderr, "cannot read %s: %s\n", argv[a], ec.message().c_str());
            return 2;
        }
    }
    if (files == 0) {
        std::fprintf(stderr, "no seed files found\n");
        return 1;
    }
    std::printf("replayed %d seeds\n", files);
    return 0;
}
