// Feeds arbitrary bytes, read as UTF-8 (invalid sequences included), to the
// assembler as a program text.
//
// Every input must end in one of two ways: an image of at most 100 words, one
// per line of the source that is not empty, each word a number or a code text
// followed by a number and each followed by a line feed; or a thrown QString
// message that is not empty. Anything else (another exception, a crash, a
// sanitizer report, a broken image) aborts.
//
// The diagnostics about the same text are checked against the window's
// assembler: a text that assembles has no error, one that does not has at
// least one; errors come in line order, and the line the assembler refuses
// is among them, also when the limit of 20 cuts the list (then in the last
// place); a text longer than the memory is refused at the first line that
// does not fit. Warnings come only for a text that assembles. Every
// diagnostic names a line of the text that is not empty (or line 0 for the
// whole program) and a byte range inside it, with a message of one line. A
// text that assembles is also run, every typed value 1, up to a small step
// limit, and the notes about how that run ended are checked the same way.

#include "assembler/assembler.h"
#include "assembler/check.h"
#include "assembler/diagnostics.h"
#include "assembler/sourcetext.h"
#include "machine/runloop.h"
#include "machine/word.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace
{

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "assembler property violated: %s\n", what);
        std::abort();
    }
}

// What one assembly gave: the image, or the message it was refused with.
struct Outcome {
    std::optional<QString> image;
    QString message;
    qint32 line = 0;

    bool operator==(const Outcome &) const = default;
};

Outcome assembleOnce(const QString &source)
{
    Assembler assembler(Assembler::kDefaultSymbolCapacity);
    Outcome outcome;
    try {
        outcome.image = assembler.assemble(source);
    } catch (const QString &message) {
        outcome.message = message;
        // The line the refusal is about; 0 for the program as a whole.
        const qint32 stored = assembler.errorLine;
        outcome.line = stored >= 0 && stored < assembler.lineCount
                           ? assembler.lineNumbers[std::size_t(stored)]
                           : 0;
    }
    require(assembler.lineCount >= 0 && assembler.lineCount <= machine::kMemorySize,
            "line store holds 0 to 100 lines");
    require(assembler.symbolCount >= 0 && assembler.symbolCount <= assembler.symbolCapacity,
            "symbol count within capacity");
    return outcome;
}

// A word is what the load action writes into a cell: an optional minus sign
// and digits ("000", "1201", "0607", "-107", "42").
bool isWordText(QStringView word)
{
    if (word.isEmpty())
        return false;
    const qsizetype start = word.front() == u'-' ? 1 : 0;
    if (start == word.size())
        return false;
    for (qsizetype i = start; i < word.size(); ++i) {
        if (word[i] < u'0' || word[i] > u'9')
            return false;
    }
    return true;
}

// Lines of the text that are not empty, counted from 1 with the empty ones:
// the lines the assembler stores, and the only ones a finding may name.
QList<qint32> linesWithText(const QString &source)
{
    QList<qint32> lines;
    qint32 number = 0;
    for (const QStringView line : QStringView(source).split(u'\n')) {
        ++number;
        if (!line.isEmpty())
            lines.append(number);
    }
    return lines;
}

// Runs the image on the processor, every typed value 1, up to a small step
// limit, and tells how the run ended as the notes about a run take it.
class OnesConsole final : public machine::Console
{
public:
    std::optional<QString> typedText(qint32) override
    {
        // Enough for any run within the step limit, then the input ends.
        if (++asked > kStepLimit)
            return std::nullopt;
        return QStringLiteral("1");
    }
    void writeValue(qint32) override {}
    void message(const QString &) override {}
    void operandReport(qint32, const QString &) override {}

    static constexpr quint64 kStepLimit = 2000;
    quint64 asked = 0;
};

std::optional<diagnostics::RunStop> runOnce(const QString &image)
{
    machine::Processor processor;
    const QList<QStringView> words = QStringView(image).split(u'\n', Qt::SkipEmptyParts);
    for (int address = 0; address < machine::kMemorySize; ++address)
        processor.setWord(address, address < words.size() ? words[address].toString()
                                                          : QString(machine::kEmptyWord));
    OnesConsole console;
    const machine::RunEnd end =
        machine::RunLoop(processor, console, 0, OnesConsole::kStepLimit).run();
    diagnostics::RunStop stop;
    if (end.kind == machine::RunEnd::Fault) {
        stop.address = end.address;
        stop.previousAddress = end.previousAddress;
        return stop;
    }
    if (end.kind != machine::RunEnd::StepLimit)
        return std::nullopt;
    require(end.lowestRecent >= 0 && end.lowestRecent <= end.highestRecent &&
                end.highestRecent < machine::kMemorySize,
            "the last steps before the step limit ran inside the memory");
    stop.kind = diagnostics::RunStop::StepLimit;
    stop.lowest = end.lowestRecent;
    stop.highest = end.highestRecent;
    stop.recentSteps = machine::kRecentSteps;
    return stop;
}

