#pragma once

// Reading a file that korvane-run is given: a program or a cases file.

#include <QString>
#include <QtGlobal>

namespace korvane
{

// Why a file could not be used.
enum class FileTrouble : quint8 {
    None,
    CannotRead, // it cannot be opened or read
    NotText,    // it is larger than 1 MiB or not UTF-8
};

// The file read as UTF-8 text, a leading byte order mark dropped and Windows
// line ends read as line feeds. Returns the trouble with a one-line reason
// when the file cannot be read, is larger than 1 MiB or is not UTF-8; `what`
// names the kind of file in that reason, e.g. "a program".
FileTrouble readTextFile(const QString &path, const QString &what, QString &text, QString &error);

} // namespace korvane
