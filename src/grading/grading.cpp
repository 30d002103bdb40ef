#include "grading/grading.h"

#include "grading/casecheck.h"
#include "grading/cases.h"
#include "grading/feedback.h"
#include "grading/feedbackreplays.h"
#include "grading/inorder.h"
#include "grading/report.h"
#include "machine/decimal.h"
#include "program/filename.h"
#include "program/outputfile.h"
#include "program/program.h"
#include "program/textfile.h"

#include <QFileInfo>

#include <algorithm>
#include <ostream>
#include <sstream>

#include <sys/stat.h>

namespace grading
{

namespace
{

// A message in its own line on `errors`, after the report written so far.
void tell(std::ostream &output, std::ostream &errors, const QString &text)
{
    output.flush();
    errors << text.toStdString();
    if (!text.endsWith(QLatin1Char('\n')))
        errors << '\n';
    errors.flush();
}

// A text of nothing but blanks, tabs and line ends.
bool isBlank(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(),
                       [](QChar c) { return machine::isCSpace(c.unicode()); });
}

// The program's text, or false with why it cannot be graded. A submitted file
// is read only when it is a regular file named directly, never through a
// link or from a pipe: a grader must not show or wait on what was not handed in.
bool readSubmission(const Submission &submission, program::Program &program, QString &error)
{
    program.name = submission.name;
    if (!submission.reason.isEmpty()) {
        error = submission.reason;
        return false;
    }
    if (submission.text) {
        program.text = *submission.text;
        return true;
    }
    const QString &source = submission.source.isEmpty() ? submission.path : submission.source;
    if (program::readTextFile(source, QStringLiteral("a program"), program.text, error,
                              program::Opening::RegularOnly,
                              program::shownName(submission.path)) != program::FileTrouble::None) {
        return false;
    }
    if (isBlank(program.text)) {
        error = program.name + QLatin1String(": the file is empty.");
        return false;
    }
    return true;
}

// What a submission's feedback file is named after: its student's folder,
// its file, or its name; empty for a student who handed in nothing.
QString submissionPath(const Submission &submission)
{
    if (submission.student)
        return submission.student->folder;
    return submission.text ? submission.name : submission.path;
}

// A reason found before reading is told with the student it is about.
QString toldReason(const Submission &submission, const QString &message)
{
    return submission.reason.isEmpty() ? message : submission.name + QLatin1String(": ") + message;
}

// A file that grading reads and that lies in the folder of replay pages
// beside the feedback file at `path`, which each run empties; or null.
const QString *insideReplays(const Job &job, const QByteArray &path)
{
    const QString folder =
        QFileInfo(program::argumentText(replaysFolder(path).constData())).canonicalFilePath();
    if (folder.isEmpty())
        return nullptr;
    const QString *found = nullptr;
    auto check = [&](const QString &file) {
        if (!found && QFileInfo(file).canonicalFilePath().startsWith(folder + u'/'))
            found = &file;
    };
    check(job.casesFile);
    for (const Submission &submission : job.submissions) {
        if (!submission.text)
            check(submission.path);
    }
    return found;
}

// The feedback on a FILE graded: its Markdown file and, unless left out,
// the replay pages beside it. Writes to no file but the FILE's own.
bool giveFeedback(const Job &job, const Submission &submission, const program::Program &program,
                  const QList<TestCase> &cases, const FileGrade &grade, QString &error)
{
    const QByteArray path = feedbackPath(job.feedbackFolder, submissionPath(submission));
    QMap<qsizetype, QString> replays;
    QString replayError;
    const bool replaysWritten = writeReplays(path, program, cases, grade, job.replaySteps,
                                             job.maxSteps, replays, replayError);
    if (!writeFeedback(path, feedbackText(listedName(grade), cases, grade, replays), error))
        return false;
    error = replayError;
    return replaysWritten;
}

// The feedback folder exists, and no feedback file would replace a
// submission: a submission may be named like one, in that folder.
bool prepareFeedback(const Job &job, QString &error)
{
    if (!makeFeedbackFolder(job.feedbackFolder, error))
        return false;
    for (const Submission &target : job.submissions) {
        if (submissionPath(target).isEmpty())
            continue;
        const QByteArray path = feedbackPath(job.feedbackFolder, submissionPath(target));
        if (const QString *inside = insideReplays(job, path)) {
            error = QStringLiteral("The replay pages of '%1' would remove '%2'; choose another "
                                   "folder.")
                        .arg(target.name, program::shownName(*inside));
            return false;
        }
        struct stat feedback {
        };
        if (::stat(path.constData(), &feedback) != 0)
            continue;
        for (const Submission &submission : job.submissions) {
            struct stat file {
            };
            if (!submission.text && !submission.path.isEmpty() &&
                ::stat(program::argumentBytes(submission.path).constData(), &file) == 0 &&
                file.st_dev == feedback.st_dev && file.st_ino == feedback.st_ino) {
                error = QStringLiteral("The feedback on '%1' would replace the file graded "
                                       "'%2'; choose another folder.")
                            .arg(target.name, submission.name);
                return false;
            }
        }
    }
    return true;
}

// The files that grading reads, which nothing it writes may replace.
QList<program::ReadFile> inputsOf(const Job &job)
{
    QList<program::ReadFile> inputs{{job.casesFile, QStringLiteral("the cases file")}};
    for (const Submission &submission : job.submissions) {
        if (!submission.text && !submission.path.isEmpty())
            inputs.append({submission.path, QStringLiteral("the file graded")});
    }
    return inputs;
}

// One submission graded: how it fared, and the lines it tells on standard
// error, kept until it is its turn to be written.
struct Graded {
    FileGrade grade;
    QStringList told;
    program::Program program; // as read and assembled, for the replay pages of its feedback
    // With Job::similar, the image as compared; none when it did not assemble.
    std::optional<QStringList> compared;
};

// Reads, assembles and runs one submission against every case. Touches
// nothing but its own: submissions are graded on several threads at once.
Graded gradeSubmission(const Job &job, const QList<TestCase> &cases, const Submission &submission)
{
    Graded graded;
    FileGrade &grade = graded.grade;
    program::Program &program = graded.program;
    QString error;
    grade.name = submission.name;
    grade.student = submission.student;
    if (!submission.text && !submission.path.isEmpty())
        grade.path = submission.path;
    if (!readSubmission(submission, program, error)) {
        grade.message = error.trimmed();
        graded.told.append(QLatin1String("korvane-run: ") + toldReason(submission, grade.message));
    } else if (!program.assemble(error)) {
        grade.message = error.trimmed();
        grade.errors = program.errors;
        graded.told.append(grade.message);
    } else {
        grade.graded = true;
        if (job.warnings) {
            grade.warnings = program.warnings;
            graded.told.append(program.linesOf(grade.warnings));
        }
        grade.cases = checkProgram(program, cases, job.maxSteps, job.timeLimit);
        if (job.similar)
            graded.compared = comparedImage(program);
    }
    return graded;
}

} // namespace

