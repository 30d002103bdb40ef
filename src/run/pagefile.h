#pragma once

// A file that korvane-run writes besides its output (the --replay page), by
// the rule for every such file: never over the program it runs, and written
// whole into a temporary file in the same folder that is then renamed into
// place, so that no reader sees half a file and a failure leaves any earlier
// file as it was.

#include <QByteArray>
#include <QString>

namespace terminal
{

class PageFile
{
public:
    PageFile() = default;
    PageFile(const PageFile &) = delete;
    PageFile &operator=(const PageFile &) = delete;
    // A temporary file not committed is removed.
    ~PageFile();

    // Creates the temporary file for `path`, before the run, so that a name
    // that cannot be used is refused before anyone types a value. False,
    // with a one-line reason, when `path` is the program file `programPath`
    // (empty for none) under any name, a folder, or cannot be created.
    bool open(const QString &path, const QString &programPath, QString &error);
    // Writes the bytes and renames the temporary file to the path.
    bool commit(const QByteArray &bytes, QString &error);

private:
    QString path;
    QByteArray temporary; // its name while it exists
    int descriptor = -1;
};

} // namespace terminal
