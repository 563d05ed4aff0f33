#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "engine/language/node.h"

namespace tallix {

// Owner of every object made while one line is evaluated. It is emptied at
// the end of each line but keeps its storage, so a line allocates no list.
extern std::vector<std::unique_ptr<Node>> temp_list;

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
