#pragma once

#include "engine/language/node.h"

// What the grammar's rules do when they are reduced. Each new value is owned
// by temp_list before it is computed.
namespace tallix {

void print_value(const ValueNode* value);
void report_syntax_error();

void assign_new(NameEntry* fresh, const ValueNode* value);
void assign_variable(NameEntry* variable, const ValueNode* value);
[[noreturn]] void refuse_function_assignment();
[[noreturn]] void refuse_unset_variable();

// `sign` is +1 or -1 and applies to the right operand.
ValueNode* negate(const ValueNode* x);
ValueNode* add(const ValueNode* a, int sign, const ValueNode* b);
ValueNode* subtract(const ValueNode* a, int sign, const ValueNode* b);
ValueNode* multiply(const ValueNode* a, int sign, const ValueNode* b);
ValueNode* divide(const ValueNode* a, int sign, const ValueNode* b);
ValueNode* power(const ValueNode* a, int sign, const ValueNode* b);

ValueNode* copy_variable(const NameEntry* variable);
ValueNode* call0(const NameEntry* function);
ValueNode* call1(const NameEntry* function, const ValueNode* x);
ValueNode* call2(const NameEntry* function, const ValueNode* x, const ValueNode* y);

}  // namespace tallix
