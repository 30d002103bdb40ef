#include "assembler/assembler.h"

#include "assembler/splittext.h"
#include "machine/instructionset.h"
#include "machine/instructionword.h"

namespace
{

const QString kData = QString(machine::instruction(machine::Data).mnemonic);

// Fields of a stored line: the parts between runs of white space.
QList<QString> fieldsOf(const QString &line)
{
    return splitText(line, QString());
}

// The texts of the messages below are the ones users and their teachers know,
// kept word for word, the misspelt "instuction" included.
QString pairIsInvalid(const QString &line)
{
    return QStringLiteral("Error: instuction is invalid <") + line + QStringLiteral(">.");
}

QString notAMnemonic(const QString &word)
{
    return QStringLiteral("Error: invalid instruction <") + word + QStringLiteral(">.\n");
}

QString lineIsInvalid(const QString &line)
{
    return QStringLiteral("Error: Invalid instruction <") + line + QStringLiteral(">.\n");
}

} // namespace

void Assembler::collectLabels()
{
    for (qint32 k = 0; k < lineCount; ++k) {
        errorLine = k;
        const QString &line = lines[static_cast<std::size_t>(k)];
        const QList<QString> fields = fieldsOf(line);
        if (fields.size() != 2 && fields.size() != 3)
            continue;

        // A line that starts with a name and has a mnemonic second defines a label.
        const bool firstIsMnemonic = isMnemonic(fields[0]);
        const bool secondIsMnemonic = isMnemonic(fields[1]);
        if (fields.size() == 2 && firstIsMnemonic == secondIsMnemonic)
            throw pairIsInvalid(line);
        if (firstIsMnemonic || !secondIsMnemonic)
            continue; // an instruction with an operand, or rejected by the encoding pass

        if (fields[1] == kData) {
            // A value that is no base-10 int gives 0.
            const qint32 value = fields.size() == 3 ? fields[2].toInt(nullptr, 10) : 0;
            addData(fields[0], k, value);
        } else {
            addLabel(fields[0], k);
        }
    }
    errorLine = -1;
}

QString Assembler::encodeLine(const QString &line) const
{
    // A lookup whose failure is reported together with the line that caused it.
    const auto lookupInLine = [&](const QString &name, bool wantValue) {
        try {
            return lookup(name, wantValue);
        } catch (const QString &message) {
            throw message + QStringLiteral("[instuction: ") + line + QStringLiteral("]\n");
        }
    };

    const QList<QString> fields = fieldsOf(line);
    switch (fields.size()) {
    case 1:
        if (isMnemonic(fields[0]))
            return codeOf(fields[0]);
        throw notAMnemonic(fields[0]);
    case 2:
        // MNEMONIC OPERAND, LABEL with the data directive, or LABEL MNEMONIC.
        if (isMnemonic(fields[0]))
            return machine::encodeWord(codeOf(fields[0]), lookupInLine(fields[1], false),
                                       machine::AddressForm::TwoDigits);
        if (fields[1] == kData)
            return QString::number(lookupInLine(fields[0], true));
        if (isMnemonic(fields[1]))
            return codeOf(fields[1]);
        throw lineIsInvalid(line);
    case 3:
        // LABEL with the data directive and its VALUE, or LABEL MNEMONIC OPERAND.
        if (isMnemonic(fields[0]))
            throw lineIsInvalid(line);
        if (fields[1] == kData)
            return QString::number(lookupInLine(fields[0], true));
        // A labelled instruction writes its address without a leading zero
        // (L LDA X with X at 7 gives 067, where LDA X gives 0607). Both run
        // the same, and programs rely on the words they have always seen;
        // so does the unwrapped "Name <X> not found." of this form.
        if (isMnemonic(fields[1]))
            return machine::encodeWord(codeOf(fields[1]), lookup(fields[2], false),
                                       machine::AddressForm::Plain);
        throw lineIsInvalid(line);
    default:
        throw lineIsInvalid(line);
    }
}

QString Assembler::assemble(const QString &source)
{
    loadLines(source);
    // All labels first, so an operand may name a label defined further down.
    collectLabels();

    QString image;
    for (qint32 k = 0; k < lineCount; ++k) {
        errorLine = k;
        image += encodeLine(lines[static_cast<std::size_t>(k)]);
        image += QLatin1Char('\n');
    }
    errorLine = -1;
    return image;
}
