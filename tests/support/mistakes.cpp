#include "mistakes.h"

#include "sampledata.h"

#include "diagnostics/errors.h"
#include "diagnostics/fixcheck.h"
#include "diagnostics/mnemonic.h"
#include "machine/console.h"
#include "machine/runloop.h"
#include "program/program.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <functional>
#include <optional>

namespace mistakes
{

namespace
{

using Inputs = QList<QStringList>; // the values typed, for each run

struct Correct {
    QString text;
    Inputs inputs;
};

// A line's words, and which of them is the label, the mnemonic and the operand.
struct Words {
    QStringList words;
    qsizetype mnemonic = -1;

    explicit Words(const QString &line)
        : words(line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
    {
        for (qsizetype k = 0; k < words.size() && k < 2 && mnemonic < 0; ++k) {
            if (diagnostics::rowOf(words[k].toUpper()) != nullptr)
                mnemonic = k;
        }
    }
    bool labelled() const { return mnemonic == 1; }
    bool hasOperand() const { return mnemonic >= 0 && mnemonic + 1 < words.size(); }
    bool isData() const { return mnemonic >= 0 && words[mnemonic].toUpper() == u"DAT"; }
    QString line() const { return words.join(QLatin1Char('\t')); }
};

// A mutant: the text and the lines (from 1) of its mistakes.
struct Mutant {
    QStringList lines;
    QList<qint32> at;
};

using Mutation = std::function<bool(Mutant &, QRandomGenerator &)>;

// A line index chosen among those for which `fits` holds, or -1.
qsizetype pick(const Mutant &mutant, QRandomGenerator &random,
               const std::function<bool(const Words &, qsizetype)> &fits)
{
    QList<qsizetype> candidates;
    for (qsizetype k = 0; k < mutant.lines.size(); ++k) {
        if (!mutant.at.contains(qint32(k + 1)) && fits(Words(mutant.lines[k]), k))
            candidates.append(k);
    }
    return candidates.isEmpty() ? -1 : candidates[random.bounded(int(candidates.size()))];
}

// One edit: a letter left out, added, changed, or two swapped.
QString misspelt(const QString &word, QRandomGenerator &random)
{
    QString result = word;
    const QChar letter = QChar(u'A' + random.bounded(26));
    const bool lower = word == word.toLower();
    const int at = random.bounded(int(word.size()));
    switch (random.bounded(4)) {
    case 0:
        if (word.size() > 1) {
            result.remove(at, 1);
            break;
        }
        Q_FALLTHROUGH();
    case 1:
        result.insert(at, lower ? letter.toLower() : letter);
        break;
    case 2:
        result[at] = lower ? letter.toLower() : letter;
        break;
    default:
        if (word.size() > 1) {
            const int first = qMin(at, int(word.size()) - 2);
            std::swap(result[first], result[first + 1]);
        }
    }
    return result;
}

// Changes one word of a chosen line; false when no line fits.
bool changeWord(Mutant &mutant, QRandomGenerator &random,
                const std::function<bool(const Words &, qsizetype)> &fits,
                const std::function<void(Words &)> &change)
{
    const qsizetype k = pick(mutant, random, fits);
    if (k < 0)
        return false;
    Words words(mutant.lines[k]);
    change(words);
    mutant.lines[k] = words.line();
    mutant.at.append(qint32(k + 1));
    return true;
}

bool usesLabel(const Words &words, qsizetype)
{
    return words.hasOperand() && !words.isData();
}

// The value of the data line a label names, when a DAT line gives one and no store changes it.
std::optional<QString> constantOf(const QStringList &lines, const QString &label)
{
    std::optional<QString> value;
    for (const QString &line : lines) {
        const Words words(line);
        if (words.isData() && words.labelled() && words.words[0] == label && words.hasOperand())
            value = words.words[2];
        if (words.hasOperand() && words.words[words.mnemonic].toUpper() == u"STA" &&
            words.words[words.mnemonic + 1] == label)
            return std::nullopt;
    }
    static const QRegularExpression number(QStringLiteral("^-?[0-9]{1,6}$"));
    return value && number.match(*value).hasMatch() ? value : std::nullopt;
}

struct Kind {
    const char *name;
    Mutation mutate;
};

const QList<Kind> &kinds()
{
    static const QList<Kind> table = {
        {"misspelt mnemonic",
         [](Mutant &m, QRandomGenerator &r) {
             return changeWord(
                 m, r, [](const Words &w, qsizetype) { return w.mnemonic >= 0; },
                 [&](Words &w) { w.words[w.mnemonic] = misspelt(w.words[w.mnemonic], r); });
         }},
        {"misspelt label",
         [](Mutant &m, QRandomGenerator &r) {
             return changeWord(m, r, usesLabel,
                               [&](Words &w) { w.words.last() = misspelt(w.words.last(), r); });
         }},
        {"number for a label",
         [](Mutant &m, QRandomGenerator &r) {
             const QStringList lines = m.lines;
             return changeWord(
                 m, r,
                 [&](const Words &w, qsizetype) {
                     return usesLabel(w, 0) && constantOf(lines, w.words.last()).has_value();
                 },
                 [&](Words &w) {
                     w.words.last() = (r.bounded(2) ? QStringLiteral("#") : QString()) +
                                      *constantOf(lines, w.words.last());
                 });
         }},
        {"comma after the operand",
         [](Mutant &m, QRandomGenerator &r) {
             return changeWord(m, r, usesLabel, [](Words &w) { w.words.last() += u','; });
         }},
        {"operand in quotes",
         [](Mutant &m, QRandomGenerator &r) {
             static const char16_t *const quotes[][2] = {
                 {u"'", u"'"}, {u"\"", u"\""}, {u"\u201C", u"\u201D"}, {u"\u2018", u"\u2019"}};
             const auto *quote = quotes[r.bounded(4)];
             return changeWord(m, r, usesLabel, [&](Words &w) {
                 w.words.last() =
                     QString::fromUtf16(quote[0]) + w.words.last() + QString::fromUtf16(quote[1]);
             });
         }},
        {"comment at the end",
         [](Mutant &m, QRandomGenerator &r) {
             static const char *const marks[] = {"; keep it", "// keep it", "# keep it"};
             const char *mark = marks[r.bounded(3)];
             return changeWord(
                 m, r, [](const Words &w, qsizetype) { return w.mnemonic >= 0; },
                 [&](Words &w) { w.words << QString::fromLatin1(mark).split(u' '); });
         }},
        {"line numbers",
         [](Mutant &m, QRandomGenerator &) {
             for (qsizetype k = 0; k < m.lines.size(); ++k) {
                 if (!m.lines[k].trimmed().isEmpty()) {
                     m.lines[k] = QString::number(k + 1) + u' ' + Words(m.lines[k]).line();
                     m.at.append(qint32(k + 1));
                 }
             }
             return !m.at.isEmpty();
         }},
        {"DAT before its label",
         [](Mutant &m, QRandomGenerator &r) {
             return changeWord(
                 m, r, [](const Words &w, qsizetype) { return w.isData() && w.labelled(); },
                 [](Words &w) { w.words.swapItemsAt(0, 1); });
         }},
        {"label on a line of its own",
         [](Mutant &m, QRandomGenerator &r) {
             const qsizetype k =
                 pick(m, r, [](const Words &w, qsizetype) { return w.labelled() && !w.isData(); });
             if (k < 0)
                 return false;
             Words words(m.lines[k]);
             const QString label = words.words.takeFirst() + u':';
             m.lines[k] = u'\t' + words.line();
             m.lines.insert(k, label);
             for (qint32 &line : m.at)
                 line += line > k ? 1 : 0;
             m.at << qint32(k + 1) << qint32(k + 2);
             return true;
         }},
        {"another assembler's word",
         [](Mutant &m, QRandomGenerator &r) {
             static const QHash<QString, QStringList> words = {
                 {"LDA", {"LOAD"}},        {"STA", {"STORE"}}, {"BRA", {"JMP"}},
                 {"HLT", {"END", "HALT"}}, {"INP", {"INPUT"}}, {"OUT", {"PRINT"}}};
             return changeWord(
                 m, r,
                 [](const Words &w, qsizetype) {
                     return w.mnemonic >= 0 && words.contains(w.words[w.mnemonic].toUpper());
                 },
                 [&](Words &w) {
                     const QStringList &other = words[w.words[w.mnemonic].toUpper()];
                     w.words[w.mnemonic] = other[r.bounded(int(other.size()))];
                 });
         }},
        {"DAT left out",
         [](Mutant &m, QRandomGenerator &r) {
             return changeWord(
                 m, r, [](const Words &w, qsizetype) { return w.isData() && w.labelled(); },
                 [](Words &w) { w.words.removeAt(1); });
         }},
        {"section headers",
         [](Mutant &m, QRandomGenerator &) {
             qsizetype data = 0;
             while (data < m.lines.size() && !Words(m.lines[data]).isData())
                 ++data;
             if (data == m.lines.size())
                 return false;
             m.lines.insert(data, QStringLiteral(".data"));
             m.lines.insert(0, QStringLiteral(".text"));
             m.at << 1 << qint32(data + 2);
             return true;
         }},
        {"operand in brackets",
         [](Mutant &m, QRandomGenerator &r) {
             const bool square = r.bounded(2);
             return changeWord(m, r, usesLabel, [&](Words &w) {
                 w.words.last() = (square ? u'[' : u'(') + w.words.last() + (square ? u']' : u')');
             });
         }},
        {"another assembler's data word",
         [](Mutant &m, QRandomGenerator &r) {
             static const char *const words[] = {"DW", ".word", "DB"};
             const char *word = words[r.bounded(3)];
             return changeWord(
                 m, r,
                 [](const Words &w, qsizetype) {
                     return w.isData() && w.labelled() && w.hasOperand();
                 },
                 [&](Words &w) { w.words[1] = QString::fromLatin1(word); });
         }},
        {"a variable named like an instruction",
         [](Mutant &m, QRandomGenerator &r) {
             // Renames every use too, so it comes first on a program.
             const qsizetype k =
                 m.at.isEmpty()
                     ? pick(m, r,
                            [](const Words &w, qsizetype) { return w.isData() && w.labelled(); })
                     : -1;
             if (k < 0)
                 return false;
             const QString label = Words(m.lines[k]).words[0];
             for (qsizetype at = 0; at < m.lines.size(); ++at) {
                 Words words(m.lines[at]);
                 if (!words.words.contains(label))
                     continue;
                 for (QString &word : words.words)
                     word = word == label ? QStringLiteral("out") : word;
                 m.lines[at] = words.line();
                 m.at.append(qint32(at + 1));
             }
             return true;
         }},
        {"x+0 as the operand",
         [](Mutant &m, QRandomGenerator &r) {
             return changeWord(m, r, usesLabel, [](Words &w) { w.words.last() += u"+0"; });
         }},
        {"two instructions on a line",
         [](Mutant &m, QRandomGenerator &r) {
             const QStringList lines = m.lines;
             const auto alone = [](const Words &w) {
                 return w.mnemonic >= 0 && !w.hasOperand() && !w.isData();
             };
             const qsizetype k = pick(m, r, [&](const Words &w, qsizetype at) {
                 if (!alone(w) || at + 1 >= lines.size())
                     return false;
                 const Words next(lines[at + 1]);
                 return alone(next) && !next.labelled();
             });
             if (k < 0 || m.at.contains(qint32(k + 2)))
                 return false;
             m.lines[k] = Words(m.lines[k]).line() + u' ' + Words(m.lines[k + 1]).line();
             m.lines.removeAt(k + 1);
             for (qint32 &line : m.at)
                 line -= line > k + 1 ? 1 : 0;
             m.at.append(qint32(k + 1));
             return true;
         }},
    };
    return table;
}

// What a run does: its outputs, and whether it halted within the step limit.
struct Run {
    QList<qint32> outputs;
    bool halted = false;
    bool operator==(const Run &) const = default;
};

class Typed : public machine::Console
{
public:
    explicit Typed(const QStringList &values) : values(values) {}
    std::optional<QString> typedText(qint32) override
    {
        if (next >= values.size())
            return std::nullopt;
        return values[next++];
    }
    void writeValue(qint32 value) override { outputs.append(value); }
    void message(const QString &) override {}
    void operandReport(qint32, const QString &) override {}

