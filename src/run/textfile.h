#pragma once

// Reading a file that korvane-run is given: a program or a cases file.

#include <QString>

namespace terminal
{

// The file read as UTF-8 text, a leading byte order mark dropped and Windows
// line ends read as line feeds. Returns false with a one-line reason when the
// file cannot be read, is larger than 1 MiB or is not UTF-8; `what` names the
// kind of file in that reason, e.g. "a program".
bool readTextFile(const QString &path, const QString &what, QString &text, QString &error);

} // namespace terminal
