#pragma once

// The cases file of --test: one case per line, the values to type, "=>", then
// the expected output values, each side whitespace-separated and possibly
// empty. A "#" starts a comment that runs to the end of the line; blank lines
// and lines that hold only a comment are skipped.

#include "run/exitstatus.h"

#include <QList>
#include <QString>

namespace terminal
{

struct TestCase {
    QString line;             // the case as written, without its comment and surrounding blanks
    qsizetype lineNumber = 0; // its line in the cases file, counted from 1
    QList<qint32> inputs;
    QList<qint32> expected;
};

// Reads the cases file. Returns Success, or the exit status for a file that cannot
// be used with the message to show as it is: 64 (wrong usage) for a file that
// is malformed, not UTF-8, larger than 1 MiB or holds no case, 66 for one
// that cannot be read. A malformed line is named as "CASES:LINE: reason", a
// file without a case as "CASES: holds no case", CASES being `path`.
ExitStatus readCases(const QString &path, QList<TestCase> &cases, QString &error);

} // namespace terminal
