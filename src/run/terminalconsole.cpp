#include "run/terminalconsole.h"

#include "machine/decimal.h"

#include <charconv>
#include <istream>
#include <ostream>

namespace run
{

namespace
{

// Pending output, or pending trace lines, are written once they grow past this size.
constexpr std::size_t kBufferSize = 1 << 16;
// A typed value longer than this is no 32-bit number whatever follows; only
// its start is kept, so that a runaway line cannot fill the memory.
constexpr std::size_t kLongestValueKept = 4096;

} // namespace

TerminalConsole::TerminalConsole(std::istream &input, std::ostream &output, std::ostream &errors,
                                 bool prompts)
    : prompts(prompts), input(input), output(output), errors(errors)
{
}

// Reads up to the end of the value and the one character after it, never
// further: someone typing sees the run go on as soon as the line is entered.
std::optional<QString> TerminalConsole::readValue(std::string_view prompt)
{
    int c = 0;
    for (;;) {
        if (prompts && atLineStart) {
            writeTrace();
            errors << prompt << std::flush;
            atLineStart = false;
        }
        c = input.get();
        if (c == std::char_traits<char>::eof()) {
            // The input ended on the prompt's line (Ctrl-D): what follows
            // starts a line of its own.
            if (prompts && !atLineStart) {
                errors << '\n' << std::flush;
                atLineStart = true;
            }
            return std::nullopt;
        }
        if (c == '\n')
            atLineStart = true;
        if (!machine::isCSpace(char32_t(c)))
            break;
    }
    std::string value;
    for (; c != std::char_traits<char>::eof() && !machine::isCSpace(char32_t(c)); c = input.get()) {
        if (value.size() < kLongestValueKept)
            value += char(c);
    }
    if (c == '\n')
        atLineStart = true;
    return QString::fromStdString(value);
}

void TerminalConsole::writeValue(qint32 value)
{
    char digits[16];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), value);
    pending.append(digits, written.ptr);
    pending += '\n';
    if (pending.size() >= kBufferSize)
        flush(); // a failure is seen by the caller's next flush
}

// Writes the trace lines, then the pending output lines; the failure of the
// output stream is reported the first time it is seen.
bool TerminalConsole::flush()
{
    writeTrace();
    if (outputFailed)
        return false;
    if (!pending.empty()) {
        output.write(pending.data(), std::streamsize(pending.size()));
        pending.clear();
        output.flush();
    }
    if (output)
        return true;
    outputFailed = true;
    errors << "Error: cannot write to standard output." << std::endl;
    return false;
}

void TerminalConsole::message(const QString &text)
{
    flush();
    errors << text.toStdString();
    if (!text.endsWith(QLatin1Char('\n')))
        errors << '\n';
    errors << std::flush;
}

// Output made before a trace line is written before it, so that the two
// streams read in order on a terminal.
void TerminalConsole::trace(std::string_view line)
{
    if (!pending.empty())
        flush();
    traceLines += line;
    traceLines += '\n';
    if (traceLines.size() >= kBufferSize)
        writeTrace();
}

bool TerminalConsole::print(const QString &text)
{
    pending += text.toStdString();
    return flush();
}

void TerminalConsole::writeTrace()
{
    if (traceLines.empty())
        return;
    errors.write(traceLines.data(), std::streamsize(traceLines.size()));
    errors.flush();
    traceLines.clear();
}

} // namespace run
