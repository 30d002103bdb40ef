#pragma once

// --test: runs a program once per case and reports in TAP version 14.

#include "run/cases.h"
#include "run/program.h"
#include "run/runner.h"

#include <iosfwd>

namespace terminal
{

// Runs each case from the freshly loaded image and writes the report to
// `output`. Success when every case passes, CasesFailed when one fails, and
// OutputFailed (said on `errors`) when the report cannot be written.
ExitStatus checkCases(const Program &program, const QList<TestCase> &cases, quint64 maxSteps,
                      std::ostream &output, std::ostream &errors);

} // namespace terminal
