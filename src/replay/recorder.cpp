#include "replay/recorder.h"

namespace replay
{

// The report comes while the instruction executes, before its step completes.
void Recorder::operandReported(const QString &line)
{
    pendingReport = line.trimmed();
}

void Recorder::stepDone(const machine::Step &step)
{
    recording.completedSteps = step.number;
    if (recording.steps.size() < recording.stepLimit) {
        recording.steps.push_back(step);
        if (!pendingReport.isEmpty())
            recording.operandReports.emplace(step.number, pendingReport);
    }
    pendingReport.clear();
    if (next)
        next->stepDone(step);
}

} // namespace replay
