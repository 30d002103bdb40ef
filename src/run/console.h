#pragma once

// Where a run takes its typed values from and puts its output values,
// messages and trace lines: the terminal, or one case of a test.

#include <QString>
#include <QtGlobal>

#include <optional>
#include <string_view>

namespace terminal
{

class Console
{
public:
    virtual ~Console() = default;

    // The next typed value, or none once the input has ended.
    virtual std::optional<qint32> readValue() = 0;
    virtual void writeValue(qint32 value) = 0;
    // Hands on what was written so far; false once the output cannot be written.
    virtual bool flush() = 0;
    // A message in its own line, after the output made before it.
    virtual void message(const QString &text) = 0;
    // One line of the step trace; a console that shows no trace ignores it.
    virtual void trace(std::string_view line) { Q_UNUSED(line); }
};

} // namespace terminal