// Each names a line of the text that is not empty, or the whole program
// where that is allowed, and a byte range inside the line; one line of text.
void checkPlaces(const QList<diagnostics::Diagnostic> &list, const QString &source,
                 bool wholeProgram)
{
    const QList<qint32> lines = linesWithText(source);
    for (const diagnostics::Diagnostic &found : list) {
        const diagnostics::Range &range = found.range;
        require(range.line == 0 ? wholeProgram || found.kind == QLatin1String("too-many-errors")
                                : lines.contains(range.line),
                "a diagnostic names a line of the text that is not empty");
        if (range.line > 0) {
            const qint32 bytes =
                diagnostics::utf8Length(diagnostics::lineOfText(source, range.line));
            require(range.begin >= 0 && range.begin <= range.end && range.end <= bytes,
                    "a diagnostic's bytes lie inside its line");
        }
        require(!found.kind.isEmpty(), "every diagnostic has a kind");
        require(!found.message.isEmpty() && !found.message.contains(u'\n'),
                "a message is one line of text");
    }
}

// The lines of the errors, the limit's closing one left out.
QList<qint32> errorLines(const QList<diagnostics::Diagnostic> &list)
{
    QList<qint32> lines;
    for (const diagnostics::Diagnostic &found : list) {
        if (found.severity == diagnostics::Severity::Error &&
            found.kind != QLatin1String("too-many-errors"))
            lines.append(found.range.line);
    }
    return lines;
}

void checkErrors(const QString &source, const Outcome &outcome, qsizetype storedLines)
{
    const QList<diagnostics::Diagnostic> all = diagnostics::check(source);
    const QList<qint32> lines = errorLines(all);
    checkPlaces(all, source, false);
    require(outcome.image.has_value() == lines.isEmpty(),
            "a text has errors exactly when the assembler refuses it");
    if (outcome.image)
        return;
    require(std::is_sorted(lines.begin(), lines.end()), "errors come in line order");
    // The assembler refuses a text longer than the memory before anything
    // else; the error is at the first line that does not fit.
    const qint32 windowLine = storedLines > machine::kMemorySize
                                  ? diagnostics::storedLines(source)[100].number
                                  : outcome.line;
    require(windowLine > 0, "the assembler's refusal names a line");
    require(lines.contains(windowLine), "the assembler's error is among the errors, at its line");

    const QList<diagnostics::Diagnostic> capped =
        diagnostics::check(source, diagnostics::kErrorLimit);
    const QList<qint32> kept = errorLines(capped);
    const bool cut = lines.size() > diagnostics::kErrorLimit;
    require(kept.size() == std::min(lines.size(), diagnostics::kErrorLimit),
            "at most 20 errors are kept");
    require(cut == (capped.last().kind == QLatin1String("too-many-errors")),
            "a cut list ends in too-many-errors");
    require(kept.contains(windowLine), "the assembler's error survives the limit");
    if (cut && !lines.first(diagnostics::kErrorLimit).contains(windowLine))
        require(kept.last() == windowLine, "beyond the limit, the assembler's error is the last");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString source =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const qsizetype sourceLines = source.split(u'\n', Qt::SkipEmptyParts).size();

    const Outcome outcome = assembleOnce(source);
    if (!outcome.image) {
        require(!outcome.message.isEmpty(), "a refusal carries a message");
    } else {
        const QString &image = *outcome.image;
        require(sourceLines <= machine::kMemorySize, "more than 100 lines are refused");
        require(image.isEmpty() || image.endsWith(u'\n'), "every word ends with a line feed");
        const QList<QStringView> words = QStringView(image).split(u'\n');
        // Splitting "w1\nw2\n" gives the words and one empty piece after the last.
        require(words.size() - 1 == sourceLines, "one word per line that is not empty");
        for (qsizetype k = 0; k + 1 < words.size(); ++k)
            require(isWordText(words[k]), "every word is a sign and digits, never empty");
    }

    // A fresh assembler must give exactly the same answer.
    require(assembleOnce(source) == outcome, "assembly is repeatable");

    checkErrors(source, outcome, sourceLines);
    const QList<diagnostics::Diagnostic> warnings = diagnostics::warnings(source);
    require(outcome.image || warnings.isEmpty(), "no warning about a refused text");
    checkPlaces(warnings, source, true);
    // How a run of the program ended, and the notes about it.
    if (outcome.image) {
        if (const std::optional<diagnostics::RunStop> stop = runOnce(*outcome.image))
            checkPlaces(diagnostics::runNotes(source, *stop), source, true);
    }
    return 0;
}
