#include "grading/cases.h"

#include "assembler/splittext.h"
#include "program/textfile.h"

#include <QRegularExpression>

namespace grading
{

namespace
{

const QLatin1String kArrow{"=>"};

// Whole decimal numbers only, in the 32-bit range: what a run takes and puts out.
// Returns false with the first field that is none.
bool readValues(const QString &side, QList<qint32> &values, QString &wrong)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+$"));
    for (const QString &field : splitText(side, QString())) {
        bool ok = false;
        const qint32 value = number.match(field).hasMatch() ? field.toInt(&ok, 10) : 0;
        if (!ok) {
            wrong = field;
            return false;
        }
        values.append(value);
    }
    return true;
}

} // namespace

CasesTrouble readCases(const QString &path, QList<TestCase> &cases, QString &error)
{
    QString text;
    const korvane::FileTrouble trouble =
        korvane::readTextFile(path, QStringLiteral("a cases file"), text, error);
    if (trouble != korvane::FileTrouble::None) {
        error.prepend(QLatin1String("korvane-run: "));
        return trouble == korvane::FileTrouble::CannotRead ? CasesTrouble::CannotRead
                                                           : CasesTrouble::Unusable;
    }
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const qsizetype comment = lines[i].indexOf(QLatin1Char('#'));
        const QString line = (comment < 0 ? lines[i] : lines[i].left(comment)).trimmed();
        if (line.isEmpty())
            continue;
        const auto malformed = [&](const QString &reason) {
            error = path + QLatin1Char(':') + QString::number(i + 1) + QLatin1String(": ") + reason;
            return CasesTrouble::Unusable;
        };

        const qsizetype arrow = line.indexOf(kArrow);
        if (arrow < 0)
            return malformed(QStringLiteral("no '=>' between the values to type and the "
                                            "expected output."));
        if (line.indexOf(kArrow, arrow + kArrow.size()) >= 0)
            return malformed(QStringLiteral("more than one '=>'."));
        TestCase testCase{line, i + 1, {}, {}};
        QString wrong;
        if (!readValues(line.left(arrow), testCase.inputs, wrong) ||
            !readValues(line.mid(arrow + kArrow.size()), testCase.expected, wrong))
            return malformed(
                QStringLiteral("'%1' is not a whole number from -2147483648 to 2147483647.")
                    .arg(wrong));
        cases.append(testCase);
    }
    // An empty file, or a wrong one given by a slip, must not pass every program.
    if (cases.isEmpty()) {
        error = path + QLatin1String(": holds no case");
        return CasesTrouble::Unusable;
    }
    return CasesTrouble::None;
}

} // namespace grading
