#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "engine/number/kernels.h"
#include "engine/number/lf.h"

using namespace tallix;

namespace {

// A value that fills every kept limb, so each operation works on full
// precision operands: random digits, the first one non-zero.
lf full_precision_operand(std::mt19937_64& random) {
    std::uniform_int_distribution<int> digit(0, 9);
    std::string text = "0.";
    text += static_cast<char>('1' + random() % 9);
    for (int i = 1; i < prec_limbs * LIMB_DIGITS; ++i)
        text += static_cast<char>('0' + digit(random));
    text += '7';  // keeps the last kept limb non-zero
    return lf(text.c_str());
}

// The second argument, when 1, runs the schoolbook reference kernels the
// fast paths are checked against.
template <void (*operation)(lf&, const lf&, const lf&)>
void run(benchmark::State& state) {
    set_precision(static_cast<int>(state.range(0)));
    set_kernels(state.range(1) ? kernel_choice{false, false} : kernel_choice{});
    std::mt19937_64 random(12345);
    lf a = full_precision_operand(random);
    lf b = full_precision_operand(random);
    lf result;
    for (auto _ : state) {
        operation(result, a, b);
        benchmark::DoNotOptimize(result.limbs);
    }
    state.counters["limbs"] = static_cast<double>(a.size());
    set_kernels({});
}

void precisions(benchmark::internal::Benchmark* b) {
    b->Args({15, 0})->Args({2000, 0})->Args({2000, 1})->ArgNames({"digits", "plain"});
}

}  // namespace

BENCHMARK(run<lf_add>)->Name("add")->Apply(precisions);
BENCHMARK(run<lf_sub>)->Name("subtract")->Apply(precisions);
BENCHMARK(run<lf_mul>)->Name("multiply")->Apply(precisions);
BENCHMARK(run<lf_div>)->Name("divide")->Apply(precisions);
