#include "run/options.h"

#include "app/sampleprograms.h"
#include "grading/feedbackreplays.h"
#include "grading/similarity.h"
#include "machine/instructionset.h"
#include "program/filename.h"
#include "program/textfile.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <algorithm>
#include <iterator>
#include <limits>
#include <utility>

namespace run
{

namespace
{

// The options looked for in the arguments before the parser reads them.
const QLatin1String kSampleOption{"sample"};
const QLatin1String kTestOption{"test"};
const QLatin1String kSimilarOption{"similar"};
const QLatin1String kDiagnosticsFormatOption{"diagnostics-format"};

// More threads than this would only cost memory.
constexpr quint64 kMostJobs = 1024;

// The names of the report formats, in the order of grading::ReportFormat.
const QLatin1String kReportNames[] = {QLatin1String("tap"), QLatin1String("csv"),
                                      QLatin1String("json"), QLatin1String("junit"),
                                      QLatin1String("gradescope")};

// --similar takes its number only as --similar=N; given alone, it stands
// for the default number, so that a FILE after it is not taken for one.
QStringList withSimilarDistance(QStringList arguments)
{
    const QString alone = QLatin1String("--") + kSimilarOption;
    for (QString &argument : arguments) {
        if (argument == QLatin1String("--"))
            break;
        if (argument == alone)
            argument += QLatin1Char('=') + QString::number(grading::kDefaultSimilarDistance);
    }
    return arguments;
}

// Options that only answer: with help, the version, or why they are refused.
Options answer(Options::Action action, const QString &text)
{
    Options options;
    options.action = action;
    options.text = text;
    return options;
}

Options refuse(const QString &reason)
{
    return answer(Options::Action::Refuse, reason);
}

const QCommandLineOption *optionNamed(const QList<QCommandLineOption> &options, const QString &name)
{
    for (const QCommandLineOption &option : options) {
        if (option.names().contains(name))
            return &option;
    }
    return nullptr;
}

// The first argument that names no option, as written ("-dash.txt" rather
// than the letters d, a, s, ...), or empty. Values of options that take one
// and everything after "--" are not options.
QString unknownOption(const QStringList &arguments, const QList<QCommandLineOption> &options)
{
    bool valueNext = false;
    for (const QString &argument : arguments.mid(1)) {
        if (valueNext) {
            valueNext = false;
            continue;
        }
        if (argument == QLatin1String("--"))
            break;
        if (argument.startsWith(QLatin1String("--"))) {
            const QString name = argument.mid(2).section(QLatin1Char('='), 0, 0);
            const QCommandLineOption *option = optionNamed(options, name);
            // addHelpOption() also offers --help-all.
            if (!option && name != QLatin1String("help-all"))
                return argument;
            valueNext = option && !option->valueName().isEmpty() && !argument.contains(u'=');
        } else if (argument.startsWith(u'-') && argument.size() > 1) {
            for (qsizetype i = 1; i < argument.size(); ++i) {
                const QCommandLineOption *option = optionNamed(options, argument.mid(i, 1));
                if (!option)
                    return argument;
                if (!option->valueName().isEmpty()) {
                    valueNext = i + 1 == argument.size();
                    break;
                }
            }
        }
    }
    return {};
}

// A number as a student may type it for the program: "3", "-4", "+7".
bool isTypedValue(const QString &argument)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+$"));
    return number.match(argument).hasMatch();
}

// The argument as bash reads it back: as it is when it holds only
// characters the shell leaves alone, else between single quotes.
QString shellWord(const QString &argument)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_@%+=:,./-]+$"));
    if (plain.match(argument).hasMatch())
        return argument;
    QString quoted = argument;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// Values to type given after the FILE (korvane-run prog.txt 3 4) are a
