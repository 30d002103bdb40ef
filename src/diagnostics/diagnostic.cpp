#include "diagnostics/diagnostic.h"

#include <QJsonArray>

#include <iterator>

namespace diagnostics
{

namespace
{

QJsonObject placeOf(const Range &range)
{
    return QJsonObject{{QStringLiteral("line"), range.line},
                       {QStringLiteral("column"), range.column()},
                       {QStringLiteral("end_column"), range.end + 1}};
}

constexpr QLatin1String kNames[] = {
    QLatin1String("unusual-space"),
    QLatin1String("invisible-character"),
    QLatin1String("look-alike-character"),
    QLatin1String("unknown-mnemonic"),
    QLatin1String("other-language-word"),
    QLatin1String("mnemonic-as-label"),
    QLatin1String("extra-words"),
    QLatin1String("blank-line"),
    QLatin1String("carriage-return-line-ends"),
    QLatin1String("label-without-data"),
    QLatin1String("number-as-operand"),
    QLatin1String("data-without-label"),
    QLatin1String("data-label-after-dat"),
    QLatin1String("comment"),
    QLatin1String("undefined-label"),
    QLatin1String("two-instructions"),
    QLatin1String("missing-instruction"),
    QLatin1String("program-too-long"),
    QLatin1String("label-with-colon"),
    QLatin1String("definition-failed"),
    QLatin1String("define-variable"),
    QLatin1String("too-many-errors"),
    QLatin1String("assembly-error"),
    QLatin1String("program-too-large"),
    QLatin1String("operand-arithmetic"),
    QLatin1String("operand-brackets"),
    QLatin1String("quoted-operand"),
    QLatin1String("operand-list"),
    QLatin1String("data-list"),
    QLatin1String("line-numbers"),
    QLatin1String("label-alone"),
    QLatin1String("mnemonic-as-variable"),
    QLatin1String("other-directive"),
    QLatin1String("empty-program"),
    QLatin1String("no-halt"),
    QLatin1String("unlabelled-data"),
    QLatin1String("data-label-before-instruction"),
    QLatin1String("operand-not-taken"),
    QLatin1String("missing-operand"),
    QLatin1String("duplicate-label"),
    QLatin1String("data-not-a-number"),
    QLatin1String("data-before-code"),
    QLatin1String("store-into-code"),
    QLatin1String("branch-into-data"),
    QLatin1String("unreachable"),
    QLatin1String("too-many-warnings"),
    QLatin1String("run-error"),
    QLatin1String("step-limit"),
    QLatin1String("input-ended"),
    QLatin1String("run-starts-on-data"),
    QLatin1String("run-into-data"),
    QLatin1String("past-the-end"),
    QLatin1String("looping"),
    QLatin1String("not-utf-8"),
};
static_assert(std::size(kNames) == std::size_t(Code::NotUtf8) + 1, "one name for every code");

} // namespace

QLatin1String name(Code code)
{
    return kNames[std::size_t(code)];
}

QList<Diagnostic> flattened(const QList<Diagnostic> &diagnostics)
{
    QList<Diagnostic> flat;
    for (const Diagnostic &diagnostic : diagnostics) {
        flat.append(diagnostic);
        flat.last().notes.clear();
        flat.append(flattened(diagnostic.notes));
    }
    return flat;
}

QLatin1String severityName(Severity severity)
{
    switch (severity) {
    case Severity::Error:
        break;
    case Severity::Warning:
        return QLatin1String("warning");
    case Severity::Note:
        return QLatin1String("note");
    }
    return QLatin1String("error");
}

QString oneLine(const Diagnostic &diagnostic)
{
    const QString text =
        severityName(diagnostic.severity) + QLatin1String(": ") + diagnostic.message;
    if (diagnostic.range.line <= 0)
        return text;
    return QStringLiteral("%1:%2: ").arg(diagnostic.range.line).arg(diagnostic.range.column()) +
           text;
}

QJsonObject toJson(const Diagnostic &diagnostic)
{
    QJsonObject object = placeOf(diagnostic.range);
    object.insert(QStringLiteral("kind"), QString(diagnostic.name()));
    object.insert(QStringLiteral("severity"), QString(severityName(diagnostic.severity)));
    object.insert(QStringLiteral("message"), diagnostic.message);

    QJsonArray related;
    for (const Related &place : diagnostic.related) {
        QJsonObject item = placeOf(place.range);
        item.insert(QStringLiteral("message"), place.message);
        related.append(item);
    }
    object.insert(QStringLiteral("related"), related);

    QJsonArray fixes;
    for (const Fix &fix : diagnostic.fixes) {
        QJsonArray edits;
        for (const Edit &edit : fix.edits) {
            QJsonObject item = placeOf(edit.range);
            item.insert(QStringLiteral("replacement"), edit.replacement);
            edits.append(item);
        }
        fixes.append(
            QJsonObject{{QStringLiteral("title"), fix.title}, {QStringLiteral("edits"), edits}});
    }
    object.insert(QStringLiteral("fixes"), fixes);
    return object;
}

QJsonArray toJson(const QList<Diagnostic> &diagnostics)
{
    QJsonArray array;
    for (const Diagnostic &diagnostic : flattened(diagnostics))
        array.append(toJson(diagnostic));
    return array;
}

} // namespace diagnostics
