#include "dap/transport.h"

#include "jsonrpc/stdio.h"

#include <cerrno>

#include <unistd.h>

namespace dap
{

Transport::Transport() : reader([this] { read(); }) {}

// The reader is blocked in read() until the client writes or goes away; it is
// left to end with the process rather than waited for.
Transport::~Transport()
{
    reader.detach();
}

void Transport::read()
{
    jsonrpc::MessageReader framing;
    bool stop = false;
    char buffer[1 << 16];
    while (!stop) {
        const ssize_t size = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (size < 0 && errno == EINTR)
            continue;
        if (size <= 0)
            break;
        framing.append(QByteArrayView(buffer, size));
        std::deque<Incoming> found;
        for (;;) {
            Incoming incoming;
            const jsonrpc::MessageReader::Result result =
                framing.next(incoming.body, incoming.problem);
            if (result == jsonrpc::MessageReader::Result::Incomplete)
                break;
            if (result == jsonrpc::MessageReader::Result::Broken) {
                jsonrpc::reportClosed(incoming.problem);
                stop = true;
                break;
            }
            if (result == jsonrpc::MessageReader::Result::BadHeader)
                incoming.problem.prepend(QStringLiteral("ignored "));
            else if (result == jsonrpc::MessageReader::Result::TooLarge)
                incoming.problem.prepend(QStringLiteral("refused "));
            found.push_back(std::move(incoming));
        }
        const std::lock_guard lock(mutex);
        broken = stop;
        std::move(found.begin(), found.end(), std::back_inserter(queue));
        arrived.notify_one();
    }
    const std::lock_guard lock(mutex);
    ended = true;
    arrived.notify_one();
}

std::optional<Incoming> Transport::next(bool wait)
{
    std::unique_lock lock(mutex);
    if (wait)
        arrived.wait(lock, [this] { return !queue.empty() || ended; });
    if (queue.empty())
        return std::nullopt;
    Incoming incoming = std::move(queue.front());
    queue.pop_front();
    return incoming;
}

bool Transport::inputEnded()
{
    const std::lock_guard lock(mutex);
    return ended && queue.empty();
}

bool Transport::inputBroken()
{
    const std::lock_guard lock(mutex);
    return broken;
}

} // namespace dap
