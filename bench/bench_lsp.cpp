// Time from a change sent by an editor to the diagnostics that korvane-lsp
// publishes for it, measured at the client: korvane-lsp runs as its own
// process, and each iteration sends one didChange over its standard input and
// waits on its standard output for the publishDiagnostics of that version.
// A one-word change in a 100-line program with mistakes, and the whole text
// of a 1 MiB program.

#include "jsonrpc/framing.h"

#include "programs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

#include <benchmark/benchmark.h>

namespace
{

const QString kUri = QStringLiteral("file:///bench.txt");

// Fifty loads of fifty data cells, three of them mistaken.
QString hundredLines()
{
    QString text;
    for (int k = 0; k < 50; ++k)
        text += (k == 10 ? QStringLiteral("\tLDAA\tv%1\n") : QStringLiteral("\tLDA\tv%1\n")).arg(k);
    for (int k = 0; k < 50; ++k)
        text += QStringLiteral("v%1\tDAT\t%1\n").arg(k);
    return text;
}

QString oneMebibyte()
{
    return bench::repeatedToOneMebibyte(hundredLines());
}

class Client
{
public:
    Client()
    {
        server_.setProgram(QStringLiteral(KORVANE_LSP_PATH));
        server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server_.start();
        server_.waitForStarted();
        send(QJsonObject{{"jsonrpc", "2.0"},
                         {"id", 1},
                         {"method", "initialize"},
                         {"params", QJsonObject{{"capabilities", QJsonObject()}}}});
        waitFor([](const QJsonObject &m) { return m.value("id").toInt() == 1; });
        send(QJsonObject{{"jsonrpc", "2.0"}, {"method", "initialized"}, {"params", QJsonObject()}});
    }
    ~Client()
    {
        send(QJsonObject{{"jsonrpc", "2.0"}, {"id", 2}, {"method", "shutdown"}});
        send(QJsonObject{{"jsonrpc", "2.0"}, {"method", "exit"}});
        server_.waitForFinished(5000);
    }

    void open(const QString &text)
    {
        send(QJsonObject{
            {"jsonrpc", "2.0"},
            {"method", "textDocument/didOpen"},
            {"params", QJsonObject{{"textDocument", QJsonObject{{"uri", kUri},
                                                                {"languageId", "korvane"},
                                                                {"version", ++version_},
                                                                {"text", text}}}}}});
        waitForDiagnostics();
    }

    // Sends one change and returns the number of diagnostics published for it.
    qsizetype change(const QJsonObject &contentChange)
    {
        send(QJsonObject{
            {"jsonrpc", "2.0"},
            {"method", "textDocument/didChange"},
            {"params",
             QJsonObject{{"textDocument", QJsonObject{{"uri", kUri}, {"version", ++version_}}},
                         {"contentChanges", QJsonArray{contentChange}}}}});
        return waitForDiagnostics();
    }

private:
    void send(const QJsonObject &message)
    {
        server_.write(jsonrpc::frame(QJsonDocument(message).toJson(QJsonDocument::Compact)));
        server_.waitForBytesWritten(-1);
    }

    qsizetype waitForDiagnostics()
    {
        const QJsonObject published = waitFor([this](const QJsonObject &m) {
            return m.value("method").toString() == "textDocument/publishDiagnostics" &&
                   m.value("params").toObject().value("version").toInt() == version_;
        });
        return published.value("params").toObject().value("diagnostics").toArray().size();
    }

    template <typename Wanted>
    QJsonObject waitFor(Wanted wanted)
    {
        for (;;) {
            QByteArray body;
            QString problem;
            while (reader_.next(body, problem) == jsonrpc::MessageReader::Result::Message) {
                const QJsonObject message = QJsonDocument::fromJson(body).object();
                if (wanted(message))
                    return message;
            }
            if (!server_.waitForReadyRead(10000))
                return {};
            reader_.append(server_.readAllStandardOutput());
        }
    }

    QProcess server_;
    jsonrpc::MessageReader reader_;
    qint32 version_ = 0;
};

QJsonObject rangeChange(int line, int from, int to, const QString &text)
{
    const auto at = [&](int character) {
        return QJsonObject{{"line", line}, {"character", character}};
    };
    return QJsonObject{{"range", QJsonObject{{"start", at(from)}, {"end", at(to)}}},
                       {"text", text}};
}

// Line 11 alternates between the misspelt LDAA and LDA: the list of
// diagnostics changes with every edit.
void BM_LspDiagnosticsAfterChange100Lines(benchmark::State &state)
{
    Client client;
    client.open(hundredLines());
    bool misspelt = true;
    qsizetype diagnostics = 0;
    for (auto _ : state) {
        diagnostics = misspelt ? client.change(rangeChange(10, 1, 5, QStringLiteral("LDA")))
                               : client.change(rangeChange(10, 1, 4, QStringLiteral("LDAA")));
        misspelt = !misspelt;
    }
    state.counters["diagnostics"] = double(diagnostics);
}
BENCHMARK(BM_LspDiagnosticsAfterChange100Lines)
    ->Name("Lsp/change-100-lines")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_LspDiagnosticsAfterChange1MiB(benchmark::State &state)
{
    Client client;
    client.open(QStringLiteral("HLT\n"));
    const QString text = oneMebibyte();
    qsizetype diagnostics = 0;
    for (auto _ : state)
        diagnostics = client.change(QJsonObject{{"text", text}});
    state.counters["diagnostics"] = double(diagnostics);
    state.counters["bytes"] = double(text.size());
}
BENCHMARK(BM_LspDiagnosticsAfterChange1MiB)
    ->Name("Lsp/change-1MiB")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
