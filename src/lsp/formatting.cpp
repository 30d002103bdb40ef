#include "lsp/formatting.h"

#include "diagnostics/sourcetext.h"
#include "lsp/displaywidth.h"
#include "lsp/documentmodel.h"
#include "program/program.h"

#include <QJsonArray>

#include <optional>

namespace lsp
{

namespace
{

// The memory image of a document as korvane-run reads it, or nothing (with
// the first error) when it does not assemble.
std::optional<QStringList> imageOf(const Document &document,
                                   const diagnostics::Diagnostic **firstError = nullptr)
{
    const DocumentModel &model = document.model();
    if (model.assembled)
        return model.program.image;
    if (firstError != nullptr && !model.program.errors.isEmpty())
        *firstError = &model.program.errors.first();
    return std::nullopt;
}

// White space from display column `column` to at least `target`: spaces to
// exactly there, or as many tabs as it takes.
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

// The text with each edited line's characters replaced; line ends stay.
QString applied(const Document &document, const QList<LineEdit> &edits)
{
    const QString &text = document.text();
    QString result;
    qsizetype kept = 0;
    for (const LineEdit &edit : edits) {
        const qsizetype start = document.offsetOf({edit.line, 0});
        result += QStringView(text).sliced(kept, start - kept);
        result += edit.text;
        kept = start + document.lineLength(edit.line);
    }
    result += QStringView(text).sliced(kept);
    return result;
}

Formatting refused(const QString &why)
{
    return Formatting{{}, QStringLiteral("korvane-lsp: the program is not formatted: ") + why};
}

} // namespace

Formatting formattingOf(const Document &document, const Layout &given)
{
    const diagnostics::Diagnostic *error = nullptr;
    const std::optional<QStringList> before = imageOf(document, &error);
    if (!before) {
        QString where = error != nullptr ? error->message : QString();
        if (error != nullptr && error->range.line > 0) {
            const CheckedText &checked = document.checked();
            const Position at = document.positionOf(
                checked.documentOffset(checked.offsetOf(error->range.line, error->range.begin)));
            where = QStringLiteral("line %1: %2").arg(at.line + 1).arg(error->message);
        }
        return refused(QStringLiteral("it does not assemble (%1), and formatting keeps a "
                                      "program's memory image; mend its errors first")
                           .arg(where));
    }
    Layout layout = given;
    layout.tabSize = qBound(1, layout.tabSize, 16);

    const diagnostics::SourceText &source = *document.model().program.source;
    const QString &checked = source.text();
    const QList<diagnostics::SourceLine> &lines = source.lines();
    // The line of the document each stored line's words are on.
    QList<qint32> shownLine;
    shownLine.reserve(lines.size());
    for (const diagnostics::SourceLine &line : lines) {
        qint32 shown = -1;
        for (const diagnostics::Word &word : line.words) {
            const qint32 at = document
                                  .positionOf(document.checked().documentOffset(
                                      word.written().data() - checked.data()))
                                  .line;
            if (shown >= 0 && at != shown)
                return refused(
                    QStringLiteral("carriage returns without line feeds run its lines together for "
                                   "korvane-run; save it with line feeds (LF) first"));
            shown = at;
        }
        shownLine.append(shown);
    }

    // A word is a label when it does not name an instruction; in a program
    // that assembles, only the first word of a line can be one.
    qint32 widest = 0;
    for (const diagnostics::SourceLine &line : lines) {
        if (!line.words.isEmpty() && line.words[0].mnemonic() == nullptr)
            widest = qMax(widest, displayWidth(line.words[0].written()));
    }
    const qint32 mnemonicColumn = columnAfter(widest, layout.tabSize);
    // Every mnemonic is three letters long.
    const qint32 operandColumn = mnemonicColumn + columnAfter(3, layout.tabSize);

    Formatting result;
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const diagnostics::Words &words = lines[k].words;
        if (words.isEmpty())
            continue;
        QString shaped;
        qsizetype next = 0;
        if (words[0].mnemonic() == nullptr) {
            shaped += words[0].written();
            next = 1;
        }
        // A label alone on its line gets no white space after it.
        if (next < words.size()) {
            shaped += padding(displayWidth(shaped), mnemonicColumn, layout);
            shaped += words[next++].written();
        }
        for (; next < words.size(); ++next) {
            shaped += padding(mnemonicColumn + 3, operandColumn, layout);
            shaped += words[next].written();
        }
        const qint32 line = shownLine[k];
        const qsizetype start = document.offsetOf({line, 0});
        if (QStringView(document.text()).sliced(start, document.lineLength(line)) != shaped)
            result.edits.append(LineEdit{line, shaped});
    }
    // Only a layout that keeps the memory image is offered.
    if (imageOf(Document(applied(document, result.edits), 0)) != before)
        return refused(QStringLiteral("its columns would change its memory image"));
    return result;
}

QString formatted(const QString &text, const Layout &layout)
{
    const Document document(text, 0);
    return applied(document, formattingOf(document, layout).edits);
}

Answer formatting(const DocumentRequest &request)
{
    const QJsonObject options = request.params.value(QLatin1String("options")).toObject();
    Layout layout;
    layout.tabSize = options.value(QLatin1String("tabSize")).toInt(8);
    layout.insertSpaces = options.value(QLatin1String("insertSpaces")).toBool(false);

    const Formatting found = formattingOf(request.document, layout);
    if (!found.refusal.isEmpty() && request.notify) {
        // MessageType 2: a warning, for a request that could not be done.
        request.notify(
            QStringLiteral("window/showMessage"),
            QJsonObject{{QStringLiteral("type"), 2}, {QStringLiteral("message"), found.refusal}});
    }
    QJsonArray edits;
    for (const LineEdit &edit : found.edits) {
        edits.append(QJsonObject{
            {QStringLiteral("range"),
             rangeJson({edit.line, 0}, {edit.line, request.document.lineLength(edit.line)})},
            {QStringLiteral("newText"), edit.text},
        });
    }
    return edits;
}

} // namespace lsp
