#include "dap/transport.h"

#include <cerrno>

#include <unistd.h>

namespace dap
{

Transport::Transport(int inputFd, int outputFd)
    : inputFd(inputFd), outputFd(outputFd), reader([this] { read(); })
{
}

// The reader is blocked in read() until the client writes or goes away; it is
// left to end with the process rather than waited for.
Transport::~Transport()
{
    reader.detach();
}

void Transport::read()
{
    FrameReader framing;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t size = ::read(inputFd, buffer, sizeof buffer);
        if (size < 0 && errno == EINTR)
            continue;
        if (size <= 0)
            break;
        std::vector<Frame> found = framing.feed(buffer, size);
        if (found.empty())
            continue;
        const std::lock_guard lock(mutex);
        for (Frame &frame : found)
            frames.push_back(std::move(frame));
        arrived.notify_one();
    }
    const std::lock_guard lock(mutex);
    ended = true;
    arrived.notify_one();
}

std::optional<Frame> Transport::next(bool wait)
{
    std::unique_lock lock(mutex);
    if (wait)
        arrived.wait(lock, [this] { return !frames.empty() || ended; });
    if (frames.empty())
        return std::nullopt;
    Frame frame = std::move(frames.front());
    frames.pop_front();
    return frame;
}

bool Transport::inputEnded()
{
    const std::lock_guard lock(mutex);
    return ended && frames.empty();
}

bool Transport::write(const QByteArray &body)
{
    if (outputFailed)
        return false;
    const QByteArray message = framed(body);
    qsizetype written = 0;
    while (written < message.size()) {
        const ssize_t size =
            ::write(outputFd, message.constData() + written, std::size_t(message.size() - written));
        if (size < 0 && errno == EINTR)
            continue;
        if (size <= 0) {
            outputFailed = true;
            return false;
        }
        written += size;
    }
    return true;
}

} // namespace dap
