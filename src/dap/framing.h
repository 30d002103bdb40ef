#pragma once

// The base protocol of the Debug Adapter Protocol: each message is a header
// with its length ("Content-Length: N", then an empty line, lines ending in
// CR LF) followed by N bytes of JSON.

#include <QByteArray>
#include <QString>

#include <vector>

namespace dap
{

// Messages longer than this are refused: no request of the protocol needs more.
inline constexpr qint64 kMaxMessageBytes = 1 << 20;

// What the reader found in the bytes it was given.
struct Frame {
    enum Kind : quint8 {
        Message, // body holds one message
        Refused, // a message that cannot be read; problem says why
    };
    Kind kind = Message;
    QByteArray body;
    QString problem;
};

// Cuts a stream of bytes into messages. Bytes may come in pieces of any
// size; a header that cannot be read is dropped with its problem, and the
// body of a message over the limit is skipped without being kept.
class FrameReader
{
public:
    std::vector<Frame> feed(const char *bytes, qsizetype size);

private:
    enum class State : quint8 { Header, Body, Skipping };
    void readHeader(const QByteArray &header, std::vector<Frame> &frames);

    State state = State::Header;
    QByteArray pending;
    qint64 remaining = 0; // bytes of the body still to come
};

// A message with its header, ready to write.
QByteArray framed(const QByteArray &body);

} // namespace dap
