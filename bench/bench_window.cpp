// Runs through the real window: the "Run program" click on the count-down
// program (steps per second), and the same loop with an OUT per round
// (time of a click that puts out 100,000 or 200,000 lines). The input dialog
// is answered from here; nothing asks "keep running?".

#include "modalanswerer.h"
#include "programs.h"
#include "window.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextEdit>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace
{

// Every dialog that came up was an input dialog, one per run: no message box.
bool onlyInputs(const ModalAnswerer &answers, benchmark::IterationCount runs)
{
    const QStringList texts = answers.texts();
    return answers.unexpected == 0 && texts.size() == qsizetype(runs) &&
           std::all_of(texts.begin(), texts.end(), [](const QString &text) {
               return text.startsWith(QLatin1String("input: "));
           });
}

// Address of the `count` cell in the two count-down programs.
constexpr int kCountAddress = 8;
constexpr int kCountAddressWithOutput = 9;

void countDownInWindow(benchmark::State &state)
{
    bench::Window window(bench::countDownProgram());
    ModalAnswerer answers;
    answers.typeInEveryInput(QString::number(bench::kCountDownStart));
    bench::Window::settle();
    for (auto _ : state) {
        window.run();
        state.PauseTiming();
        bench::Window::settle();
        state.ResumeTiming();
    }
    if (!onlyInputs(answers, state.iterations()) ||
        window.cell(kCountAddress) != QLatin1String("0") ||
        window.label("lblPC") != QLatin1String("7")) {
        state.SkipWithError("the window ran the program wrongly");
        return;
    }
    state.counters["steps/s"] = benchmark::Counter(
        double(bench::countDownSteps(bench::kCountDownStart)) * double(state.iterations()),
        benchmark::Counter::kIsRate);
}

// One click that puts out state.range(0) lines, counted down from that value.
// The time runs from the click until the window has handled the events the
// click left (its repaint among them): the moment the user sees the result.
// The output box lays out lines beyond its first screen later, in steps from
// the event loop; "all_laid_out_s" is the time from the click until every
// line is laid out, forced at once here.
void outputInWindow(benchmark::State &state)
{
    const auto lines = static_cast<std::int32_t>(state.range(0));
    bench::Window window(bench::countDownOutputProgram());
    ModalAnswerer answers;
    answers.typeInEveryInput(QString::number(lines));
    QTextDocument *output = window.find<QTextBrowser>("txtOutput")->document();
    bench::Window::settle();
    double allLaidOutSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer sinceClick;
        sinceClick.start();
        window.run();
        bench::Window::settle();
        state.PauseTiming();
        // The layout of the last block needs the layout of all before it.
        output->documentLayout()->blockBoundingRect(output->lastBlock());
        allLaidOutSeconds += double(sinceClick.nsecsElapsed()) * 1e-9;
        const bool wrong = output->blockCount() != lines + 1 ||
                           window.cell(kCountAddressWithOutput) != QLatin1String("0") ||
                           window.label("lblPC") != QLatin1String("8");
        window.load();
        bench::Window::settle();
        state.ResumeTiming();
        if (wrong) {
            state.SkipWithError("the output box does not hold one line per OUT");
            return;
        }
    }
    if (!onlyInputs(answers, state.iterations())) {
        state.SkipWithError("the window ran the program wrongly");
        return;
    }
    state.counters["all_laid_out_s"] =
        benchmark::Counter(allLaidOutSeconds, benchmark::Counter::kAvgIterations);
}

} // namespace

BENCHMARK(countDownInWindow)
    ->Name("CountDown/window")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(outputInWindow)
    ->Name("WindowOutput")
    ->ArgName("lines")
    ->Arg(100'000)
    ->Arg(200'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
