// korvane-run: assembles a program and runs it with standard input and output,
// or lists it, or grades programs against test cases.

#include "grading/classfolder.h"
#include "grading/grading.h"
#include "grading/roster.h"
#include "program/filename.h"
#include "program/outputfile.h"
#include "replay/page.h"
#include "replay/recorder.h"
#include "run/cores.h"
#include "run/diagnosticprinter.h"
#include "run/listing.h"
#include "run/options.h"
#include "run/programdiagnostics.h"
#include "run/runner.h"
#include "run/terminalconsole.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <iostream>

#include <unistd.h>

namespace
{

int refuse(const QString &reason, int status = program::WrongUsage)
{
    std::cerr << "korvane-run: " << reason.toStdString() << std::endl;
    return status;
}

// --class: the students' folders found once the cases file's pick: line
// is known, or false when there is none to grade.
bool findClass(const run::Options &options,
               const std::optional<QList<grading::RosterEntry>> &roster, const QString &casesPick,
               QList<grading::Submission> &submissions)
{
    const QString pick = options.pick.isEmpty() ? casesPick : options.pick;
    QStringList notes;
    QString error;
    if (!grading::classSubmissions(options.classFolder, pick, roster, submissions, notes, error)) {
        refuse(error);
        return false;
    }
    for (const QString &note : notes)
        std::cerr << "korvane-run: " << note.toStdString() << '\n';
    if (submissions.isEmpty()) {
        refuse(QStringLiteral("'%1' holds no student's folder.")
                   .arg(program::shownName(options.classFolder)));
        return false;
    }
    return true;
}

// --test: every FILE, the students' folders, or the one sample, graded against the cases.
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
    job.similar = options.similar;
    std::optional<QList<grading::RosterEntry>> roster;
    if (!options.roster.isEmpty()) {
        QString error;
        roster.emplace();
        if (!grading::readRoster(options.roster, *roster, error))
            return refuse(error, error.startsWith(QLatin1String("Cannot read"))
                                     ? program::FileCannotRead
                                     : program::WrongUsage);
    }
    if (!options.classFolder.isEmpty()) {
        job.columns =
            roster ? grading::ReportColumns::StudentsWithRoster : grading::ReportColumns::Students;
        job.findSubmissions = [&](const QString &pick, QList<grading::Submission> &found) {
            return findClass(options, roster, pick, found);
        };
    }
    job.replaySteps = options.replays ? options.replaySteps : 0;
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
        return program::Success;
    case grading::Outcome::SomeFailed:
        return program::CasesFailed;
    case grading::Outcome::CasesUnusable:
        return program::WrongUsage;
    case grading::Outcome::CasesCannotRead:
    case grading::Outcome::NothingToGrade:
        return program::FileCannotRead;
    case grading::Outcome::CannotCreate:
        return program::CannotCreate;
    case grading::Outcome::ReportNotWritten:
        break;
    }
    return program::OutputFailed;
}

// --assemble --diagnostics-format: the diagnostics of every FILE on standard
// output; the exit status is the greatest of the FILEs' own, so that one that
// cannot be read outweighs one that does not assemble.
int writeDiagnostics(const run::Options &options)
{
    const QList<run::ProgramDiagnostics> programs = run::checkPrograms(options);
    int status = program::Success;
    for (const run::ProgramDiagnostics &checked : programs) {
        // People reading the log of a CI job see it there too.
        if (!checked.message.isEmpty())
            refuse(checked.message, checked.status);
        status = std::max<int>(status, checked.status);
    }
    const QByteArray text = options.diagnosticsFormat == run::DiagnosticsFormat::Sarif
                                ? run::diagnosticsSarif(programs, QDir::currentPath())
                                : run::diagnosticsJson(programs);
    std::cout.write(text.constData(), text.size());
    std::cout.flush();
    return std::cout ? status : program::OutputFailed;
}

// The run, recorded and written as a page; the page's file is made before
// the run, so that a name that cannot be used is refused at once.
program::ExitStatus runReplayed(const run::Options &options, const program::Program &program,
                                run::Runner &runner)
{
    QString error;
    program::OutputFile page(QStringLiteral("the page"));
    QList<program::ReadFile> read;
    if (options.sample < 0)
        read.append({options.programFiles.value(0), QStringLiteral("the program")});
    if (!page.open(options.replayPage, read, error)) {
        refuse(error);
        return program::CannotCreate;
    }
    replay::Recording recording;
    recording.program = program;
    recording.stepLimit = options.replaySteps;
    replay::Recorder recorder(recording);
    runner.setRecorder(&recorder);
    const program::ExitStatus status = runner.run(options.maxSteps);
    runner.setRecorder(nullptr);
    recording.end = runner.endKind();
    recording.report = program.linesOf(runner.endReport());
    if (!page.commit(replay::pageOf(recording), error)) {
        refuse(error);
        // Lost output still outweighs the rest.
        return status == program::OutputFailed ? status : program::CannotCreate;
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
        arguments.append(program::argumentText(argv[i]));
    const run::Options options = run::parseOptions(arguments);

    using Action = run::Options::Action;
    switch (options.action) {
    case Action::ShowHelp:
    case Action::ShowVersion:
        std::cout << options.text.toStdString() << std::flush;
        return std::cout ? program::Success : program::OutputFailed;
    case Action::Refuse:
        return refuse(options.text);
    case Action::Test:
        return grade(options);
    case Action::Assemble:
        if (options.diagnosticsFormat != run::DiagnosticsFormat::None)
            return writeDiagnostics(options);
        break;
    case Action::Run:
    case Action::Listing:
        break;
    }

    const run::PrintStyle style = run::styleForStandardError(options.excerpts);
    program::Program program;
    QString error;
    if (const int status = run::readProgram(options, 0, program, error);
        status != program::Success) {
        // A text that is not UTF-8 is shown at its first bad byte.
        if (program.errors.isEmpty())
            return refuse(error, status);
        std::cerr << run::printed(program, program.errors, style).toStdString() << std::flush;
        return status;
    }

    // Someone typing at a terminal is asked for each value; a pipe or a file is not.
    run::TerminalConsole console(std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) == 1);
    if (!program.assemble(error)) {
        console.message(run::printed(program, program.errors, style));
        return program::AssemblyFailed;
    }
    // On standard error, so that they stay out of the output and the image.
    if (options.warnings) {
        if (!program.warnings.isEmpty())
            console.message(run::printed(program, program.warnings, style));
    }

    run::Runner runner(program, console);
    runner.setStyle(style);
    program::ExitStatus status = program::Success;
    if (options.action == Action::Assemble || options.action == Action::Listing) {
        const QString text =
            options.action == Action::Assemble ? run::imageOf(program) : run::listingOf(program);
        status = console.print(text) ? program::Success : program::OutputFailed;
    } else {
        runner.setTrace(options.trace, options.traceFormat);
        runner.setInputWarnings(options.warnings);
        if (options.replayPage.isEmpty())
            status = runner.run(options.maxSteps);
        else
            status = runReplayed(options, program, runner);
    }
    if (options.showMemory)
        console.message(run::memoryOf(runner.processor()));
    return status;
}
