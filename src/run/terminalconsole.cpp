#include "run/terminalconsole.h"

#include <charconv>
#include <istream>
#include <ostream>

namespace terminal
{

namespace
{

// Pending output, or pending trace lines, are written once they grow past this size.
constexpr std::size_t kBufferSize = 1 << 16;

} // namespace

TerminalConsole::TerminalConsole(std::istream &input, std::ostream &output, std::ostream &errors)
    : input(input), output(output), errors(errors)
{
}

std::optional<QString> TerminalConsole::readLine()
{
    std::string line;
    if (!std::getline(input, line))
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QString::fromStdString(line);
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

} // namespace terminal
