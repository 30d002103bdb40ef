#include "program/textfile.h"

#include "program/filename.h"

#include <QFile>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane
{

namespace
{

// A program has at most one line per memory cell; a larger file is not one.
constexpr qint64 kMaxFileBytes = 1 << 20;

// What a file that is not a regular one is, for the reason given.
const char *kindOf(mode_t mode)
{
    if (S_ISLNK(mode))
        return "a symbolic link";
    if (S_ISDIR(mode))
        return "a directory";
    if (S_ISFIFO(mode))
        return "a named pipe";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    return "not a plain file";
}

// Opens the file for reading; -1 with the reason when it cannot be, or may not be.
int openFile(const QByteArray &path, const QString &shown, Opening opening, QString &error)
{
    const auto cannotRead = [&](int number) {
        error = QStringLiteral("Cannot read '%1': %2.")
                    .arg(shown, QString::fromLocal8Bit(std::strerror(number)));
        return -1;
    };
    const auto notRegular = [&](mode_t mode) {
        error = QStringLiteral("'%1' is not a regular file (%2).")
                    .arg(shown, QLatin1String(kindOf(mode)));
        return -1;
    };
    if (opening == Opening::Any) {
        const int descriptor = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        return descriptor < 0 ? cannotRead(errno) : descriptor;
    }

    // Looked at before opening, so that a link is never followed and a pipe
    // never waited on; opened without following a link nor waiting, and
    // looked at again, so that a file swapped in between is not read either.
    struct stat status {
    };
    if (::lstat(path.constData(), &status) != 0)
        return cannotRead(errno);
    if (!S_ISREG(status.st_mode))
        return notRegular(status.st_mode);
    const int descriptor = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (descriptor < 0)
        return errno == ELOOP ? notRegular(S_IFLNK) : cannotRead(errno);
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return notRegular(status.st_mode);
    }
    return descriptor;
}

} // namespace

FileTrouble readTextFile(const QString &path, const QString &what, QString &text, QString &error,
                         Opening opening)
{
    const QString shown = shownName(path);
    const int descriptor = openFile(argumentBytes(path), shown, opening, error);
    if (descriptor < 0)
        return FileTrouble::CannotRead;
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        error = QStringLiteral("Cannot read '%1': %2.").arg(shown, file.errorString());
        return FileTrouble::CannotRead;
    }
    // Read one byte past the limit, so that devices without a size are caught too.
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("Cannot read '%1': %2.").arg(shown, file.errorString());
        return FileTrouble::CannotRead;
    }
    if (bytes.size() > kMaxFileBytes) {
        error = QStringLiteral("'%1' is larger than 1 MiB, too large to be %2.").arg(shown, what);
        return FileTrouble::NotText;
    }

    QStringDecoder decoder(QStringDecoder::Utf8); // drops a leading byte order mark
    text = decoder.decode(bytes);
    if (decoder.hasError()) {
        error = QStringLiteral("'%1' is not UTF-8 text.").arg(shown);
        return FileTrouble::NotText;
    }
    // A file saved with Windows line ends reads like one typed into the
    // editor; otherwise each blank line would keep a carriage return and
    // count as a line of white space.
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return FileTrouble::None;
}

} // namespace korvane
