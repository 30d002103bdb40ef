#include "lsp/diagnosticadapter.h"

#include "diagnostics/diagnostic.h"
#include "diagnostics/sourcetext.h"
#include "lsp/checkedtext.h"
#include "lsp/documentmodel.h"

#include <QJsonArray>

namespace lsp
{

namespace
{

// A byte range of one line of the checked text as the protocol's range in
// the document; line 0 (the whole program) is the start of the document. A
// range over carriage returns alone spans the lines the editor shows.
QJsonObject rangeOf(const Document &document, const diagnostics::Range &range)
{
    if (range.line <= 0)
        return rangeJson({0, 0}, {0, 0});
    const CheckedText &checked = document.checked();
    const auto at = [&](qint32 bytes) {
        return document.positionOf(checked.documentOffset(checked.offsetOf(range.line, bytes)));
    };
    return rangeJson(at(range.begin), at(range.end));
}

// An edit as a TextEdit. An edit on a line past the last one appends: the
// missing line feeds come first, as when the fix is applied to the file.
QJsonObject textEdit(const Document &document, const diagnostics::Edit &edit)
{
    const qint32 missing = edit.range.line - document.checked().lineCount();
    if (missing > 0) {
        const Position end = document.end();
        return QJsonObject{
            {QStringLiteral("range"), rangeJson(end, end)},
            {QStringLiteral("newText"), QString(missing, QLatin1Char('\n')) + edit.replacement}};
    }
    return QJsonObject{{QStringLiteral("range"), rangeOf(document, edit.range)},
                       {QStringLiteral("newText"), edit.replacement}};
}

Finding findingOf(const Document &document, const QString &uri,
                  const diagnostics::Diagnostic &found)
{
    Finding finding;
    QJsonObject &diagnostic = finding.diagnostic;
    diagnostic.insert(QStringLiteral("range"), rangeOf(document, found.range));
    // The protocol's DiagnosticSeverity counts in the order of ours: 1 error,
    // 2 warning, 3 information (a note).
    diagnostic.insert(QStringLiteral("severity"), int(found.severity) + 1);
    diagnostic.insert(QStringLiteral("code"), QString(found.name()));
    diagnostic.insert(QStringLiteral("source"), QStringLiteral("korvane"));
    diagnostic.insert(QStringLiteral("message"), found.message);
    if (!found.related.isEmpty()) {
        QJsonArray related;
        for (const diagnostics::Related &place : found.related)
            related.append(QJsonObject{
                {QStringLiteral("location"), locationJson(uri, rangeOf(document, place.range))},
                {QStringLiteral("message"), place.message}});
        diagnostic.insert(QStringLiteral("relatedInformation"), related);
    }
    for (const diagnostics::Fix &fix : found.fixes) {
        QJsonArray edits;
        for (const diagnostics::Edit &edit : fix.edits)
            edits.append(textEdit(document, edit));
        finding.actions.append(
            QJsonObject{{QStringLiteral("title"), fix.title},
                        {QStringLiteral("kind"), QStringLiteral("quickfix")},
                        {QStringLiteral("diagnostics"), QJsonArray{diagnostic}},
                        {QStringLiteral("isPreferred"), finding.actions.isEmpty()},
                        {QStringLiteral("edit"),
                         QJsonObject{{QStringLiteral("changes"), QJsonObject{{uri, edits}}}}}});
    }
    return finding;
}

} // namespace

QList<Finding> findingsOf(const Document &document, const QString &uri)
{
    const qint32 bytes = diagnostics::utf8Length(document.text());
    if (bytes > kMaxDocumentBytes) {
        const diagnostics::Diagnostic tooLarge(
            diagnostics::Severity::Error, diagnostics::Code::ProgramTooLarge, {},
            QStringLiteral("the program is %1 bytes, larger than 1 MiB: korvane-run and the "
                           "window do not read it, so it is not checked")
                .arg(bytes));
        return {findingOf(document, uri, tooLarge)};
    }
    const DocumentModel &model = document.model();
    const QList<diagnostics::Diagnostic> found =
        diagnostics::flattened(model.assembled ? model.program.warnings : model.program.errors);
    QList<Finding> findings;
    findings.reserve(found.size());
    for (const diagnostics::Diagnostic &diagnostic : found)
        findings.append(findingOf(document, uri, diagnostic));
    return findings;
}

bool rangesMeet(const QJsonObject &a, const QJsonObject &b)
{
    const Position aStart = positionFrom(a.value(QLatin1String("start")));
    const Position aEnd = positionFrom(a.value(QLatin1String("end")));
    const Position bStart = positionFrom(b.value(QLatin1String("start")));
    const Position bEnd = positionFrom(b.value(QLatin1String("end")));
    return !(aEnd < bStart) && !(bEnd < aStart);
}

} // namespace lsp
