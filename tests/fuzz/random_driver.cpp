// Feeds a fuzz target bounded pseudo-random inputs (plus a few hand-made shapes) when
// libFuzzer is not the driver. Argument: number of inputs.
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv)
{
    const long runs = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000;
    std::mt19937 rng(12345);
    // Bytes that matter to the parsers turn up often, the rest rarely.
    const uint8_t interesting[] = {0x00, 0x01, 0x02, 0x03, 0x0A, 0x0D, ';', ' ', '0', 'x', 'X',
                                   '9', 'F', '\\', 'n', 'r', 't', ':', '>', '"', '<', 0xFF};
    std::vector<uint8_t> buf;
    for (long i = 0; i < runs; ++i) {
        const size_t size = (i % 50 == 0) ? rng() % 70000 : rng() % 600;
        buf.resize(size);
        for (auto& b : buf)
            b = (rng() % 4) ? interesting[rng() % sizeof interesting] : static_cast<uint8_t>(rng());
        LLVMFuzzerTestOneInput(buf.data(), buf.size());
    }
    return 0;
}
