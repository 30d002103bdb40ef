#include "replay/page.h"

#include "replay/explanation.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>
#include <utility>

namespace replay
{

namespace
{

// The codes of a step's effect in the page's data; 8 is added for a result that wrapped.
int effectCode(const machine::Step &step)
{
    return int(step.effect) + (step.wrapped ? 8 : 0);
}

QString stepsText(quint64 count)
{
    return count == 1 ? QStringLiteral("1 step") : QStringLiteral("%1 steps").arg(count);
}

QString summaryOf(const Recording &recording)
{
    const QString steps = stepsText(recording.completedSteps);
    QString text;
    switch (recording.end) {
    case machine::RunEnd::Halted:
        text = QStringLiteral("The program halted after %1.").arg(steps);
        break;
    case machine::RunEnd::Fault:
        text = QStringLiteral("The run ended with an error after %1.").arg(steps);
        break;
    case machine::RunEnd::StepLimit:
        text = QStringLiteral("The run was stopped at its step limit after %1.").arg(steps);
        break;
    case machine::RunEnd::InputEnded:
        text = QStringLiteral("The run ended after %1: the input ended while the program "
                              "waited for a value.")
                   .arg(steps);
        break;
    case machine::RunEnd::Stopped:
        text = QStringLiteral("The run was stopped after %1: its output could not be written.")
                   .arg(steps);
        break;
    }
    if (recording.steps.size() < recording.completedSteps)
        text += QStringLiteral(" This page holds the first %1 (see --replay-steps).")
                    .arg(stepsText(recording.steps.size()));
    return text;
}

const char *endName(machine::RunEnd::Kind end)
{
    switch (end) {
    case machine::RunEnd::Halted:
        return "halt";
    case machine::RunEnd::Fault:
        return "fault";
    case machine::RunEnd::StepLimit:
        return "step-limit";
    case machine::RunEnd::InputEnded:
        return "input-ended";
    case machine::RunEnd::Stopped:
        break;
    }
    return "stopped";
}

// JSON may hold these only inside strings, where \u escapes mean the same.
QByteArray escapedForScript(const QByteArray &json)
{
    QByteArray escaped;
    escaped.reserve(json.size() + json.size() / 16);
    for (qsizetype i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (c == '<') {
            escaped += "\\u003c";
        } else if (c == '>') {
            escaped += "\\u003e";
        } else if (c == '&') {
            escaped += "\\u0026";
        } else if (c == '\xe2' && i + 2 < json.size() && json[i + 1] == '\x80' &&
                   (json[i + 2] == '\xa8' || json[i + 2] == '\xa9')) {
            escaped += json[i + 2] == '\xa8' ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

QByteArray resource(const char *name)
{
    QFile file(QLatin1String(":/replay/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("replay page resource %s is missing", name);
    return file.readAll();
}

QByteArray hashSource(const QByteArray &text)
{
    return "'sha256-" + QCryptographicHash::hash(text, QCryptographicHash::Sha256).toBase64() + "'";
}

} // namespace

QByteArray dataOf(const Recording &recording)
{
    const program::Program &program = recording.program;
    QJsonObject data;
    data.insert(QLatin1String("name"), program.name);
    QJsonArray lines;
    for (QString line : program.text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        lines.append(line);
    }
    // A final line end starts no line.
    if (lines.size() > 1 && lines.last().toString().isEmpty())
        lines.removeLast();
    data.insert(QLatin1String("lines"), lines);

    QJsonArray memory;
    QJsonArray cellLines;
    for (qint32 address = 0; address < machine::kMemorySize; ++address) {
        const bool assembled = address < program.image.size();
        memory.append(assembled ? program.image[address] : QString(machine::kEmptyWord));
        cellLines.append(assembled ? program.lineNumbers[std::size_t(address)] : 0);
    }
    data.insert(QLatin1String("memory"), memory);
    data.insert(QLatin1String("cellLines"), cellLines);

    // Each instruction fetched (an address and the word it held then) is
    // described once; a step names it by its index. A step is
    // [instruction, effect, execute text] and, when the step changed it, the
    // register it changed: the flags for a division by zero, else the accumulator.
    std::map<std::pair<qint32, QString>, qsizetype> known;
    QJsonArray instructions;
    QJsonArray steps;
    qint32 accumulator = 0;
    for (const machine::Step &step : recording.steps) {
        const auto key = std::make_pair(step.address, step.word);
        auto found = known.find(key);
        if (found == known.end()) {
            found = known.emplace(key, instructions.size()).first;
            instructions.append(QJsonArray{step.address, step.opcode, step.operand,
                                           fetchText(program, step.address, step.word),
                                           decodeText(program, step.opcode, step.operand)});
        }
        const auto report = recording.operandReports.find(step.number);
        QJsonArray row{qint64(found->second), effectCode(step),
                       executeText(step, report == recording.operandReports.end()
                                             ? QString()
                                             : report->second)};
        if (step.effect == machine::Step::Effect::FlagsSet)
            row.append(step.flags);
        else if (step.accumulator != accumulator)
            row.append(step.accumulator);
        accumulator = step.accumulator;
        steps.append(row);
    }
    data.insert(QLatin1String("instructions"), instructions);
    data.insert(QLatin1String("steps"), steps);
    data.insert(QLatin1String("completedSteps"), qint64(recording.completedSteps));

    QJsonObject end;
    end.insert(QLatin1String("kind"), QLatin1String(endName(recording.end)));
    end.insert(QLatin1String("summary"), summaryOf(recording));
    end.insert(QLatin1String("report"), QJsonArray::fromStringList(recording.report));
    data.insert(QLatin1String("end"), end);
    return escapedForScript(QJsonDocument(data).toJson(QJsonDocument::Compact));
}

QByteArray pageOf(const Recording &recording)
{
    const QByteArray style = resource("page.css");
    const QByteArray script = resource("page.js");
    const QByteArray policy = "default-src 'none'; script-src " + hashSource(script) +
                              "; style-src " + hashSource(style) +
                              "; base-uri 'none'; form-action 'none'";
    // The template's markers are put in one pass, so that nothing put in is read again.
    const QByteArray page = resource("page.html");
    const std::pair<QByteArray, QByteArray> parts[] = {{"@POLICY@", policy},
                                                       {"@STYLE@", style},
                                                       {"@DATA@", dataOf(recording)},
                                                       {"@SCRIPT@", script}};
    QByteArray result;
    result.reserve(page.size() + style.size() + script.size() + parts[2].second.size());
    qsizetype from = 0;
    for (const auto &[marker, text] : parts) {
        const qsizetype at = page.indexOf(marker, from);
        Q_ASSERT(at >= 0);
        result += page.mid(from, at - from);
        result += text;
        from = at + marker.size();
    }
    result += page.mid(from);
    return result;
}

} // namespace replay
