#pragma once

// The streams of a terminal: typed values come from an input stream, one per
// line, and output values go to an output stream, one per line. Messages and
// trace lines go to the error stream in the order they are made.

#include <QString>
#include <QtGlobal>

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace terminal
{

class TerminalConsole
{
public:
    TerminalConsole(std::istream &input, std::ostream &output, std::ostream &errors);

    // The next line of the input, without its line end; none once it has ended.
    std::optional<QString> readLine();
    void writeValue(qint32 value);
    // Hands on what was written so far; false once the output cannot be written.
    bool flush();
    // A message in its own line, after the output made before it.
    void message(const QString &text);
    // One line of the step trace, after the output made before it.
    void trace(std::string_view line);

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
