#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tallix::fuzz {

// How a fuzz input is read: two bytes choose the precision (6 to 2,000), the
// rest are lines, split where a front end would split them (LF or CR), each
// cut to what a front end hands over.
struct fuzz_input {
    int precision = 15;
    std::vector<std::string_view> lines;
};

fuzz_input read_fuzz_input(const uint8_t* data, size_t size);

}  // namespace tallix::fuzz
