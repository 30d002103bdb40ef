#include "dap/transport.h"

#include "jsonrpc/stdio.h"

#include <cerrno>
#include <utility>

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
    using Result = jsonrpc::MessageReader::Result;
    jsonrpc::MessageReader framing;
    Result result = Result::Incomplete;
    char buffer[1 << 16];
    while (result != Result::Broken) {
        const ssize_t size = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (size < 0 && errno == EINTR)
            continue;
        if (size <= 0)
            break;
        framing.append(QByteArrayView(buffer, size));
        Incoming incoming;
        while ((result = framing.next(incoming.body, incoming.problem)) != Result::Incomplete &&
               result != Result::Broken) {
            const std::lock_guard lock(mutex);
            queue.push_back(std::exchange(incoming, {}));
            arrived.notify_one();
        }
        if (result == Result::Broken)
            jsonrpc::reportClosed(incoming.problem);
    }
    const std::lock_guard lock(mutex);
    ended = true;
    broken = result == Result::Broken;
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
