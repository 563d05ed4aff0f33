#pragma once

#include <deque>
#include <string_view>

#include "engine/language/node.h"

namespace tallix {

// Every name the language knows, built-ins first, then variables in the order
// they were created. A deque keeps entries in place as the table grows, so a
// token that points at an entry stays valid for the rest of its line.
extern std::deque<NameEntry> name_table;

// The first entry whose name equals `text`, ASCII letters compared without
// regard to case; nullptr when there is none.
NameEntry* lookup(std::string_view text);

// Appends a copy of `entry` as a new variable and returns the stored entry.
NameEntry& add_variable(const NameEntry& entry);

// Enters the built-in functions in table order; called once at start.
void register_builtins();

}  // namespace tallix
