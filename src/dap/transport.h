#pragma once

// Standard input and output as the adapter's channel to the editor. A thread
// of its own reads and frames the messages as they come, so that they wait
// in a queue while the program runs; the adapter's thread writes.

#include "dap/framing.h"

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace dap
{

class Transport
{
public:
    // Reads from inputFd, writes to outputFd; neither is closed.
    Transport(int inputFd, int outputFd);
    ~Transport();
    Transport(const Transport &) = delete;
    Transport &operator=(const Transport &) = delete;

    // The next frame read, or none once the input has ended and every frame
    // was taken. Waits for one when `wait`; otherwise none when none is there yet.
    std::optional<Frame> next(bool wait);
    bool inputEnded();
    // Writes one message; false once the output cannot be written.
    bool write(const QByteArray &body);

private:
    void read();

    const int inputFd;
    const int outputFd;
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<Frame> frames;
    bool ended = false;
    bool outputFailed = false;
    std::thread reader;
};

} // namespace dap
