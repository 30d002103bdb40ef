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
// text, and each control character, as \xNN (two lower-case hex digits);
// each line or paragraph separator and each control of the writing
// direction, which would end a line or turn the text around, as \uNNNN.
QString shownName(const QString &text);

// The name as shownName() shows it, each backslash of the name doubled, so
// that a name listed among others stands for one name only: "lit\\x0a.txt"
// is the name with a backslash, "lit\x0a.txt" the one with a line feed.
QString unambiguousName(const QString &text);

// The system's text for an errno value, as messages about a file end with it.
QString systemError(int number);

} // namespace program
