#include "scenario.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace
{

QByteArray unescape(const QByteArray &text)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            bytes += text[i];
            continue;
        }
        const char next = text[++i];
        if (next == 'x' && i + 2 < text.size()) {
            bytes += char(text.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else {
            bytes += next == 't' ? '\t' : next == 'r' ? '\r' : next == 'n' ? '\n' : next;
        }
    }
    return bytes;
}

bool startsSection(const QByteArray &line)
{
    return line.startsWith("== ") || line.startsWith("$ ") || line.startsWith("--- ");
}

} // namespace

QList<Scenario> readScenarios(const QString &path)
{
    QList<Scenario> scenarios;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Scenario unreadable;
        unreadable.title = QStringLiteral("malformed: cannot be read");
        unreadable.origin = path;
        return {unreadable};
    }
    QList<QByteArray> lines = file.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    const QString name = QFileInfo(path).fileName();
    const auto malformed = [&](qsizetype index, const QString &why) {
        Scenario wrong;
        wrong.title = QStringLiteral("malformed: ") + why;
        wrong.origin = name + QLatin1Char(':') + QString::number(index + 1);
        return QList<Scenario>{wrong};
    };

    for (qsizetype i = 0; i < lines.size();) {
        const QByteArray line = lines[i];
        if (!startsSection(line)) {
            if (!line.isEmpty() && !line.startsWith('#'))
                return malformed(i, QStringLiteral("text outside a section"));
            ++i;
            continue;
        }
        if (line.startsWith("== ")) {
            Scenario scenario;
            scenario.title = QString::fromUtf8(line.mid(3));
            scenario.origin = name + QLatin1Char(':') + QString::number(i + 1);
            scenarios.append(scenario);
            ++i;
            continue;
        }
        if (scenarios.isEmpty())
            return malformed(i, QStringLiteral("a section before the first title"));
        Scenario &scenario = scenarios.last();
        if (line.startsWith("$ ")) {
            QStringList words = QProcess::splitCommand(QString::fromUtf8(line.mid(2)));
            if (words.isEmpty() || words.takeFirst() != QLatin1String("korvane-run"))
                return malformed(i, QStringLiteral("the command is not korvane-run"));
            scenario.toFull = words.removeAll(QStringLiteral(">/dev/full")) > 0;
            scenario.merged = words.removeAll(QStringLiteral("2>&1")) > 0;
            scenario.arguments = words;
            ++i;
            continue;
        }

        // "--- KIND [OPTIONS] [NAME]", then the section's lines.
        const qsizetype headerLine = i;
        QList<QByteArray> header = line.mid(4).split(' ');
        const QByteArray kind = header.takeFirst();
        bool noFinalLineFeed = false, escaped = false;
        qsizetype padTo = 0;
        while (!header.isEmpty() && header.first().startsWith('-')) {
            const QByteArray option = header.takeFirst();
            if (option == "-n")
                noFinalLineFeed = true;
            else if (option == "-e")
                escaped = true;
            else if (option == "-pad" && !header.isEmpty())
                padTo = header.takeFirst().toLongLong();
            else
                return malformed(i, QStringLiteral("unknown option ") + QString::fromUtf8(option));
        }
        // Blank lines at the end of a section only separate it from the next.
        qsizetype end = i + 1;
        while (end < lines.size() && !startsSection(lines[end]))
            ++end;
        qsizetype last = end;
        while (last > i + 1 && lines[last - 1].isEmpty())
            --last;
        QByteArray text;
        for (qsizetype k = i + 1; k < last; ++k)
            text += lines[k] + '\n';
        i = end;
        if (noFinalLineFeed)
            text.chop(1);
        if (escaped)
            text = unescape(text);
        if (padTo > text.size())
            text += QByteArray(padTo - text.size(), '\n');

        if (kind == "file" && !header.isEmpty())
            scenario.files.append({QString::fromUtf8(header.join(' ')), text});
        else if (kind == "stdin")
            scenario.input = text;
        else if (kind == "status")
            scenario.status = header.value(0).toInt();
        else if (kind == "fails") {
            scenario.status = header.value(0).toInt();
            scenario.err = text;
        } else if (kind == "stdout")
            scenario.out = text;
        else if (kind == "stderr")
            scenario.err = text;
        else
            return malformed(headerLine,
                             QStringLiteral("unknown section ") + QString::fromUtf8(kind));
    }
    return scenarios;
}
