#include "machine/processor.h"

#include "machine/arithmetic.h"
#include "machine/instructionset.h"

namespace machine
{

Processor::Processor() = default;

void Processor::setWord(int address, const QString &word)
{
    if (!isAddress(address))
        return;
    Cell &target = cell(address);
    target = Cell{};
    target.text = word;
}

QString Processor::word(int address) const
{
    if (!isAddress(address))
        return {};
    const Cell &source = cells_[static_cast<size_t>(address)];
    return source.textStale ? QString::number(source.value) : source.text;
}

const QString &Processor::text(Cell &cell)
{
    if (cell.textStale) {
        cell.text = QString::number(cell.value);
        cell.textStale = false;
    }
    return cell.text;
}

void Processor::decodeCell(Cell &cell)
{
    cell.decoded = decodeWord(text(cell));
    cell.decodeKnown = true;
}

Processor::Stop Processor::run(quint64 stopAtStep, const Breakpoints *breakAt,
                               const Watched *watched)
{
    if (breakAt && breakAt->none())
        breakAt = nullptr;
    if (watched && !watched->any())
        watched = nullptr;
    const bool breaking = breakAt || watched;
    if (observer_)
        return breaking ? runSteps<true, true>(stopAtStep, breakAt, watched)
                        : runSteps<true, false>(stopAtStep, nullptr, nullptr);
    return breaking ? runSteps<false, true>(stopAtStep, breakAt, watched)
                    : runSteps<false, false>(stopAtStep, nullptr, nullptr);
}

// Whether the instruction in the cell, about to run, uses a watched cell.
bool Processor::uses(const Cell &instruction, const Watched &watched)
{
    const Decoded &decoded = instruction.decoded;
    if (!decoded.ok() || !isAddress(decoded.address))
        return false;
    switch (decoded.opcode) {
    case Store:
        return watched.writes[static_cast<size_t>(decoded.address)] ||
               watched.reads[static_cast<size_t>(decoded.address)];
    case Load:
    case Add:
    case Subtract:
    case Multiply:
    case Divide:
        return watched.reads[static_cast<size_t>(decoded.address)];
    default:
        return false;
    }
}

Processor::Registers Processor::registers() const
{
    return {pc_, accumulator_, flags_, opcode_, address_, executedSteps_, halted_};
}

void Processor::setRegisters(const Registers &registers)
{
    pc_ = registers.pc;
    accumulator_ = registers.accumulator;
    flags_ = registers.flags;
    opcode_ = registers.opcode;
    address_ = registers.address;
    executedSteps_ = registers.executedSteps;
    halted_ = registers.halted;
    inputObserved = false;
    pcAfterStep_ = pc_;
    changes_.pc = changes_.decoded = changes_.accumulator = changes_.flags = true;
}

template <bool Observed, bool Breaking>
Processor::Stop Processor::runSteps(quint64 stopAtStep, [[maybe_unused]] const Breakpoints *breakAt,
                                    [[maybe_unused]] const Watched *watched)
{
    // The cells whose instruction may use a watched cell: those not decoded
    // yet, and those decoded that do. A store adds the cell it changes.
    [[maybe_unused]] Breakpoints mayUse;
    if constexpr (Breaking) {
        for (qint32 address = 0; watched && address < kMemorySize; ++address) {
            const Cell &candidate = cell(address);
            mayUse[static_cast<size_t>(address)] =
                !candidate.decodeKnown || uses(candidate, *watched);
        }
    }
    for (;;) {
        if (executedSteps_ >= stopAtStep)
            return Stop::StepLimit;

        // Fetch. A program counter outside the memory has nothing to fetch.
        if (!isAddress(pc_)) {
            changes_.pc = true;
            fault_ = Fault{Fault::ProgramCounterOutside, pc_, 0, {}, Decimal::Ok};
            faultAddress_ = -1;
            return Stop::Fault;
        }
        if constexpr (Breaking) {
            if (breakAt && (*breakAt)[static_cast<size_t>(pc_)])
                return Stop::Breakpoint;
        }
        const qint32 fetchedAt = pc_;
        Cell &fetched = cell(pc_);
        if constexpr (Breaking) {
            if (watched && mayUse[static_cast<size_t>(fetchedAt)]) {
                if (!fetched.decodeKnown)
                    decodeCell(fetched);
                if (uses(fetched, *watched))
                    return Stop::Access;
                mayUse.reset(static_cast<size_t>(fetchedAt));
            }
        }
        if constexpr (Observed) {
            // Kept before the step runs: a store may change the fetched cell itself.
            step_.address = pc_;
            step_.word = text(fetched);
            accumulatorBefore_ = accumulator_;
        }
        ++pc_;
        ++executedSteps_;
        changes_.pc = true;

        // Decode.
        if (!fetched.decodeKnown)
            decodeCell(fetched);
        if (!fetched.decoded.ok()) {
            fault(Fault{Fault::BadWord, 0, 0, text(fetched), fetched.decoded.status});
            return Stop::Fault;
        }
        opcode_ = fetched.decoded.opcode;
        address_ = fetched.decoded.address;
        changes_.decoded = true;

        switch (execute()) {
        case Outcome::Continue:
            if constexpr (Breaking) {
                if (watched && opcode_ == Store)
                    mayUse.set(static_cast<size_t>(address_));
            }
            changes_.stepCompleted = true;
            pcAfterStep_ = pc_;
            lastStepAddress_ = fetchedAt;
            if constexpr (Observed)
                tellObserver();
            break;
        case Outcome::Halted:
            changes_.stepCompleted = true;
            pcAfterStep_ = pc_;
            lastStepAddress_ = fetchedAt;
            if constexpr (Observed)
                tellObserver();
            return Stop::Halted;
        case Outcome::NeedsInput:
            inputObserved = Observed;
            return Stop::NeedsInput;
        case Outcome::Fault:
            return Stop::Fault;
        }
    }
}

void Processor::completeInput(qint32 value)
{
    accumulator_ = value;
    changes_.stepCompleted = true;
    pcAfterStep_ = pc_;
    lastStepAddress_ = pc_ - 1; // an input does not branch
    if (std::exchange(inputObserved, false) && observer_)
        tellObserver();
}

// What the step just completed did, worked out from its instruction; only an
// observed run pays for it.
void Processor::tellObserver()
{
    step_.number = executedSteps_;
    step_.opcode = opcode_;
    step_.operand = address_;
    step_.accumulator = accumulator_;
    step_.flags = flags_;
    step_.effect = Step::Effect::None;
    step_.value = 0;
    step_.wrapped = false;
    const auto effect = [this](Step::Effect effect, qint32 value) {
        step_.effect = effect;
        step_.value = value;
    };
    switch (opcode_) {
    case Store:
        effect(Step::Effect::Stored, address_);
        break;
    case Branch:
    case BranchIfZero:
    case BranchIfPositive:
    case BranchIfNegative:
    case BranchIfFlag:
        effect(jumps(opcode_) ? Step::Effect::Branched : Step::Effect::NotTaken, address_);
        break;
    case Input:
        effect(Step::Effect::Input, accumulator_);
        break;
    case Output:
        effect(Step::Effect::Output, accumulator_);
        break;
    case Add:
    case Subtract:
    case Multiply:
    case Divide: {
        // The step completed, so the operand named a cell, whose value the
        // instruction has read; an operand that is no number did nothing.
        const Cell &source = cell(address_);
        if (!source.valueIsNumber)
            break;
        const qint32 before = accumulatorBefore_;
        const qint32 operand = source.value;
        switch (opcode_) {
        case Add:
            step_.wrapped = addWraps(before, operand);
            break;
        case Subtract:
            step_.wrapped = subtractWraps(before, operand);
            break;
        case Multiply:
            step_.wrapped = multiplyWraps(before, operand);
            break;
        default:
            if (operand == 0)
                effect(Step::Effect::FlagsSet, flags_);
            else
                step_.wrapped = divideWraps(before, operand);
            break;
        }
        break;
    }
    default:
        break;
    }
    observer_->stepDone(step_);
}

Processor::Changes Processor::takeChanges()
{
    Changes taken = std::move(changes_);
    changes_ = Changes{};
    // A program counter outside the memory names no cell, so none is current.
    if (taken.stepCompleted && isAddress(pcAfterStep_))
        taken.currentCell = pcAfterStep_;
    return taken;
}

// Every instruction that fails or reports does so before it could branch, so
// it was fetched from the cell before the program counter.
Q_NEVER_INLINE Q_DECL_COLD_FUNCTION Processor::Outcome Processor::fault(Fault fault)
{
    fault_ = std::move(fault);
    faultAddress_ = pc_ - 1;
    return Outcome::Fault;
}

// The operand is not a number: the instruction does nothing, and the run goes on.
Q_NEVER_INLINE Q_DECL_COLD_FUNCTION void Processor::reportOperand()
{
    if (!operandReport_)
        return;
    operandReport_(pc_ - 1, QLatin1String("Error instruction(") + mnemonicOf(opcode_) +
                                QLatin1String("): opcode=<") + QString::number(opcode_) +
                                QLatin1String(">,address=<") + QString::number(address_) +
                                QLatin1String(">.\n"));
}

// Memory has no cell outside 0 to 99; an instruction that names one ends the run.
Processor::Outcome Processor::addressFault()
{
    return fault(Fault{Fault::AddressOutside, address_, opcode_, {}, Decimal::Ok});
}

// run() calls execute() and through it operand(), arithmetic() and branchIf()
// once per step. They are defined inline so that the compiler may expand them
// (position-independent code, as Qt requires, keeps every call to a visible
// function); execute() always, as the loop's four forms outgrow its limits.

inline const Processor::Cell *Processor::operand()
{
    if (!isAddress(address_)) {
        addressFault();
        return nullptr;
    }
    Cell &source = cell(address_);
    if (!source.valueKnown) {
        const Decimal number = parseDecimal(text(source));
        // A number too large for 32 bits is no more usable than text.
        source.valueIsNumber = number.ok();
        source.value = number.value;
        source.valueKnown = true;
    }
    return &source;
}

inline Processor::Outcome Processor::arithmetic(qint32 (*operation)(qint32, qint32))
{
    const Cell *source = operand();
    if (!source)
        return Outcome::Fault;
    if (!source->valueIsNumber) {
        reportOperand();
        return Outcome::Continue;
    }
    accumulator_ = operation(accumulator_, source->value);
    changes_.accumulator = true;
    return Outcome::Continue;
}

// Whether a branch instruction jumps, given the accumulator and flags (which
// no branch changes).
inline bool Processor::jumps(qint32 opcode) const
{
    switch (opcode) {
    case Branch:
        return true;
    case BranchIfZero:
        return accumulator_ == 0;
    case BranchIfPositive:
        return accumulator_ > 0;
    case BranchIfNegative:
        return accumulator_ < 0;
    case BranchIfFlag:
        return flags_ == 1;
    default:
        return false;
    }
}

inline void Processor::branchIf(qint32 branch)
{
    if (jumps(branch))
        pc_ = address_;
}

Q_ALWAYS_INLINE Processor::Outcome Processor::execute()
{
    switch (opcode_) {
    case Halt:
        halted_ = true;
        return Outcome::Halted;
    case Add:
        return arithmetic(wrappingAdd);
    case Subtract:
        return arithmetic(wrappingSubtract);
    case Multiply:
        return arithmetic(wrappingMultiply);
    case Divide: {
        const Cell *divisor = operand();
        if (!divisor)
            return Outcome::Fault;
        if (!divisor->valueIsNumber) {
            reportOperand();
            return Outcome::Continue;
        }
        if (divisor->value == 0) {
            flags_ = 1;
            changes_.flags = true;
        } else {
            accumulator_ = wrappingDivide(accumulator_, divisor->value);
            changes_.accumulator = true;
        }
        return Outcome::Continue;
    }
    case Store: {
        if (!isAddress(address_))
            return addressFault();
        // The cell's text is rebuilt from the value only when someone reads it.
        Cell &target = cell(address_);
        target.textStale = true;
        target.value = accumulator_;
        target.valueKnown = true;
        target.valueIsNumber = true;
        target.decodeKnown = false;
        changes_.storedCells.set(static_cast<size_t>(address_));
        return Outcome::Continue;
    }
    case Load: {
        const Cell *source = operand();
        if (!source)
            return Outcome::Fault;
        if (!source->valueIsNumber) {
            reportOperand();
            return Outcome::Continue;
        }
        accumulator_ = source->value;
        changes_.accumulator = true;
        return Outcome::Continue;
    }
    // Each case names its own code, so that the condition folds to one comparison.
    case Branch:
        branchIf(Branch);
        return Outcome::Continue;
    case BranchIfZero:
        branchIf(BranchIfZero);
        return Outcome::Continue;
    case BranchIfPositive:
        branchIf(BranchIfPositive);
        return Outcome::Continue;
    case BranchIfNegative:
        branchIf(BranchIfNegative);
        return Outcome::Continue;
    case BranchIfFlag:
        branchIf(BranchIfFlag);
        return Outcome::Continue;
    case Input:
        return Outcome::NeedsInput;
    case Output:
        changes_.output.push_back(accumulator_);
        return Outcome::Continue;
    }
    return fault(Fault{Fault::UnknownOpcode, 0, opcode_, text(cell(pc_ - 1)), Decimal::Ok});
}

} // namespace machine