// beginner's way to give the program its input: the answer is the command
// that pipes them in, printf '3\n4\n' | korvane-run prog.txt; empty when
// the arguments are no such thing. A number in place of an option ("-4")
// counts too. FILEs of --test and --diagnostics-format are never values.
QString typedValuesHint(const QStringList &arguments, const QList<QCommandLineOption> &options)
{
    QList<qsizetype> positional;
    bool sample = false;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (optionsEnded || isTypedValue(argument) || !argument.startsWith(u'-') ||
            argument == QLatin1String("-")) {
            positional.append(i);
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const bool isLong = argument.startsWith(QLatin1String("--"));
        const QString name = isLong ? argument.mid(2).section(QLatin1Char('='), 0, 0)
                                    : argument.right(1); // the last letter may take a value
        if (name == kTestOption || name == kDiagnosticsFormatOption)
            return {};
        sample = sample || name == kSampleOption;
        const QCommandLineOption *option = optionNamed(options, name);
        if (option && !option->valueName().isEmpty() && !argument.contains(u'='))
            ++i; // its value
    }
    // The program is the first argument that is no number, or else the first.
    qsizetype file = -1;
    if (!sample) {
        for (const qsizetype i : positional) {
            if (!isTypedValue(arguments[i])) {
                file = i;
                break;
            }
        }
        if (file < 0 && !positional.isEmpty())
            file = positional.first();
    }
    QStringList values;
    QStringList command{QStringLiteral("korvane-run")};
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (i != file && positional.contains(i)) {
            if (!isTypedValue(arguments[i]))
                return {}; // a second FILE: not a slip of this kind
            values.append(arguments[i]);
        } else {
            command.append(shellWord(arguments[i]));
        }
    }
    if (values.isEmpty())
        return {};
    return QStringLiteral("values to type come from standard input, not from the command "
                          "line; try: printf '%1\\n' | %2")
        .arg(values.join(QLatin1String("\\n")), command.join(QLatin1Char(' ')));
}

QString description()
{
    return QStringLiteral(
               "Assembles a Korvane program and runs it. Typed values come from standard\n"
               "input, separated by blanks, tabs or line ends (asked for with a prompt when\n"
               "it is a terminal); each %1 value is written to standard output, one per line.\n"
               "A message about a line of the program starts with FILE:LINE:COLUMN:, as\n"
               "FILE:LINE:COLUMN: error: ..., warning: ... or note: ..., on standard error,\n"
               "followed by the line with a marker under the word (see --no-excerpts).\n"
               "\n"
               "With --test, each FILE is run once per case of CASES, and the report says\n"
               "which cases passed, in TAP unless --report names another format; with\n"
               "--class DIR, one file in each student's folder under DIR.\n"
               "\n"
               "Exit status: 0 the program halted, 1 assembly error, 2 run error (including\n"
               "input that ends while the program waits for a value), 3 step limit reached,\n"
               "64 wrong usage, 65 a FILE that is not UTF-8 text or is larger than 1 MiB,\n"
               "66 a FILE that cannot be read, 74 standard output cannot be written;\n"
               "with --diagnostics-format, the greatest of these over all FILEs.\n"
               "With --test: 0 every FILE passed every case, 5 some FILE failed a case or\n"
               "could not be graded, 64 wrong usage or a malformed CASES file or roster,\n"
               "66 CASES, the --class DIR or the --roster FILE cannot be read or DIR holds\n"
               "no student's folder, 73 a --feedback or --summary file cannot be created or\n"
               "written (or would replace a file read), 74 the report cannot be written.\n"
               "Put -- before FILEs whose names may start with '-'.")
        .arg(machine::mnemonicOf(machine::Output));
}

// The error at a program file's first byte that is not UTF-8.
diagnostics::Diagnostic notUtf8Error(const program::BadByte &bad)
{
    const auto begin = qint32(bad.column - 1);
    return diagnostics::Diagnostic(
        diagnostics::Severity::Error, diagnostics::Code::NotUtf8,
        diagnostics::Range{qint32(bad.line), begin, begin + 1},
        QStringLiteral("byte 0x%1 is not UTF-8 text; save the file as UTF-8")
            .arg(QString::number(bad.value, 16).toUpper().rightJustified(2, QLatin1Char('0'))));
}

} // namespace

