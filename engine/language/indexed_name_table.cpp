#include "engine/language/indexed_name_table.h"

#include <cassert>
#include <cstdint>

namespace tallix {

namespace {

char ascii_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    }
    return true;
}

// FNV-1a over the folded bytes: names that are the same hash alike.
size_t IndexedNameTable::FoldedHash::operator()(std::string_view name) const {
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : name) {
        hash ^= static_cast<unsigned char>(ascii_lower(c));
        hash *= 1099511628211ull;
    }
    return static_cast<size_t>(hash);
}

NameEntry* IndexedNameTable::first_named(std::string_view text) {
    const auto found = first_.find(text);
    if (found == first_.end()) return nullptr;
    NameEntry& entry = entries_[found->second];
    assert(same_name(entry.name, text));  // names do not change in the table
    return &entry;
}

void IndexedNameTable::push_back(const NameEntry& entry) {
    entries_.push_back(entry);
    // A name already held keeps answering with its first entry.
    first_.try_emplace(entries_.back().name, entries_.size() - 1);
}

void IndexedNameTable::resize(size_t count) {
    for (size_t i = count; i < entries_.size(); ++i) {
        const auto found = first_.find(entries_[i].name);
        if (found != first_.end() && found->second >= count) first_.erase(found);
    }
    const size_t old_size = entries_.size();
    entries_.resize(count);
    for (size_t i = old_size; i < count; ++i)
        first_.try_emplace(entries_[i].name, i);
}

}  // namespace tallix
