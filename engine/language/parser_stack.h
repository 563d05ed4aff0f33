#pragma once

#include <cstddef>

namespace tallix {

// The parser keeps its first stack in its own frame and moves it to the heap
// when a line nests deeply. An error thrown from a rule's action leaves the
// parser without the clean-up that would free that heap copy, so the blocks
// are handed out here and whatever is still out after a line is freed.
void* parser_stack_alloc(std::size_t bytes);
void parser_stack_free(void* block);
void release_parser_stacks();

}  // namespace tallix
