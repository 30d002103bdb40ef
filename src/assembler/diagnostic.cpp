#include "assembler/diagnostic.h"

#include <QJsonArray>

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

} // namespace

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
    object.insert(QStringLiteral("kind"), diagnostic.kind);
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

} // namespace diagnostics
