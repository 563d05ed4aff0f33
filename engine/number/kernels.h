#pragma once

// Which limb kernels the arithmetic uses. Every choice gives the same limbs;
// the slower ones stay selectable so that tests and CI can compare them on
// one machine. The process starts with the choice named by the environment
// variable TALLIX_KERNELS: "plain" (schoolbook product and quotient, no
// shortcuts), "portable" (the fast paths without vector instructions), or
// anything else for the fastest the processor allows.
namespace tallix {

struct kernel_choice {
    bool shortcuts = true;  // short products and quotients, skipped steps
    bool vector = true;     // AVX2 where the processor has it
};

// Constant-initialised, so values built during static initialisation before
// the environment is read simply take the fast paths, which give the same
// limbs.
inline constinit kernel_choice active_kernels{};

inline const kernel_choice& kernels() {
    return active_kernels;
}
void set_kernels(const kernel_choice& choice);

// True when the choice allows vectors and the processor has AVX2.
bool avx2_kernels();

}  // namespace tallix
