#pragma once

// Replay pages beside a feedback file: each failing case that is not hidden
// run again and recorded, so that a student sees how the program ran on the
// inputs it failed. A FILE's pages go in a folder of their own, named after
// its feedback file, and replace those of an earlier run.

#include "grading/casecheck.h"
#include "grading/cases.h"
#include "program/program.h"

#include <QByteArray>
#include <QMap>
#include <QString>

namespace grading
{

// By default a case's page holds this many steps: some 100 KiB, so that the
// pages of a whole class stay small.
inline constexpr quint64 kFeedbackReplaySteps = 1'000;

// Whether the check at `index` gets a page: a case that failed a graded
// program and is not hidden.
bool hasReplay(const QList<TestCase> &checks, const FileGrade &grade, qsizetype index);

// The folder of the pages beside the feedback file at `feedbackPath`: its
// name with ".replays" for ".md".
QByteArray replaysFolder(const QByteArray &feedbackPath);

// Removes the pages of an earlier run, then, unless `steps` is 0, writes one
// page per case that hasReplay(), "line-N.html" after the case's line, each
// holding at most `steps` steps of the case's run with the step limit it had
// (`maxSteps` unless the case has its own). Returns each page's link from
// the feedback file by the case's index, opening at the run's last step
// recorded; false with the reason when the folder or a page cannot be written.
bool writeReplays(const QByteArray &feedbackPath, const program::Program &program,
                  const QList<TestCase> &checks, const FileGrade &grade, quint64 steps,
                  quint64 maxSteps, QMap<qsizetype, QString> &links, QString &error);

} // namespace grading
