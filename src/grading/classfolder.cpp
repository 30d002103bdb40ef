#include "grading/classfolder.h"

#include "program/filename.h"
#include "program/regularfile.h"

#include <QMultiHash>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

namespace grading
{

namespace
{

// The names in the folder open as `descriptor`, but "." and "..", in the
// order of their bytes; false when it cannot be read.
bool namesIn(int descriptor, QList<QByteArray> &names)
{
    const int copy = ::dup(descriptor);
    DIR *folder = copy < 0 ? nullptr : ::fdopendir(copy);
    if (!folder) {
        if (copy >= 0)
            ::close(copy);
        return false;
    }
    const std::unique_ptr<DIR, int (*)(DIR *)> closer(folder, ::closedir);
    ::rewinddir(folder);
    names.clear();
    errno = 0;
    while (const dirent *entry = ::readdir(folder)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    if (errno != 0)
        return false;
    std::sort(names.begin(), names.end());
    return true;
}

QString quotedList(const QStringList &texts, const QString &separator)
{
    QStringList quoted;
    for (const QString &text : texts)
        quoted.append(QLatin1Char('\'') + text + QLatin1Char('\''));
    return quoted.join(separator);
}

class ClassReader
{
public:
    ClassReader(const QString &folder, const QString &pick,
                const std::optional<QList<RosterEntry>> &roster, QStringList &notes)
        : given(folder), roster(roster), notes(notes)
    {
        patterns = pick.isEmpty() ? QStringList{QStringLiteral("*.kasm"), QStringLiteral("*.txt")}
                                  : QStringList{pick};
        while (given.size() > 1 && given.endsWith(QLatin1Char('/')))
            given.chop(1);
        if (roster)
            claimed.fill(false, roster->size());
    }

    bool read(QList<Submission> &submissions, QString &error)
    {
        // The folder itself may be a link, or lie below one: it is named by
        // the teacher. Below it, files are opened through its real path,
        // which holds no link, so that a link below it is refused.
        const std::unique_ptr<char, void (*)(void *)> real(
            ::realpath(program::argumentBytes(given).constData(), nullptr), std::free);
        const int top = real ? ::open(real.get(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
        QList<QByteArray> names;
        if (top < 0 || !namesIn(top, names)) {
            error = QStringLiteral("Cannot read the class folder '%1': %2.")
                        .arg(program::shownName(given), program::systemError(errno));
            if (top >= 0)
                ::close(top);
            return false;
        }
        realPath = program::argumentText(real.get());
        for (const QByteArray &name : names)
            readEntry(top, name, submissions);
        ::close(top);
        if (roster)
            addMissing(submissions);
        return true;
    }

private:
    void readEntry(int top, const QByteArray &name, QList<Submission> &submissions)
    {
        const QString text = program::argumentText(name.constData());
        const QString path = given + QLatin1Char('/') + text;
        struct stat status {
        };
        if (::fstatat(top, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
            return;
        const bool linkedFolder = S_ISLNK(status.st_mode) &&
                                  ::fstatat(top, name.constData(), &status, 0) == 0 &&
                                  S_ISDIR(status.st_mode);
        if (!S_ISDIR(status.st_mode)) {
            notes.append(QStringLiteral("'%1' is in no student's folder; not graded.")
                             .arg(program::shownName(path)));
            return;
        }
        Submission submission;
        submission.student = student(text);
        submission.name = submission.student->name;
        if (linkedFolder) {
            submission.reason =
                QStringLiteral("the folder '%1' is a symbolic link; nothing in it is graded.")
                    .arg(program::shownName(path));
        } else if (submission.student->onRoster == Student::OnRoster::Ambiguous) {
            submission.reason = QStringLiteral("the folder matches several students of the "
                                               "roster: %1.")
                                    .arg(quotedList(candidates, QStringLiteral(", ")));
        } else {
            pickFile(top, name, path, submission);
        }
        submissions.append(submission);
    }

    // The student the folder is named after, as the roster knows them.
    Student student(const QString &folder)
    {
        Student found;
        found.folder = folder;
        found.name = program::unambiguousName(folder.normalized(QString::NormalizationForm_C));
        candidates.clear();
        if (!roster)
            return found;
        const QList<qsizetype> matches = rosterMatches(*roster, folder);
        if (matches.size() == 1) {
            const RosterEntry &entry = roster->at(matches.front());
            claimed[matches.front()] = true;
            found.name = program::shownName(entry.name);
            found.id = entry.id;
            found.email = entry.email;
            found.onRoster = Student::OnRoster::Yes;
        } else if (matches.isEmpty()) {
            found.onRoster = Student::OnRoster::No;
            notes.append(QStringLiteral("'%1' is on no line of the roster; graded all the same.")
                             .arg(program::shownName(given + QLatin1Char('/') + folder)));
        } else {
            found.onRoster = Student::OnRoster::Ambiguous;
            for (const qsizetype index : matches) {
                candidates.append(program::shownName(roster->at(index).name));
                ambiguous.insert(index, found.name);
            }
        }
        return found;
    }

    // The one file in the student's folder that the patterns pick.
    void pickFile(int top, const QByteArray &name, const QString &path, Submission &submission)
    {
        const int folder =
            ::openat(top, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        QList<QByteArray> files;
        const bool listed = folder >= 0 && namesIn(folder, files);
        const int number = errno;
        if (folder >= 0)
            ::close(folder);
        if (!listed) {
            submission.reason = QStringLiteral("Cannot read the folder '%1': %2.")
                                    .arg(program::shownName(path), program::systemError(number));
            return;
        }
        QStringList found;
        QStringList picked;
        QByteArray pickedName;
        for (const QByteArray &file : files) {
            const QString shown = program::shownName(program::argumentText(file.constData()));
            found.append(shown);
            // A name starting with '.' (macOS's "._prog.txt") only where the pattern says so.
            const bool matches =
                std::any_of(patterns.cbegin(), patterns.cend(), [&](const QString &p) {
                    return ::fnmatch(program::argumentBytes(p).constData(), file.constData(),
                                     FNM_PERIOD) == 0;
                });
            if (matches) {
                picked.append(shown);
                pickedName = file;
            }
        }
        const QString wanted = quotedList(patterns, QStringLiteral(" or "));
        if (picked.size() == 1) {
            const QString file = program::argumentText(pickedName.constData());
            submission.path = path + QLatin1Char('/') + file;
            // Messages about the program name its file, as FILE:LINE:COLUMN.
            submission.name = program::shownName(submission.path);
            submission.source = realPath + QLatin1Char('/') +
                                program::argumentText(name.constData()) + QLatin1Char('/') + file;
        } else if (picked.isEmpty()) {
            submission.reason =
                found.isEmpty()
                    ? QStringLiteral("no file matches %1: the folder is empty.").arg(wanted)
                    : QStringLiteral("no file matches %1; found %2.")
                          .arg(wanted, quotedList(found, QStringLiteral(", ")));
        } else {
            submission.reason = QStringLiteral("%1 files match %2: %3; choose one with --pick.")
                                    .arg(picked.size())
                                    .arg(wanted, quotedList(picked, QStringLiteral(", ")));
        }
    }

    // A row for each student of the roster whom no folder stands for.
    void addMissing(QList<Submission> &submissions)
    {
        for (qsizetype i = 0; i < roster->size(); ++i) {
            if (claimed[i])
                continue;
            const RosterEntry &entry = roster->at(i);
            Submission submission;
            submission.student = Student{
                program::shownName(entry.name), {}, entry.id, entry.email, Student::OnRoster::Yes};
            submission.name = submission.student->name;
            submission.reason = QStringLiteral("no submission");
            if (ambiguous.contains(i))
                submission.reason += QStringLiteral(" of their own; the folder '%1' may be theirs.")
                                         .arg(ambiguous.value(i));
            submissions.append(submission);
        }
    }

    QString given;
    QString realPath;
    QStringList patterns;
    const std::optional<QList<RosterEntry>> &roster;
    QStringList &notes;
    QList<bool> claimed;                      // the roster's students that a folder stands for
    QMultiHash<qsizetype, QString> ambiguous; // a student, and a folder that may be theirs
    QStringList candidates;                   // of the folder being read
};

} // namespace

bool classSubmissions(const QString &folder, const QString &pick,
                      const std::optional<QList<RosterEntry>> &roster,
                      QList<Submission> &submissions, QStringList &notes, QString &error)
{
    return ClassReader(folder, pick, roster, notes).read(submissions, error);
}

} // namespace grading
