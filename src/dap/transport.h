#pragma once

// Standard input as the adapter's channel from the editor. A thread of its
// own reads the messages as they come, through the framing the language
// server uses, so that they wait in a queue while the program runs.

#include "jsonrpc/framing.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace dap
{

// A message read, or why one could not be.
struct Incoming {
    QByteArray body;
    QString problem; // empty for a message
};

class Transport
{
public:
    Transport();
    ~Transport();
    Transport(const Transport &) = delete;
    Transport &operator=(const Transport &) = delete;

    // The next message read, or none once the input has ended and every
    // message was taken. Waits for one when `wait`; otherwise none when none
    // is there yet.
    std::optional<Incoming> next(bool wait);
    bool inputEnded();
    // The input broke (said on standard error), rather than ended.
    bool inputBroken();

private:
    void read();

    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<Incoming> queue;
    bool ended = false;
    bool broken = false;
    std::thread reader;
};

} // namespace dap
