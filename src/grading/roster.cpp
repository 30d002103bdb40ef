#include "grading/roster.h"

#include "program/filename.h"
#include "program/textfile.h"

#include <QStringList>

#include <algorithm>

namespace grading
{

namespace
{

// The records of CSV text (RFC 4180: quoted fields may hold commas, quotes
// doubled and line ends), each the list of its fields.
QList<QStringList> csvRecords(const QString &text)
{
    QList<QStringList> records;
    QStringList record;
    QString value;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != u'"')
                value += c;
            else if (i + 1 < text.size() && text[i + 1] == u'"')
                value += text[++i];
            else
                quoted = false;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            record.append(value);
            value.clear();
        } else if (c == u'\n') {
            record.append(value);
            records.append(record);
            record.clear();
            value.clear();
        } else {
            value += c;
        }
    }
    if (!value.isEmpty() || !record.isEmpty())
        records.append(record << value);
    return records;
}

QString cleaned(const QString &text)
{
    return text.normalized(QString::NormalizationForm_C).simplified();
}

// The id as a word of its own in the name: "12" is not in "Ann_123".
bool containsWord(const QString &name, const QString &word)
{
    for (qsizetype at = name.indexOf(word); at >= 0; at = name.indexOf(word, at + 1)) {
        const qsizetype end = at + word.size();
        if ((at == 0 || !name[at - 1].isLetterOrNumber()) &&
            (end == name.size() || !name[end].isLetterOrNumber()))
            return true;
    }
    return false;
}

} // namespace

bool readRoster(const QString &path, QList<RosterEntry> &roster, QString &error)
{
    QString text;
    if (program::readTextFile(path, QStringLiteral("a roster"), text, error) !=
        program::FileTrouble::None)
        return false;
    const QList<QStringList> records = csvRecords(text);
    // A CSV roster is one whose first line names a "name" column.
    const auto first = std::find_if(records.cbegin(), records.cend(), [](const QStringList &r) {
        return !r.join(QString()).trimmed().isEmpty();
    });
    QStringList header;
    if (first != records.cend())
        for (const QString &field : *first)
            header.append(field.trimmed().toLower());
    const qsizetype nameColumn = header.indexOf(QLatin1String("name"));
    roster.clear();
    if (nameColumn < 0) {
        for (const QString &line : text.split(QLatin1Char('\n'))) {
            if (!line.trimmed().isEmpty())
                roster.append({cleaned(line), {}, {}});
        }
    } else {
        const qsizetype idColumn = header.indexOf(QLatin1String("id"));
        const qsizetype emailColumn = header.indexOf(QLatin1String("email"));
        for (auto record = first + 1; record != records.cend(); ++record) {
            const QString name = cleaned(record->value(nameColumn));
            if (name.isEmpty())
                continue; // a blank line, or a row of no student
            roster.append(
                {name, cleaned(record->value(idColumn)), cleaned(record->value(emailColumn))});
        }
    }
    if (roster.isEmpty()) {
        error = QStringLiteral("The roster '%1' names no student.").arg(program::shownName(path));
        return false;
    }
    return true;
}

QString foldedName(const QString &name)
{
    QString bare;
    for (const QChar c : name.normalized(QString::NormalizationForm_KD)) {
        if (c.category() != QChar::Mark_NonSpacing)
            bare += c;
    }
    return bare.toCaseFolded().simplified();
}

QList<qsizetype> rosterMatches(const QList<RosterEntry> &roster, const QString &folder)
{
    const QString name = cleaned(folder);
    const auto matching = [&](auto matches) {
        QList<qsizetype> found;
        for (qsizetype i = 0; i < roster.size(); ++i) {
            if (matches(roster[i]))
                found.append(i);
        }
        return found;
    };
    QList<qsizetype> found = matching([&](const RosterEntry &entry) {
        return !entry.id.isEmpty() && containsWord(name, entry.id);
    });
    if (found.isEmpty())
        found = matching([&](const RosterEntry &entry) { return entry.name == name; });
    if (found.isEmpty()) {
        const QString folded = foldedName(name);
        found =
            matching([&](const RosterEntry &entry) { return foldedName(entry.name) == folded; });
    }
    return found;
}

} // namespace grading