Options parseOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description());
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption sample(
        kSampleOption,
        QStringLiteral("Use built-in sample program N (0 to %1) instead of a file.")
            .arg(sampleProgramCount - 1),
        QStringLiteral("N"));
    const QCommandLineOption maxSteps(
        QStringLiteral("max-steps"),
        QStringLiteral("Stop after N executed steps without a halt (default %1; 0: no limit).")
            .arg(kDefaultMaxSteps),
        QStringLiteral("N"));
    const QCommandLineOption assemble(
        QStringLiteral("assemble"),
        QStringLiteral("Print the memory image, one word per line, instead of running."));
    const QCommandLineOption memory(
        QStringLiteral("memory"),
        QStringLiteral("Afterwards print the 100 memory cells to standard error, 10 per line."));
    const QCommandLineOption listing(
        QStringLiteral("listing"),
        QStringLiteral("Print each line of the program after the address and word it assembled "
                       "to, instead of running."));
    const QCommandLineOption trace(
        QStringLiteral("trace"),
        QStringLiteral("Write each executed step to standard error: step, source line, address, "
                       "word, instruction, accumulator, flags and what the step did."));
    const QCommandLineOption traceFormat(
        QStringLiteral("trace-format"),
        QStringLiteral("Write the --trace as text (the default: columns under a header) or json "
                       "(one object per line and step)."),
        QStringLiteral("FORMAT"));
    const QCommandLineOption test(
        kTestOption,
        QStringLiteral("Run each FILE once per line of CASES (values to type => expected "
                       "output) and report which cases passed instead."),
        QStringLiteral("CASES"));
    const QCommandLineOption report(
        QStringLiteral("report"),
        QStringLiteral("Write the --test report as tap (the default), csv, json, junit (XML) or "
                       "gradescope (results.json, for one FILE)."),
        QStringLiteral("FORMAT"));
    const QCommandLineOption feedback(
        QStringLiteral("feedback"),
        QStringLiteral("With --test, also write a Markdown file of feedback per FILE into DIR "
                       "(created if missing)."),
        QStringLiteral("DIR"));
    const QCommandLineOption summary(
        QStringLiteral("summary"),
        QStringLiteral("With --test, also write to CSV how many FILEs passed each rule and case."),
        QStringLiteral("CSV"));
    const QCommandLineOption replayPage(
        QStringLiteral("replay"),
        QStringLiteral("Also write PAGE, one HTML file that replays the run step by step in a "
                       "browser."),
        QStringLiteral("PAGE"));
    const QCommandLineOption replaySteps(
        QStringLiteral("replay-steps"),
        QStringLiteral("Keep at most N steps in the --replay page (default %1), or in each "
                       "replay page of the --feedback (default %2); at most %3.")
            .arg(replay::kDefaultSteps)
            .arg(grading::kFeedbackReplaySteps)
            .arg(replay::kMostSteps),
        QStringLiteral("N"));
    const QCommandLineOption classFolder(
        QStringLiteral("class"),
        QStringLiteral("With --test, grade each folder directly under DIR, one per student and "
                       "named after the student, instead of FILEs."),
        QStringLiteral("DIR"));
    const QCommandLineOption pick(
        QStringLiteral("pick"),
        QStringLiteral("With --class, grade the one file in each folder that the shell PATTERN "
                       "matches (default: the cases file's pick: line, else *.kasm or *.txt)."),
        QStringLiteral("PATTERN"));
    const QCommandLineOption roster(
        QStringLiteral("roster"),
        QStringLiteral("With --class, match the folders to the students of FILE (a name per "
                       "line, or CSV with name and optional id and email columns)."),
        QStringLiteral("FILE"));
    const QCommandLineOption jobs(
        QStringLiteral("jobs"),
        QStringLiteral("With --test, grade N FILEs at once (default: one per core this process "
                       "may use); the report is the same."),
        QStringLiteral("N"));
    const QCommandLineOption timeLimit(
        QStringLiteral("time-limit"),
        QStringLiteral("With --test, stop a case that runs longer than SECONDS and fail it "
                       "(default 0: no limit)."),
        QStringLiteral("SECONDS"));
    const QCommandLineOption studentView(
        QStringLiteral("student-view"),
        QStringLiteral("With --test, write TAP or JUnit that students may read: a hidden case "
                       "shows only as its line, whether it passed and its hint."));
    const QCommandLineOption similar(
        kSimilarOption,
        QStringLiteral("With --test, tell in the csv and json reports and the --summary which "
                       "FILEs assemble to the same memory image, or to images that differ by at "
                       "most N words (--similar=N; default %1).")
            .arg(grading::kDefaultSimilarDistance),
        QStringLiteral("N"));
    const QCommandLineOption noReplays(
        QStringLiteral("no-replays"),
        QStringLiteral("Write no replay pages of the failing cases beside the --feedback."));
    const QCommandLineOption diagnosticsFormat(
        kDiagnosticsFormatOption,
        QStringLiteral("With --assemble, write the errors and warnings of each FILE with their "
                       "fixes as json or sarif (SARIF 2.1.0) instead of the image."),
        QStringLiteral("FORMAT"));
    const QCommandLineOption noWarnings(
        {QStringLiteral("w"), QStringLiteral("no-warnings")},
        QStringLiteral("Do not write warnings about a program that assembled, nor about a "
                       "typed value read only in part."));
    const QCommandLineOption noExcerpts(
        QStringLiteral("no-excerpts"),
        QStringLiteral("Write each error, warning and note on one line, without the source "
                       "line and the marker under it."));
    const QList<QCommandLineOption> known{
        sample,      maxSteps,   assemble,   listing,     trace,      traceFormat,
        test,        report,     feedback,   summary,     jobs,       timeLimit,
        memory,      noWarnings, noExcerpts, studentView, replayPage, replaySteps,
        classFolder, pick,       roster,     noReplays,   similar,    diagnosticsFormat};
    parser.addOptions(known);
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("Program text to assemble (UTF-8); with --test, one or more."),
        QStringLiteral("FILE..."));

    const QStringList given = withSimilarDistance(arguments);
    if (const QString hint = typedValuesHint(arguments, known); !hint.isEmpty())
        return refuse(hint);
    if (!parser.parse(given)) {
        const QString unknown =
            unknownOption(given, known + QList<QCommandLineOption>{help, version});
        if (unknown.startsWith(QLatin1String("--")))
            return refuse(QStringLiteral("unknown option '%1'.").arg(unknown));
        if (!unknown.isEmpty())
            return refuse(QStringLiteral("unknown option '%1'; put '--' before file names that "
                                         "start with '-'.")
                              .arg(unknown));
        return refuse(parser.errorText());
    }

    // addHelpOption() also offers --help-all; this program has no further options to show.
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")))
        return answer(Options::Action::ShowHelp, parser.helpText());
    if (parser.isSet(version))
        return answer(Options::Action::ShowVersion,
                      QStringLiteral("korvane-run " KORVANE_VERSION "\n"));

    const QStringList files = parser.positionalArguments();
    if (files.size() > 1 && !parser.isSet(test) && !parser.isSet(diagnosticsFormat))
        return refuse(QStringLiteral("Only one FILE can be given."));
    for (const QCommandLineOption *option :
         {&sample, &maxSteps, &test, &report, &feedback, &summary, &traceFormat, &replayPage,
          &replaySteps, &classFolder, &pick, &roster, &jobs, &timeLimit, &similar,
          &diagnosticsFormat}) {
        if (parser.values(*option).size() > 1)
            return refuse(
                QStringLiteral("--%1 can be given only once.").arg(option->names().constFirst()));
    }
    // Running, --assemble, --listing and --test exclude each other; a trace
    // belongs to a run, and the memory to a single one; only runs take steps.
    const std::pair<const QCommandLineOption &, const QCommandLineOption &> exclusive[] = {
        {assemble, listing}, {assemble, test},       {listing, test},       {trace, assemble},
        {trace, listing},    {trace, test},          {memory, test},        {assemble, maxSteps},
        {listing, maxSteps}, {replayPage, assemble}, {replayPage, listing}, {replayPage, test}};
    for (const auto &[first, second] : exclusive) {
        if (parser.isSet(first) && parser.isSet(second))
            return refuse(QStringLiteral("--%1 and --%2 cannot be used together.")
                              .arg(first.names().constFirst(), second.names().constFirst()));
    }

    Options options;
    options.action = parser.isSet(assemble)  ? Options::Action::Assemble
                     : parser.isSet(listing) ? Options::Action::Listing
                     : parser.isSet(test)    ? Options::Action::Test
                                             : Options::Action::Run;
    options.casesFile = parser.value(test);
    if (parser.isSet(report)) {
        if (!parser.isSet(test))
            return refuse(QStringLiteral("--report goes only with --test."));
        const QString name = parser.value(report);
        const auto *found = std::find(std::begin(kReportNames), std::end(kReportNames), name);
        if (found == std::end(kReportNames))
            return refuse(
                QStringLiteral(
                    "--report needs one of tap, csv, json, junit or gradescope, not '%1'.")
                    .arg(name));
        options.report = grading::ReportFormat(found - std::begin(kReportNames));
        if (options.report == grading::ReportFormat::Gradescope && parser.isSet(classFolder))
            return refuse(QStringLiteral("--report gradescope grades one FILE, not --class."));
        if (options.report == grading::ReportFormat::Gradescope && files.size() > 1)
            return refuse(
                QStringLiteral("--report gradescope grades one FILE, not %1.").arg(files.size()));
    }
    for (const QCommandLineOption *option : {&feedback, &summary, &classFolder, &pick, &roster}) {
        if (parser.isSet(*option) && !parser.isSet(test))
            return refuse(QStringLiteral("--%1 goes only with --test.").arg(option->names()[0]));
        if (parser.isSet(*option) && parser.value(*option).isEmpty())
            return refuse(QStringLiteral("--%1 needs a name.").arg(option->names()[0]));
    }
    if (parser.isSet(replayPage) && parser.value(replayPage).isEmpty())
        return refuse(QStringLiteral("--replay needs a name."));
    options.replayPage = parser.value(replayPage);
    if (parser.isSet(noReplays) && !parser.isSet(feedback))
        return refuse(QStringLiteral("--no-replays goes only with --feedback."));
    options.replays = !parser.isSet(noReplays);
    if (parser.isSet(test))
        options.replaySteps = grading::kFeedbackReplaySteps;
    if (parser.isSet(replaySteps)) {
        if (!parser.isSet(replayPage) && !(parser.isSet(feedback) && options.replays))
            return refuse(QStringLiteral("--replay-steps goes only with --replay or with "
                                         "--feedback."));
        if (!grading::readCount(parser.value(replaySteps), replay::kMostSteps,
                                options.replaySteps) ||
            options.replaySteps < 1)
            return refuse(QStringLiteral("--replay-steps needs a whole number from 1 to %1, "
                                         "not '%2'.")
                              .arg(replay::kMostSteps)
                              .arg(parser.value(replaySteps)));
    }
    for (const QCommandLineOption *option : {&pick, &roster}) {
        if (parser.isSet(*option) && !parser.isSet(classFolder))
            return refuse(QStringLiteral("--%1 goes only with --class.").arg(option->names()[0]));
    }
    if (parser.value(pick).contains(QLatin1Char('/')))
        return refuse(QStringLiteral("--pick matches a file name, which holds no '/'."));
    options.classFolder = parser.value(classFolder);
    options.pick = parser.value(pick);
    options.roster = parser.value(roster);
    for (const QCommandLineOption *option : {&jobs, &timeLimit, &studentView, &similar}) {
        if (parser.isSet(*option) && !parser.isSet(test))
            return refuse(QStringLiteral("--%1 goes only with --test.").arg(option->names()[0]));
    }
    if (parser.isSet(jobs)) {
        quint64 count = 0;
        if (!grading::readCount(parser.value(jobs), kMostJobs, count) || count == 0)
            return refuse(QStringLiteral("--jobs needs a whole number from 1 to %1, not '%2'.")
                              .arg(kMostJobs)
                              .arg(parser.value(jobs)));
        options.jobs = qsizetype(count);
    }
    if (parser.isSet(timeLimit)) {
        const std::optional<grading::TimeLimit> limit =
            grading::readSeconds(parser.value(timeLimit));
        if (!limit)
            return refuse(QStringLiteral("--time-limit needs a number of seconds from 0 to %1, "
                                         "with at most three decimals (0: no limit), not '%2'.")
                              .arg(grading::kMostSeconds)
                              .arg(parser.value(timeLimit)));
        options.timeLimit = *limit;
    }
    options.studentView = parser.isSet(studentView);
    if (options.studentView && options.report != grading::ReportFormat::Tap &&
        options.report != grading::ReportFormat::Junit)
        return refuse(QStringLiteral("--student-view goes only with --report tap or junit."));
    if (parser.isSet(similar)) {
        quint64 distance = 0;
        if (!grading::readCount(parser.value(similar), grading::kMostSimilarDistance, distance))
            return refuse(QStringLiteral("--similar needs a whole number from 0 to %1, as "
                                         "--similar=N, not '%2'.")
                              .arg(grading::kMostSimilarDistance)
                              .arg(parser.value(similar)));
        if (options.report != grading::ReportFormat::Csv &&
            options.report != grading::ReportFormat::Json && !parser.isSet(summary))
            return refuse(QStringLiteral("--similar shows only in --report csv or json and in "
                                         "the --summary; give one of them."));
        options.similar = qsizetype(distance);
    }
    options.feedbackFolder = parser.value(feedback);
    options.summaryFile = parser.value(summary);
    options.showMemory = parser.isSet(memory);
    options.trace = parser.isSet(trace);
    if (parser.isSet(traceFormat)) {
        if (!options.trace)
            return refuse(QStringLiteral("--trace-format goes only with --trace."));
        const QString name = parser.value(traceFormat);
        if (name == QLatin1String("json"))
            options.traceFormat = TraceFormat::Json;
        else if (name != QLatin1String("text"))
            return refuse(QStringLiteral("--trace-format needs text or json, not '%1'.").arg(name));
    }
    if (parser.isSet(diagnosticsFormat)) {
        if (!parser.isSet(assemble))
            return refuse(QStringLiteral("--diagnostics-format goes only with --assemble."));
        const QString name = parser.value(diagnosticsFormat);
        if (name == QLatin1String("json"))
            options.diagnosticsFormat = DiagnosticsFormat::Json;
        else if (name == QLatin1String("sarif"))
            options.diagnosticsFormat = DiagnosticsFormat::Sarif;
        else
            return refuse(
                QStringLiteral("--diagnostics-format needs json or sarif, not '%1'.").arg(name));
        if (parser.isSet(sample))
            return refuse(QStringLiteral("--diagnostics-format reads FILEs, not --sample."));
        if (parser.isSet(memory))
            return refuse(
                QStringLiteral("--diagnostics-format and --memory cannot be used together."));
    }
    options.warnings = !parser.isSet(noWarnings);
    options.excerpts = !parser.isSet(noExcerpts);

    const QStringList samples = parser.values(sample);
    const QStringList stepLimits = parser.values(maxSteps);

    if (!samples.isEmpty()) {
        quint64 index = 0;
        if (!grading::readCount(samples.first(), sampleProgramCount - 1, index))
            return refuse(QStringLiteral("--sample needs a number from 0 to %1, not '%2'.")
                              .arg(sampleProgramCount - 1)
                              .arg(samples.first()));
        options.sample = int(index);
    }
    if (!stepLimits.isEmpty() &&
        !grading::readCount(stepLimits.first(), std::numeric_limits<quint64>::max(),
                            options.maxSteps))
        return refuse(QStringLiteral("--max-steps needs a whole number from 0 to %1, not '%2'.")
                          .arg(std::numeric_limits<quint64>::max())
                          .arg(stepLimits.first()));

    if (!options.classFolder.isEmpty()) {
        if (!files.isEmpty() || options.sample >= 0)
            return refuse(QStringLiteral("--class grades the folders under DIR in place of "
                                         "FILEs and --sample; give only one of them."));
        return options;
    }
    if (!files.isEmpty() && options.sample >= 0)
        return refuse(QStringLiteral("Give either a FILE or --sample, not both."));
    if (files.isEmpty() && options.sample < 0)
        return refuse(QStringLiteral("No program given: name a FILE or use --sample N."));
    options.programFiles = files;
    return options;
}

program::ExitStatus readProgram(const Options &options, qsizetype index, program::Program &program,
                                QString &error)
{
    if (options.sample >= 0) {
        program.name = QStringLiteral("sample %1").arg(options.sample);
        program.text = samplePrograms()[static_cast<std::size_t>(options.sample)];
        return program::Success;
    }
    const QString &path = options.programFiles.at(index);
    program.name = program::shownName(path);
    program::BadByte bad;
    switch (program::readTextFile(path, QStringLiteral("a program"), program.text, error,
                                  program::Opening::Any, {}, &bad)) {
    case program::FileTrouble::None:
        return program::Success;
    case program::FileTrouble::NotText:
        if (bad.line > 0)
            program.errors = {notUtf8Error(bad)};
        return program::ProgramNotText;
    case program::FileTrouble::CannotRead:
        break;
    }
    return program::FileCannotRead;
}

} // namespace run
