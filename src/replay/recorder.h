#pragma once

// Records a run for a replay page while it goes on: told of each completed
// step, it keeps the first ones and counts the rest.

#include "machine/processor.h"
#include "replay/recording.h"

namespace replay
{

class Recorder final : public machine::StepObserver
{
public:
    // The recording must outlive the recorder; its stepLimit is kept to.
    explicit Recorder(Recording &recording) : recording(recording) {}

    // Passes every step on to `observer` too (a trace); null for none. Not owned.
    void setNext(machine::StepObserver *observer) { next = observer; }
    // The processor's report on the instruction of the step about to complete.
    void operandReported(const QString &line);

    void stepDone(const machine::Step &step) override;

private:
    Recording &recording;
    machine::StepObserver *next = nullptr;
    QString pendingReport;
};

} // namespace replay
