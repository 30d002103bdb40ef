// korvane-run --trace on a loop of 10,000,000 steps, the trace written to
// /dev/null: how long a whole traced run takes, process start included.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace
{

void traceToDevNull(benchmark::State &state)
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
                      {QStringLiteral("--trace"), QStringLiteral("--max-steps"),
                       QStringLiteral("10000000"), program});
        // Stopped at the step limit: exit status 3.
        if (!process.waitForFinished(120000) || process.exitCode() != 3) {
            state.SkipWithError("korvane-run did not run the traced loop to its step limit");
            return;
        }
    }
}

} // namespace

BENCHMARK(traceToDevNull)->Name("Trace/10M")->Unit(benchmark::kMillisecond)->UseRealTime();
