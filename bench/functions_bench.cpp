#include <benchmark/benchmark.h>

#include "engine/functions/functions.h"
#include "engine/functions/pi.h"

using namespace tallix;

namespace {

// Every benchmark starts as a fresh run at its precision, then computes the
// values cached on first use (pi, the log_split bounds) before timing, so
// only the function itself is measured.
void start_at(const benchmark::State& state) {
    set_precision(static_cast<int>(state.range(0)));
    reset_function_caches();
    PI();
    LOG(lf("3"));
}

void unary(benchmark::State& state, lf (*function)(const lf&), const char* argument) {
    start_at(state);
    lf x(argument);
    for (auto _ : state) {
        lf result = function(x);
        benchmark::DoNotOptimize(result.limbs);
    }
}

void pi_first_computation(benchmark::State& state) {
    start_at(state);
    for (auto _ : state) {
        reset_pi_cache();
        lf result = PI();
        benchmark::DoNotOptimize(result.limbs);
    }
}

void power(benchmark::State& state) {
    start_at(state);
    lf base("2");
    lf exponent("0.5");
    for (auto _ : state) {
        lf result = lf_pow(base, exponent);
        benchmark::DoNotOptimize(result.limbs);
    }
}

// Square roots of 2 and 3 fill every kept limb.
void full_operands(benchmark::State& state, void (*operation)(lf&, const lf&, const lf&)) {
    start_at(state);
    lf a = SQR(lf("2"));
    lf b = SQR(lf("3"));
    lf result;
    for (auto _ : state) {
        operation(result, a, b);
        benchmark::DoNotOptimize(result.limbs);
    }
}

void at_both_precisions(benchmark::internal::Benchmark* b) {
    b->Arg(15)->Arg(2000)->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK_CAPTURE(unary, SQR_2, SQR, "2")->Apply(at_both_precisions);
BENCHMARK(pi_first_computation)->Name("PI_first")->Apply(at_both_precisions);
BENCHMARK_CAPTURE(unary, EXP_1, EXP, "1")->Apply(at_both_precisions);
BENCHMARK_CAPTURE(unary, LOG_3, LOG, "3")->Apply(at_both_precisions);
BENCHMARK_CAPTURE(unary, SIN_1, SIN, "1")->Apply(at_both_precisions);
BENCHMARK_CAPTURE(unary, ARCTAN_0_5, ARCTAN, "0.5")->Apply(at_both_precisions);
BENCHMARK_CAPTURE(unary, SINH_0_5, SINH, "0.5")->Apply(at_both_precisions);
BENCHMARK(power)->Name("2^0.5")->Apply(at_both_precisions);
BENCHMARK_CAPTURE(full_operands, product, lf_mul)->Apply(at_both_precisions);
BENCHMARK_CAPTURE(full_operands, quotient, lf_div)->Apply(at_both_precisions);
