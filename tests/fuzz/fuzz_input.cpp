#include "tests/fuzz/fuzz_input.h"

#include <algorithm>

#include "engine/engine.h"

namespace tallix::fuzz {

namespace {
// Enough lines for assignments and their uses; more only slows the fuzzer.
constexpr size_t MAX_LINES = 8;
}  // namespace

fuzz_input read_fuzz_input(const uint8_t* data, size_t size) {
    fuzz_input input;
    if (size >= 2) {
        input.precision = 6 + ((data[0] << 8) | data[1]) % 1995;
        data += 2;
        size -= 2;
    }
    const char* p = reinterpret_cast<const char*>(data);
    const char* end = p + size;
    while (p <= end && input.lines.size() < MAX_LINES) {
        const char* stop = std::find_if(p, end, [](char c) { return c == '\n' || c == '\r'; });
        size_t length = std::min<size_t>(stop - p, MAX_LINE_BYTES);
        input.lines.emplace_back(p, length);
        p = stop + 1;
    }
    return input;
}

}  // namespace tallix::fuzz
