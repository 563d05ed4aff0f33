#include "engine/language/name_table.h"

namespace tallix {

NameEntry* lookup(std::string_view text) {
    return name_table.first_named(text);
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
