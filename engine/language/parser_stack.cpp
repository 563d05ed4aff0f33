#include "engine/language/parser_stack.h"

#include <algorithm>
#include <cstdlib>

#include "engine/language/engine_state.h"

namespace tallix {

void* parser_stack_alloc(std::size_t bytes) {
    parser_stack_blocks.reserve(parser_stack_blocks.size() + 1);  // so recording cannot fail
    void* block = std::malloc(bytes);
    if (block != nullptr) parser_stack_blocks.push_back(block);
    return block;
}

void parser_stack_free(void* block) {
    auto it = std::find(parser_stack_blocks.begin(), parser_stack_blocks.end(), block);
    if (it != parser_stack_blocks.end()) parser_stack_blocks.erase(it);
    std::free(block);
}

void release_parser_stacks() {
    for (void* block : parser_stack_blocks)
        std::free(block);
    parser_stack_blocks.clear();
}

}  // namespace tallix
