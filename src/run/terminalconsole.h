#pragma once

// The console of a terminal: typed values come from an input stream, one per
// line, and output values go to an output stream, one per line. Messages and
// trace lines go to the error stream in the order they are made.

#include "run/console.h"

#include <iosfwd>
#include <string>

namespace terminal
{

class TerminalConsole final : public Console
{
public:
    TerminalConsole(std::istream &input, std::ostream &output, std::ostream &errors);

    std::optional<qint32> readValue() override;
    void writeValue(qint32 value) override;
    bool flush() override;
    void message(const QString &text) override;
    void trace(std::string_view line) override;

    // Writes the text to the output stream; false once it cannot be written.
    bool print(const QString &text);

private:
    void writeTrace();

    bool outputFailed = false;
    std::string pending;    // output lines not yet written
    std::string traceLines; // trace lines not yet written
    std::istream &input;
    std::ostream &output;
    std::ostream &errors;
};

} // namespace terminal
