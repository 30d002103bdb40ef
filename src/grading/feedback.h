#pragma once

// Feedback for students: one Markdown file per FILE graded, in a folder of
// the teacher's choosing. It tells the score, each rule and case with the
// values typed, expected and put out and why it failed, and the program's
// warnings and notes; a hidden case only by its line and whether it passed.

#include "grading/casecheck.h"
#include "grading/cases.h"

#include <QByteArray>
#include <QMap>
#include <QString>

namespace grading
{

// Creates the folder, and the folders it is in, where missing. `folder` is a
// command-line argument as program::argumentText() keeps it. Returns false
// with the reason when it cannot be created or is no folder.
bool makeFeedbackFolder(const QString &folder, QString &error);

// The feedback file's path for a FILE as given: in the folder, named after
// every byte of the FILE's path, each byte but a letter, a digit, '-', '_'
// or a '.' that does not start the name written as %XX, and ".md" after it.
// Distinct FILEs get distinct names, and none leads out of the folder.
QByteArray feedbackPath(const QString &folder, const QString &file);

// The Markdown text for the FILE shown as `name`; under each case with a
// replay page, the link to it from `replays`, by the case's index.
QString feedbackText(const QString &name, const QList<TestCase> &cases, const FileGrade &grade,
                     const QMap<qsizetype, QString> &replays = {});

// Writes the text to the path, replacing a file of an earlier run; never
// through a link. Returns false with the reason when it cannot.
bool writeFeedback(const QByteArray &path, const QString &text, QString &error);
bool writeFeedbackBytes(const QByteArray &path, const QByteArray &bytes, QString &error);

} // namespace grading
