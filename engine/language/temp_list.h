#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "engine/language/engine_state.h"
#include "engine/language/node.h"

namespace tallix {

// Makes a node already owned by temp_list, so it is released at the end of
// the line whatever happens while its value is being computed.
template <class T, class... Args>
T* make_temp(Args&&... args) {
    auto node = std::make_unique<T>(std::forward<Args>(args)...);
    T* raw = node.get();
    temp_list.push_back(std::move(node));
    return raw;
}

// Destroys the line's objects, first to last.
void release_temporaries();

}  // namespace tallix
