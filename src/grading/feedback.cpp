#include "grading/feedback.h"

#include "grading/report.h"
#include "program/filename.h"
#include "program/outputfile.h"

#include <QStringList>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace grading
{

namespace
{

// Text in a Markdown code span, fenced with more backticks than it holds in a row.
QString codeSpan(const QString &text)
{
    qsizetype longest = 0;
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c == u'`' ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    const QString fence(longest + 1, u'`');
    return fence + u' ' + text + u' ' + fence;
}

// Lines as an indented code block, where Markdown reads nothing; characters
// that could end a line or drive a terminal show as U+FFFD.
QString codeBlock(const QStringList &lines)
{
    QString block;
    for (QString line : lines) {
        for (QChar &c : line) {
            const char16_t code = c.unicode();
            if ((code < 0x20 && code != u'\t') || (code >= 0x7f && code <= 0x9f) ||
                code == 0x2028 || code == 0x2029)
                c = QChar::ReplacementCharacter;
        }
        block += QLatin1String("    ") + line + u'\n';
    }
    return block + u'\n';
}

QString pointsText(qint64 points)
{
    return points == 1 ? QStringLiteral("1 point") : QStringLiteral("%1 points").arg(points);
}

} // namespace

bool makeFeedbackFolder(const QString &folder, QString &error)
{
    const QByteArray path = program::argumentBytes(folder);
    // Each folder on the way, then the folder itself.
    for (qsizetype at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '/')
            continue;
        const QByteArray part = path.left(at);
        if (::mkdir(part.constData(), 0777) != 0 && errno != EEXIST) {
            error = QStringLiteral("Cannot create the folder '%1': %2.")
                        .arg(program::shownName(folder), program::systemError(errno));
            return false;
        }
    }
    struct stat status {
    };
    if (::stat(path.constData(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        error = QStringLiteral("Cannot create the folder '%1': it is a file.")
                    .arg(program::shownName(folder));
        return false;
    }
    return true;
}

QByteArray feedbackPath(const QString &folder, const QString &file)
{
    QByteArray name;
    for (const char byte : program::argumentBytes(file)) {
        const auto code = static_cast<unsigned char>(byte);
        const bool kept = (code >= 'a' && code <= 'z') || (code >= 'A' && code <= 'Z') ||
                          (code >= '0' && code <= '9') || code == '-' || code == '_' ||
                          (code == '.' && !name.isEmpty());
        if (kept)
            name += byte;
        else
            name += '%' + QByteArray::number(code, 16).rightJustified(2, '0').toUpper();
    }
    QByteArray path = program::argumentBytes(folder);
    if (!path.endsWith('/'))
        path += '/';
    return path + name + ".md";
}

QString feedbackText(const QString &name, const QList<TestCase> &cases, const FileGrade &grade,
                     const QMap<qsizetype, QString> &replays)
{
    QString text = QLatin1String("# Feedback on ") + codeSpan(name) + QLatin1String("\n\n");
    text += QStringLiteral("Score: **%1** of %2.\n\n")
                .arg(grade.score(cases))
                .arg(pointsText(maxScore(cases)));
    if (!grade.graded) {
        text += QLatin1String("The program could not be graded, so every rule and case "
                              "failed:\n\n") +
                codeBlock(grade.message.split(u'\n'));
    }
    if (!grade.warnings.isEmpty())
        text += QLatin1String("## Warnings\n\n") + codeBlock(reportLines(grade.warnings));

    text += QLatin1String("## Rules and cases\n\n");
    for (qsizetype i = 0; i < cases.size(); ++i) {
        const TestCase &check = cases[i];
        const bool passed = grade.graded && grade.cases[i].passed;
        text += QLatin1String("### ") +
                (check.hidden
                     ? check.title(true)
                     : QStringLiteral("line %1: ").arg(check.lineNumber) + codeSpan(check.line)) +
                (passed ? QStringLiteral(": passed, %1\n\n").arg(pointsText(check.points))
                        : QStringLiteral(": failed, 0 of %1\n\n").arg(pointsText(check.points)));
        if (!passed && grade.graded && !check.hint.isEmpty())
            text += QLatin1String("Hint: ") + check.hint + QLatin1String("\n\n");
        if (!passed && grade.graded && !check.hidden)
            text += codeBlock(failureDetails(check, grade, i));
        if (const auto link = replays.constFind(i); link != replays.cend())
            text += QLatin1String("[Replay of this run](") + *link + QLatin1String(")\n\n");
    }
    return text;
}

bool writeFeedback(const QByteArray &path, const QString &text, QString &error)
{
    return writeFeedbackBytes(path, text.toUtf8(), error);
}

bool writeFeedbackBytes(const QByteArray &path, const QByteArray &bytes, QString &error)
{
    const int descriptor =
        ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    bool written = descriptor >= 0 && program::writeAll(descriptor, bytes);
    const int number = errno;
    if (descriptor >= 0 && ::close(descriptor) != 0)
        written = false;
    if (!written) {
        error = QStringLiteral("Cannot write the feedback file '%1': %2.")
                    .arg(program::shownName(program::argumentText(path.constData())),
                         program::systemError(number));
        return false;
    }
    return true;
}

} // namespace grading
