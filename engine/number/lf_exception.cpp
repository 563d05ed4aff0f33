#include "engine/number/lf_exception.h"

namespace tallix {

lf_exception::lf_exception(int code, const char* message)
    : code_(code), message_(message ? message : "") {}

lf_exception::~lf_exception() = default;

void raise(const error_text& error) {
    throw lf_exception(error.code, error.message);
}

}  // namespace tallix
