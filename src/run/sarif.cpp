// The SARIF 2.1.0 rendering of the diagnostics of --diagnostics-format sarif:
// one run of korvane-run, a result per diagnostic and per note, each rule
// the diagnostic's kind. Places are lines and columns counted from 1, the
// columns in UTF-16 code units as the run's columnKind says, ends excluded.

#include "diagnostics/sourcetext.h"
#include "program/filename.h"
#include "run/programdiagnostics.h"

#include <QDir>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace run
{

namespace
{

const QLatin1String kSchema{
    "https://docs.oasis-open.org/sarif/sarif/v2.1.0/errata01/os/schemas/sarif-schema-2.1.0.json"};
// Relative FILEs are given against the working folder, which this names.
const QLatin1String kBase{"%SRCROOT%"};

QJsonObject text(const QString &message)
{
    return QJsonObject{{QLatin1String("text"), message}};
}

// A path as a URI reference: its bytes percent-encoded but for the slashes.
QString uriOf(const QString &path)
{
    return QString::fromLatin1(program::argumentBytes(path).toPercentEncoding("/"));
}

QString folderUri(const QString &folder)
{
    QString uri = QLatin1String("file://") + uriOf(folder);
    if (!uri.endsWith(QLatin1Char('/')))
        uri += QLatin1Char('/');
    return uri;
}

QJsonObject artifactLocation(const QString &path, qsizetype index)
{
    if (QDir::isAbsolutePath(path))
        return QJsonObject{{QLatin1String("uri"), QLatin1String("file://") + uriOf(path)},
                           {QLatin1String("index"), index}};
    return QJsonObject{{QLatin1String("uri"), uriOf(path)},
                       {QLatin1String("uriBaseId"), kBase},
                       {QLatin1String("index"), index}};
}

// The UTF-16 column, from 1, of byte `bytes` of the line; an end that falls
// inside a character takes in the whole character.
qint64 columnOf(QStringView line, qint32 bytes, bool end)
{
    qsizetype chars = diagnostics::charsBefore(line, bytes);
    if (end && chars < line.size() && diagnostics::utf8Length(line.first(chars)) < bytes)
        chars += line[chars].isHighSurrogate() && chars + 1 < line.size() ? 2 : 1;
    return chars + 1;
}

// One FILE's text, and where its places are.
class Artifact
{
public:
    Artifact(const ProgramDiagnostics &program, qsizetype index)
        : text_(program.text), location_(artifactLocation(program.path, index))
    {
    }

    const QJsonObject &location() const { return location_; }

    // The region of a range; none for line 0, the whole program.
    std::optional<QJsonObject> region(const diagnostics::Range &range) const
    {
        if (range.line <= 0)
            return std::nullopt;
        const QStringView line = diagnostics::lineOfText(text_, range.line);
        return QJsonObject{{QLatin1String("startLine"), range.line},
                           {QLatin1String("startColumn"), columnOf(line, range.begin, false)},
                           {QLatin1String("endColumn"), columnOf(line, range.end, true)}};
    }

    QJsonObject physicalLocation(const diagnostics::Range &range) const
    {
        QJsonObject place{{QLatin1String("artifactLocation"), location_}};
        if (const std::optional<QJsonObject> found = region(range))
            place.insert(QLatin1String("region"), *found);
        return place;
    }

    // An edit as a replacement. An edit on a line past the last one appends:
    // the missing line feeds come first, at the end of the text.
    QJsonObject replacement(const diagnostics::Edit &edit) const
    {
        const qint32 lines = qint32(text_.count(QLatin1Char('\n'))) + 1;
        diagnostics::Range range = edit.range;
        QString inserted = edit.replacement;
        if (range.line > lines) {
            inserted = QString(range.line - lines, QLatin1Char('\n')) + inserted;
            const qint32 end = diagnostics::utf8Length(diagnostics::lineOfText(text_, lines));
            range = diagnostics::Range{lines, end, end};
        }
        return QJsonObject{{QLatin1String("deletedRegion"), region(range).value_or(QJsonObject{})},
                           {QLatin1String("insertedContent"), text(inserted)}};
    }

private:
    const QString &text_;
    QJsonObject location_;
};

class Log
{
public:
    void add(const Artifact &artifact, const diagnostics::Diagnostic &diagnostic)
    {
        const QString kind = diagnostic.name();
        qsizetype ruleIndex = ruleIndexes.value(kind, -1);
        if (ruleIndex < 0) {
            ruleIndex = rules.size();
            ruleIndexes.insert(kind, ruleIndex);
            rules.append(QJsonObject{{QLatin1String("id"), kind}});
        }
        QJsonObject result{
            {QLatin1String("ruleId"), kind},
            {QLatin1String("ruleIndex"), ruleIndex},
            // SARIF's levels are named as the severities are.
            {QLatin1String("level"), diagnostics::severityName(diagnostic.severity)},
            {QLatin1String("message"), text(diagnostic.message)},
            {QLatin1String("locations"),
             QJsonArray{QJsonObject{{QLatin1String("physicalLocation"),
                                     artifact.physicalLocation(diagnostic.range)}}}}};
        QJsonArray related;
        for (const diagnostics::Related &place : diagnostic.related)
            related.append(QJsonObject{
                {QLatin1String("id"), related.size()},
                {QLatin1String("physicalLocation"), artifact.physicalLocation(place.range)},
                {QLatin1String("message"), text(place.message)}});
        if (!related.isEmpty())
            result.insert(QLatin1String("relatedLocations"), related);
        QJsonArray fixes;
        for (const diagnostics::Fix &fix : diagnostic.fixes) {
            QJsonArray replacements;
            for (const diagnostics::Edit &edit : fix.edits)
                replacements.append(artifact.replacement(edit));
            fixes.append(QJsonObject{
                {QLatin1String("description"), text(fix.title)},
                {QLatin1String("artifactChanges"),
                 QJsonArray{QJsonObject{{QLatin1String("artifactLocation"), artifact.location()},
                                        {QLatin1String("replacements"), replacements}}}}});
        }
        if (!fixes.isEmpty())
            result.insert(QLatin1String("fixes"), fixes);
        results.append(result);
    }

    QJsonArray rules;
    QHash<QString, qsizetype> ruleIndexes;
    QJsonArray results;
};

} // namespace

QByteArray diagnosticsSarif(const QList<ProgramDiagnostics> &programs, const QString &workingFolder)
{
    Log log;
    QJsonArray artifacts;
    QJsonArray notifications;
    for (qsizetype index = 0; index < programs.size(); ++index) {
        const ProgramDiagnostics &checked = programs[index];
        const Artifact artifact(checked, index);
        // The artifact's own location names no index; the results' locations do.
        QJsonObject location = artifact.location();
        location.remove(QLatin1String("index"));
        artifacts.append(QJsonObject{{QLatin1String("location"), location}});
        // A FILE that cannot be read is a trouble of the run, not a result about a text.
        if (!checked.message.isEmpty())
            notifications.append(QJsonObject{
                {QLatin1String("level"), QLatin1String("error")},
                {QLatin1String("message"), text(checked.message)},
                {QLatin1String("locations"),
                 QJsonArray{QJsonObject{
                     {QLatin1String("physicalLocation"),
                      QJsonObject{{QLatin1String("artifactLocation"), artifact.location()}}}}}}});
        for (const auto *list : {&checked.errors, &checked.warnings}) {
            for (const diagnostics::Diagnostic &diagnostic : diagnostics::flattened(*list))
                log.add(artifact, diagnostic);
        }
    }
    QJsonObject invocation{{QLatin1String("executionSuccessful"), notifications.isEmpty()}};
    if (!notifications.isEmpty())
        invocation.insert(QLatin1String("toolExecutionNotifications"), notifications);
    const QJsonObject run{
        {QLatin1String("tool"),
         QJsonObject{{QLatin1String("driver"),
                      QJsonObject{{QLatin1String("name"), QLatin1String("korvane-run")},
                                  {QLatin1String("version"), QLatin1String(KORVANE_VERSION)},
                                  {QLatin1String("rules"), log.rules}}}}},
        {QLatin1String("invocations"), QJsonArray{invocation}},
        {QLatin1String("originalUriBaseIds"),
         QJsonObject{{kBase, QJsonObject{{QLatin1String("uri"), folderUri(workingFolder)}}}}},
        {QLatin1String("artifacts"), artifacts},
        {QLatin1String("columnKind"), QLatin1String("utf16CodeUnits")},
        {QLatin1String("results"), log.results}};
    const QJsonObject root{{QLatin1String("$schema"), kSchema},
                           {QLatin1String("version"), QLatin1String("2.1.0")},
                           {QLatin1String("runs"), QJsonArray{run}}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace run
