// korvane-run: assembles a program and runs it with standard input and output,
// or lists it, or grades programs against test cases.

#include "grading/grading.h"
#include "program/filename.h"
#include "program/outputfile.h"
#include "replay/page.h"
#include "replay/recorder.h"
#include "run/diagnosticprinter.h"
#include "run/listing.h"
#include "run/options.h"
#include "run/runner.h"
#include "run/terminalconsole.h"

#include <QCoreApplication>

#include <iostream>

#include <unistd.h>

namespace
{

int refuse(const QString &reason, int status = terminal::WrongUsage)
{
    std::cerr << "korvane-run: " << reason.toStdString() << std::endl;
    return status;
}

// --test: every FILE, or the one sample, graded against the cases.
int grade(const terminal::Options &options)
{
    grading::Job job;
    job.casesFile = options.casesFile;
    job.format = options.report;
    job.maxSteps = options.maxSteps;
    job.warnings = options.warnings;
    job.feedbackFolder = options.feedbackFolder;
    job.summaryFile = options.summaryFile;
    for (qsizetype index = 0; index < options.programCount(); ++index) {
        korvane::Program program;
        QString error;
        grading::Submission submission;
        if (options.sample >= 0) {
            terminal::readProgram(options, index, program, error);
            submission.name = program.name;
            submission.text = program.text;
        } else {
            submission.path = options.programFiles.at(index);
            submission.name = korvane::shownName(submission.path);
        }
        job.submissions.append(submission);
    }

    switch (grading::gradeClass(job, std::cout, std::cerr)) {
    case grading::Outcome::AllPassed:
        return terminal::Success;
    case grading::Outcome::SomeFailed:
        return terminal::CasesFailed;
    case grading::Outcome::CasesUnusable:
        return terminal::WrongUsage;
    case grading::Outcome::CasesCannotRead:
        return terminal::FileCannotRead;
    case grading::Outcome::CannotCreate:
        return terminal::CannotCreate;
    case grading::Outcome::ReportNotWritten:
        break;
    }
    return terminal::OutputFailed;
}

replay::Recording::End endOf(machine::RunEnd::Kind kind)
{
    switch (kind) {
    case machine::RunEnd::Halted:
        return replay::Recording::End::Halted;
    case machine::RunEnd::Fault:
        return replay::Recording::End::Fault;
    case machine::RunEnd::StepLimit:
        return replay::Recording::End::StepLimit;
    case machine::RunEnd::InputEnded:
        return replay::Recording::End::InputEnded;
    case machine::RunEnd::Stopped:
        break;
    }
    return replay::Recording::End::Stopped;
}

// The run, recorded and written as a page; the page's file is made before
// the run, so that a name that cannot be used is refused at once.
terminal::ExitStatus runReplayed(const terminal::Options &options, const korvane::Program &program,
                                 terminal::Runner &runner)
{
    QString error;
    korvane::OutputFile page(QStringLiteral("the page"));
    QList<korvane::ReadFile> read;
    if (options.sample < 0)
        read.append({options.programFiles.value(0), QStringLiteral("the program")});
    if (!page.open(options.replayPage, read, error)) {
        refuse(error);
        return terminal::CannotCreate;
    }
    replay::Recording recording;
    recording.program = program;
    recording.stepLimit = options.replaySteps;
    replay::Recorder recorder(recording);
    runner.setRecorder(&recorder);
    const terminal::ExitStatus status = runner.run(options.maxSteps);
    runner.setRecorder(nullptr);
    recording.end = endOf(runner.endKind());
    recording.report = program.linesOf(runner.endReport());
    if (!page.commit(replay::pageOf(recording), error)) {
        refuse(error);
        // Lost output still outweighs the rest.
        return status == terminal::OutputFailed ? status : terminal::CannotCreate;
    }
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    const QCoreApplication application(argc, argv);
    // Taken from argv as bytes, so that a file name that is not UTF-8 still opens.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(korvane::argumentText(argv[i]));
    const terminal::Options options = terminal::parseOptions(arguments);

    using Action = terminal::Options::Action;
    switch (options.action) {
    case Action::ShowHelp:
    case Action::ShowVersion:
        std::cout << options.text.toStdString() << std::flush;
        return std::cout ? terminal::Success : terminal::OutputFailed;
    case Action::Refuse:
        return refuse(options.text);
    case Action::Test:
        return grade(options);
    case Action::Run:
    case Action::Assemble:
    case Action::Listing:
        break;
    }

    korvane::Program program;
    QString error;
    if (const int status = terminal::readProgram(options, 0, program, error);
        status != terminal::Success)
        return refuse(error, status);

    // Someone typing at a terminal is asked for each value; a pipe or a file is not.
    terminal::TerminalConsole console(std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) == 1);
    const terminal::PrintStyle style = terminal::styleForStandardError(options.excerpts);
    if (!program.assemble(error)) {
        console.message(terminal::printed(program, program.errors, style));
        return terminal::AssemblyFailed;
    }
    // On standard error, so that they stay out of the output and the image.
    if (options.warnings) {
        const QList<diagnostics::Diagnostic> warnings = program.warningList();
        if (!warnings.isEmpty())
            console.message(terminal::printed(program, warnings, style));
    }

    terminal::Runner runner(program, console);
    runner.setStyle(style);
    terminal::ExitStatus status = terminal::Success;
    if (options.action == Action::Assemble || options.action == Action::Listing) {
        const QString text = options.action == Action::Assemble ? terminal::imageOf(program)
                                                                : terminal::listingOf(program);
        status = console.print(text) ? terminal::Success : terminal::OutputFailed;
    } else {
        runner.setTrace(options.trace, options.traceFormat);
        runner.setInputWarnings(options.warnings);
        if (options.replayPage.isEmpty())
            status = runner.run(options.maxSteps);
        else
            status = runReplayed(options, program, runner);
    }
    if (options.showMemory)
        console.message(terminal::memoryOf(runner.processor()));
    return status;
}
