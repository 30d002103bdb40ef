#include "lsp/formatting.h"

#include "diagnostics/sourcetext.h"
#include "lsp/documentmodel.h"
#include "program/program.h"

#include <QJsonArray>

#include <optional>

namespace lsp
{

namespace
{

// The memory image of a text, or nothing when it does not assemble.
std::optional<QStringList> imageOf(const QString &text)
{
    program::Program program;
    program.text = text;
    QString error;
    if (!program.assemble(error))
        return std::nullopt;
    return program.image;
}

// White space from `column` to at least `target`: spaces to exactly there, or
// as many tabs as it takes.
QString padding(qint32 column, qint32 target, const Layout &layout)
{
    if (layout.insertSpaces)
        return QString(qMax(1, target - column), QLatin1Char(' '));
    QString tabs;
    do {
        tabs += QLatin1Char('\t');
        column = (column / layout.tabSize + 1) * layout.tabSize;
    } while (column < target);
    return tabs;
}

// The first multiple of the tab size past `width`.
qint32 columnAfter(qint32 width, qint32 tabSize)
{
    return (width / tabSize + 1) * tabSize;
}

} // namespace

QString formatted(const QString &text, const Layout &layout)
{
    program::Program program;
    program.text = text;
    QString error;
    return formatted(program, program.assemble(error), layout);
}

QString formatted(const program::Program &program, bool assembled, const Layout &given)
{
    const QString &text = program.text;
    if (!assembled)
        return text;
    Layout layout = given;
    layout.tabSize = qBound(1, layout.tabSize, 16);

    const QList<diagnostics::SourceLine> &lines = program.source->lines();
    // A word is a label when it does not name an instruction; in a program
    // that assembles, only the first word of a line can be one.
    qint32 widest = 0;
    for (const diagnostics::SourceLine &line : lines) {
        if (!line.words.isEmpty() && line.words[0].mnemonic == nullptr)
            widest = qMax(widest, qint32(line.words[0].written.size()));
    }
    const qint32 mnemonicColumn = columnAfter(widest, layout.tabSize);
    // Every mnemonic is three letters long.
    const qint32 operandColumn = mnemonicColumn + columnAfter(3, layout.tabSize);

    QStringList out = text.split(QLatin1Char('\n'));
    for (const diagnostics::SourceLine &line : lines) {
        const diagnostics::Words &words = line.words;
        if (words.isEmpty())
            continue;
        QString shaped;
        qsizetype next = 0;
        if (words[0].mnemonic == nullptr) {
            shaped += words[0].written;
            next = 1;
        }
        // A label alone on its line gets no white space after it.
        if (next < words.size()) {
            shaped += padding(qint32(shaped.size()), mnemonicColumn, layout);
            shaped += words[next++].written;
        }
        for (; next < words.size(); ++next) {
            shaped += padding(mnemonicColumn + 3, operandColumn, layout);
            shaped += words[next].written;
        }
        QString &kept = out[line.number - 1];
        // A carriage return before the line feed stays.
        if (kept.endsWith(QLatin1Char('\r')))
            shaped += QLatin1Char('\r');
        kept = shaped;
    }
    const QString result = out.join(QLatin1Char('\n'));
    // Only a layout that keeps the memory image is offered.
    return imageOf(result) == program.image ? result : text;
}

Answer formatting(const DocumentRequest &request)
{
    const QJsonObject options = request.params.value(QLatin1String("options")).toObject();
    Layout layout;
    layout.tabSize = options.value(QLatin1String("tabSize")).toInt(8);
    layout.insertSpaces = options.value(QLatin1String("insertSpaces")).toBool(false);

    const DocumentModel &model = request.document.model();
    const QStringList was = model.program.text.split(QLatin1Char('\n'));
    const QStringList now =
        formatted(model.program, model.assembled, layout).split(QLatin1Char('\n'));
    QJsonArray edits;
    for (qsizetype i = 0; i < was.size() && i < now.size(); ++i) {
        if (was[i] == now[i])
            continue;
        const qint32 line = qint32(i);
        edits.append(QJsonObject{
            {QStringLiteral("range"), rangeJson({line, 0}, {line, qint32(was[i].size())})},
            {QStringLiteral("newText"), now[i]},
        });
    }
    return edits;
}

} // namespace lsp
