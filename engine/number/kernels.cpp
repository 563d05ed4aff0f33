#include "engine/number/kernels.h"

#include <cstdlib>
#include <cstring>

namespace tallix {

namespace {

bool apply_environment() {
    const char* name = std::getenv("TALLIX_KERNELS");
    if (name == nullptr) return false;
    if (std::strcmp(name, "plain") == 0) active_kernels = {false, false};
    if (std::strcmp(name, "portable") == 0) active_kernels.vector = false;
    return true;
}

const bool environment_applied = apply_environment();

}  // namespace

void set_kernels(const kernel_choice& choice) {
    active_kernels = choice;
}

bool avx2_kernels() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    static const bool available = __builtin_cpu_supports("avx2");
    return available && active_kernels.vector;
#else
    return false;
#endif
}

}  // namespace tallix
