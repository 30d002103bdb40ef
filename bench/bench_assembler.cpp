// Time of one assembly of each sample program, as the load action does it.

#include "app/sampleprograms.h"
#include "assembler/assembler.h"

#include <benchmark/benchmark.h>

namespace
{

const char *const kSampleNames[sampleProgramCount] = {
    "adding", "max", "countdown", "multiplying", "triangular", "factorial",
};

void assembleSample(benchmark::State &state, int sample)
{
    const QString &text = samplePrograms()[std::size_t(sample)];
    for (auto _ : state) {
        Assembler assembler(Assembler::kDefaultSymbolCapacity);
        QString image = assembler.assemble(text);
        benchmark::DoNotOptimize(image);
    }
}

const bool registered = [] {
    for (int sample = 0; sample < sampleProgramCount; ++sample)
        benchmark::RegisterBenchmark((std::string("Assemble/") + kSampleNames[sample]).c_str(),
                                     assembleSample, sample)
            ->Unit(benchmark::kMicrosecond)
            ->UseRealTime();
    return true;
}();

} // namespace
