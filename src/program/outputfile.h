#pragma once

// A file that a front end writes because it was asked to (a summary, a
// page), by one rule for all of them: never over a file the run reads,
// never through a link to anything but a device or a pipe, and whole or not
// at all.
//
//   program::OutputFile summary(QStringLiteral("the summary"));
//   if (!summary.open(path, {{casesPath, QStringLiteral("the cases file")}}, error))
//       ... // refused or cannot be created: nothing was written
//   ... // the work
//   if (!summary.commit(bytes, error))
//       ... // not written; a file of an earlier run is still whole

#include <QByteArray>
#include <QList>
#include <QString>

namespace program
{

// A file that the run reads, which no file it writes may replace.
struct ReadFile {
    QString path; // as argumentText() keeps a command-line argument
    QString what; // how a message names it, e.g. "the cases file"
};

class OutputFile
{
public:
    // `what` names the file in messages, e.g. "the summary".
    explicit OutputFile(const QString &what);
    // A temporary file that was not committed is removed.
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // Checks the file at `path` (as argumentText() keeps it) and makes it
    // ready to be written, before anything is. Refused: a file that is one
    // of `inputs` (the same device and inode, links followed), and a
    // symbolic link that leads to anything but a device or a named pipe.
    // A device or a named pipe, also one reached through a link such as
    // /dev/stdout, is opened to be written in place; a regular file, or
    // none, gets a temporary file beside it. Returns false with a one-line
    // reason when it is refused or cannot be created.
    bool open(const QString &path, const QList<ReadFile> &inputs, QString &error);

    // Writes `contents`: in place, or into the temporary file, which then
    // takes the file's name, so that a write that fails leaves the file of
    // an earlier run whole. Returns false with a one-line reason.
    bool commit(const QByteArray &contents, QString &error);

private:
    bool fail(const QString &reason, QString &error) const;

    QString what;
    QString shown;        // the path as messages name it
    QByteArray target;    // the path's bytes
    QByteArray temporary; // the temporary file's path; empty when written in place
    int descriptor = -1;
};

// Writes all of `bytes` to the open file, going on after a write that a
// signal interrupted; false, with errno set, when a write fails.
bool writeAll(int descriptor, const QByteArray &bytes);

} // namespace program
