// korvane-run --trace on a loop of 10,000,000 steps, the trace written to
// /dev/null as text and as JSON: how long a whole traced run takes, process
// start included.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace
{

void traceToDevNull(benchmark::State &state, const char *format)
{
    QTemporaryDir folder;
    const QString program = folder.filePath(QStringLiteral("loop.txt"));
    QFile file(program);
    if (!folder.isValid() || !file.open(QIODevice::WriteOnly) ||
        file.write("loop BRA loop\n") != 14) {
        state.SkipWithError("cannot write the program");
        return;
    }
    file.close();
    for (auto _ : state) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(QStringLiteral(KORVANE_RUN_PATH),
                      {QStringLiteral("--trace"), QStringLiteral("--trace-format"),
                       QString::fromLatin1(format), QStringLiteral("--max-steps"),
                       QStringLiteral("10000000"), program});
        // Stopped at the step limit: exit status 3.
        if (!process.waitForFinished(120000) || process.exitCode() != 3) {
            state.SkipWithError("korvane-run did not run the traced loop to its step limit");
            return;
        }
    }
}

} // namespace

BENCHMARK_CAPTURE(traceToDevNull, text, "text")
    ->Name("Trace/10M/text")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(traceToDevNull, json, "json")
    ->Name("Trace/10M/json")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
