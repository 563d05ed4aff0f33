#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/language/engine_state.h"
#include "engine/language/name_table.h"

using namespace tallix;

namespace {

// Lines «vN = N» for N below `count`, the form a pasted list of values takes.
std::vector<std::string> assignments(int count) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        lines.push_back("v" + std::to_string(i) + " = " + std::to_string(i));
    return lines;
}

// Every line creates one variable, so each finds its name missing from a table one longer.
void assign_new_variables(benchmark::State& state) {
    const std::vector<std::string> lines = assignments(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        reset_engine();
        state.ResumeTiming();
        for (const std::string& line : lines)
            benchmark::DoNotOptimize(evaluate_text(line));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(assign_new_variables)
    ->Arg(1'000)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond);

// A name created last, and one the table does not hold, in a table of `range(0)` variables,
// spelt in another letter case than it was created.
void look_up_in_a_full_table(benchmark::State& state) {
    reset_engine();
    for (const std::string& line : assignments(static_cast<int>(state.range(0))))
        evaluate_text(line);
    const std::string last = "V" + std::to_string(state.range(0) - 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(lookup(last));
        benchmark::DoNotOptimize(lookup("NoSuchName"));
    }
    reset_engine();
}
BENCHMARK(look_up_in_a_full_table)->Arg(100)->Arg(100'000);

}  // namespace
