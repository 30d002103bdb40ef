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
        std::size_t capacity = dap::Timeline::kDefaultCapacity, quint64 steps = kSteps)
        : session(spacing, capacity), steps(steps)
    {
        const QString path = folder.filePath(QStringLiteral("countdown.kasm"));
        QFile file(path);
        // Four steps a round, after the first branch and before the halt.
        const QByteArray text =
            QByteArray(kCountDown).replace("2500000", QByteArray::number((steps - 2) / 4));
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
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
                       session.processor().executedSteps() == steps;
        }
    }
    // The data breakpoint of a run: 0 none, 1 `write` on "one" (read every
    // round, never written), 2 `readWrite` on a cell the program never uses.
    void watch(qint64 kind)
    {
        if (kind == 1)
            session.breakpoints().setData({{0, 7, false}});
        else if (kind == 2)
            session.breakpoints().setData({{0, 99, true}});
    }

    QTemporaryDir folder;
    dap::Session session;
    quint64 steps;
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
        bytes = run.session.timeline().bytes();
        checkpoints = run.session.timeline().size();
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
            run.session.timeline().goTo(at);
            state.ResumeTiming();
            QElapsedTimer timer;
            timer.start();
            const dap::Stop stop = run.session.timeline().stepBack();
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
// whole run is replayed. Arguments: the spacing, and the data breakpoint
// that never triggers (see Run::watch).
void reverseContinue(benchmark::State &state)
{
    Run run(state, quint64(state.range(0)));
    run.watch(state.range(1));
    run.session.breakpoints().setLines(run.session.program(), {1});
    for (auto _ : state) {
        state.PauseTiming();
        run.session.timeline().goTo(0);
        run.session.breakpoints().setLines(run.session.program(), {});
        const bool ended = run.toTheEnd();
        run.session.breakpoints().setLines(run.session.program(), {1});
        state.ResumeTiming();
        if (!ended) {
            state.SkipWithError("the count-down did not halt");
            return;
        }
        const dap::Stop stop = run.session.timeline().reverseContinue();
        if (stop.reason != dap::Stop::Breakpoint || run.session.processor().executedSteps() != 0) {
            state.SkipWithError("reverseContinue did not go back to the breakpoint");
            return;
        }
    }
}

// Forwards to the halt with a data breakpoint that never triggers (see
// Run::watch): the run stops only before the instructions that use its cell.
void watchedForwards(benchmark::State &state)
{
    for (auto _ : state) {
        Run run(state, dap::Timeline::kDefaultSpacing);
        run.watch(state.range(0));
        if (!run.toTheEnd()) {
            state.SkipWithError("the count-down did not halt");
            return;
        }
    }
    state.counters["steps/s"] = benchmark::Counter(double(kSteps) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

// reverseContinue over 1,000,000,000 recorded steps, paused: the adapter
// reads a pause after its stretches of about 10 ms, so a pause waits at most
// that, the longest stretch between two checkpoints, and the pause itself.
void pauseReverse(benchmark::State &state)
{
    constexpr quint64 kLongRun = 1'000'000'002;
    Run run(state, dap::Timeline::kDefaultSpacing, true, dap::Timeline::kDefaultCapacity, kLongRun);
    if (!run.toTheEnd()) {
        state.SkipWithError("the count-down did not halt");
        return;
    }
    run.session.breakpoints().setLines(run.session.program(), {1});
    double longestStretch = 0;
    double pause = 0;
    for (auto _ : state) {
        run.session.timeline().beginReverse();
        QElapsedTimer timer;
        for (;;) {
            timer.start();
            const std::optional<dap::Stop> stop = run.session.timeline().reverseStretch();
            longestStretch = std::max(longestStretch, double(timer.nsecsElapsed()) / 1e6);
            if (stop)
                break;
        }
        // Paused halfway back.
        run.session.timeline().goTo(kLongRun);
        run.session.timeline().beginReverse();
        while (run.session.processor().executedSteps() > kLongRun / 2)
            run.session.timeline().reverseStretch();
        timer.start();
        const dap::Stop stop = run.session.timeline().pauseReverse();
        pause = std::max(pause, double(timer.nsecsElapsed()) / 1e6);
        if (stop.reason != dap::Stop::Pause) {
            state.SkipWithError("the pause did not stop the run");
            return;
        }
    }
    state.counters["longest_stretch_ms"] = longestStretch;
    state.counters["pause_ms"] = pause;
    state.counters["answered_within_ms"] = 10 + longestStretch + pause;
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
        bytes = run.session.timeline().bytes();
        checkpoints = run.session.timeline().size();
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
    ->ArgNames({"spacing", "data"})
    ->Args({65536, 0})
    ->Args({65536, 1})
    ->Args({65536, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(watchedForwards)
    ->Name("History/dataBreakpoint10M")
    ->ArgName("data")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(pauseReverse)
    ->Name("History/pauseReverse1G")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(boundedHistory)
    ->Name("History/bounded")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
