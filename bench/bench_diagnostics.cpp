// Time of checking a program for every error, as korvane-run does (at most
// 20 errors) and as an editor would (all of them): a 100-line program with
// three mistakes, and that program repeated up to 1 MiB.

#include "diagnostics/errors.h"

#include "programs.h"

#include <QString>

#include <benchmark/benchmark.h>

namespace
{

// Fifty loads of fifty data cells; line 11 misspells LDA, line 21 names an
// undefined label, line 31 holds a misspelt OUT.
QString hundredLines()
{
    QString text;
    for (int k = 0; k < 50; ++k) {
        if (k == 10)
            text += QStringLiteral("\tLDAA\tv%1\n").arg(k);
        else if (k == 20)
            text += QStringLiteral("\tLDA\tw%1\n").arg(k);
        else if (k == 30)
            text += QStringLiteral("\toupt\n");
        else
            text += QStringLiteral("\tLDA\tv%1\n").arg(k);
    }
    for (int k = 0; k < 50; ++k)
        text += QStringLiteral("v%1\tDAT\t%1\n").arg(k);
    return text;
}

QString oneMebibyte()
{
    return bench::repeatedToOneMebibyte(hundredLines());
}

void check(benchmark::State &state, const QString &text, qsizetype errorLimit)
{
    for (auto _ : state) {
        QList<diagnostics::Diagnostic> found = diagnostics::check(text, errorLimit);
        benchmark::DoNotOptimize(found);
    }
    state.counters["bytes"] = double(text.toUtf8().size());
}

const bool registered = [] {
    static const QString small = hundredLines();
    static const QString large = oneMebibyte();
    benchmark::RegisterBenchmark("Check/100-lines", check, small, diagnostics::kErrorLimit)
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("Check/1MiB", check, large, diagnostics::kErrorLimit)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("Check/1MiB-every-error", check, large, qsizetype(0))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    return true;
}();

} // namespace
