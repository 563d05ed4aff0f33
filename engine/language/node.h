#pragma once

#include <string>

#include "engine/functions/func_table.h"
#include "engine/number/lf.h"

namespace tallix {

// The semantic values of the language. Every object made while a line is
// evaluated is owned by temp_list and destroyed through this base.
class Node {
  public:
    virtual ~Node() = default;
};

class ValueNode : public Node {
  public:
    ValueNode() = default;
    explicit ValueNode(const lf& v) : value(v) {}

    lf value;
};

enum name_kind : int {
    KIND_FRESH = 0,  // made by the scanner for an unknown name; never in the table
    KIND_VARIABLE = 1,
    KIND_FUNCTION = 2,
    KIND_RESERVED = 3,  // understood by the scanner and the grammar, never given out
};

// One known name. Copies are deep: the name and the value are duplicated.
class NameEntry : public Node {
  public:
    std::string name;
    int kind = KIND_FRESH;
    ValueNode value;
    const char* func_name = nullptr;
    func_handler handler{.f0 = nullptr};
    int nargs = 0;
};

}  // namespace tallix
