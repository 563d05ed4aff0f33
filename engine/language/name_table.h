#pragma once

#include <string_view>

#include "engine/language/engine_state.h"
#include "engine/language/node.h"

// Lookups in name_table (engine_state.h) and its growth; register_builtins()
// fills it once at start (engine/engine.h).
namespace tallix {

// The first entry whose name equals `text`, ASCII letters compared without
// regard to case; nullptr when there is none.
NameEntry* lookup(std::string_view text);

// Appends a copy of `entry` as a new variable and returns the stored entry.
NameEntry& add_variable(const NameEntry& entry);

}  // namespace tallix