    QStringList values;
    qsizetype next = 0;
    QList<qint32> outputs;
};

QList<Run> runs(const QString &text, const Inputs &inputs)
{
    program::Program program;
    program.text = text;
    QString error;
    if (!program.assemble(error))
        return {};
    QList<Run> result;
    for (const QStringList &values : inputs) {
        machine::Processor processor;
        program::loadImage(program, processor);
        Typed console(values);
        machine::RunLoop loop(processor, console, 0, 5000);
        const machine::RunEnd end = loop.run();
        result.append(Run{console.outputs, end.kind == machine::RunEnd::Halted});
    }
    return result;
}

QStringList casesInputs(int sample)
{
    QFile file(QStringLiteral(KORVANE_PROGRAMS_DIR "/sample%1.cases").arg(sample));
    QStringList inputs;
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
            if (line.contains(QLatin1String("=>")) && !line.startsWith(u'#'))
                inputs.append(line.section(QLatin1String("=>"), 0, 0).trimmed());
        }
    }
    return inputs.isEmpty() ? QStringList{QString()} : inputs;
}

// Instructions and data that assemble, as a student might write them: data
// lines labelled, branches to labelled instructions, names of 1 to 8 letters.
Correct randomProgram(QRandomGenerator &random)
{
    static const char *const codes[] = {"ADD", "SUB", "MUL", "DIV", "STA", "LDA", "BRA",
                                        "BRZ", "BRP", "BRN", "BRG", "INP", "OUT", "HLT"};
    const int size = random.bounded(4, 24);
    const int data = random.bounded(1, qMin(6, size - 1) + 1);
    QStringList names;
    while (names.size() < size) {
        QString name;
        for (int n = random.bounded(1, 9); n > 0; --n)
            name += QChar(u'a' + random.bounded(26));
        if (diagnostics::rowOf(name.toUpper()) == nullptr && !names.contains(name) &&
            !name.endsWith(u':'))
            names.append(name);
    }
    QList<bool> named;
    for (int k = 0; k < size; ++k)
        named.append(k >= size - data || random.bounded(10) < 4);
    QList<int> targets;
    for (int k = 0; k < size - data; ++k) {
        if (named[k])
            targets.append(k);
    }
    QStringList lines;
    for (int k = 0; k < size - data; ++k) {
        const QString code = QString::fromLatin1(codes[random.bounded(14)]);
        const machine::Instruction *row = diagnostics::rowOf(code);
        QString line = (named[k] ? names[k] : QString()) + u'\t' + code;
        if (row->operand == machine::Operand::Address) {
            const bool branch = row->opcode >= machine::Branch;
            const int target = branch && !targets.isEmpty()
                                   ? targets[random.bounded(int(targets.size()))]
                                   : random.bounded(size - data, size);
            line += u'\t' + names[target];
        }
        lines.append(line);
    }
    for (int k = size - data; k < size; ++k)
        lines.append(
            names[k] + QStringLiteral("\tDAT") +
            (random.bounded(5) ? u'\t' + QString::number(random.bounded(-20, 21)) : QString()));
    Inputs inputs;
    for (int n = 0; n < 2; ++n) {
        QStringList values;
        for (int v = random.bounded(0, 8); v > 0; --v)
            values.append(QString::number(random.bounded(-50, 51)));
        inputs.append(values);
    }
    return Correct{lines.join(u'\n') + u'\n', inputs};
}

QList<Correct> correctPrograms(int randomPrograms, QRandomGenerator &random)
{
    QList<Correct> programs;
    for (int s = 0; s < int(testdata::samples().size()); ++s) {
        Inputs inputs;
        for (const QString &typed : casesInputs(s))
            inputs.append(typed.split(u' ', Qt::SkipEmptyParts));
        programs.append(Correct{testdata::samples()[std::size_t(s)].text, inputs});
    }
    while (programs.size() < int(testdata::samples().size()) + randomPrograms) {
        const Correct program = randomProgram(random);
        if (!runs(program.text, program.inputs).isEmpty())
            programs.append(program);
    }
    return programs;
}

// The first error that offers exactly one fix, or its note's; null when none does.
const diagnostics::Fix *firstFix(const QList<diagnostics::Diagnostic> &errors)
{
    for (const diagnostics::Diagnostic &error : errors) {
        if (error.fixes.size() == 1)
            return &error.fixes.first();
        if (!error.fixes.isEmpty())
            return nullptr; // a choice left to the student
        for (const diagnostics::Diagnostic &note : error.notes) {
            if (note.fixes.size() == 1)
                return &note.fixes.first();
        }
    }
    return nullptr;
}

// Whether a fix does what it says, judged by the whole check of the fixed
// text: the error it answers gone, and no more errors than before.
bool fixHolds(const QString &text, const QList<diagnostics::Diagnostic> &errors,
              const diagnostics::Diagnostic &about, const diagnostics::Fix &fix)
{
    const QList<diagnostics::Diagnostic> after =
        diagnostics::errors(diagnostics::SourceText(diagnostics::applied(text, fix)));
    const bool remains = std::any_of(after.begin(), after.end(), [&](const auto &error) {
        return error.code == about.code && error.range == about.range;
    });
    return !remains && after.size() < errors.size() + 1;
}

void judge(const Correct &original, const Mutant &mutant, Tally &tally)
{
    ++tally.mutants;
    QString text = mutant.lines.join(u'\n');
    QList<diagnostics::Diagnostic> errors = diagnostics::errors(diagnostics::SourceText(text));
    if (errors.isEmpty()) {
        ++tally.stillAssemble;
        return;
    }
    const QList<diagnostics::Diagnostic> all = diagnostics::flattened(errors);
    if (std::none_of(all.begin(), all.end(),
                     [&](const auto &found) { return mutant.at.contains(found.range.line); }))
        ++tally.unplaced;
    for (const diagnostics::Diagnostic &error : std::as_const(errors)) {
        for (const diagnostics::Fix &fix : error.fixes)
            tally.unchecked += fixHolds(text, errors, error, fix) ? 0 : 1;
    }
    // One fix a round; a fix may take a line away, or leave an error for the next.
    for (qsizetype round = 0; round < 2 * mutant.lines.size() + 10 && !errors.isEmpty(); ++round) {
        const diagnostics::Fix *fix = firstFix(errors);
        if (fix == nullptr)
            break;
        text = diagnostics::applied(text, *fix);
        errors = diagnostics::errors(diagnostics::SourceText(text));
    }
    if (!errors.isEmpty()) {
        ++tally.stopped;
    } else if (runs(text, original.inputs) == runs(original.text, original.inputs)) {
        ++tally.repaired;
    } else {
        ++tally.wrong;
        if (tally.wrongExamples.size() < 2)
            tally.wrongExamples.append(mutant.lines.join(u'\n') + QStringLiteral("\n=> ") + text);
    }
}

void add(Tally &into, const Tally &from)
{
    into.mutants += from.mutants;
    into.stillAssemble += from.stillAssemble;
    into.repaired += from.repaired;
    into.stopped += from.stopped;
    into.wrong += from.wrong;
    into.unplaced += from.unplaced;
    into.unchecked += from.unchecked;
    into.wrongExamples += from.wrongExamples;
}

} // namespace

