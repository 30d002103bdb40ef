#pragma once

// Opening a file that was handed in, and only that: a regular file reached
// through no symbolic link below the current folder, so that a link in a
// submitted folder shows nothing of what it leads to and a pipe or a device
// is never waited on.

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace program
{

// What a file that is not a regular one is, for a reason: "a symbolic link",
// "a directory", "a named pipe", "a socket", "a device".
const char *kindOfFile(mode_t mode);

// Opens the regular file at `path` (the bytes of a command-line argument)
// for reading, walking it part by part: no part below the current folder
// may be a symbolic link, ".." being a part like any other. An absolute path
// may pass links down to the current folder, or down to the deepest folder
// above it that the path shares with it, and is walked strictly from there.
// Returns the descriptor, or -1 with a one-line reason that names the file
// as `shown`.
int openRegularFile(const QByteArray &path, const QString &shown, QString &error);

} // namespace program
