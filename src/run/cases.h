#pragma once

// The cases file of --test: one case per line, the values to type, "=>", then
// the expected output values, each side whitespace-separated and possibly
// empty. Blank lines and lines starting with "#" are skipped.

#include <QList>
#include <QString>

namespace terminal
{

struct TestCase {
    QString line; // the case as written, without surrounding blanks
    QList<qint32> inputs;
    QList<qint32> expected;
};

// Reads the cases file. Returns false with a one-line reason when the file
// cannot be used, which starts with "FILE:LINE: " at a malformed line.
bool readCases(const QString &path, QList<TestCase> &cases, QString &error);

} // namespace terminal
