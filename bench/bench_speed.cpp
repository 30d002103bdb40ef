// The speed of the plain run, as a figure to set beside the one the run loop
// had before: korvane-run --max-steps 0 and the window's "Run program" on a
// counting loop of 100,000,001 steps, each as a ratio of speeds to the
// reference interpreter on the same loop. Nine rounds run the three in turn,
// so that a change in the machine's load touches every figure alike; the
// ratios are the medians of the rounds. Beside them, the instructions
// korvane-run executes per step as callgrind counts them, between two loop
// lengths so that the start-up cancels out: a figure noise does not move.
//
// KORVANE_BENCH_RUN names another korvane-run to measure instead (another
// build of the project, for the figures of an older commit).

#include "programs.h"
#include "reference.h"
#include "window.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace
{

constexpr int kRounds = 9;
// 25,000,000 rounds of four steps, then the halt.
constexpr std::int32_t kLongCount = 25'000'000;
// The two lengths callgrind runs, short enough for its slowness.
constexpr std::int32_t kShortCounts[] = {100'000, 200'000};
constexpr int kCountAddress = 5;

QString countingLoop(std::int32_t count)
{
    return QStringLiteral("loop\tLDA\tcount\n\tSUB\tone\n\tSTA\tcount\n\tBRP\tloop\n\tHLT\n"
                          "count\tDAT\t%1\none\tDAT\t1\n")
        .arg(count);
}

constexpr std::uint64_t loopSteps(std::int32_t count)
{
    return 4 * std::uint64_t(count) + 1;
}

QString runPath()
{
    const QString chosen = qEnvironmentVariable("KORVANE_BENCH_RUN");
    return chosen.isEmpty() ? QStringLiteral(KORVANE_RUN_PATH) : chosen;
}

// Seconds of korvane-run's whole run of the file, process start included;
// none when it does not halt.
std::optional<double> korvaneRunSeconds(const QString &program)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(runPath(), {QStringLiteral("--max-steps"), QStringLiteral("0"), program});
    if (!process.waitForFinished(300'000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return std::nullopt;
    return double(timer.nsecsElapsed()) * 1e-9;
}

// The instructions callgrind counts over a whole korvane-run of the file; none
// without valgrind.
std::optional<double> instructionsOfRun(const QString &program)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QStringLiteral("valgrind"),
                  {QStringLiteral("--tool=callgrind"),
                   QStringLiteral("--callgrind-out-file=/dev/null"), runPath(),
                   QStringLiteral("--max-steps"), QStringLiteral("0"), program});
    if (!process.waitForFinished(300'000) || process.exitCode() != 0)
        return std::nullopt;
    static const QRegularExpression collected(QStringLiteral("Collected : (\\d+)"));
    const QRegularExpressionMatch match =
        collected.match(QString::fromLocal8Bit(process.readAllStandardError()));
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toDouble();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void runSpeed(benchmark::State &state)
{
    const QTemporaryDir folder;
    const auto write = [&folder](std::int32_t count) {
        const QString path = folder.filePath(QStringLiteral("loop%1.txt").arg(count));
        QFile file(path);
        const QByteArray text = countingLoop(count).toUtf8();
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() ? path
                                                                                  : QString();
    };
    const QString program = write(kLongCount);
    if (!folder.isValid() || program.isEmpty()) {
        state.SkipWithError("cannot write the program");
        return;
    }
    const reference::Memory image =
        bench::referenceMemory(bench::assembleImage(countingLoop(kLongCount)));
    bench::Window window(countingLoop(kLongCount));
    std::vector<double> runRatios;
    std::vector<double> windowRatios;
    for (auto _ : state) {
        for (int round = 0; round < kRounds; ++round) {
            reference::Memory memory = image;
            std::vector<std::int32_t> output;
            QElapsedTimer timer;
            timer.start();
            const reference::Result result = reference::run(memory, {}, output);
            const double referenceSeconds = double(timer.nsecsElapsed()) * 1e-9;
            benchmark::DoNotOptimize(memory);
            const std::optional<double> runSeconds = korvaneRunSeconds(program);
            window.load();
            bench::Window::settle();
            timer.start();
            window.run();
            const double windowSeconds = double(timer.nsecsElapsed()) * 1e-9;
            bench::Window::settle();
            if (result.stop != reference::Result::Halted || result.steps != loopSteps(kLongCount) ||
                !runSeconds || window.cell(kCountAddress) != QLatin1String("0")) {
                state.SkipWithError("a run of the counting loop did not reach its halt");
                return;
            }
            runRatios.push_back(referenceSeconds / *runSeconds);
            windowRatios.push_back(referenceSeconds / windowSeconds);
        }
    }
    state.counters["run_ratio"] = median(runRatios);
    state.counters["window_ratio"] = median(windowRatios);

    std::vector<double> instructions;
    for (const std::int32_t count : kShortCounts) {
        const QString path = write(count);
        const std::optional<double> counted =
            path.isEmpty() ? std::nullopt : instructionsOfRun(path);
        if (!counted)
            return; // no valgrind: the figure is left out
        instructions.push_back(*counted);
    }
    state.counters["instructions_per_step"] =
        (instructions[1] - instructions[0]) /
        double(loopSteps(kShortCounts[1]) - loopSteps(kShortCounts[0]));
}

} // namespace

BENCHMARK(runSpeed)
    ->Name("RunSpeed")
    ->Iterations(1)
    ->Repetitions(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
