#include "engine/language/grammar_actions.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/functions/functions.h"
#include "engine/language/engine_state.h"
#include "engine/language/name_table.h"
#include "engine/language/temp_list.h"
#include "engine/number/lf_exception.h"

namespace tallix {

namespace {

ValueNode* new_value() {
    return make_temp<ValueNode>();
}

// The right operand as the rule uses it: negated when a sign said so. The
// negated copy lives in `scratch`.
const lf& signed_operand(int sign, const ValueNode* b, lf& scratch) {
    if (sign > 0) return b->value;
    scratch = -b->value;
    return scratch;
}

void check_arity(const NameEntry* function, int nargs) {
    if (function->nargs != nargs) raise(errors::argument_count);
}

}  // namespace

void print_value(const ValueNode* value) {
    if (lf::format_capacity() <= LINE_BUFFER_SIZE) {
        value->value.format(output_buffer);
        return;
    }
    // Only a precision far beyond the supported range gets here.
    std::snprintf(output_buffer, LINE_BUFFER_SIZE, "%s", value->value.to_string().c_str());
}

void report_syntax_error() {
    std::snprintf(output_buffer, LINE_BUFFER_SIZE, "ERR%d: %s", errors::syntax.code,
                  errors::syntax.message);
    output_error = errors::syntax.code;
}

void assign_new(NameEntry* fresh, const ValueNode* value) {
    fresh->kind = KIND_VARIABLE;
    fresh->value.value = value->value;
    add_variable(*fresh);
}

void assign_variable(NameEntry* variable, const ValueNode* value) {
    variable->value.value = value->value;
}

void refuse_function_assignment() {
    raise(errors::assign_to_function);
}

void refuse_unset_variable() {
    raise(errors::uninitialised_variable);
}

ValueNode* negate(const ValueNode* x) {
    ValueNode* result = new_value();
    result->value = -x->value;
    return result;
}

ValueNode* add(const ValueNode* a, int sign, const ValueNode* b) {
    ValueNode* result = new_value();
    if (sign > 0) {
        lf_add(result->value, a->value, b->value);
    } else {
        lf_sub(result->value, a->value, b->value);
    }
    return result;
}

ValueNode* subtract(const ValueNode* a, int sign, const ValueNode* b) {
    return add(a, -sign, b);
}

ValueNode* multiply(const ValueNode* a, int sign, const ValueNode* b) {
    ValueNode* result = new_value();
    lf scratch;
    lf_mul(result->value, a->value, signed_operand(sign, b, scratch));
    return result;
}

ValueNode* divide(const ValueNode* a, int sign, const ValueNode* b) {
    ValueNode* result = new_value();
    if (b->value.is_zero()) raise(errors::division_by_zero);
    lf scratch;
    lf_div(result->value, a->value, signed_operand(sign, b, scratch));
    return result;
}

ValueNode* power(const ValueNode* a, int sign, const ValueNode* b) {
    ValueNode* result = new_value();
    lf scratch;
    result->value = lf_pow(a->value, signed_operand(sign, b, scratch));
    return result;
}

ValueNode* copy_variable(const NameEntry* variable) {
    ValueNode* result = new_value();
    result->value = variable->value.value;
    return result;
}

ValueNode* call0(const NameEntry* function) {
    check_arity(function, 0);
    ValueNode* result = new_value();
    result->value = function->handler.f0();
    return result;
}

ValueNode* call1(const NameEntry* function, const ValueNode* x) {
    check_arity(function, 1);
    ValueNode* result = new_value();
    result->value = function->handler.f1(x->value);
    return result;
}

ValueNode* call2(const NameEntry* function, const ValueNode* x, const ValueNode* y) {
    check_arity(function, 2);
    ValueNode* result = new_value();
    result->value = function->handler.f2(x->value, y->value);
    return result;
}

}  // namespace tallix
