#include "program/regularfile.h"

#include "program/filename.h"

#include <QList>

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace program
{

namespace
{

// A descriptor, closed when it is replaced or goes.
class Descriptor
{
public:
    explicit Descriptor(int number) : number(number) {}
    ~Descriptor() { reset(-1); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    void reset(int other)
    {
        if (number >= 0)
            ::close(number);
        number = other;
    }
    int get() const { return number; }
    int release() { return std::exchange(number, -1); }

private:
    int number;
};

struct Identity {
    dev_t device;
    ino_t inode;
    bool operator==(const Identity &) const = default;
};

Identity identityOf(const struct stat &status)
{
    return {status.st_dev, status.st_ino};
}

// The current folder and each folder above it, up to the root.
QList<Identity> currentFolderAndAbove()
{
    QList<Identity> found;
    Descriptor folder(::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat status {
    };
    while (folder.get() >= 0 && ::fstat(folder.get(), &status) == 0 &&
           !found.contains(identityOf(status))) { // the root is its own parent
        found.append(identityOf(status));
        folder.reset(::openat(folder.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    }
    return found;
}

class Walk
{
public:
    Walk(const QByteArray &path, const QString &shown, QString &error)
        : path(path), shown(shown), error(error)
    {
    }

    int open()
    {
        if (path.isEmpty())
            return cannotRead(ENOENT);
        const bool absolute = path.startsWith('/');
        Descriptor folder(::open(absolute ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (folder.get() < 0)
            return cannotRead(errno);
        // Above the current folder, links are the system's own (/tmp may be one).
        const QList<Identity> above = absolute ? currentFolderAndAbove() : QList<Identity>();
        bool linksAllowed = absolute;

        const qsizetype lastSlash = path.lastIndexOf('/');
        for (qsizetype start = 0; start <= lastSlash;) {
            const qsizetype end = path.indexOf('/', start);
            const QByteArray part = path.mid(start, end - start);
            start = end + 1;
            if (part.isEmpty())
                continue;
            Descriptor next(
                ::openat(folder.get(), part.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
            struct stat status {
            };
            if (next.get() < 0 || ::fstat(next.get(), &status) != 0)
                return cannotRead(errno);
            if (S_ISLNK(status.st_mode)) {
                if (!linksAllowed)
                    return linkedFolder(end);
                next.reset(
                    ::openat(folder.get(), part.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
                if (next.get() < 0 || ::fstat(next.get(), &status) != 0)
                    return cannotRead(errno);
                if (!above.contains(identityOf(status)))
                    return linkedFolder(end);
            } else if (!S_ISDIR(status.st_mode)) {
                return cannotRead(ENOTDIR);
            } else if (!above.contains(identityOf(status))) {
                // From the deepest folder shared with the current one down, no link.
                linksAllowed = false;
            }
            folder.reset(next.release());
        }

        // A path that ends in '/' names a folder.
        const QByteArray name =
            lastSlash + 1 == path.size() ? QByteArray(".") : path.mid(lastSlash + 1);
        // Looked at before opening, so that a pipe or a device is never opened;
        // opened without following a link nor waiting, and looked at again, so
        // that a file swapped in between is not read either.
        struct stat status {
        };
        if (::fstatat(folder.get(), name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
            return cannotRead(errno);
        if (!S_ISREG(status.st_mode))
            return notRegular(status.st_mode);
        Descriptor file(::openat(folder.get(), name.constData(),
                                 O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
        if (file.get() < 0)
            return errno == ELOOP ? notRegular(S_IFLNK) : cannotRead(errno);
        if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
            return notRegular(status.st_mode);
        return file.release();
    }

private:
    int cannotRead(int number)
    {
        error = QStringLiteral("Cannot read '%1': %2.")
                    .arg(shown, QString::fromLocal8Bit(std::strerror(number)));
        return -1;
    }

    int notRegular(mode_t mode)
    {
        error = QStringLiteral("'%1' is not a regular file (%2).")
                    .arg(shown, QLatin1String(kindOfFile(mode)));
        return -1;
    }

    // The folder is the path up to `end`, as given.
    int linkedFolder(qsizetype end)
    {
        const QString folder = shownName(argumentText(path.left(end).constData()));
        error = QStringLiteral("'%1' is not a regular file (its folder '%2' is a symbolic link).")
                    .arg(shown, folder);
        return -1;
    }

    const QByteArray &path;
    const QString &shown;
    QString &error;
};

} // namespace

const char *kindOfFile(mode_t mode)
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

int openRegularFile(const QByteArray &path, const QString &shown, QString &error)
{
    return Walk(path, shown, error).open();
}

} // namespace program
