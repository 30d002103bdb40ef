// Steps per second of the count-down program on the reference interpreter and
// on the application's processor without any window.

#include "programs.h"
#include "reference.h"

#include "machine/processor.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{

using machine::Processor;

void countDownOnReference(benchmark::State &state)
{
    const reference::Memory image =
        bench::referenceMemory(bench::assembleImage(bench::countDownProgram()));
    const std::int32_t inputs[] = {bench::kCountDownStart};
    std::vector<std::int32_t> output;
    reference::Result result;
    for (auto _ : state) {
        reference::Memory memory = image;
        result = reference::run(memory, inputs, output);
        benchmark::DoNotOptimize(memory);
    }
    if (result.stop != reference::Result::Halted || result.accumulator != 0 ||
        result.steps != bench::countDownSteps(bench::kCountDownStart)) {
        state.SkipWithError("the reference interpreter ran the program wrongly");
        return;
    }
    state.counters["steps/s"] = benchmark::Counter(
        double(result.steps) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void countDownOnProcessor(benchmark::State &state)
{
    const QStringList image = bench::assembleImage(bench::countDownProgram());
    quint64 steps = 0;
    bool good = true;
    for (auto _ : state) {
        Processor processor;
        for (int address = 0; address < machine::kMemorySize; ++address)
            processor.setWord(address, address < image.size() ? image[address]
                                                              : QString(machine::kEmptyWord));
        good = good && processor.run() == Processor::Stop::NeedsInput;
        processor.completeInput(bench::kCountDownStart);
        good = good && processor.run() == Processor::Stop::Halted;
        good = good && processor.accumulator() == 0;
        steps = processor.executedSteps();
    }
    if (!good || steps != bench::countDownSteps(bench::kCountDownStart)) {
        state.SkipWithError("the processor ran the program wrongly");
        return;
    }
    state.counters["steps/s"] =
        benchmark::Counter(double(steps) * double(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(countDownOnReference)
    ->Name("CountDown/reference")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(countDownOnProcessor)
    ->Name("CountDown/processor")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
