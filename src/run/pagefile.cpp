#include "run/pagefile.h"

#include "program/filename.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace terminal
{

namespace
{

QString systemError(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}

} // namespace

PageFile::~PageFile()
{
    if (descriptor >= 0)
        ::close(descriptor);
    if (!temporary.isEmpty())
        ::unlink(temporary.constData());
}

bool PageFile::open(const QString &name, const QString &programPath, QString &error)
{
    path = name;
    const QByteArray bytes = korvane::argumentBytes(name);
    const QString shown = korvane::shownName(name);
    struct stat page {
    };
    if (::stat(bytes.constData(), &page) == 0) {
        struct stat program {
        };
        if (!programPath.isEmpty() &&
            ::stat(korvane::argumentBytes(programPath).constData(), &program) == 0 &&
            program.st_dev == page.st_dev && program.st_ino == page.st_ino) {
            error = QStringLiteral("The page '%1' would replace the program '%2'; choose "
                                   "another name.")
                        .arg(shown, korvane::shownName(programPath));
            return false;
        }
        if (S_ISDIR(page.st_mode)) {
            error = QStringLiteral("Cannot write the page '%1': it is a folder.").arg(shown);
            return false;
        }
    }
    QByteArray pattern = bytes + ".XXXXXX";
    descriptor = ::mkstemp(pattern.data());
    if (descriptor < 0) {
        error = QStringLiteral("Cannot write the page '%1': %2.").arg(shown, systemError(errno));
        return false;
    }
    temporary = pattern;
    // mkstemp() makes a file only its owner can read; a page is for others too.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(descriptor, 0666 & ~mask);
    return true;
}

bool PageFile::commit(const QByteArray &bytes, QString &error)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t count =
            ::write(descriptor, bytes.constData() + written, std::size_t(bytes.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        written += count;
    }
    int number = errno;
    bool done = written == bytes.size();
    if (::close(descriptor) != 0 && done) {
        number = errno;
        done = false;
    }
    descriptor = -1;
    if (done && ::rename(temporary.constData(), korvane::argumentBytes(path).constData()) != 0) {
        number = errno;
        done = false;
    }
    if (!done) {
        error = QStringLiteral("Cannot write the page '%1': %2.")
                    .arg(korvane::shownName(path), systemError(number));
        return false;
    }
    temporary.clear();
    return true;
}

} // namespace terminal
