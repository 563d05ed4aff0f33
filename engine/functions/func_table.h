#pragma once

#include "engine/number/lf.h"

namespace tallix {

using handler0 = lf (*)();
using handler1 = lf (*)(const lf&);
using handler2 = lf (*)(const lf&, const lf&);

// The handler's form is selected by the record's nargs.
union func_handler {
    handler0 f0;
    handler1 f1;
    handler2 f2;
};

struct func_entry {
    const char* name;
    func_handler handler;
    int nargs;
};

// The 38 built-in functions in their registration order, then one record
// with an empty name.
extern const func_entry func_table[];

}  // namespace tallix
