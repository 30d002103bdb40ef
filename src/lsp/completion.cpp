#include "lsp/completion.h"

#include "diagnostics/mnemonic.h"
#include "lsp/documentmodel.h"
#include "machine/instructionset.h"
#include "program/program.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace lsp
{

namespace
{

// The protocol's CompletionItemKind values used here.
constexpr int kFunctionItem = 3;
constexpr int kVariableItem = 6;
constexpr int kKeywordItem = 14;

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r');
}

// The complete words of a line before the word the cursor is in.
QStringList wordsBefore(QStringView line, qsizetype cursor)
{
    qsizetype end = qMin(cursor, line.size());
    while (end > 0 && !isBlank(line[end - 1]))
        --end; // the word being typed is not complete
    static const QRegularExpression blanks(QStringLiteral("[ \t\r]+"));
    return line.first(end).toString().split(blanks, Qt::SkipEmptyParts);
}

const machine::Instruction *mnemonicNamed(const QString &word)
{
    return diagnostics::rowOf(word.toUpper());
}

QJsonArray mnemonicItems()
{
    QJsonArray items;
    int order = 0;
    for (const machine::Instruction &row : machine::kInstructionSet) {
        items.append(QJsonObject{
            {QStringLiteral("label"), QString(row.mnemonic)},
            {QStringLiteral("kind"), kKeywordItem},
            {QStringLiteral("detail"), QString(row.meaning)},
            {QStringLiteral("sortText"),
             QStringLiteral("%1").arg(order++, 2, 10, QLatin1Char('0'))},
        });
    }
    return items;
}

QJsonArray labelItems(const LabelIndex &index, bool dataFirst)
{
    QJsonArray items;
    for (const IndexedWord &word : index.words()) {
        if (word.kind != IndexedWord::LabelDefinition)
            continue;
        const LabelDefinition *defined = index.definition(word.key);
        // A label defined twice is offered once, as the assembler reads it.
        if (defined == nullptr || defined->place.line != word.place.line)
            continue;
        const QString cell = program::addressText(defined->cell);
        const QString detail =
            defined->isData
                ? QStringLiteral("data label, cell %1, holding %2").arg(cell).arg(defined->value)
                : QStringLiteral("code label, cell %1").arg(cell);
        // Labels of the kind the mnemonic expects sort before the others,
        // each group in text order.
        const bool first = defined->isData == dataFirst;
        items.append(QJsonObject{
            {QStringLiteral("label"), word.written},
            {QStringLiteral("kind"), defined->isData ? kVariableItem : kFunctionItem},
            {QStringLiteral("detail"), detail},
            {QStringLiteral("sortText"), QStringLiteral("%1%2")
                                             .arg(first ? 0 : 1)
                                             .arg(word.place.line, 6, 10, QLatin1Char('0'))},
        });
    }
    return items;
}

} // namespace

Answer completion(const DocumentRequest &request)
{
    const Document &document = request.document;
    const qsizetype lineStart = document.offsetOf({request.at.line, 0});
    const qsizetype cursor = document.offsetOf(request.at);
    const QStringView line = QStringView(document.text()).mid(lineStart, cursor - lineStart);
    const QStringList before = wordsBefore(line, line.size());

    // Nothing yet, or only a label: an instruction starts here.
    if (before.isEmpty() || (before.size() == 1 && mnemonicNamed(before[0]) == nullptr))
        return mnemonicItems();
    const machine::Instruction *row = mnemonicNamed(before.last());
    if (row == nullptr || row->operand != machine::Operand::Address || before.size() > 2)
        return QJsonArray();
    return labelItems(document.model().index, !row->isBranch());
}

} // namespace lsp
