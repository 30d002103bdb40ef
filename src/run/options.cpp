#include "run/options.h"

#include "app/sampleprograms.h"

#include <QCommandLineParser>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

namespace terminal
{

namespace
{

// A program has at most one line per memory cell; a larger file is not one.
constexpr qint64 kMaxProgramBytes = 1 << 20;

const QLatin1String kSampleOption{"sample"};
const QLatin1String kMaxStepsOption{"max-steps"};

Options refuse(const QString &reason)
{
    Options options;
    options.action = Options::Action::Refuse;
    options.text = reason;
    return options;
}

// A plain run of decimal digits: no sign, no blanks, no other base.
bool readCount(const QString &text, quint64 &count)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    if (!digits.match(text).hasMatch())
        return false;
    bool ok = false;
    count = text.toULongLong(&ok, 10);
    return ok;
}

const char *const kDescription =
    "Assembles a Korvane program and runs it. Each line of standard input is one\n"
    "typed value; each OUT value is written to standard output, one per line.\n"
    "\n"
    "Exit status: 0 the program halted, 1 assembly error, 2 run error (including\n"
    "input that ends while the program waits for a value), 3 step limit reached,\n"
    "64 wrong usage, 74 standard output cannot be written.";

} // namespace

Options parseOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption sample(
        kSampleOption,
        QStringLiteral("Use built-in sample program N (0 to %1) instead of a file.")
            .arg(sampleProgramCount - 1),
        QStringLiteral("N"));
    const QCommandLineOption maxSteps(
        kMaxStepsOption,
        QStringLiteral("Stop after N executed steps without a halt (default %1; 0: no limit).")
            .arg(kDefaultMaxSteps),
        QStringLiteral("N"));
    const QCommandLineOption assemble(
        QStringLiteral("assemble"),
        QStringLiteral("Print the memory image, one word per line, instead of running."));
    const QCommandLineOption memory(
        QStringLiteral("memory"),
        QStringLiteral("Afterwards print the 100 memory cells to standard error, 10 per line."));
    parser.addOptions({sample, maxSteps, assemble, memory});
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("Program text to assemble (UTF-8)."));

    if (!parser.parse(arguments))
        return refuse(parser.errorText());

    // addHelpOption() also offers --help-all; this program has no further options to show.
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        Options options;
        options.action = Options::Action::ShowHelp;
        options.text = parser.helpText();
        return options;
    }
    if (parser.isSet(version)) {
        Options options;
        options.action = Options::Action::ShowVersion;
        options.text = QStringLiteral("korvane-run " KORVANE_VERSION "\n");
        return options;
    }

    Options options;
    options.action = parser.isSet(assemble) ? Options::Action::Assemble : Options::Action::Run;
    options.showMemory = parser.isSet(memory);

    const QStringList files = parser.positionalArguments();
    const QStringList samples = parser.values(sample);
    const QStringList stepLimits = parser.values(maxSteps);
    if (files.size() > 1)
        return refuse(QStringLiteral("Only one FILE can be given."));
    if (samples.size() > 1 || stepLimits.size() > 1)
        return refuse(QStringLiteral("--%1 can be given only once.")
                          .arg(samples.size() > 1 ? kSampleOption : kMaxStepsOption));

    if (!samples.isEmpty()) {
        quint64 index = 0;
        if (!readCount(samples.first(), index) || index >= quint64(sampleProgramCount))
            return refuse(QStringLiteral("--sample needs a number from 0 to %1, not '%2'.")
                              .arg(sampleProgramCount - 1)
                              .arg(samples.first()));
        options.sample = int(index);
    }
    if (!stepLimits.isEmpty() && !readCount(stepLimits.first(), options.maxSteps))
        return refuse(QStringLiteral("--max-steps needs a whole number of 0 or more, not '%1'.")
                          .arg(stepLimits.first()));

    if (!files.isEmpty() && options.sample >= 0)
        return refuse(QStringLiteral("Give either a FILE or --sample, not both."));
    if (files.isEmpty() && options.sample < 0)
        return refuse(QStringLiteral("No program given: name a FILE or use --sample N."));
    if (!files.isEmpty())
        options.programFile = files.first();
    return options;
}

bool readProgram(const Options &options, QString &text, QString &error)
{
    if (options.sample >= 0) {
        text = samplePrograms()[static_cast<std::size_t>(options.sample)];
        return true;
    }

    QFile file(options.programFile);
    if (!file.open(QIODevice::ReadOnly)) {
        error =
            QStringLiteral("Cannot read '%1': %2.").arg(options.programFile, file.errorString());
        return false;
    }
    // Read one byte past the limit, so that devices without a size are caught too.
    const QByteArray bytes = file.read(kMaxProgramBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        error =
            QStringLiteral("Cannot read '%1': %2.").arg(options.programFile, file.errorString());
        return false;
    }
    if (bytes.size() > kMaxProgramBytes) {
        error = QStringLiteral("'%1' is larger than 1 MiB, too large to be a program.")
                    .arg(options.programFile);
        return false;
    }

    QStringDecoder decoder(QStringDecoder::Utf8); // drops a leading byte order mark
    text = decoder.decode(bytes);
    if (decoder.hasError()) {
        error = QStringLiteral("'%1' is not UTF-8 text.").arg(options.programFile);
        return false;
    }
    // A file saved with Windows line ends reads like one typed into the
    // editor; otherwise each blank line would keep a carriage return and
    // count as a line of white space.
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return true;
}

} // namespace terminal
