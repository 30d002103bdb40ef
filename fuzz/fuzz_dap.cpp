// Feeds arbitrary bytes to korvane-dap's message handling: the framing cuts
// them into messages, in pieces of the sizes the input's first byte picks,
// and the adapter answers each as the executable would, running the program
// a few stretches after each one.
//
// In message bodies, "SAMPLES/" names the folder where the six samples are
// written at start, so that seeds can launch real programs.
//
// The same bytes, as text, are also read as a breakpoint's condition, hit
// count and log message.
//
// Every message the adapter sends must be a JSON object with a seq, a type
// and (for a response) the request it answers; framed and read back, each
// must come out unchanged.

#include "app/sampleprograms.h"
#include "dap/adapter.h"
#include "dap/condition.h"
#include "jsonrpc/framing.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{

constexpr int kStretchesPerMessage = 3;

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "adapter property violated: %s\n", what);
        std::abort();
    }
}

QByteArray samplesFolder()
{
    static const QByteArray folder = [] {
        const QString path = QDir::temp().filePath(QStringLiteral("korvane-fuzz-dap"));
        QDir().mkpath(path);
        for (int sample = 0; sample < sampleProgramCount; ++sample) {
            QFile file(QDir(path).filePath(QStringLiteral("sample%1.kasm").arg(sample)));
            if (file.open(QIODevice::WriteOnly))
                file.write(samplePrograms()[std::size_t(sample)].toUtf8());
        }
        return (path + QLatin1Char('/')).toUtf8();
    }();
    return folder;
}

void checkSent(const QJsonObject &message)
{
    require(message.value(QLatin1String("seq")).toInteger(0) > 0, "a message without seq");
    const QString type = message.value(QLatin1String("type")).toString();
    require(type == QLatin1String("response") || type == QLatin1String("event"),
            "a message that is neither a response nor an event");
    if (type == QLatin1String("response"))
        require(message.contains(QLatin1String("request_seq")), "a response without request_seq");
    const QByteArray body = QJsonDocument(message).toJson(QJsonDocument::Compact);
    jsonrpc::MessageReader reader;
    reader.append(jsonrpc::frame(body));
    QByteArray read;
    QString problem;
    require(reader.next(read, problem) == jsonrpc::MessageReader::Result::Message && read == body &&
                reader.buffered() == 0,
            "a sent message does not read back");
}

// The input's text, whatever it is, read as a condition, a hit count and a
// log message, and each that reads used on a machine: never a crash, and a
// text that does not read always says why. Labels of one character stand
// anywhere, also past the memory.
void readAsBreakpointTexts(const QByteArray &bytes)
{
    const QString text = QString::fromUtf8(bytes);
    const dap::LabelLookup labels = [](const QString &name) -> std::optional<qint32> {
        return name.size() == 1 ? std::optional<qint32>(name.at(0).unicode() % 120) : std::nullopt;
    };
    machine::Processor processor;
    processor.setWord(5, QStringLiteral("12"));
    QString error;
    if (const std::optional<dap::Condition> condition = dap::Condition::parse(text, labels, error))
        condition->holds(processor);
    else
        require(!error.isEmpty(), "a condition refused without a reason");
    error.clear();
    if (const std::optional<dap::HitCondition> hit = dap::HitCondition::parse(text, error))
        hit->stopsAt(quint64(text.size()));
    else
        require(!error.isEmpty(), "a hit count refused without a reason");
    error.clear();
    if (const std::optional<dap::LogMessage> message = dap::LogMessage::parse(text, labels, error))
        message->text(processor);
    else
        require(!error.isEmpty(), "a log message refused without a reason");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_dap";
    static char *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    if (size == 0)
        return 0;

    const qsizetype piece = 1 + data[0] % 64;
    QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    bytes.replace("SAMPLES/", samplesFolder());

    readAsBreakpointTexts(bytes.left(4096));

    dap::Adapter adapter([](const QJsonObject &message) { checkSent(message); });
    jsonrpc::MessageReader reader;
    for (qsizetype at = 0; at < bytes.size() && !adapter.finished(); at += piece) {
        reader.append(QByteArrayView(bytes).sliced(at, std::min(piece, bytes.size() - at)));
        for (;;) {
            QByteArray body;
            QString problem;
            const jsonrpc::MessageReader::Result result = reader.next(body, problem);
            if (result == jsonrpc::MessageReader::Result::Incomplete ||
                result == jsonrpc::MessageReader::Result::Broken)
                break;
            if (result == jsonrpc::MessageReader::Result::Message)
                adapter.handle(body);
            else
                adapter.refuse(problem);
            for (int stretch = 0; stretch < kStretchesPerMessage && adapter.running(); ++stretch)
                adapter.runChunk();
        }
    }
    return 0;
}
