// Going backwards through a run of 10,000,000 steps in korvane-dap's session:
// the run forwards with its history recorded (for each checkpoint spacing,
// and without a history), the longest step back from points all over the
// run, a reverseContinue across the whole run to a breakpoint at its start,
// and the memory the history takes, also for a run 256 times longer.

#include "dap/session.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace
{

// A branch at line 1, run once, then 2,500,000 rounds of four steps and the
// halt: 10,000,002 steps.
const char kCountDown[] = "\tBRA\tloop\nloop\tLDA\tcount\n\tSUB\tone\n\tSTA\tcount\n\tBRP\tloop\n"
                          "\tHLT\ncount\tDAT\t2500000\none\tDAT\t1\n";
constexpr quint64 kSteps = 10'000'002;

class Run
{
public:
    Run(benchmark::State &state, quint64 spacing, bool history = true,
        std::size_t capacity = dap::History::kDefaultCapacity)
        : session(spacing, capacity)
    {
        const QString path = folder.filePath(QStringLiteral("countdown.kasm"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(kCountDown) != qint64(qstrlen(kCountDown))) {
            state.SkipWithError("cannot write the program");
            return;
        }
        file.close();
        dap::LaunchOptions options;
        options.program = path;
        options.maxSteps = 0;
        options.noDebug = !history;
        dap::LaunchError errors;
        if (!session.launch(options, errors))
            state.SkipWithError("the program does not assemble");
    }
    // Runs to the halt; false when the run stopped otherwise.
    bool toTheEnd()
    {
        for (;;) {
            const std::optional<dap::Stop> stop = session.runFor(1 << 24, dap::Resume::Onwards);
            if (stop)
                return stop->reason == dap::Stop::Halted &&
                       session.processor().executedSteps() == kSteps;
        }
    }

    QTemporaryDir folder;
    dap::Session session;
};

double mebibytes(std::size_t bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

// Argument: the checkpoint spacing; 0 for a run without a history.
void recordForwards(benchmark::State &state)
{
    const quint64 spacing = quint64(state.range(0));
    std::size_t bytes = 0;
    std::size_t checkpoints = 0;
    for (auto _ : state) {
        Run run(state, std::max<quint64>(spacing, 1), spacing != 0);
        if (!run.toTheEnd()) {
            state.SkipWithError("the count-down did not halt");
            return;
        }
        bytes = run.session.history().bytes();
        checkpoints = run.session.history().size();
    }
    state.counters["steps/s"] = benchmark::Counter(double(kSteps) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
    state.counters["history_MiB"] = mebibytes(bytes);
    state.counters["checkpoints"] = double(checkpoints);
}

// The longest of the steps back from 41 points spread over the run, each
// point reached by going there (not timed). Argument: the spacing.
void stepBack(benchmark::State &state)
{
    Run run(state, quint64(state.range(0)));
    if (!run.toTheEnd()) {
        state.SkipWithError("the count-down did not halt");
        return;
    }
    double longest = 0;
    for (auto _ : state) {
        for (quint64 point = 0; point <= 40; ++point) {
            state.PauseTiming();
            // Just after a checkpoint is where a step back replays most.
            const quint64 at = std::max<quint64>(point * (kSteps / 40), 1);
            run.session.goTo(at);
            state.ResumeTiming();
            QElapsedTimer timer;
            timer.start();
            const dap::Stop stop = run.session.stepBack();
            longest = std::max(longest, double(timer.nsecsElapsed()) / 1e6);
            if (stop.reason != dap::Stop::Step ||
                run.session.processor().executedSteps() != at - 1) {
                state.SkipWithError("the step back went elsewhere");
                return;
            }
        }
    }
    state.counters["longest_step_back_ms"] = longest;
}

// From the halt back to the breakpoint on line 1, hit only at the start: the
// whole run is replayed. Argument: the spacing.
void reverseContinue(benchmark::State &state)
{
    Run run(state, quint64(state.range(0)));
    run.session.breakpoints().setLines(run.session.program(), {1});
    for (auto _ : state) {
        state.PauseTiming();
        run.session.goTo(0);
        run.session.breakpoints().setLines(run.session.program(), {});
        const bool ended = run.toTheEnd();
        run.session.breakpoints().setLines(run.session.program(), {1});
        state.ResumeTiming();
        if (!ended) {
            state.SkipWithError("the count-down did not halt");
            return;
        }
        const dap::Stop stop = run.session.reverseContinue();
        if (stop.reason != dap::Stop::Breakpoint || run.session.processor().executedSteps() != 0) {
            state.SkipWithError("reverseContinue did not go back to the breakpoint");
            return;
        }
    }
}

// Forwards to the halt watching a cell for writes that never come: each step
// is looked at, the slow path that data breakpoints take.
void watchedForwards(benchmark::State &state)
{
    for (auto _ : state) {
        Run run(state, dap::History::kDefaultSpacing);
        run.session.breakpoints().setData({{0, 7, false}}); // "one", read every round
        if (!run.toTheEnd()) {
            state.SkipWithError("the count-down did not halt");
            return;
        }
    }
    state.counters["steps/s"] = benchmark::Counter(double(kSteps) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

// Checkpoints every 256 steps over 10,000,000 steps: as many as a run of
// 2,560,000,000 steps at the default spacing would ask for.
void boundedHistory(benchmark::State &state)
{
    std::size_t bytes = 0;
    std::size_t checkpoints = 0;
    for (auto _ : state) {
        Run run(state, 256);
        if (!run.toTheEnd()) {
            state.SkipWithError("the count-down did not halt");
            return;
        }
        bytes = run.session.history().bytes();
        checkpoints = run.session.history().size();
    }
    state.counters["history_MiB"] = mebibytes(bytes);
    state.counters["checkpoints"] = double(checkpoints);
}

} // namespace

BENCHMARK(recordForwards)
    ->Name("History/forwards10M")
    ->ArgName("spacing")
    ->Arg(0)
    ->Arg(4096)
    ->Arg(16384)
    ->Arg(65536)
    ->Arg(262144)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(stepBack)
    ->Name("History/stepBack")
    ->ArgName("spacing")
    ->Arg(4096)
    ->Arg(16384)
    ->Arg(65536)
    ->Arg(262144)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(reverseContinue)
    ->Name("History/reverseContinue10M")
    ->ArgName("spacing")
    ->Arg(65536)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(watchedForwards)
    ->Name("History/dataBreakpoint10M")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(boundedHistory)
    ->Name("History/bounded")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
