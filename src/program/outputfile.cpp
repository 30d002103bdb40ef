#include "program/outputfile.h"

#include "program/filename.h"
#include "program/regularfile.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace program
{

namespace
{

bool isDevice(mode_t mode)
{
    return S_ISCHR(mode) || S_ISBLK(mode);
}

// Written in place: what a stream reads as it is written, not a file to replace.
bool isWrittenInPlace(mode_t mode)
{
    return isDevice(mode) || S_ISFIFO(mode);
}

// The folder a temporary file goes in: the one of `path`.
QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// The permissions a new file gets: those of the file it replaces, or what
// the umask leaves of rw-rw-rw-.
mode_t newFileMode(const struct stat *replaced)
{
    if (replaced)
        return replaced->st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

bool writeAll(int descriptor, const QByteArray &bytes)
{
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t count =
            ::write(descriptor, bytes.constData() + written, std::size_t(bytes.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += count;
    }
    return true;
}

OutputFile::OutputFile(const QString &what) : what(what) {}

OutputFile::~OutputFile()
{
    if (descriptor >= 0)
        ::close(descriptor);
    if (!temporary.isEmpty())
        ::unlink(temporary.constData());
}

bool OutputFile::fail(const QString &reason, QString &error) const
{
    error = QStringLiteral("Cannot create %1 '%2': %3.").arg(what, shown, reason);
    return false;
}

bool OutputFile::open(const QString &path, const QList<ReadFile> &inputs, QString &error)
{
    shown = shownName(path);
    target = argumentBytes(path);

    struct stat status {
    };
    const bool exists = ::lstat(target.constData(), &status) == 0;
    if (!exists && errno != ENOENT)
        return fail(systemError(errno), error);
    if (exists && S_ISLNK(status.st_mode) &&
        (::stat(target.constData(), &status) != 0 || !isWrittenInPlace(status.st_mode))) {
        error = QStringLiteral("%1 '%2' is a symbolic link; only one to a device or a named "
                               "pipe is written through, name the file itself.")
                    .arg(what, shown);
        error[0] = error[0].toUpper();
        return false;
    }
    // A device holds nothing to lose: a terminal may be read and written alike.
    if (exists && !isDevice(status.st_mode)) {
        for (const ReadFile &input : inputs) {
            struct stat read {
            };
            if (::stat(argumentBytes(input.path).constData(), &read) == 0 &&
                read.st_dev == status.st_dev && read.st_ino == status.st_ino) {
                error = QStringLiteral("%1 '%2' would replace %3 '%4'; choose another name.")
                            .arg(what, shown, input.what, shownName(input.path));
                error[0] = error[0].toUpper();
                return false;
            }
        }
    }

    if (exists && isWrittenInPlace(status.st_mode)) {
        descriptor = ::open(target.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (descriptor < 0)
            return fail(systemError(errno), error);
        // Looked at again, so that a file swapped in meanwhile is not written over.
        if (::fstat(descriptor, &status) != 0 || !isWrittenInPlace(status.st_mode))
            return fail(QStringLiteral("it changed while it was opened"), error);
        return true;
    }
    if (exists && !S_ISREG(status.st_mode))
        return fail(QStringLiteral("it is %1").arg(QLatin1String(kindOfFile(status.st_mode))),
                    error);
    if (exists && ::access(target.constData(), W_OK) != 0)
        return fail(systemError(errno), error);

    QByteArray name = folderOf(target) + "/.korvane-XXXXXX";
    descriptor = ::mkostemp(name.data(), O_CLOEXEC);
    if (descriptor < 0)
        return fail(systemError(errno), error);
    temporary = name;
    if (::fchmod(descriptor, newFileMode(exists ? &status : nullptr)) != 0)
        return fail(systemError(errno), error);
    return true;
}

bool OutputFile::commit(const QByteArray &contents, QString &error)
{
    bool written = descriptor >= 0 && writeAll(descriptor, contents);
    int number = errno;
    if (written && !temporary.isEmpty() && ::fsync(descriptor) != 0)
        written = false, number = errno;
    if (descriptor >= 0 && ::close(descriptor) != 0 && written)
        written = false, number = errno;
    descriptor = -1;
    if (written && !temporary.isEmpty()) {
        if (::rename(temporary.constData(), target.constData()) != 0)
            written = false, number = errno;
        else
            temporary.clear();
    }
    if (!written) {
        error = QStringLiteral("Cannot write %1 '%2': %3.").arg(what, shown, systemError(number));
        return false;
    }
    return true;
}

} // namespace program
