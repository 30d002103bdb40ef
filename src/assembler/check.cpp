#include "assembler/check.h"

#include "assembler/characters.h"
#include "assembler/mnemonic.h"
#include "assembler/sourcetext.h"
#include "assembler/spelling.h"
#include "machine/instructionset.h"
#include "machine/word.h"

#include <QHash>

#include <optional>

namespace diagnostics
{

namespace
{

using machine::Instruction;
using machine::Operand;

bool isMnemonic(const Word &word)
{
    return word.mnemonic != nullptr;
}

// The text from the first byte of one word to the last byte of another, as written.
QStringView span(const Word &first, const Word &last)
{
    return QStringView(first.written.data(), last.written.data() + last.written.size());
}

Diagnostic error(const char *kind, const Range &range, const QString &message)
{
    Diagnostic found;
    found.kind = QLatin1String(kind);
    found.range = range;
    found.message = message;
    return found;
}

Diagnostic note(const char *kind, const Range &range, const QString &message)
{
    Diagnostic found = error(kind, range, message);
    found.severity = Severity::Note;
    return found;
}

// The error about a word holding a character that only looks right.
Diagnostic oddCharacter(const SourceLine &line, const Word &word, const OddCharacter &odd)
{
    static const char *const kinds[] = {"unusual-space", "invisible-character",
                                        "look-alike-character"};
    Diagnostic found =
        error(kinds[odd.kind], line.rangeOf(word), oddCharacterMessage(word.written, odd));
    found.fixes.append(oddCharacterFix(word.written, line.number, word.begin, odd));
    return found;
}

// The error about a word where an instruction belongs, when it is near
// enough to some: "did you mean", with one fix per mnemonic.
std::optional<Diagnostic> misspelt(const SourceLine &line, const Word &word)
{
    QStringList nearest = nearestMnemonics(word.key);
    if (nearest.isEmpty())
        return std::nullopt;
    // Suggested in the case the student writes in.
    const bool lower = word.written.toString() == word.written.toString().toLower();
    if (lower) {
        for (QString &mnemonic : nearest)
            mnemonic = mnemonic.toLower();
    }
    Diagnostic found =
        error("unknown-mnemonic", line.rangeOf(word),
              quoted(word.written) + QLatin1String(" is not an instruction; did you mean ") +
                  alternatives(nearest) + QLatin1Char('?'));
    for (const QString &mnemonic : std::as_const(nearest))
        found.fixes.append(Fix{QLatin1String("Replace ") + quoted(word.written) +
                                   QLatin1String(" with '") + mnemonic + QLatin1Char('\''),
                               {Edit{line.rangeOf(word), mnemonic}}});
    return found;
}

std::optional<Diagnostic> oddCharacterIn(const SourceLine &line, const Word &word)
{
    if (const std::optional<OddCharacter> odd = firstOddCharacter(word.written))
        return oddCharacter(line, word, *odd);
    return std::nullopt;
}

// A word where an instruction belongs and that is none.
Diagnostic notAnInstruction(const SourceLine &line, const Word &word)
{
    if (std::optional<Diagnostic> odd = oddCharacterIn(line, word))
        return *odd;
    if (std::optional<Diagnostic> near = misspelt(line, word))
        return *near;
    return error("unknown-mnemonic", line.rangeOf(word),
                 quoted(word.written) + QLatin1String(" is not an instruction"));
}

Diagnostic mnemonicAsLabel(const SourceLine &line, const Word &word)
{
    return error("mnemonic-as-label", line.rangeOf(word),
                 quoted(word.written) +
                     QLatin1String(" is an instruction, and instructions cannot be labels"));
}

// Words after the place where a line ends: LABEL MNEMONIC OPERAND at most.
Diagnostic extraWords(const SourceLine &line, qsizetype from)
{
    const Word &first = line.words[from];
    const Word &last = line.words.last();
    const bool one = from + 1 == line.words.size();
    return error(
        "extra-words", line.rangeOf(first, last),
        quoted(span(first, last)) +
            (one ? QLatin1String(" is a word too many") : QLatin1String(" are words too many")) +
            QLatin1String(": a line holds at most a label, an instruction and one operand"));
}

Diagnostic blankLine(const SourceLine &line)
{
    Diagnostic found = error("blank-line", line.whole(),
                             QLatin1String("the line holds only blanks or tabs; an empty line is "
                                           "fine, and any other line needs an instruction"));
    found.fixes.append(Fix{QStringLiteral("Empty the line"), {Edit{line.whole(), QString()}}});
    return found;
}

class ProgramCheck
{
public:
    explicit ProgramCheck(const QString &source) : lines(storedLines(source)) {}

    // Every error, each with its notes, in line order; the index of the one
    // the window reports, or -1.
    QList<QList<Diagnostic>> run(qsizetype &windowError);

private:
    void collectLabels();
    std::optional<Diagnostic> lineError(const SourceLine &line) const;
    std::optional<Diagnostic> twoMnemonics(const SourceLine &line) const;
    std::optional<Diagnostic> noMnemonic(const SourceLine &line) const;
    std::optional<Diagnostic> operand(const SourceLine &line, const Word &word) const;
    Diagnostic tooLong(const SourceLine &line) const;
    void notesOnName(const SourceLine &line, QList<Diagnostic> &group) const;

