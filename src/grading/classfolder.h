#pragma once

// A class as a learning platform hands it out: a folder holding one folder
// per student, named after the student, each holding the program among
// other files (a copy, a readme). One file per folder is graded: the one
// that a shell pattern picks.

#include "grading/grading.h"
#include "grading/roster.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace grading
{

// The submissions of the class in `folder` (a command-line argument, which
// may be a symbolic link; nothing below it may be), in the order of the
// folders' names: the one file in each student's folder whose name matches
// `pick` (by default the one matching "*.kasm" or "*.txt"), or the reason it
// cannot be graded, when none or several match. With a roster, each folder
// is matched to a student of it, and each student without a folder is a
// submission "no submission" at the end, in the roster's order. What is not
// graded and should be known (a file beside the students' folders, a folder
// not on the roster) goes to `notes`, a line each. Returns false with the
// reason when the folder cannot be read.
bool classSubmissions(const QString &folder, const QString &pick,
                      const std::optional<QList<RosterEntry>> &roster,
                      QList<Submission> &submissions, QStringList &notes, QString &error);

} // namespace grading