Outcome gradeClass(const Job &given, std::ostream &output, std::ostream &errors)
{
    QList<TestCase> read;
    QString error;
    QString pick;
    if (const CasesTrouble trouble = readCases(given.casesFile, read, error, &pick);
        trouble != CasesTrouble::None) {
        tell(output, errors, error);
        return trouble == CasesTrouble::CannotRead ? Outcome::CasesCannotRead
                                                   : Outcome::CasesUnusable;
    }
    Job found = given;
    if (found.findSubmissions) {
        output.flush();
        if (!found.findSubmissions(pick, found.submissions))
            return Outcome::NothingToGrade;
    }
    // Read from every grading thread at once: const, so that no QList detaches
    // under another thread's feet.
    const Job &job = found;
    const QList<TestCase> &cases = read;

    // What the grading writes besides the report can be written, before it
    // starts, and replaces none of the files it reads.
    program::OutputFile summary(QStringLiteral("the summary"));
    if (!job.summaryFile.isEmpty() && !summary.open(job.summaryFile, inputsOf(job), error)) {
        tell(output, errors, QLatin1String("korvane-run: ") + error);
        return Outcome::CannotCreate;
    }
    if (!job.feedbackFolder.isEmpty() && !prepareFeedback(job, error)) {
        tell(output, errors, QLatin1String("korvane-run: ") + error);
        return Outcome::CannotCreate;
    }

    // CSV and JSON tell each FILE's likeness to all the others: their rows
    // wait until every FILE is graded.
    SimilarFiles similar;
    const bool rowsWait =
        job.similar && (job.format == ReportFormat::Csv || job.format == ReportFormat::Json);
    QList<std::optional<QStringList>> images;
    QList<FileGrade> waiting;
    const std::unique_ptr<Report> report =
        makeReport(job.format, cases, job.submissions.size(), output, job.columns, job.studentView,
                   job.similar ? &similar : nullptr);
    QList<CheckTally> tallies(cases.size());
    bool allPassed = true;
    bool feedbackWritten = true;
    const auto take = [&](qsizetype index, Graded &&graded) {
        const FileGrade &grade = graded.grade;
        for (const QString &line : std::as_const(graded.told))
            tell(output, errors, line);
        allPassed = allPassed && grade.passed();
        for (qsizetype i = 0; i < cases.size(); ++i) {
            ++(grade.graded && grade.cases[i].passed ? tallies[i].passed : tallies[i].failed);
            tallies[i].ungraded += grade.graded ? 0 : 1;
        }
        if (job.similar) {
            images.append(std::move(graded.compared));
            similar.names.append(listedName(grade));
            similar.keys.append(grade.student ? grade.student->name : grade.name);
        }
        if (rowsWait)
            waiting.append(grade);
        else
            report->add(grade);
        if (!job.feedbackFolder.isEmpty() && !submissionPath(job.submissions[index]).isEmpty() &&
            !giveFeedback(job, job.submissions[index], graded.program, cases, grade, error)) {
            tell(output, errors, QLatin1String("korvane-run: ") + error);
            feedbackWritten = false;
        }
        return bool(output);
    };
    if (output) {
        forEachInOrder<Graded>(
            job.submissions.size(), job.threads,
            [&](qsizetype index) { return gradeSubmission(job, cases, job.submissions[index]); },
            take);
    }
    if (job.similar) {
        static_cast<Similarities &>(similar) = findSimilar(images, *job.similar);
        for (const FileGrade &grade : std::as_const(waiting))
            report->add(grade);
    }
    report->finish(tallies);
    output.flush();
    if (!output) {
        errors << "Error: cannot write to standard output." << std::endl;
        return Outcome::ReportNotWritten;
    }
    if (!job.summaryFile.isEmpty()) {
        std::ostringstream text;
        writeSummary(text, cases, tallies, job.similar ? &similar : nullptr);
        if (!summary.commit(QByteArray::fromStdString(text.str()), error)) {
            tell(output, errors, QLatin1String("korvane-run: ") + error);
            return Outcome::CannotCreate;
        }
    }
    if (!feedbackWritten)
        return Outcome::CannotCreate;
    return allPassed ? Outcome::AllPassed : Outcome::SomeFailed;
}

} // namespace grading