    const QList<SourceLine> lines;
    // Each label the assembler's first pass enters, with the index of the
    // line of its first definition, the one every operand reaches.
    QHash<QString, qsizetype> labels;
    // Names the first word of a refused line would have defined.
    QHash<QString, qsizetype> failedLabels;
};

void ProgramCheck::collectLabels()
{
    // A line of two or three words that starts with a name and has a
    // mnemonic second defines a label, whatever else is wrong with it.
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const QList<Word> &words = lines[k].words;
        if ((words.size() == 2 || words.size() == 3) && !isMnemonic(words[0]) &&
            isMnemonic(words[1])) {
            if (!labels.contains(words[0].key))
                labels.insert(words[0].key, k); // the first definition is the one used
        }
    }
}

// Both of two words are mnemonics: which one stands where a name belongs.
std::optional<Diagnostic> ProgramCheck::twoMnemonics(const SourceLine &line) const
{
    const Word &first = line.words[0];
    const Word &second = line.words[1];
    const Operand firstTakes = first.mnemonic->operand;
    const Operand secondTakes = second.mnemonic->operand;
    // LABEL DAT, or LABEL before an instruction that takes no operand (add HLT).
    if (secondTakes == Operand::Value ||
        (secondTakes == Operand::None && firstTakes != Operand::None))
        return mnemonicAsLabel(line, first);
    if (firstTakes == Operand::None) {
        Diagnostic found =
            error("two-instructions", line.rangeOf(first, second),
                  QLatin1String("two instructions on one line, ") + quoted(first.written) +
                      QLatin1String(" and ") + quoted(second.written) +
                      QLatin1String("; each needs a line of its own"));
        found.fixes.append(Fix{
            QLatin1String("Put ") + quoted(second.written) + QLatin1String(" on a line of its own"),
            {Edit{Range{line.number, first.end, second.begin}, QStringLiteral("\n")}}});
        return found;
    }
    return mnemonicAsLabel(line, second); // MNEMONIC NAME
}

// Neither the first nor the second word is a mnemonic.
std::optional<Diagnostic> ProgramCheck::noMnemonic(const SourceLine &line) const
{
    const QList<Word> &words = line.words;
    for (qsizetype at = 0; at < 2; ++at) {
        if (std::optional<Diagnostic> odd = oddCharacterIn(line, words[at]))
            return odd;
    }
    // Two words are MNEMONIC OPERAND or LABEL MNEMONIC; three LABEL MNEMONIC OPERAND.
    const qsizetype likely = words.size() == 2 ? 0 : 1;
    if (std::optional<Diagnostic> near = misspelt(line, words[likely]))
        return near;
    if (std::optional<Diagnostic> near = misspelt(line, words[1 - likely]))
        return near;
    if (words.size() > 3)
        return extraWords(line, 3);
    if (words.size() == 3)
        return notAnInstruction(line, words[1]);
    return error("missing-instruction", line.rangeOf(words[0], words[1]),
                 QLatin1String("neither ") + quoted(words[0].written) + QLatin1String(" nor ") +
                     quoted(words[1].written) + QLatin1String(" is an instruction"));
}

// An operand must name a label of the program.
std::optional<Diagnostic> ProgramCheck::operand(const SourceLine &line, const Word &word) const
{
    if (labels.contains(word.key))
        return std::nullopt;
    if (isMnemonic(word))
        return mnemonicAsLabel(line, word);
    if (std::optional<Diagnostic> odd = oddCharacterIn(line, word))
        return odd;
    return error("undefined-label", line.rangeOf(word),
                 QLatin1String("label ") + quoted(word.written) + QLatin1String(" is not defined"));
}

// What the assembler refuses in one line, given every label of the program.
std::optional<Diagnostic> ProgramCheck::lineError(const SourceLine &line) const
{
    const QList<Word> &words = line.words;
    if (words.isEmpty())
        return blankLine(line);
    const bool firstIsMnemonic = isMnemonic(words[0]);
    const bool secondIsMnemonic = words.size() > 1 && isMnemonic(words[1]);
    switch (words.size()) {
    case 1:
        if (firstIsMnemonic)
            return std::nullopt;
        return notAnInstruction(line, words[0]);
    case 2:
        if (firstIsMnemonic && secondIsMnemonic)
            return twoMnemonics(line);
        if (!firstIsMnemonic && !secondIsMnemonic)
            return noMnemonic(line);
        if (firstIsMnemonic)
            return operand(line, words[1]);
        return std::nullopt; // LABEL MNEMONIC
    case 3:
        if (firstIsMnemonic)
            return secondIsMnemonic ? mnemonicAsLabel(line, words[0]) : extraWords(line, 2);
        if (!secondIsMnemonic)
            return noMnemonic(line);
        if (isData(words[1].mnemonic))
            return std::nullopt; // any value is accepted; a warning says when it reads as 0
        return operand(line, words[2]);
    default:
        if (firstIsMnemonic)
            return extraWords(line, 2);
        if (secondIsMnemonic)
            return extraWords(line, 3);
        return noMnemonic(line);
    }
}

Diagnostic ProgramCheck::tooLong(const SourceLine &line) const
{
    const Range range =
        line.words.isEmpty() ? line.whole() : line.rangeOf(line.words.first(), line.words.last());
    return error("program-too-long", range,
                 QStringLiteral("the program needs %1 memory cells, one for each line that is not "
                                "empty, but the memory has %2; this line is the first that does "
                                "not fit")
                     .arg(lines.size())
                     .arg(machine::kMemorySize));
}

// Where an undefined name was meant to be defined: a label written with a
// colon, or the first word of a line the assembler refuses.
void ProgramCheck::notesOnName(const SourceLine &line, QList<Diagnostic> &group) const
{
    const Range &range = group.first().range;
    const Word *use = nullptr;
    for (const Word &word : line.words) {
        if (word.begin == range.begin)
            use = &word;
    }
    if (use == nullptr)
        return;
    if (const auto colon = labels.constFind(use->key + QLatin1Char(':'));
        colon != labels.constEnd()) {
        const SourceLine &at = lines[*colon];
        const Word &label = at.words[0];
        Diagnostic found =
            note("label-with-colon", at.rangeOf(label),
                 QLatin1String("labels take no colon; this line defines the label ") +
                     quoted(label.written));
        found.fixes.append(Fix{QStringLiteral("Remove the colon"),
                               {Edit{Range{at.number, label.end - 1, label.end}, QString()}}});
        group.append(found);
    } else if (const auto failed = failedLabels.constFind(use->key);
               failed != failedLabels.constEnd()) {
        const SourceLine &at = lines[*failed];
        group.append(note("definition-failed", at.rangeOf(at.words[0]),
                          QLatin1String("the label ") + quoted(use->written) +
                              QLatin1String(" would be defined here, but this line has an error")));
    }
}

QList<QList<Diagnostic>> ProgramCheck::run(qsizetype &windowError)
{
    collectLabels();
    windowError = -1;
    // The lines with an error and what it is, in line order.
    QList<std::pair<qsizetype, Diagnostic>> errors;
    qsizetype firstPairError = -1;
    for (qsizetype k = 0; k < lines.size(); ++k) {
        std::optional<Diagnostic> found = lineError(lines[k]);
        if (!found)
            continue;
        errors.append({k, std::move(*found)});
        const QList<Word> &words = lines[k].words;
        // The first pass refuses a pair of words before the second pass looks at any line.
        if (firstPairError < 0 && words.size() == 2 && isMnemonic(words[0]) == isMnemonic(words[1]))
            firstPairError = k;
        // A refused line defines nothing, whatever the first pass entered.
        if (words.size() >= 2 && !isMnemonic(words[0])) {
            QString name = words[0].key;
            if (name.endsWith(QLatin1Char(':')))
                name.chop(1);
            if (!failedLabels.contains(name))
                failedLabels.insert(name, k);
        }
    }
    // The assembler refuses a program longer than the memory before anything else.
    const bool tooLongProgram = lines.size() > machine::kMemorySize;
    const qsizetype windowLine =
        tooLongProgram ? -1
                       : (firstPairError >= 0 ? firstPairError
                                              : (errors.isEmpty() ? -1 : errors.first().first));

    QList<QList<Diagnostic>> groups;
    groups.reserve(errors.size() + 1);
    bool tooLongAdded = !tooLongProgram;
    for (auto &[k, found] : errors) {
        if (!tooLongAdded && k >= machine::kMemorySize) {
            windowError = groups.size();
            groups.append({tooLong(lines[machine::kMemorySize])});
            tooLongAdded = true;
        }
        if (k == windowLine)
            windowError = groups.size();
        QList<Diagnostic> group{found};
        if (found.kind == QLatin1String("undefined-label"))
            notesOnName(lines[k], group);
        groups.append(std::move(group));
    }
    if (!tooLongAdded) {
        windowError = groups.size();
        groups.append({tooLong(lines[machine::kMemorySize])});
    }
    return groups;
}

} // namespace

QList<Diagnostic> check(const QString &source, qsizetype errorLimit)
{
    ProgramCheck program(source);
    qsizetype windowError = -1;
    const QList<QList<Diagnostic>> groups = program.run(windowError);

    QList<Diagnostic> found;
    const bool capped = errorLimit > 0 && groups.size() > errorLimit;
    for (qsizetype g = 0; g < groups.size(); ++g) {
        const bool kept = !capped || g < errorLimit - 1 ||
                          (g == errorLimit - 1 && windowError < errorLimit) || g == windowError;
        if (kept)
            found.append(groups[g]);
    }
    if (capped)
        found.append(
            error("too-many-errors", Range{}, QStringLiteral("too many errors; stopping")));
    return found;
}

} // namespace diagnostics
