#pragma once

// File names as a command line gives them: bytes, which need not be UTF-8
// (an archive made on another system may hold "caf\xe9.txt"). Each argument
// is kept as text that turns back into the very same bytes, so that any
// file can be opened, and is shown with every byte that is not text escaped.

#include <QByteArray>
#include <QString>

namespace program
{

// The argument as text: UTF-8, each byte that is not part of a valid UTF-8
// sequence kept as the lone surrogate U+DC80 to U+DCFF (0x80 to 0xff).
QString argumentText(const char *argument);

// The bytes that argumentText() read `text` from.
QByteArray argumentBytes(const QString &text);

// The name to show in messages and reports: each byte that is not UTF-8
// text, and each control character, as \xNN (two lower-case hex digits).
QString shownName(const QString &text);

} // namespace program
