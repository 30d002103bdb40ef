// korvane-dap as an editor drives it, process start included: continue over
// 10,000,000 steps to a breakpoint, beside a plain korvane-run run of the
// same program, and how long a pause takes to be answered while an endless
// loop runs.

#include "jsonrpc/framing.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <deque>

namespace
{

// 2,500,000 rounds of four steps, then the halt: its line holds the breakpoint.
const char kCountDown[] = "loop\tLDA\tcount\n\tSUB\tone\n\tSTA\tcount\n\tBRP\tloop\n\tHLT\n"
                          "count\tDAT\t2500000\none\tDAT\t1\n";
constexpr int kHaltLine = 5;
const char kEndless[] = "loop\tBRA\tloop\n";
// An endless loop that puts out a value every second step.
const char kEndlessOutput[] = "loop\tOUT\n\tBRA\tloop\n";

// The program written into the folder; empty, with the benchmark skipped, when it cannot be.
QString programFile(const QTemporaryDir &folder, const char *text, benchmark::State &state)
{
    const QString path = folder.filePath(QStringLiteral("program.txt"));
    QFile file(path);
    if (folder.isValid() && file.open(QIODevice::WriteOnly) &&
        file.write(text) == qint64(qstrlen(text)))
        return path;
    state.SkipWithError("cannot write the program");
    return {};
}

// Just enough of a DAP client: requests out, messages in.
class Client
{
public:
    bool start()
    {
        process.start(QStringLiteral(KORVANE_DAP_PATH), {QStringLiteral("--stdio")});
        return process.waitForStarted(10000);
    }
    ~Client()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(5000);
    }
    void request(const QString &command, const QJsonObject &arguments = {})
    {
        const QJsonObject message{{QStringLiteral("seq"), ++seq},
                                  {QStringLiteral("type"), QStringLiteral("request")},
                                  {QStringLiteral("command"), command},
                                  {QStringLiteral("arguments"), arguments}};
        process.write(jsonrpc::frame(QJsonDocument(message).toJson(QJsonDocument::Compact)));
    }
    // Waits for the event; false when it does not come in time.
    bool waitFor(const QString &event, int milliseconds = 120000)
    {
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            while (!messages.empty()) {
                const QJsonObject message = messages.front();
                messages.pop_front();
                if (message.value(QLatin1String("event")).toString() == event)
                    return true;
            }
            const qint64 left = milliseconds - timer.elapsed();
            if (left <= 0 || !process.waitForReadyRead(int(left)))
                return false;
            reader.append(process.readAllStandardOutput());
            QByteArray body;
            QString problem;
            while (reader.next(body, problem) == jsonrpc::MessageReader::Result::Message)
                messages.push_back(QJsonDocument::fromJson(body).object());
        }
    }

private:
    QProcess process;
    jsonrpc::MessageReader reader;
    std::deque<QJsonObject> messages;
    qint64 seq = 0;
};

void launch(Client &client, const QString &program, const QJsonObject &more = {})
{
    client.request(QStringLiteral("initialize"),
                   {{QStringLiteral("adapterID"), QStringLiteral("korvane")}});
    QJsonObject arguments = more;
    arguments.insert(QStringLiteral("program"), program);
    client.request(QStringLiteral("launch"), arguments);
}

void continueToBreakpoint(benchmark::State &state)
{
    const QTemporaryDir folder;
    const QString program = programFile(folder, kCountDown, state);
    if (program.isEmpty())
        return;
    for (auto _ : state) {
        Client client;
        if (!client.start()) {
            state.SkipWithError("korvane-dap does not start");
            return;
        }
        launch(client, program, {{QStringLiteral("maxSteps"), 0}});
        client.request(QStringLiteral("setBreakpoints"),
                       {{QStringLiteral("source"), QJsonObject{{QStringLiteral("path"), program}}},
                        {QStringLiteral("lines"), QJsonArray{kHaltLine}}});
        client.request(QStringLiteral("configurationDone"));
        if (!client.waitFor(QStringLiteral("stopped"))) {
            state.SkipWithError("korvane-dap did not stop at the breakpoint");
            return;
        }
    }
}

void korvaneRunPlain(benchmark::State &state)
{
    const QTemporaryDir folder;
    const QString program = programFile(folder, kCountDown, state);
    if (program.isEmpty())
        return;
    for (auto _ : state) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(QStringLiteral(KORVANE_RUN_PATH),
                      {QStringLiteral("--max-steps"), QStringLiteral("0"), program});
        if (!process.waitForFinished(120000) || process.exitCode() != 0) {
            state.SkipWithError("korvane-run did not run the count-down to its halt");
            return;
        }
    }
}

// Time from the pause request to the stopped event, 200 ms into an endless
// run: a quiet one (argument 0) or one that puts out a value every second step.
void pauseLatency(benchmark::State &state)
{
    const QTemporaryDir folder;
    const QString program = programFile(folder, state.range(0) ? kEndlessOutput : kEndless, state);
    if (program.isEmpty())
        return;
    double longest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Client client;
        if (!client.start()) {
            state.SkipWithError("korvane-dap does not start");
            return;
        }
        launch(client, program, {{QStringLiteral("maxSteps"), 0}});
        client.request(QStringLiteral("configurationDone"));
        client.waitFor(QStringLiteral("initialized"));
        QElapsedTimer running;
        running.start();
        while (running.elapsed() < 200)
            client.waitFor(QStringLiteral("none"), 10);
        state.ResumeTiming();
        QElapsedTimer answered;
        answered.start();
        client.request(QStringLiteral("pause"), {{QStringLiteral("threadId"), 1}});
        if (!client.waitFor(QStringLiteral("stopped"), 5000)) {
            state.SkipWithError("korvane-dap did not answer the pause");
            return;
        }
        longest = std::max(longest, double(answered.nsecsElapsed()) / 1e6);
    }
    state.counters["longest_pause_ms"] = longest;
}

} // namespace

BENCHMARK(continueToBreakpoint)
    ->Name("Dap/continue10M")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(korvaneRunPlain)->Name("Dap/korvaneRun10M")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(pauseLatency)
    ->Name("Dap/pause")
    ->ArgName("output")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10);
