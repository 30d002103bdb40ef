#include "grading/feedbackreplays.h"

#include "grading/feedback.h"
#include "grading/report.h"
#include "machine/runloop.h"
#include "program/filename.h"
#include "replay/page.h"
#include "replay/recorder.h"

#include <QDir>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace grading
{

namespace
{

// Types the case's values and passes each report on an operand to the recorder.
class ReplayConsole final : public machine::Console
{
public:
    ReplayConsole(const QList<qint32> &inputs, replay::Recorder &recorder)
        : inputs(inputs), recorder(recorder)
    {
    }

    std::optional<QString> typedText(qint32) override
    {
        if (asked == inputs.size())
            return std::nullopt;
        return QString::number(inputs[asked++]);
    }
    void writeValue(qint32) override {}
    void message(const QString &) override {}
    void operandReport(qint32, const QString &line) override { recorder.operandReported(line); }

private:
    const QList<qint32> &inputs;
    replay::Recorder &recorder;
    qsizetype asked = 0;
};

machine::RunEnd::Kind endOf(CaseResult::Ending ending)
{
    switch (ending) {
    case CaseResult::Error:
        return machine::RunEnd::Fault;
    case CaseResult::Stopped:
        return machine::RunEnd::StepLimit;
    case CaseResult::Input:
        return machine::RunEnd::InputEnded;
    case CaseResult::Halted:
    case CaseResult::Broken:
        break;
    }
    return machine::RunEnd::Halted;
}

// The case's run again, from the freshly loaded image, as grading ran it.
QByteArray pageOfCase(const program::Program &program, const QList<TestCase> &checks,
                      const FileGrade &grade, qsizetype index, quint64 steps, quint64 maxSteps,
                      quint64 &recorded)
{
    const TestCase &check = checks[index];
    replay::Recording recording;
    recording.program = program;
    recording.stepLimit = steps;
    replay::Recorder recorder(recording);
    ReplayConsole console(check.inputs, recorder);
    machine::Processor processor;
    program::loadImage(program, processor);
    machine::RunLoop loop(processor, console, 0, check.maxSteps.value_or(maxSteps));
    loop.setStepObserver(&recorder);
    loop.run();
    recording.end = endOf(grade.cases[index].ending);
    recording.report =
        QStringList{
            QStringLiteral("The case at line %1: %2").arg(check.lineNumber).arg(check.line)} +
        failureDetails(check, grade, index);
    recorded = recording.steps.size();
    return replay::pageOf(recording);
}

// The folder and what it holds, never following a link; a link or a file
// in its place is removed itself.
bool removeEarlier(const QByteArray &folder, QString &error)
{
    struct stat status {
    };
    if (::lstat(folder.constData(), &status) != 0)
        return errno == ENOENT;
    const bool removed = S_ISDIR(status.st_mode)
                             ? QDir(program::argumentText(folder.constData())).removeRecursively()
                             : ::unlink(folder.constData()) == 0;
    if (!removed)
        error = QStringLiteral("Cannot remove the earlier replay pages '%1'.")
                    .arg(program::shownName(program::argumentText(folder.constData())));
    return removed;
}

// The file name as a Markdown link reads it: '%' starts an escape there.
QString linkText(const QByteArray &name)
{
    return QString::fromLatin1(QByteArray(name).replace("%", "%25"));
}

} // namespace

bool hasReplay(const QList<TestCase> &checks, const FileGrade &grade, qsizetype index)
{
    return grade.graded && !checks[index].isRule() && !checks[index].hidden &&
           !grade.cases[index].passed;
}

QByteArray replaysFolder(const QByteArray &feedbackPath)
{
    return feedbackPath.chopped(3) + ".replays";
}

bool writeReplays(const QByteArray &feedbackPath, const program::Program &program,
                  const QList<TestCase> &checks, const FileGrade &grade, quint64 steps,
                  quint64 maxSteps, QMap<qsizetype, QString> &links, QString &error)
{
    const QByteArray folder = replaysFolder(feedbackPath);
    if (!removeEarlier(folder, error))
        return false;
    bool made = false;
    for (qsizetype i = 0; steps > 0 && i < checks.size(); ++i) {
        if (!hasReplay(checks, grade, i))
            continue;
        if (!made && ::mkdir(folder.constData(), 0777) != 0) {
            error = QStringLiteral("Cannot create the folder '%1': %2.")
                        .arg(program::shownName(program::argumentText(folder.constData())),
                             program::systemError(errno));
            return false;
        }
        made = true;
        const QByteArray name = "line-" + QByteArray::number(checks[i].lineNumber) + ".html";
        quint64 recorded = 0;
        const QByteArray page = pageOfCase(program, checks, grade, i, steps, maxSteps, recorded);
        if (!writeFeedbackBytes(folder + '/' + name, page, error))
            return false;
        links.insert(i, linkText(folder.mid(folder.lastIndexOf('/') + 1) + '/' + name) +
                            QStringLiteral("#step=%1").arg(recorded));
    }
    return true;
}

} // namespace grading
