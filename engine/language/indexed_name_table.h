#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

#include "engine/language/node.h"

namespace tallix {

// Names compare equal when they match with ASCII letters folded to one case; every other byte
// must match exactly, and so must the length.
bool same_name(std::string_view a, std::string_view b);

// The entries of the name table in the order they were added, with an index from each name
// to the position of the first entry that answers to it. A lookup therefore costs the same in
// a table of a hundred thousand variables as in one of the built-ins alone, and still finds
// what a scan from the front would find.
//
// The entries stay in place as the table grows (a deque), so a token that points at one stays
// valid for the rest of its line. An entry's name must not change once it is in the table.
class IndexedNameTable {
  public:
    using iterator = std::deque<NameEntry>::iterator;
    using const_iterator = std::deque<NameEntry>::const_iterator;

    // The first entry whose name is the same as `text`, or nullptr.
    NameEntry* first_named(std::string_view text);

    void push_back(const NameEntry& entry);
    // Keeps the first `count` entries (or appends fresh ones up to `count`).
    void resize(size_t count);
    void clear() { resize(0); }

    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    NameEntry& operator[](size_t i) { return entries_[i]; }
    const NameEntry& operator[](size_t i) const { return entries_[i]; }
    NameEntry& back() { return entries_.back(); }
    const NameEntry& back() const { return entries_.back(); }
    iterator begin() { return entries_.begin(); }
    iterator end() { return entries_.end(); }
    const_iterator begin() const { return entries_.begin(); }
    const_iterator end() const { return entries_.end(); }

  private:
    // Hash and equality of names under same_name(), usable with a std::string_view key.
    struct FoldedHash {
        using is_transparent = void;
        size_t operator()(std::string_view name) const;
    };
    struct FoldedEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const { return same_name(a, b); }
    };

    std::deque<NameEntry> entries_;
    // Each name, in the spelling of its first entry, to that entry's position.
    std::unordered_map<std::string, size_t, FoldedHash, FoldedEqual> first_;
};

}  // namespace tallix
