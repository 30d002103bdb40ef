// Time of checking a program for every error, as korvane-run does (at most
// 20 errors) and as an editor would (all of them): a 100-line program with
// three mistakes, and that program repeated up to 1 MiB. And the whole of
// korvane-run --assemble, process start included, on 1 MiB with an error on
// every line: its time and the peak memory of its process. And, as counters,
// the share of beginners' mistakes that the first fixes repair.

#include "diagnostics/errors.h"

#include "mistakes.h"
#include "programs.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

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

// Six lines, each with a mistake of its own: a misspelt mnemonic, an
// undefined label, a label before a misspelt mnemonic, a number as operand,
// words too many and a comment.
QString everyLineWrong()
{
    return bench::repeatedToOneMebibyte(
        QStringLiteral("\tLDAA\tv1\n\tLDA\tnowhere\nloop OUPT\n\tSTA 5\nx y z w\n"
                       "\tBRA\tloop ; again\n"));
}

// korvane-run --assemble on the text, its output thrown away; the peak
// resident memory of the process in MiB, or -1 when it did not run as it
// should, and the processor time it took in seconds (on a busy machine the
// wall time is mostly waiting).
double assembleOnce(const char *path, double &cpuSeconds)
{
    int pipe[2];
    if (::pipe(pipe) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe[0]);
    char *const arguments[] = {const_cast<char *>(KORVANE_PEAKRSS_PATH),
                               const_cast<char *>(KORVANE_RUN_PATH),
                               const_cast<char *>("--assemble"), const_cast<char *>(path), nullptr};
    pid_t child = 0;
    const int failed =
        posix_spawn(&child, KORVANE_PEAKRSS_PATH, &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    char line[64] = {};
    const ssize_t got = failed == 0 ? ::read(pipe[0], line, sizeof line - 1) : -1;
    ::close(pipe[0]);
    int status = 0;
    if (failed != 0 || waitpid(child, &status, 0) != child || got <= 0)
        return -1;
    long peakKiB = 0;
    long long cpuMicroseconds = 0;
    int exitStatus = 0;
    if (std::sscanf(line, "%ld %lld %d", &peakKiB, &cpuMicroseconds, &exitStatus) != 3 ||
        exitStatus != 1) // 1: the program does not assemble
        return -1;
    cpuSeconds = double(cpuMicroseconds) / 1e6;
    return double(peakKiB) / 1024.0;
}

void assembleEveryLineWrong(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("wrong.txt"));
    QFile file(path);
    const QByteArray text = everyLineWrong().toUtf8();
    if (!folder.isValid() || !file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        state.SkipWithError("cannot write the program");
        return;
    }
    file.close();
    const QByteArray name = path.toLocal8Bit();
    double peak = 0;
    double cpu = 0;
    for (auto _ : state) {
        double once = 0;
        const double used = assembleOnce(name.constData(), once);
        cpu += once;
        if (used < 0) {
            state.SkipWithError("korvane-run --assemble did not refuse the program");
            return;
        }
        peak = std::max(peak, used);
    }
    state.counters["peak_MiB"] = peak;
    state.counters["cpu_ms"] = 1e3 * cpu / double(state.iterations());
    state.counters["bytes"] = double(text.size());
}

void check(benchmark::State &state, const QString &text, qsizetype errorLimit)
{
    for (auto _ : state) {
        QList<diagnostics::Diagnostic> found = diagnostics::check(text, errorLimit);
        benchmark::DoNotOptimize(found);
    }
    state.counters["bytes"] = double(text.toUtf8().size());
}

// Not a time: how many beginners' mistakes the first fixes repair, per
// kind and over all (the same programs as the test), as counters.
void repairRate(benchmark::State &state)
{
    QList<mistakes::Tally> tallies;
    for (auto _ : state)
        tallies = mistakes::tallies(60, 20261208);
    for (const mistakes::Tally &tally : std::as_const(tallies)) {
        QString name = tally.kind;
        name.replace(QLatin1Char(' '), QLatin1Char('_'));
        state.counters[(name + QLatin1String("_%")).toStdString()] =
            tally.refused() ? 100.0 * tally.repaired / tally.refused() : 100.0;
    }
    state.counters["wrong_repairs"] = tallies.isEmpty() ? 0 : tallies.last().wrong;
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
    benchmark::RegisterBenchmark("CheckRun/1MiB-every-line", assembleEveryLineWrong)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("Mistakes/repair-rate", repairRate)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    return true;
}();

} // namespace