QList<Tally> tallies(int randomPrograms, quint32 seed)
{
    QRandomGenerator random(seed);
    const QList<Correct> programs = correctPrograms(randomPrograms, random);
    QList<Tally> result;
    for (const Kind &kind : kinds()) {
        Tally tally;
        tally.kind = QString::fromLatin1(kind.name);
        result.append(tally);
    }
    Tally pairs;
    pairs.kind = QStringLiteral("pairs");
    for (const Correct &program : programs) {
        const QStringList lines = program.text.split(u'\n');
        for (qsizetype k = 0; k < kinds().size(); ++k) {
            Mutant one{lines, {}};
            if (kinds()[k].mutate(one, random))
                judge(program, one, result[k]);
            // And with a second mistake of another kind on another line.
            const qsizetype other = random.bounded(int(kinds().size()));
            Mutant two{lines, {}};
            if (other != k && kinds()[k].mutate(two, random) && kinds()[other].mutate(two, random))
                judge(program, two, pairs);
        }
    }
    result.append(pairs);
    Tally all;
    all.kind = QStringLiteral("all");
    for (const Tally &tally : std::as_const(result))
        add(all, tally);
    result.append(all);
    return result;
}

QString report(const QList<Tally> &tallies)
{
    QString text;
    for (const Tally &tally : tallies)
        text +=
            QStringLiteral("%1: %2 of %3 repaired (%4 %), %5 stopped without a fix, %6 wrong, "
                           "%7 still assemble, %8 without a diagnostic at the mistake\n")
                .arg(tally.kind)
                .arg(tally.repaired)
                .arg(tally.refused())
                .arg(tally.refused() ? 100.0 * tally.repaired / tally.refused() : 100.0, 0, 'f', 1)
                .arg(tally.stopped)
                .arg(tally.wrong)
                .arg(tally.stillAssemble)
                .arg(tally.unplaced);
    return text;
}

} // namespace mistakes
