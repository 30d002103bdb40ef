#include "run/jsontrace.h"

#include "run/tracetext.h"

namespace run
{

namespace
{

void appendEscaped(std::string &line, char c)
{
    static constexpr char kHex[] = "0123456789abcdef";
    if (c == '"' || c == '\\') {
        line += '\\';
        line += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
        line += "\\u00";
        line += kHex[(c >> 4) & 0xf];
        line += kHex[c & 0xf];
    } else {
        line += c;
    }
}

} // namespace

void appendJsonString(std::string &line, const QString &text)
{
    line += '"';
    if (isAscii(text)) {
        for (const QChar c : text)
            appendEscaped(line, char(c.unicode()));
    } else {
        // UTF-8 bytes beyond ASCII stand for themselves in JSON; an unpaired
        // surrogate becomes a replacement character.
        for (const char c : text.toStdString())
            appendEscaped(line, c);
    }
    line += '"';
}

JsonTraceWriter::JsonTraceWriter(TerminalConsole &terminal, const program::Program &program)
    : terminal(terminal)
{
    for (qint32 address = 0; address < machine::kMemorySize; ++address) {
        std::string &fields = lineAndAddress[std::size_t(address)];
        fields = ",\"line\":";
        if (const qint32 sourceLine = program.lineNumberOf(address); sourceLine > 0)
            appendNumber(fields, sourceLine);
        else
            fields += "null";
        fields += ",\"address\":";
        appendNumber(fields, address);
        fields += ",\"word\":";
    }
}

void JsonTraceWriter::stepDone(const machine::Step &step)
{
    line = "{\"step\":";
    appendNumber(line, step.number);
    // The processor fetches only from cells of the memory.
    line += lineAndAddress[std::size_t(step.address)];
    appendJsonString(line, step.word);
    line += ",\"opcode\":";
    appendNumber(line, step.opcode);
    line += ",\"operand\":";
    appendNumber(line, step.operand);
    line += ",\"accumulator\":";
    appendNumber(line, step.accumulator);
    line += ",\"flags\":";
    appendNumber(line, step.flags);
    line += ",\"effect\":";
    switch (step.effect) {
    case machine::Step::Effect::None:
        line += "null";
        break;
    case machine::Step::Effect::Stored:
        line += "\"store\",\"cell\":";
        appendNumber(line, step.value);
        line += ",\"value\":";
        appendNumber(line, step.accumulator);
        break;
    case machine::Step::Effect::Branched:
        line += "\"jump\"";
        break;
    case machine::Step::Effect::NotTaken:
        line += "\"not taken\"";
        break;
    case machine::Step::Effect::Input:
        line += "\"input\",\"input\":";
        appendNumber(line, step.value);
        break;
    case machine::Step::Effect::Output:
        line += "\"output\",\"output\":";
        appendNumber(line, step.value);
        break;
    case machine::Step::Effect::FlagsSet:
        line += "\"flags\"";
        break;
    }
    if (step.wrapped)
        line += ",\"wrapped\":true";
    line += '}';
    terminal.trace(line);
}

} // namespace run
