#pragma once

// --test CASES FILE...: grades each FILE with the same cases and writes the
// report in the format chosen.

#include "run/options.h"

#include <iosfwd>

namespace terminal
{

// Reads the cases, then reads, assembles and runs each program named in
// `options` and writes the report to `output`; why a program could not be
// graded, and the warnings about one that assembled, go to `errors`.
// Returns the exit status: for one program 0 (every case passed), 5 (a case
// failed), 1 (it did not assemble), 65 or 66 (its file could not be used);
// for several 0 or 5 (a case failed or a program could not be graded); 64 or
// 66 for cases that cannot be used, with nothing graded; 74 when the report
// cannot be written.
int gradePrograms(const Options &options, std::ostream &output, std::ostream &errors);

} // namespace terminal
