#include "engine/language/parser_stack.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace tallix {

namespace {
// At most two blocks are out at once (the old one while it is copied).
std::vector<void*> live_blocks;
}  // namespace

void* parser_stack_alloc(std::size_t bytes) {
    live_blocks.reserve(live_blocks.size() + 1);  // so recording cannot fail
    void* block = std::malloc(bytes);
    if (block != nullptr) live_blocks.push_back(block);
    return block;
}

void parser_stack_free(void* block) {
    auto it = std::find(live_blocks.begin(), live_blocks.end(), block);
    if (it != live_blocks.end()) live_blocks.erase(it);
    std::free(block);
}

void release_parser_stacks() {
    for (void* block : live_blocks)
        std::free(block);
    live_blocks.clear();
}

}  // namespace tallix
