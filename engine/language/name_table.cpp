#include "engine/language/name_table.h"

namespace tallix {

namespace {

char ascii_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    }
    return true;
}

}  // namespace

NameEntry* lookup(std::string_view text) {
    for (NameEntry& entry : name_table) {
        if (same_name(entry.name, text)) return &entry;
    }
    return nullptr;
}

NameEntry& add_variable(const NameEntry& entry) {
    name_table.push_back(entry);
    return name_table.back();
}

void register_builtins() {
    for (const func_entry* f = func_table; f->name[0] != '\0'; ++f) {
        NameEntry entry;
        entry.name = f->name;
        entry.kind = KIND_FUNCTION;
        entry.func_name = f->name;
        entry.handler = f->handler;
        entry.nargs = f->nargs;
        name_table.push_back(entry);
    }
}

}  // namespace tallix
