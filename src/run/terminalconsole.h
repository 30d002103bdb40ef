#pragma once

// The streams of a terminal: typed values come from an input stream,
// separated by blanks, tabs or line ends, and output values go to an output
// stream, one per line. Messages and trace lines go to the error stream in the
// order they are made.

#include <QString>
#include <QtGlobal>

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace run
{

class TerminalConsole
{
public:
    // prompts: the input comes from someone typing at a terminal, who is told
    // when a value is wanted.
    TerminalConsole(std::istream &input, std::ostream &output, std::ostream &errors,
                    bool prompts = false);

    // The next value typed, as text; none once the input has ended. When the
    // terminal prompts, `prompt` is shown whenever a new line is to be read.
    std::optional<QString> readValue(std::string_view prompt);
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
    const bool prompts;
    bool atLineStart = true; // the next character read starts a line
    std::string pending;     // output lines not yet written
    std::string traceLines;  // trace lines not yet written
    std::istream &input;
    std::ostream &output;
    std::ostream &errors;
};

} // namespace run
