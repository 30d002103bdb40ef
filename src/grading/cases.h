#pragma once

// The cases file of --test: one case per line, the values to type, "=>", then
// the expected output values, each side whitespace-separated and possibly
// empty. A "#" starts a comment that runs to the end of the line; blank lines
// and lines that hold only a comment are skipped.

#include <QList>
#include <QString>

namespace grading
{

struct TestCase {
    QString line;             // the case as written, without its comment and surrounding blanks
    qsizetype lineNumber = 0; // its line in the cases file, counted from 1
    QList<qint32> inputs;
    QList<qint32> expected;
};

// Why a cases file cannot be used.
enum class CasesTrouble : quint8 {
    None,
    CannotRead, // it cannot be opened or read
    Unusable,   // it is malformed, not UTF-8, larger than 1 MiB or holds no case
};

// Reads the cases file. Returns None, or the trouble with a file that cannot
// be used and the message to show as it is. A malformed line is named as "CASES:LINE: reason", a
// file without a case as "CASES: holds no case", CASES being `path`.
CasesTrouble readCases(const QString &path, QList<TestCase> &cases, QString &error);

} // namespace grading
