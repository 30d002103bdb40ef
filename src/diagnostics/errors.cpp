#include "diagnostics/errors.h"

#include "diagnostics/characters.h"
#include "diagnostics/directives.h"
#include "diagnostics/fixcheck.h"
#include "diagnostics/labelname.h"
#include "diagnostics/mnemonic.h"
#include "diagnostics/operandshapes.h"
#include "diagnostics/otherlanguages.h"
#include "diagnostics/sourcetext.h"
#include "diagnostics/spelling.h"
#include "machine/instructionset.h"
#include "machine/word.h"

#include <QHash>
#include <QSet>

#include <algorithm>

#include <optional>

namespace diagnostics
{

namespace
{

using machine::Instruction;
using machine::Operand;

bool isMnemonic(const Word &word)
{
    return word.mnemonic() != nullptr;
}

// The text from the first byte of one word to the last byte of another, as written.
QStringView span(const Word &first, const Word &last)
{
    return QStringView(first.written().data(), last.written().data() + last.written().size());
}

Diagnostic error(Code code, const Range &range, const QString &message)
{
    return Diagnostic(Severity::Error, code, range, message);
}

Diagnostic note(Code code, const Range &range, const QString &message)
{
    return Diagnostic(Severity::Note, code, range, message);
}

// The error about a word holding a character that only looks right.
Diagnostic oddCharacter(const SourceLine &line, const Word &word, const OddCharacter &odd)
{
    static constexpr Code codes[] = {Code::UnusualSpace, Code::InvisibleCharacter,
                                     Code::LookAlikeCharacter};
    Diagnostic found =
        error(codes[odd.kind], line.rangeOf(word), oddCharacterMessage(word.written(), odd));
    found.fixes.append(oddCharacterFix(word.written(), line.number, word.begin, odd));
    return found;
}

// Whether a mnemonic fits a line that has an operand after it, or none: DAT
// takes a value or none.
bool fitsOperand(const QString &mnemonic, bool operand)
{
    const machine::Instruction *row = rowOf(mnemonic);
    return row != nullptr &&
           (row->operand == Operand::Value || (row->operand == Operand::Address) == operand);
}

// The error about a word where an instruction belongs, when it is near
// enough to some that fit the line (with an operand after the word or
// without): "did you mean", with one fix per mnemonic whose fix is right.
std::optional<Diagnostic> misspelt(const SourceLine &line, const Word &word, const FixCheck *check)
{
    const machine::Instruction *other = otherLanguageMnemonic(word.key());
    QStringList nearest =
        other != nullptr ? QStringList{QString(other->mnemonic)} : nearestMnemonics(word.key());
    const bool operand = &word != &line.words.last();
    nearest.removeIf([&](const QString &mnemonic) { return !fitsOperand(mnemonic, operand); });
    if (nearest.isEmpty())
        return std::nullopt;
    // Suggested in the case the student writes in.
    const bool lower = word.written().toString() == word.written().toString().toLower();
    if (lower) {
        for (QString &mnemonic : nearest)
            mnemonic = mnemonic.toLower();
    }
    Diagnostic found(Severity::Error, Code::UnknownMnemonic, line.rangeOf(word), QString());
    nearest.removeIf([&](const QString &mnemonic) {
        Fix fix{QLatin1String("Replace ") + quoted(word.written()) + QLatin1String(" with '") +
                    mnemonic + QLatin1Char('\''),
                {Edit{line.rangeOf(word), mnemonic}}};
        if (check != nullptr && !check->right(found, fix))
            return true;
        found.fixes.append(fix);
        return false;
    });
    if (nearest.isEmpty())
        return std::nullopt;
    found.message = quoted(word.written()) +
                    QLatin1String(" is not an instruction; did you mean ") + alternatives(nearest) +
                    QLatin1Char('?');
    return found;
}

// Said after the error about a word of another assembly language.
Diagnostic otherLanguageNote(const SourceLine &line, const Word &word)
{
    const machine::Instruction *other = otherLanguageMnemonic(word.key());
    return note(Code::OtherLanguageWord, line.rangeOf(word),
                QLatin1String("other assembly languages write ") + quoted(word.written()) +
                    QLatin1String(" where this machine writes ") + QString(other->mnemonic) +
                    QLatin1String("; it knows only its own fifteen words"));
}

std::optional<Diagnostic> oddCharacterIn(const SourceLine &line, const Word &word)
{
    if (const std::optional<OddCharacter> odd = firstOddCharacter(word.written()))
        return oddCharacter(line, word, *odd);
    return std::nullopt;
}

// A word where an instruction belongs and that is none.
Diagnostic notAnInstruction(const SourceLine &line, const Word &word, const FixCheck *check)
{
    if (std::optional<Diagnostic> odd = oddCharacterIn(line, word))
        return *odd;
    if (std::optional<Diagnostic> near = misspelt(line, word, check))
        return *near;
    return error(Code::UnknownMnemonic, line.rangeOf(word),
                 quoted(word.written()) + QLatin1String(" is not an instruction"));
}

Diagnostic mnemonicAsLabel(const SourceLine &line, const Word &word)
{
    return error(Code::MnemonicAsLabel, line.rangeOf(word),
                 quoted(word.written()) +
                     QLatin1String(" is an instruction, and instructions cannot be labels"));
}

// Words after the place where a line ends: LABEL MNEMONIC OPERAND at most.
Diagnostic extraWords(const SourceLine &line, qsizetype from)
{
    const Word &first = line.words[from];
    const Word &last = line.words.last();
    const bool one = from + 1 == line.words.size();
    return error(
        Code::ExtraWords, line.rangeOf(first, last),
        quoted(span(first, last)) +
            (one ? QLatin1String(" is a word too many") : QLatin1String(" are words too many")) +
            QLatin1String(": a line holds at most a label, an instruction and one operand"));
}

Diagnostic blankLine(const SourceLine &line)
{
    Diagnostic found = error(Code::BlankLine, line.whole(),
                             QLatin1String("the line holds only blanks or tabs; an empty line is "
                                           "fine, and any other line needs an instruction"));
    found.fixes.append(Fix{QStringLiteral("Empty the line"), {Edit{line.whole(), QString()}}});
    return found;
}

// A whole number as a student writes one: digits after an optional sign.
bool isNumber(QStringView word)
{
    if (!word.isEmpty() && (word.front() == QLatin1Char('-') || word.front() == QLatin1Char('+')))
        word = word.mid(1);
    if (word.isEmpty() || word.size() > 10)
        return false;
    return std::all_of(word.begin(), word.end(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

// A number written as other assembly languages write an immediate value: #5.
bool isImmediate(QStringView word)
{
    return word.size() > 1 && word.front() == QLatin1Char('#') && isNumber(word.mid(1));
}

// Where a comment starts in other assembly languages: ';', '//' or '#'
// (a '#' before a number is an immediate operand, not a comment).
bool startsComment(const Word &word)
{
    const QStringView written = word.written();
    switch (written.front().unicode()) { // a word is never empty
    case u';':
        return true;
    case u'/':
        return written.startsWith(QLatin1String("//"));
    case u'#':
        return !isImmediate(written);
    default:
        return false;
    }
}

// A label for the cell that holds a number: "five" for 5, "n12" for 12, "minus3" for -3.
QString nameForNumber(QStringView number)
{
    static const char *const small[] = {"zero", "one",   "two",   "three", "four", "five",
                                        "six",  "seven", "eight", "nine",  "ten"};
    bool ok = false;
    const int value = number.toInt(&ok, 10);
    if (ok && value >= 0 && value <= 10)
        return QLatin1String(small[value]);
    if (ok && value < 0)
        return QLatin1String("minus") + QString::number(-qint64(value));
    return QLatin1String("n") + QString::number(ok ? value : 0);
}

// The number a name of nameForNumber() stands for: 5 for "five".
std::optional<qint64> numberForName(const QString &name)
{
    static const char *const small[] = {"zero", "one",   "two",   "three", "four", "five",
                                        "six",  "seven", "eight", "nine",  "ten"};
    for (qint64 value = 0; value <= 10; ++value) {
        if (name.compare(QLatin1String(small[value]), Qt::CaseInsensitive) == 0)
            return value;
    }
    bool ok = false;
    qint64 value = 0;
    if (name.startsWith(QLatin1String("minus")))
        value = -name.mid(5).toLongLong(&ok);
    else if (name.startsWith(QLatin1Char('n')))
        value = name.mid(1).toLongLong(&ok);
    if (!ok || nameForNumber(QString::number(value)) != name)
        return std::nullopt;
    return value;
}

// The name an operand was meant to be when marks surround it: quotes,
// straight or curly, a comma or semicolon after it, or "+0" (no offset).
QString bareOperand(QStringView word)
{
    static const QString quotes = QStringLiteral("'\"\u2018\u2019\u201C\u201D\u00AB\u00BB`");
    while (!word.isEmpty() && quotes.contains(word.front()))
        word = word.mid(1);
    if (word.endsWith(QLatin1String("+0")))
        word.chop(2);
    while (!word.isEmpty() && (quotes.contains(word.back()) || word.back() == QLatin1Char(',') ||
                               word.back() == QLatin1Char(';')))
        word.chop(1);
    return word.toString();
}

// A line that holds carriage returns alone: the line ends of old Macs, which
// the assembler reads as blanks, so the lines run together.
Diagnostic carriageReturns(const SourceLine &line)
{
    Diagnostic found =
        note(Code::CarriageReturnLineEnds, line.whole(),
             QLatin1String("this line holds carriage returns (U+000D) without line feeds, so the "
                           "lines they end run together; save the file with line feeds (LF)"));
    Fix fix{QStringLiteral("Replace each carriage return with a line feed"), {}};
    for (qsizetype at = line.text.indexOf(QLatin1Char('\r')); at >= 0;
         at = line.text.indexOf(QLatin1Char('\r'), at + 1)) {
        const qint32 byte = utf8Length(line.text.left(at));
        fix.edits.append(Edit{Range{line.number, byte, byte + 1}, QStringLiteral("\n")});
    }
    found.fixes.append(fix);
    return found;
}

} // namespace

// The errors of one text. With `checkFixes`, every fix it offers is one that
// FixCheck found right; without, it is the check of a fixed text.
class ProgramCheck
{
public:
    ProgramCheck(const SourceText &text, bool checkFixes)
        : text(text), lines(text.lines()), appendedLine(text.appendedLine()), labels(text.labels()),
          checkFixes(checkFixes)
    {
    }
    // Lines cut from a larger text, whose labels also count but for those removed.
    ProgramCheck(const SourceText &part, const QHash<QString, qint32> &outer,
                 const QSet<QString> &removed)
        : ProgramCheck(part, false)
    {
        outerLabels = &outer;
        removedLabels = &removed;
    }

    // Reads the labels and finds the lines the assembler refuses.
    void prepare();
    // The errors as errors() gives them.
    QList<Diagnostic> run(qsizetype limit, qsizetype *omitted);
    bool refuses(qint32 k) const { return errorCount[k] > 0; }
    // Every error of line k.
    QList<Diagnostic> errorsOn(qint32 k) const;

private:
    void collectLabels();
    const FixCheck *fixCheck() const;
    bool hasLabel(const QString &key) const
    {
        return labels.contains(key) || (outerLabels != nullptr && outerLabels->contains(key) &&
                                        !removedLabels->contains(key));
    }
    std::optional<Diagnostic> lineNumber(const SourceLine &line) const;
    std::optional<Diagnostic> labelAlone(const SourceLine &line) const;
    std::optional<Diagnostic> meantLabel(const SourceLine &line, const Word &word,
                                         QList<qsizetype> candidates) const;
    // Whether the assembler accepts a line of these words, given every label.
    // `more`: labels that count too.
    bool accepts(Words words, const QSet<QString> *more = nullptr) const;
    Diagnostic errorOn(qint32 k, quint8 count, quint8 part) const;
    std::optional<Diagnostic> lineError(const SourceLine &line) const;
    std::optional<Diagnostic> twoMnemonics(const SourceLine &line) const;
    std::optional<Diagnostic> noMnemonic(const SourceLine &line) const;
    std::optional<Diagnostic> operand(const SourceLine &line, const Word &word) const;
    Diagnostic tooLong(const SourceLine &line) const;
    void notesOnName(const SourceLine &line, Diagnostic &found) const;
    std::optional<Diagnostic> labelWithoutData(const SourceLine &line) const;
    Diagnostic numberAsOperand(const SourceLine &line, const Word &word) const;
    std::optional<Diagnostic> dataLine(const SourceLine &line) const;
    Diagnostic comment(const SourceLine &line, qsizetype from) const;
    std::optional<Diagnostic> nearLabel(const SourceLine &line, const Word &word) const;
    QString freeName(const QString &wanted) const;
    bool nearAName(const QString &key) const;
    Edit appendLine(const QString &text) const;
    ShapeContext shapes() const;
    bool numbered(const Words &words) const;
    std::optional<Diagnostic> labelBeforeNextLine(const SourceLine &line) const;
    Diagnostic mnemonicAsVariable(const SourceLine &line, const Word &word) const;
    // The operand of a refused line whose word where the mnemonic belongs is
    // near one that takes an operand ("LDAA y"), or null.
    const Word *operandOfMisspelt(const Words &words) const;

    const SourceText &text;
    const QList<SourceLine> &lines;
    const qint32 appendedLine;
    // Each label the assembler's first pass enters, with the index of the
    // line of its first definition, the one every operand reaches.
    const QHash<QString, qint32> &labels;
    // The first line each name is an operand on.
    QHash<QString, qsizetype> operands;
    // The label of the first data line that holds each value, as written.
    QHash<qint64, qsizetype> dataValues;
    // Names the first word of a refused line would have defined.
    QHash<QString, qsizetype> failedLabels;
    // The labels of data lines, and the names refused lines meant to give
    // data: the variables and constants.
    QSet<QString> dataLabels;
    // The names stores write into.
    QSet<QString> storedInto;
    // Whether the program writes its mnemonics in lower case, as fixes then do.
    bool lowerCase = false;
    // Mnemonics written where a data line's label belongs ("out DAT 1").
    QSet<QString> mnemonicLabels;
    // The line of the last instruction that is no DAT, or -1.
    qint32 lastInstruction = -1;
    // The names branches go to.
    QSet<QString> branchTargets;
    // Labels that lines would define without a number pasted in front of them.
    QSet<QString> numberedLabels;
    // The line numbers of the lines with a number pasted in front, and the
    // byte where the words after it begin.
    QList<std::pair<qint32, qint32>> numberedLines;
    // Refused lines whose operand is told as an error of its own.
    QSet<qint32> operandToo;
    const bool checkFixes;
    const QHash<QString, qint32> *outerLabels = nullptr;
    const QSet<QString> *removedLabels = nullptr;
    mutable std::unique_ptr<FixCheck> fixCheck_;
    // Whether a word is near a mnemonic that takes an operand, by its upper-cased key.
    mutable QHash<QString, bool> nearOperandTaker;
    // The lines the assembler refuses, with the number of errors on each
    // (two when the words before a comment hold one of their own).
    QList<std::pair<qint32, quint8>> refused;
    QList<quint8> errorCount;
    // The line the window's assembler reports first among the pairs of words.
    qint32 firstPairError = -1;
};

void ProgramCheck::collectLabels()
{
    // A line of two or three words that starts with a name and has a
    // mnemonic second defines a label, whatever else is wrong with it.
    bool caseSeen = false;
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const Words &words = lines[k].words;
        for (const Word &word : words) {
            if (!caseSeen && isMnemonic(word)) {
                lowerCase = word.written().toString() != word.key();
                caseSeen = true;
            }
        }
        for (qsizetype at = 0; at + 1 < words.size(); ++at) {
            if (isMnemonic(words[at]) && words[at].mnemonic()->operand == Operand::Address &&
                !operands.contains(words[at + 1].key()))
                operands.insert(words[at + 1].key(), k);
            if (isMnemonic(words[at]) && words[at].mnemonic()->opcode == machine::Store)
                storedInto.insert(words[at + 1].key());
            if (isMnemonic(words[at]) && words[at].mnemonic()->opcode >= machine::Branch)
                branchTargets.insert(words[at + 1].key());
        }
        if (words.size() >= 2 && isMnemonic(words[0]) && isData(words[1].mnemonic()))
            mnemonicLabels.insert(words[0].key());
        if (words.size() >= 2 && words[0].role == Role::Label && isData(words[1].mnemonic()))
            dataLabels.insert(words[0].key());
        if (words.size() >= 3 && isNumber(words[0].written()) &&
            words[0].written().front().isDigit() && !isMnemonic(words[1]) && isMnemonic(words[2]))
            numberedLabels.insert(words[1].key());
        if (std::any_of(words.begin(), words.end(),
                        [](const Word &word) { return isMnemonic(word); }) &&
            std::none_of(words.begin(), words.end(),
                         [](const Word &word) { return isData(word.mnemonic()); }))
            lastInstruction = qint32(k);
    }
    // A cell that a store changes holds a variable, not the number it starts with.
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const Words &words = lines[k].words;
        if (words.size() == 3 && words[0].role == Role::Label && isData(words[1].mnemonic()) &&
            isNumber(words[2].written()) && !dataValues.contains(words[2].key().toLongLong()) &&
            !storedInto.contains(words[0].key()))
            dataValues.insert(words[2].key().toLongLong(), k);
    }
}

// A name no label and no mnemonic has: the wanted one, or it with a number after it.
QString ProgramCheck::freeName(const QString &wanted) const
{
    QString name = wanted;
    for (int n = 2; hasLabel(name.toUpper()) || rowOf(name.toUpper()) != nullptr; ++n)
        name = wanted + QString::number(n);
    return name;
}

Edit ProgramCheck::appendLine(const QString &text) const
{
    return Edit{Range{appendedLine, 0, 0}, text};
}

ShapeContext ProgramCheck::shapes() const
{
    ShapeContext context{[this](const QString &key) { return hasLabel(key); },
                         [this](const QString &wanted) { return freeName(wanted); }};
    if (checkFixes) {
        context.lines = &lines;
        context.labels = &labels;
    }
    return context;
}

// A name used as an operand and written alone, or before a value, where an
// instruction belongs: a variable whose DAT was left out.
std::optional<Diagnostic> ProgramCheck::labelWithoutData(const SourceLine &line) const
{
    const Word &name = line.words[0];
    const auto use = operands.constFind(name.key());
    // A word alone after the last instruction, or before a number there,
    // can only be a variable.
    const auto at = std::lower_bound(
        lines.begin(), lines.end(), line.number,
        [](const SourceLine &stored, qint32 number) { return stored.number < number; });
    // A word near an instruction that fits the line was meant to be that one.
    const bool afterCode = lastInstruction >= 0 && at - lines.begin() > lastInstruction &&
                           !misspelt(line, name, nullptr);
    if ((use == operands.constEnd() && !afterCode) || hasLabel(name.key()) || isMnemonic(name) ||
        !isFreeLabelName(name.written()) ||
        (line.words.size() == 2 && !isNumber(line.words[1].written())) || line.words.size() > 2)
        return std::nullopt;
    const QString data(machine::instruction(machine::Data).mnemonic);
    const QString dataWord = lowerCase ? data.toLower() : data;
    const QString why =
        use != operands.constEnd()
            ? QStringLiteral(" is used as an operand on line %1, so it names a cell")
                  .arg(lines[*use].number)
            : QStringLiteral(" stands after the last instruction, so it names a cell");
    Diagnostic found =
        error(Code::LabelWithoutData, line.rangeOf(name),
              quoted(name.written()) + why +
                  QStringLiteral(", but a label needs an instruction after it; "
                                 "a variable is written '") +
                  shown(name.written()) + QLatin1Char(' ') + dataWord +
                  (line.words.size() == 2 ? QLatin1Char(' ') + shown(line.words[1].written())
                                          : QString()) +
                  QLatin1Char('\''));
    found.fixes.append(Fix{
        QLatin1String("Insert '") + dataWord + QLatin1String("' after ") + quoted(name.written()),
        {Edit{Range{line.number, name.end, name.end}, QLatin1Char(' ') + dataWord}}});
    return found;
}

// A number where a label belongs: operands are labels of cells that hold numbers.
Diagnostic ProgramCheck::numberAsOperand(const SourceLine &line, const Word &word) const
{
    const bool immediate = word.written().startsWith(QLatin1Char('#'));
    const QStringView number = immediate ? word.written().mid(1) : word.written();
    const qint64 value = number.toLongLong();
    Diagnostic found = error(
        Code::NumberAsOperand, line.rangeOf(word),
        quoted(word.written()) +
            (immediate ? QLatin1String(" is a number ('#' marks one in other assembly languages)")
                       : QLatin1String(" is a number")) +
            QLatin1String(", but operands are labels: the instruction works on the cell a label "
                          "names, so put the number in a cell of its own with DAT and name it"));
    const auto known = dataValues.constFind(value);
    if (known != dataValues.constEnd()) {
        const Word &label = lines[*known].words[0];
        found.fixes.append(Fix{
            QLatin1String("Use ") + quoted(label.written()) +
                QStringLiteral(", which holds %1 (line %2)").arg(value).arg(lines[*known].number),
            {Edit{line.rangeOf(word), label.written().toString()}}});
        return found;
    }
    const QString name = freeName(nameForNumber(number));
    const QString data = name + QLatin1String(" DAT ") + QString::number(value);
    found.fixes.append(Fix{QLatin1String("Define '") + name + QLatin1String("' as '") + data +
                               QLatin1String("' after the last line and use it"),
                           {Edit{line.rangeOf(word), name}, appendLine(data)}});
    return found;
}

// DAT first on a line: a data line is NAME DAT VALUE.
std::optional<Diagnostic> ProgramCheck::dataLine(const SourceLine &line) const
{
    const Words &words = line.words;
    const Word &data = words[0];
    const Word &second = words[1];
    if (isMnemonic(second) || hasLabel(second.key()))
        return std::nullopt; // an operand the assembler accepts, or another error
    if (isNumber(second.written()) && words.size() == 2) {
        const QString name = freeName(nameForNumber(second.written()));
        Diagnostic found = error(
            Code::DataWithoutLabel, line.rangeOf(data, second),
            quoted(span(data, second)) +
                QLatin1String(" has no label, so no operand can name its cell; a data line is "
                              "'name DAT value'"));
        found.fixes.append(
            Fix{QLatin1String("Name the cell '") + name + QLatin1Char('\''),
                {Edit{Range{line.number, data.begin, data.begin}, name + QLatin1Char(' ')}}});
        return found;
    }
    // DAT NAME or DAT NAME VALUE: the label written after the directive.
    const Word &last = words.size() == 3 ? words[2] : second;
    if (words.size() == 3 && isMnemonic(last))
        return std::nullopt;
    if (!isFreeLabelName(second.written()))
        return std::nullopt;
    QString swapped = second.written().toString() + QLatin1Char(' ') + data.written().toString();
    if (words.size() == 3)
        swapped += QLatin1Char(' ') + last.written().toString();
    Diagnostic found = error(Code::DataLabelAfterDat, line.rangeOf(data, last),
                             quoted(span(data, last)) +
                                 QLatin1String(": the label comes first; a data line is 'name "
                                               "DAT value'"));
    found.fixes.append(Fix{QLatin1String("Write '") + shown(swapped) + QLatin1Char('\''),
                           {Edit{line.rangeOf(data, last), swapped}}});
    return found;
}

// Words from a comment mark to the end of the line.
Diagnostic ProgramCheck::comment(const SourceLine &line, qsizetype from) const
{
    const Word &mark = line.words[from];
    const QString sign = mark.written().startsWith(QLatin1String("//"))
                             ? QStringLiteral("//")
                             : QString(mark.written().front());
    Diagnostic found =
        error(Code::Comment, line.rangeOf(mark, line.words.last()),
              QLatin1String("the language has no comments: '") + sign +
                  QLatin1String("' and the words after it are read as part of the program; keep "
                                "notes outside the program text"));
    const qint32 begin = from == 0 ? 0 : line.words[from - 1].end;
    found.fixes.append(Fix{QStringLiteral("Remove the comment"),
                           {Edit{Range{line.number, begin, line.whole().end}, QString()}}});
    return found;
}

// The labels nearest to an undefined one, when they are near enough to be what was meant.
std::optional<Diagnostic> ProgramCheck::nearLabel(const SourceLine &line, const Word &word) const
{
    // One- and two-letter names are near too many others to guess between;
    // a word that is no name (table+1) was not misspelt.
    if (word.key().size() < 3 || !isLabelName(word.written()))
        return std::nullopt;
    const qsizetype limit = word.key().size() >= 5 ? 2 : 1;
    qsizetype best = limit + 1;
    QList<qsizetype> nearest;
    for (auto it = labels.constBegin(); it != labels.constEnd(); ++it) {
        if (it.key().size() < 3 || qAbs(it.key().size() - word.key().size()) > limit ||
            failedLabels.contains(it.key()))
            continue;
        const qsizetype distance = editDistance(word.key(), it.key());
        if (distance > limit || distance > best)
            continue;
        if (distance < best)
            nearest.clear();
        best = distance;
        nearest.append(it.value());
    }
    // A name a refused line would define, as near, may be the one meant.
    for (auto it = failedLabels.constBegin(); it != failedLabels.constEnd(); ++it) {
        if (it.key() != word.key() && qAbs(it.key().size() - word.key().size()) <= limit &&
            editDistance(word.key(), it.key()) <= best)
            return std::nullopt;
    }
    return meantLabel(line, word, nearest);
}

// The labels an undefined one was meant to be, those whose fix is right:
// "did you mean", with one fix per label.
std::optional<Diagnostic> ProgramCheck::meantLabel(const SourceLine &line, const Word &word,
                                                   QList<qsizetype> nearest) const
{
    std::sort(nearest.begin(), nearest.end());
    QStringList named;
    Diagnostic found = error(Code::UndefinedLabel, line.rangeOf(word), QString());
    for (const qsizetype k : std::as_const(nearest)) {
        const Word &label = lines[k].words[0];
        const Fix fix{QLatin1String("Replace ") + quoted(word.written()) + QLatin1String(" with ") +
                          quoted(label.written()),
                      {Edit{line.rangeOf(word), label.written().toString()}}};
        if (fixCheck() != nullptr && !fixCheck()->right(found, fix))
            continue;
        named << quoted(label.written()) + QStringLiteral(" (line %1)").arg(lines[k].number);
        found.fixes.append(fix);
    }
    if (named.isEmpty())
        return std::nullopt;
    found.message = QLatin1String("label ") + quoted(word.written()) +
                    QLatin1String(" is not defined; did you mean ") + alternatives(named) +
                    QLatin1Char('?');
    return found;
}

// Whether a name is near the label of a data line, or of a refused line
// meant to hold data: then it is probably that one misspelt, not a new variable.
bool ProgramCheck::nearAName(const QString &key) const
{
    const qsizetype limit = key.size() >= 5 ? 2 : 1;
    const auto near = [&](const QString &other) {
        return other != key && qAbs(other.size() - key.size()) <= limit &&
               editDistance(key, other) <= limit;
    };
    return std::any_of(dataLabels.begin(), dataLabels.end(), near);
}

// Both of two words are mnemonics: which one stands where a name belongs.
std::optional<Diagnostic> ProgramCheck::twoMnemonics(const SourceLine &line) const
{
    const Word &first = line.words[0];
    const Word &second = line.words[1];
    const Operand firstTakes = first.mnemonic()->operand;
    const Operand secondTakes = second.mnemonic()->operand;
    // A variable named like an instruction ("STA out" ... "out DAT 1").
    if (firstTakes == Operand::Address && mnemonicLabels.contains(second.key()))
        return mnemonicAsVariable(line, second);
    if (secondTakes == Operand::Value)
        return mnemonicAsVariable(line, first);
    // LABEL before an instruction that takes no operand (add HLT).
    if (secondTakes == Operand::None && firstTakes != Operand::None)
        return mnemonicAsLabel(line, first);
    if (firstTakes == Operand::None) {
        Diagnostic found =
            error(Code::TwoInstructions, line.rangeOf(first, second),
                  QLatin1String("two instructions on one line, ") + quoted(first.written()) +
                      QLatin1String(" and ") + quoted(second.written()) +
                      QLatin1String("; each needs a line of its own"));
        found.fixes.append(
            Fix{QLatin1String("Put ") + quoted(second.written()) +
                    QLatin1String(" on a line of its own"),
                {Edit{Range{line.number, first.end, second.begin}, QStringLiteral("\n")}}});
        return found;
    }
    return mnemonicAsLabel(line, second); // MNEMONIC NAME
}

// Neither the first nor the second word is a mnemonic.
std::optional<Diagnostic> ProgramCheck::noMnemonic(const SourceLine &line) const
{
    const Words &words = line.words;
    for (qsizetype at = 0; at < 2; ++at) {
        if (std::optional<Diagnostic> odd = oddCharacterIn(line, words[at]))
            return odd;
    }
    if (std::optional<Diagnostic> variable = labelWithoutData(line))
        return variable;
    // Two words are MNEMONIC OPERAND or LABEL MNEMONIC; three LABEL MNEMONIC OPERAND.
    const qsizetype likely = words.size() == 2 ? 0 : 1;
    if (std::optional<Diagnostic> near = misspelt(line, words[likely], fixCheck()))
        return near;
    if (std::optional<Diagnostic> near = misspelt(line, words[1 - likely], fixCheck()))
        return near;
    if (words.size() > 3)
        return extraWords(line, 3);
    if (words.size() == 3)
        return notAnInstruction(line, words[1], fixCheck());
    return error(Code::MissingInstruction, line.rangeOf(words[0], words[1]),
                 QLatin1String("neither ") + quoted(words[0].written()) + QLatin1String(" nor ") +
                     quoted(words[1].written()) + QLatin1String(" is an instruction"));
}

// An operand must name a label of the program.
std::optional<Diagnostic> ProgramCheck::operand(const SourceLine &line, const Word &word) const
{
    if (hasLabel(word.key()))
        return std::nullopt;
    if (isMnemonic(word))
        return mnemonicAsLabel(line, word);
    if (std::optional<Diagnostic> odd = oddCharacterIn(line, word))
        return odd;
    if (isNumber(word.written()) || isImmediate(word.written()))
        return numberAsOperand(line, word);
    if (std::optional<Diagnostic> shape = operandShape(shapes(), line, word))
        return shape;
    if (!checkFixes) // judging a fixed text: only what is wrong counts
        return error(Code::UndefinedLabel, line.rangeOf(word), QString());
    const QString bare = bareOperand(word.written());
    if (bare != word.written() && hasLabel(bare.toUpper()))
        if (std::optional<Diagnostic> meant = meantLabel(line, word, {labels[bare.toUpper()]}))
            return meant;
    // A name a refused line would define is no misspelling of another.
    if (!hasLabel(word.key() + QLatin1Char(':')) && !failedLabels.contains(word.key()))
        if (std::optional<Diagnostic> near = nearLabel(line, word))
            return near;
    return error(Code::UndefinedLabel, line.rangeOf(word),
                 QLatin1String("label ") + quoted(word.written()) +
                     QLatin1String(" is not defined"));
}

// What the assembler refuses in one line, given every label of the program.
std::optional<Diagnostic> ProgramCheck::lineError(const SourceLine &line) const
{
    const Words &words = line.words;
    if (words.isEmpty())
        return blankLine(line);
    const bool firstIsMnemonic = isMnemonic(words[0]);
    const bool secondIsMnemonic = words.size() > 1 && isMnemonic(words[1]);
    if (std::optional<Diagnostic> number = lineNumber(line))
        return number;
    if (std::optional<Diagnostic> directive = otherDirective(line, lowerCase))
        return directive;
    if (std::optional<Diagnostic> list = listOnLine(shapes(), line))
        return list;
    switch (words.size()) {
    case 1:
        if (firstIsMnemonic)
            return std::nullopt;
        if (std::optional<Diagnostic> label = labelAlone(line))
            return label;
        if (std::optional<Diagnostic> label = labelBeforeNextLine(line))
            return label;
        if (std::optional<Diagnostic> variable = labelWithoutData(line))
            return variable;
        return notAnInstruction(line, words[0], fixCheck());
    case 2:
        if (firstIsMnemonic && secondIsMnemonic)
            return twoMnemonics(line);
        if (!firstIsMnemonic && !secondIsMnemonic)
            return noMnemonic(line);
        if (firstIsMnemonic && isData(words[0].mnemonic()))
            if (std::optional<Diagnostic> data = dataLine(line))
                return data;
        if (firstIsMnemonic)
            return operand(line, words[1]);
        return std::nullopt; // LABEL MNEMONIC
    case 3:
        if (firstIsMnemonic && !secondIsMnemonic && isData(words[0].mnemonic()))
            if (std::optional<Diagnostic> data = dataLine(line))
                return data;
        if (firstIsMnemonic && secondIsMnemonic && isData(words[1].mnemonic()))
            return mnemonicAsVariable(line, words[0]);
        if (firstIsMnemonic)
            return secondIsMnemonic ? mnemonicAsLabel(line, words[0]) : extraWords(line, 2);
        if (!secondIsMnemonic)
            return noMnemonic(line);
        if (isData(words[1].mnemonic()))
            return std::nullopt; // any value is accepted; a warning says when it reads as 0
        if (isMnemonic(words[2]) && words[1].mnemonic()->operand == Operand::None &&
            words[2].mnemonic()->operand == Operand::None) {
            // LABEL INP OUT: two lines joined.
            SourceLine joined = line;
            joined.words = Words(&words[1], 2);
            return twoMnemonics(joined);
        }
        return operand(line, words[2]);
    default:
        if (firstIsMnemonic)
            return extraWords(line, 2);
        if (secondIsMnemonic)
            return extraWords(line, 3);
        return noMnemonic(line);
    }
}

// A number before a line that would be right without it: a line number
// pasted with the program. The lines of a program pasted so all have one,
// and one fix removes every one of them.
bool ProgramCheck::numbered(const Words &words) const
{
    return words.size() >= 2 && isNumber(words[0].written()) &&
           words[0].written().front().isDigit() &&
           accepts(Words(&words[1], words.size() - 1), &numberedLabels);
}

std::optional<Diagnostic> ProgramCheck::lineNumber(const SourceLine &line) const
{
    const Words &words = line.words;
    // A number alone, among numbered lines, numbers a line left empty.
    const bool alone = words.size() == 1 && isNumber(words[0].written()) &&
                       words[0].written().front().isDigit() && numberedLines.size() > 1;
    if (!alone && !numbered(words))
        return std::nullopt;
    Diagnostic found = error(Code::LineNumbers, line.rangeOf(words[0]),
                             quoted(words[0].written()) +
                                 QLatin1String(" is a line number; the editor numbers the lines, "
                                               "and the program holds none"));
    Fix fix{numberedLines.size() > 1 ? QStringLiteral("Remove the line numbers from every line")
                                     : QStringLiteral("Remove the line number"),
            {}};
    for (const auto &[number, rest] : numberedLines) {
        const SourceLine &at = *std::lower_bound(
            lines.begin(), lines.end(), number,
            [](const SourceLine &stored, qint32 wanted) { return stored.number < wanted; });
        fix.edits.append(Edit{Range{number, at.words[0].begin, rest}, QString()});
    }
    if (!fix.edits.isEmpty())
        found.fixes.append(fix);
    return found;
}

// A label alone on its line that branches go to: it belongs before the
// instruction of the next line.
std::optional<Diagnostic> ProgramCheck::labelBeforeNextLine(const SourceLine &line) const
{
    const Word &word = line.words[0];
    if (!branchTargets.contains(word.key()) || hasLabel(word.key()) ||
        !isFreeLabelName(word.written()))
        return std::nullopt;
    const auto next = std::upper_bound(
        lines.begin(), lines.end(), line.number,
        [](qint32 number, const SourceLine &stored) { return number < stored.number; });
    if (next == lines.end() || next->words.isEmpty() || !isMnemonic(next->words[0]) ||
        isData(next->words[0].mnemonic()))
        return std::nullopt;
    const QString joined = word.written().toString() + QLatin1Char(' ') +
                           span(next->words.first(), next->words.last()).toString();
    Diagnostic found = error(Code::LabelAlone, line.rangeOf(word),
                             quoted(word.written()) +
                                 QLatin1String(" stands on a line of its own, and branches go to "
                                               "it; a label is written before the instruction "
                                               "of its line: '") +
                                 shown(joined) + QLatin1Char('\''));
    found.fixes.append(
        Fix{QLatin1String("Move ") + quoted(word.written()) +
                QStringLiteral(" to line %1").arg(next->number),
            {Edit{line.whole(), QString()},
             Edit{Range{next->number, 0, 0}, word.written().toString() + QLatin1Char(' ')}}});
    return found;
}

// A variable named like an instruction ("STA out" ... "out DAT 1"): told
// where it is used and where it is defined; renamed everywhere by the fix.
Diagnostic ProgramCheck::mnemonicAsVariable(const SourceLine &line, const Word &word) const
{
    const bool definition = &word == &line.words[0];
    Diagnostic found(Severity::Error, Code::MnemonicAsVariable, line.rangeOf(word),
                     quoted(word.written()) +
                         QLatin1String(" is an instruction, so it cannot name a variable; give "
                                       "the variable another name, here and on every line that "
                                       "uses it"));
    if (!checkFixes)
        return found;
    const QString renamed = freeName(word.written().toString() + QLatin1Char('1'));
    Fix fix{QLatin1String("Rename the variable ") + quoted(word.written()) +
                QLatin1String(" to '") + renamed + QLatin1String("' on every line"),
            {}};
    for (const SourceLine &other : lines) {
        const Words &words = other.words;
        if (words.size() >= 2 && words[0].key() == word.key() && isData(words[1].mnemonic())) {
            fix.edits.append(Edit{other.rangeOf(words[0]), renamed});
            if (!definition && found.related.isEmpty())
                found.related.append(
                    Related{other.rangeOf(words[0]), QLatin1String("the variable ") +
                                                         quoted(word.written()) +
                                                         QLatin1String(" is defined here")});
        }
        for (qsizetype at = 0; at + 1 < words.size(); ++at) {
            if (isMnemonic(words[at]) && words[at].mnemonic()->operand == Operand::Address &&
                words[at + 1].key() == word.key())
                fix.edits.append(Edit{other.rangeOf(words[at + 1]), renamed});
        }
    }
    found.fixes.append(fix);
    return found;
}

const Word *ProgramCheck::operandOfMisspelt(const Words &words) const
{
    if (words.size() < 2 || words.size() > 3 ||
        std::any_of(words.begin(), words.end(),
                    [](const Word &word) { return isMnemonic(word) || startsComment(word); }))
        return nullptr;
    const Word &word = words[words.size() - 2];
    const Word &operand = words.last();
    if (hasLabel(operand.key()) || isNumber(operand.written()))
        return nullptr;
    // A long text repeats its words: each is looked up among the mnemonics once.
    auto known = nearOperandTaker.constFind(word.key());
    if (known == nearOperandTaker.constEnd()) {
        const machine::Instruction *other = otherLanguageMnemonic(word.key());
        const QStringList nearest =
            other != nullptr ? QStringList{QString(other->mnemonic)} : nearestMnemonics(word.key());
        known = nearOperandTaker.insert(
            QString(word.key().constData(), word.key().size()),
            std::any_of(nearest.begin(), nearest.end(), [](const QString &mnemonic) {
                return rowOf(mnemonic)->operand == Operand::Address;
            }));
    }
    return *known ? &operand : nullptr;
}

// A label with a colon on a line of its own: it belongs before the
// instruction of the next line, without the colon.
std::optional<Diagnostic> ProgramCheck::labelAlone(const SourceLine &line) const
{
    const Word &word = line.words[0];
    if (!word.written().endsWith(QLatin1Char(':')) || !isFreeLabelName(word.written().chopped(1)))
        return std::nullopt;
    const QStringView name = word.written().chopped(1);
    Diagnostic found =
        error(Code::LabelWithColon, line.rangeOf(word),
              quoted(word.written()) +
                  QLatin1String(" stands on a line of its own; a label is written without a "
                                "colon before the instruction of its line"));
    const auto at = std::lower_bound(
        lines.begin(), lines.end(), line.number,
        [](const SourceLine &stored, qint32 number) { return stored.number < number; });
    const auto next = at + 1;
    if (next < lines.end() && !next->words.isEmpty() && isMnemonic(next->words[0]))
        found.fixes.append(Fix{
            QLatin1String("Move ") + quoted(name) + QStringLiteral(" to line %1").arg(next->number),
            {Edit{line.whole(), QString()},
             Edit{Range{next->number, 0, 0}, name.toString() + QLatin1Char(' ')}}});
    return found;
}

Diagnostic ProgramCheck::tooLong(const SourceLine &line) const
{
    const Range range =
        line.words.isEmpty() ? line.whole() : line.rangeOf(line.words.first(), line.words.last());
    return error(Code::ProgramTooLong, range,
                 QStringLiteral("the program needs %1 memory cells, one for each line that is not "
                                "empty, but the memory has %2; this line is the first that does "
                                "not fit")
                     .arg(lines.size())
                     .arg(machine::kMemorySize));
}

// Where an undefined name was meant to be defined: a label written with a
// colon, or the first word of a line the assembler refuses.
void ProgramCheck::notesOnName(const SourceLine &line, Diagnostic &found) const
{
    const Range &range = found.range;
    const Word *use = nullptr;
    for (const Word &word : line.words) {
        if (word.begin == range.begin)
            use = &word;
    }
    if (use == nullptr)
        return;
    if (const auto colon = labels.constFind(use->key() + QLatin1Char(':'));
        colon != labels.constEnd()) {
        const SourceLine &at = lines[*colon];
        const Word &label = at.words[0];
        Diagnostic colonNote =
            note(Code::LabelWithColon, at.rangeOf(label),
                 QLatin1String("labels take no colon; this line defines the label ") +
                     quoted(label.written()));
        colonNote.fixes.append(Fix{QStringLiteral("Remove the colon"),
                                   {Edit{Range{at.number, label.end - 1, label.end}, QString()}}});
        found.notes.append(colonNote);
    } else if (const auto failed = failedLabels.constFind(use->key());
               failed != failedLabels.constEnd()) {
        const SourceLine &at = lines[*failed];
        const auto named = std::find_if(at.words.begin(), at.words.end(),
                                        [&](const Word &word) { return word.key() == use->key(); });
        found.notes.append(
            note(Code::DefinitionFailed, at.rangeOf(named != at.words.end() ? *named : at.words[0]),
                 QLatin1String("the label ") + quoted(use->written()) +
                     QLatin1String(" would be defined here, but this line has an error")));
    } else if (found.fixes.isEmpty() && use != &line.words.first() && !nearAName(use->key())) {
        // A name that an instruction reads or writes is a variable: one DAT line defines it.
        const Word &instruction = *(use - 1);
        if (!isMnemonic(instruction) || instruction.mnemonic()->opcode >= machine::Branch ||
            !isFreeLabelName(use->written()))
            return;
        const QString data(machine::instruction(machine::Data).mnemonic);
        QString definition =
            shown(use->written()) + QLatin1Char(' ') + (lowerCase ? data.toLower() : data);
        // A name a fix gives a number holds that number.
        if (const std::optional<qint64> number = numberForName(use->written().toString()))
            definition += QLatin1Char(' ') + QString::number(*number);
        Diagnostic define = note(Code::DefineVariable, line.rangeOf(*use),
                                 QLatin1String("to use ") + quoted(use->written()) +
                                     QLatin1String(" as a variable, define it on a line of its "
                                                   "own after the program: '") +
                                     definition + QLatin1Char('\''));
        define.fixes.append(Fix{QLatin1String("Define ") + quoted(use->written()) +
                                    QLatin1String(" after the last line"),
                                {appendLine(definition)}});
        found.notes.append(define);
    }
}

bool ProgramCheck::accepts(Words words, const QSet<QString> *more) const
{
    const auto hasLabel = [&](const QString &key) {
        return this->hasLabel(key) || (more != nullptr && more->contains(key));
    };
    switch (words.size()) {
    case 1:
        return isMnemonic(words[0]);
    case 2:
        // MNEMONIC LABEL or LABEL MNEMONIC.
        if (isMnemonic(words[0]) == isMnemonic(words[1]))
            return false;
        return !isMnemonic(words[0]) || hasLabel(words[1].key());
    case 3:
        // LABEL DAT VALUE or LABEL MNEMONIC LABEL.
        if (isMnemonic(words[0]) || !isMnemonic(words[1]))
            return false;
        return isData(words[1].mnemonic()) || hasLabel(words[2].key());
    default:
        return false; // an empty line, or more than three words
    }
}

// The errors of line k: `count` of them, the `part`th.
Diagnostic ProgramCheck::errorOn(qint32 k, quint8 count, quint8 part) const
{
    const SourceLine &line = lines[k];
    const Words &words = line.words;
    const auto mark = std::find_if(words.begin(), words.end(), startsComment);
    Diagnostic found;
    if (operandToo.contains(k) && part == 1) {
        found = *operand(line, *operandOfMisspelt(words));
    } else if (mark == words.end()) {
        found = *lineError(line);
    } else if (count == 2 && part == 0) {
        // What the words before the comment hold, then the comment itself.
        SourceLine before = line;
        before.words = words.first(mark - words.begin());
        found = *lineError(before);
    } else {
        found = comment(line, mark - words.begin());
    }
    if (found.code == Code::UndefinedLabel && checkFixes)
        notesOnName(line, found);
    if (line.text.contains(QLatin1Char('\r')))
        found.notes.append(carriageReturns(line));
    if (found.code == Code::UnknownMnemonic) {
        for (const Word &word : words) {
            if (word.begin == found.range.begin && otherLanguageMnemonic(word.key()) != nullptr)
                found.notes.append(otherLanguageNote(line, word));
        }
    }
    // The finders that say "did you mean" checked their fixes as they chose them.
    if (fixCheck() != nullptr) {
        const bool checked =
            found.code == Code::UnknownMnemonic || found.code == Code::UndefinedLabel;
        Diagnostic own = found;
        fixCheck()->keepRightFixes(found);
        if (checked)
            found.fixes = own.fixes;
    }
    return found;
}

const FixCheck *ProgramCheck::fixCheck() const
{
    if (!checkFixes)
        return nullptr;
    if (!fixCheck_) {
        QList<qint32> numbers;
        numbers.reserve(refused.size());
        for (const auto &[k, count] : refused)
            numbers.append(lines[k].number);
        fixCheck_ = std::make_unique<FixCheck>(text, numbers);
    }
    return fixCheck_.get();
}

QList<Diagnostic> ProgramCheck::errorsOn(qint32 k) const
{
    QList<Diagnostic> found;
    for (quint8 part = 0; part < errorCount[k]; ++part)
        found.append(errorOn(k, errorCount[k], part));
    return found;
}

void ProgramCheck::prepare()
{
    collectLabels();
    if (checkFixes) {
        for (const SourceLine &line : lines) {
            if (numbered(line.words))
                numberedLines.append({line.number, line.words[1].begin});
            else if (line.words.size() == 1 && isNumber(line.words[0].written()) &&
                     line.words[0].written().front().isDigit())
                numberedLines.append({line.number, line.words[0].end});
        }
    }
    errorCount.fill(0, lines.size());
    refused.reserve(lines.size());
    for (qint32 k = 0; k < lines.size(); ++k) {
        const Words &words = lines[k].words;
        if (accepts(words))
            continue;
        const auto mark = std::find_if(words.begin(), words.end(), startsComment);
        const qsizetype from = mark - words.begin();
        bool twoErrors = mark != words.end() && from > 0 && !accepts(words.first(from));
        // The operand of a misspelt instruction is used there, not meant to be defined.
        const Word *misspeltOperand = operandOfMisspelt(words);
        if (!twoErrors && misspeltOperand != nullptr) {
            operandToo.insert(k);
            twoErrors = true;
        }
        refused.append({k, twoErrors ? 2 : 1});
        errorCount[k] = twoErrors ? 2 : 1;
        // The first pass refuses a pair of words before the second pass looks at any line.
        if (firstPairError < 0 && words.size() == 2 && isMnemonic(words[0]) == isMnemonic(words[1]))
            firstPairError = k;
        // A refused line defines nothing, whatever the first pass entered; the
        // name it was meant to define: its first word, or the one after a
        // DAT written before its label.
        // A line with a DAT or with no mnemonic at all was meant to hold data.
        const bool data = std::none_of(words.begin(), words.end(), [](const Word &word) {
            return isMnemonic(word) && !isData(word.mnemonic());
        });
        const auto meant = [&](const Word &word) {
            QString name = word.key();
            if (name.endsWith(QLatin1Char(':')))
                name.chop(1);
            if (!name.isEmpty() && !failedLabels.contains(name))
                failedLabels.insert(name, k);
            if (!name.isEmpty() && data)
                dataLabels.insert(name);
        };
        // Every name before the first mnemonic counts (after a line number too).
        const Word *named = words.begin();
        for (; named != words.end() && !isMnemonic(*named) && named != misspeltOperand; ++named)
            meant(*named);
        if (named == words.begin() && words.size() >= 2 && isData(words[0].mnemonic()) &&
            !isMnemonic(words[1]))
            meant(words[1]);
    }
}

QList<Diagnostic> ProgramCheck::run(qsizetype limit, qsizetype *omitted)
{
    prepare();
    // The assembler refuses a program longer than the memory before anything
    // else; that error comes before the first about a line past the last cell.
    const bool tooLongProgram = lines.size() > machine::kMemorySize;
    const qint32 windowLine =
        tooLongProgram ? -1
                       : (firstPairError >= 0 ? firstPairError
                                              : (refused.isEmpty() ? -1 : refused.first().first));
    // Where each error goes in line order, and which the window reports:
    // the last error on its line.
    qsizetype total = 0;
    qsizetype tooLongAt = -1;
    qsizetype windowError = -1;
    for (const auto &[k, count] : std::as_const(refused)) {
        if (tooLongProgram && tooLongAt < 0 && k >= machine::kMemorySize)
            tooLongAt = total++;
        if (k == windowLine)
            windowError = total + count - 1;
        total += count;
    }
    if (tooLongProgram && tooLongAt < 0)
        tooLongAt = total++;
    if (tooLongProgram)
        windowError = tooLongAt;

    // Only the errors kept are built; the others are counted.
    const bool capped = limit > 0 && total > limit;
    const auto kept = [&](qsizetype g) {
        return !capped || g < limit - 1 || (g == limit - 1 && windowError < limit) ||
               g == windowError;
    };
    QList<Diagnostic> found;
    qsizetype g = 0;
    const auto tooLongHere = [&] {
        if (g == tooLongAt) {
            found.append(tooLong(lines[machine::kMemorySize]));
            ++g;
        }
    };
    for (const auto &[k, count] : std::as_const(refused)) {
        if (capped && g >= limit && g > windowError)
            break;
        tooLongHere();
        for (quint8 part = 0; part < count; ++part, ++g) {
            if (kept(g))
                found.append(errorOn(k, count, part));
        }
    }
    tooLongHere();
    if (omitted != nullptr)
        *omitted = total - found.size();
    if (capped)
        found.append(
            error(Code::TooManyErrors, Range{}, QStringLiteral("too many errors; stopping")));
    return found;
}

QList<Diagnostic> errors(const SourceText &text, qsizetype limit, qsizetype *omitted)
{
    return ProgramCheck(text, true).run(limit, omitted);
}

ErrorFinder::ErrorFinder(const SourceText &part, const QHash<QString, qint32> &outer,
                         const QSet<QString> &removed)
    : check_(std::make_unique<ProgramCheck>(part, outer, removed))
{
    check_->prepare();
}

ErrorFinder::~ErrorFinder() = default;

bool ErrorFinder::refuses(qint32 k) const
{
    return check_->refuses(k);
}

QList<Diagnostic> ErrorFinder::errorsOn(qint32 k) const
{
    return check_->errorsOn(k);
}

QList<Diagnostic> check(const QString &source, qsizetype errorLimit)
{
    const SourceText text(source);
    return flattened(errors(text, errorLimit));
}

} // namespace diagnostics
