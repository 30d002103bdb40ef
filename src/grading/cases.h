#pragma once

// The cases file of --test. One check per line:
//   a case: the values to type, "=>", then the expected output values, each
//   side whitespace-separated and possibly empty;
//   a rule: "forbid: MNEMONIC..." (the program must not use these
//   instructions) or "max-words: N" (it assembles to at most N words).
// Either may start with attributes in brackets: "[points=2 hidden max-steps=500]";
// a case may also have "time-limit=S", in seconds, and either a hint for the
// student who fails it: hint="TEXT" (in TEXT, \" is a quote and \\ a backslash).
// A line "pick: PATTERN" names the file that --class grades in each
// student's folder, as a shell pattern.
// A "#" starts a comment that runs to the end of the line; blank lines and
// lines that hold only a comment are skipped.

#include "grading/timelimit.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

namespace grading
{

struct TestCase {
    enum Kind : quint8 {
        Case,     // values to type and the output expected
        Forbid,   // instructions the program must not use
        MaxWords, // the most memory words the program may take
    };
    Kind kind = Case;
    // The case or rule as written, without its attributes, its comment and
    // surrounding blanks.
    QString line;
    qsizetype lineNumber = 0; // its line in the cases file, counted from 1
    QList<qint32> inputs;
    QList<qint32> expected;
    QStringList forbidden;           // Forbid: the mnemonics, in upper case
    qint64 maxWords = 0;             // MaxWords
    qint64 points = 1;               // what passing it is worth
    bool hidden = false;             // shown to students as its line only
    std::optional<quint64> maxSteps; // this case's step limit (0: none), over the run's own
    // This case's time limit (0: none), over the run's own.
    std::optional<TimeLimit> timeLimit;
    // Shown to the student who fails it, even when hidden; empty for none.
    QString hint;

    bool isRule() const { return kind != Case; }
    // "line N: CASE", or "line N (hidden)" where students may read it.
    QString title(bool forStudents) const;
};

// Why a cases file cannot be used.
enum class CasesTrouble : quint8 {
    None,
    CannotRead, // it cannot be opened or read
    Unusable,   // it is malformed, not UTF-8, larger than 1 MiB or holds no case
};

// Reads the cases file: the rules first, then the cases, each in the order
// written. Returns None, or the trouble with a file that cannot be used and
// the message to show as it is. A malformed line is named as "CASES:LINE:
// reason", or "CASES:LINE:COLUMN: reason" when one word of it is wrong
// (COLUMN its first byte, counted from 1), a file without a case as "CASES:
// holds no case", CASES being `path`. The pattern of a pick: line goes to
// `pick` when given, empty without one.
// A plain run of decimal digits (no sign, blanks or other base) up to
// `most`: a count as the cases file and korvane-run's options take one.
bool readCount(const QString &text, quint64 most, quint64 &count);

CasesTrouble readCases(const QString &path, QList<TestCase> &cases, QString &error,
                       QString *pick = nullptr);

} // namespace grading
