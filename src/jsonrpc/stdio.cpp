#include "jsonrpc/stdio.h"

#include <QCoreApplication>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace jsonrpc
{

bool writeToStandardOutput(const QByteArray &bytes)
{
    // A client that has gone must end the server, not kill it with SIGPIPE
    // half-way through a write.
    static const bool ignored = std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;
    Q_UNUSED(ignored);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written =
            ::write(STDOUT_FILENO, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

bool serveStandardInput(Endpoint &endpoint, const std::function<bool()> &finished)
{
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, chunk.data(), std::size_t(chunk.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        endpoint.receive(QByteArrayView(chunk.constData(), got));
        if (!endpoint.closedBecause().isEmpty()) {
            reportClosed(endpoint.closedBecause());
            return false;
        }
        if (finished())
            return true;
    }
}

void reportClosed(const QString &problem)
{
    const QString line = QCoreApplication::applicationName() + QStringLiteral(": ") + problem +
                         QStringLiteral(": the next message cannot be found, the connection "
                                        "is closed\n");
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

} // namespace jsonrpc
