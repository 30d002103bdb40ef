// korvane-run: assembles a program and runs it with standard input and output,
// or lists it, or grades programs against test cases.

#include "grading/grading.h"
#include "program/filename.h"
#include "run/cores.h"
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

int refuse(const QString &reason, int status = run::WrongUsage)
{
    std::cerr << "korvane-run: " << reason.toStdString() << std::endl;
    return status;
}

// --test: every FILE, or the one sample, graded against the cases.
int grade(const run::Options &options)
{
    grading::Job job;
    job.casesFile = options.casesFile;
    job.format = options.report;
    job.maxSteps = options.maxSteps;
    job.timeLimit = options.timeLimit;
    job.studentView = options.studentView;
    job.threads = options.jobs > 0 ? options.jobs : run::usableCores();
    job.warnings = options.warnings;
    job.feedbackFolder = options.feedbackFolder;
    job.summaryFile = options.summaryFile;
    for (qsizetype index = 0; index < options.programCount(); ++index) {
        program::Program program;
        QString error;
        grading::Submission submission;
        if (options.sample >= 0) {
            run::readProgram(options, index, program, error);
            submission.name = program.name;
            submission.text = program.text;
        } else {
            submission.path = options.programFiles.at(index);
            submission.name = program::shownName(submission.path);
        }
        job.submissions.append(submission);
    }

    switch (grading::gradeClass(job, std::cout, std::cerr)) {
    case grading::Outcome::AllPassed:
        return run::Success;
    case grading::Outcome::SomeFailed:
        return run::CasesFailed;
    case grading::Outcome::CasesUnusable:
        return run::WrongUsage;
    case grading::Outcome::CasesCannotRead:
        return run::FileCannotRead;
    case grading::Outcome::CannotCreate:
        return run::CannotCreate;
    case grading::Outcome::ReportNotWritten:
        break;
    }
    return run::OutputFailed;
}

} // namespace

int main(int argc, char *argv[])
{
    const QCoreApplication application(argc, argv);
    // Taken from argv as bytes, so that a file name that is not UTF-8 still opens.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(program::argumentText(argv[i]));
    const run::Options options = run::parseOptions(arguments);

    using Action = run::Options::Action;
    switch (options.action) {
    case Action::ShowHelp:
    case Action::ShowVersion:
        std::cout << options.text.toStdString() << std::flush;
        return std::cout ? run::Success : run::OutputFailed;
    case Action::Refuse:
        return refuse(options.text);
    case Action::Test:
        return grade(options);
    case Action::Run:
    case Action::Assemble:
    case Action::Listing:
        break;
    }

    program::Program program;
    QString error;
    if (const int status = run::readProgram(options, 0, program, error); status != run::Success)
        return refuse(error, status);

    // Someone typing at a terminal is asked for each value; a pipe or a file is not.
    run::TerminalConsole console(std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) == 1);
    const run::PrintStyle style = run::styleForStandardError(options.excerpts);
    if (!program.assemble(error)) {
        console.message(run::printed(program, program.errors, style));
        return run::AssemblyFailed;
    }
    // On standard error, so that they stay out of the output and the image.
    if (options.warnings) {
        const QList<diagnostics::Diagnostic> warnings = program.warningList();
        if (!warnings.isEmpty())
            console.message(run::printed(program, warnings, style));
    }

    run::Runner runner(program, console);
    runner.setStyle(style);
    run::ExitStatus status = run::Success;
    if (options.action == Action::Assemble || options.action == Action::Listing) {
        const QString text =
            options.action == Action::Assemble ? run::imageOf(program) : run::listingOf(program);
        status = console.print(text) ? run::Success : run::OutputFailed;
    } else {
        runner.setTrace(options.trace, options.traceFormat);
        runner.setInputWarnings(options.warnings);
        status = runner.run(options.maxSteps);
    }
    if (options.showMemory)
        console.message(run::memoryOf(runner.processor()));
    return status;
}
