#pragma once

// The six sample programs as the user sees them: exact texts, the memory
// words each one assembles to, and what a run of each puts out. Every suite
// takes its sample cases from here.

#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace testdata
{

struct Sample {
    const char *name;  // the sample chooser's item text
    QString text;      // the program exactly as the editor shows it
    QStringList image; // the words of cells 0, 1, 2, ... after loading
};

inline QStringList words(const char *spaceSeparated)
{
    return QString::fromLatin1(spaceSeparated).split(QLatin1Char(' '));
}

inline const std::array<Sample, 6> &samples()
{
    static const std::array<Sample, 6> table = {{
        {"Adding 2 inputs",
         QStringLiteral("\tINP\n\tSTA\tnum1\n\tINP\n\tADD\tnum1\n\tOUT\n\tHLT\nnum1\tDAT"),
         words("1201 0506 1201 0106 1202 000 0")},
        {"Max of 2 inputs",
         QStringLiteral(
             "\tINP\n\tSTA\tnum1\n\tINP\n\tSTA\tnum2\n\tSUB\tnum1\n\tBRP\tpos\n\tLDA\tnum1\n"
             "\tOUT\n\tBRA\texit\npos\tLDA\tnum2\n\tOUT\nexit\tHLT\nnum1\tDAT\nnum2\tDAT\n"),
         words("1201 0512 1201 0513 0212 0909 0612 1202 0711 0613 1202 000 0 0")},
        {"Count down timer",
         QStringLiteral("\tINP\nloop\tOUT\n\tSTA\tcount\n\tSUB\tone\n\tSTA\tcount\n\tBRP\tloop\n"
                        "\tHLT\none\tDAT\t1\ncount\tDAT"),
         words("1201 1202 0508 0207 0508 0901 000 1 0")},
        {"Multiplying 2 inputs",
         QStringLiteral("\tINP\n\tSTA\tNUM1\n\tINP\n\tSTA\tNUM2\n\tMUL NUM1\n\tOUT\n\tHLT\n"
                        "NUM1\tDAT\nNUM2\tDAT"),
         words("1201 0507 1201 0508 0307 1202 000 0 0")},
        {"Tringular numbers",
         QStringLiteral("loop\tLDA\tnumber\n\tADD\tcounter\n\tOUT\n\tSTA\tnumber\n\tLDA\tcounter\n"
                        "\tADD\tone\n\tSTA\tcounter\n\tLDA\tten\n\tSUB\tcounter\n\tBRP\tloop\n"
                        "\tHLT\ncounter\tDAT\t1\nnumber\tDAT\t0\none\tDAT\t1\nten\tDAT\t10"),
         words("0612 0111 1202 0512 0611 0113 0511 0614 0211 0900 000 1 0 1 10")},
        {"Factorial of ...",
         QStringLiteral(
             "\tINP\n\tSTA\tfinal\n\tBRZ\toneval\n\tSUB\tone\n\tSTA\titeration\n\tSTA\tcounter\n"
             "\tLDA\tfinal\n\tSTA\tnum\nmult\tLDA\titeration\n\tBRZ\tend\n\tSUB\tone\n\tBRZ\tend\n"
             "\tLDA\tfinal\n\tADD\tnum\n\tSTA\tfinal\n\tLDA\tcounter\n\tSUB\tone\n\tSTA\tcounter\n"
             "\tSUB\tone\n\tBRZ\tnext\n\tBRA\tmult\nnext\tLDA\tfinal\n\tSTA\tnum\n\tLDA\titeration"
             "\n"
             "\tSUB\tone\n\tSTA\titeration\n\tSTA\tcounter\n\tSUB\tone\n\tBRZ\tend\n\tBRA\tmult\n"
             "end\tLDA\tfinal\n\tOUT\n\tHLT\noneval\tLDA\tone\n\tOUT\n\tHLT\nfinal\tDAT\t0\n"
             "counter\tDAT\t0\none\tDAT\t1\niteration\tDAT\t0\nnum\tDAT\t0"),
         words("1201 0536 0833 0238 0539 0537 0636 0540 0639 0830 0238 0830 0636 0140 0536 0637 "
               "0238 0537 0238 0821 0708 0636 0540 0639 0238 0539 0537 0238 0830 0708 0636 1202 "
               "000 0638 1202 000 0 0 1 0 0")},
    }};
    return table;
}

// One run of a loaded sample: the values typed, in order, and the output lines.
struct SampleRun {
    QString name;
    int sample;
    QStringList inputs;
    QStringList outputs;
};

// The runs written down in tests/programs/sampleN.cases, one per case: the
// same files that korvane-run --test checks the samples against.
inline QList<SampleRun> sampleRuns()
{
    QList<SampleRun> runs;
    for (int sample = 0; sample < int(samples().size()); ++sample) {
        const QString path = QStringLiteral(KORVANE_PROGRAMS_DIR "/sample%1.cases").arg(sample);
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            qFatal("cannot read %s", qPrintable(path));
        while (!file.atEnd()) {
            // A "#" starts a comment, as korvane-run reads the file.
            const QString line =
                QString::fromUtf8(file.readLine()).section(QLatin1Char('#'), 0, 0).trimmed();
            if (line.isEmpty())
                continue;
            const QStringList sides = line.split(QStringLiteral("=>"));
            const QStringList inputs = sides.value(0).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            runs.append({QString::fromLatin1(samples()[std::size_t(sample)].name) +
                             QStringLiteral(": ") + inputs.join(QStringLiteral(", ")),
                         sample, inputs,
                         sides.value(1).split(QLatin1Char(' '), Qt::SkipEmptyParts)});
        }
    }
    return runs;
}

} // namespace testdata
