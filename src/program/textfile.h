#pragma once

// Reading a file that a front end is given: a program or a cases file.

#include <QString>
#include <QtGlobal>

namespace program
{

// Why a file could not be used.
enum class FileTrouble : quint8 {
    None,
    CannotRead, // it cannot be opened or read, or is not a file to open
    NotText,    // it is larger than 1 MiB or not UTF-8
};

// Where a file that is not UTF-8 first goes wrong: the byte, and its line
// and byte column, both counted from 1.
struct BadByte {
    qint64 line = 0;
    qint64 column = 0;
    quint8 value = 0;
};

// Which files may be opened.
enum class Opening : quint8 {
    Any, // whatever the name leads to: a link, a pipe, a device
    // a regular file reached through no link below the current folder: never
    // a link, a pipe or a device (see openRegularFile())
    RegularOnly,
};

// The file read as UTF-8 text, a leading byte order mark dropped and Windows
// line ends read as line feeds. `path` is a command-line argument as
// argumentText() keeps it, and is shown with shownName() in the reason, or
// as `shown` when that is given (a path reached otherwise than as written).
// Returns the trouble with a one-line reason when the file cannot be read,
// is larger than 1 MiB or is not UTF-8; `what` names the kind of file in that
// reason, e.g. "a program". A file that is not UTF-8 sets `bad`, when given,
// to its first bad byte, and `text` to the file read with each bad sequence
// replaced by U+FFFD, so that the lines up to that byte read as written.
FileTrouble readTextFile(const QString &path, const QString &what, QString &text, QString &error,
                         Opening opening = Opening::Any, const QString &shown = {},
                         BadByte *bad = nullptr);

} // namespace program
