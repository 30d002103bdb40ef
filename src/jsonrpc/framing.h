#pragma once

// Content-Length framing, as the Language Server and Debug Adapter protocols
// use it: a block of "Name: value" header lines ended by an empty line, then
// exactly Content-Length bytes of JSON.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

namespace jsonrpc
{

// The bytes of one message as they go over the wire.
QByteArray frame(const QByteArray &body);

// Cuts a byte stream into message bodies. Bytes arrive in any pieces. A
// header block that can be read but not used (no Content-Length, a length
// that is no number, more than kMaxHeader bytes) or an oversized message is
// reported once and skipped, so that the stream goes on with the next
// message. A header line without a colon, or two Content-Length lines that
// disagree, leaves no way to know where the next message starts: the stream
// is broken and nothing more is read from it.
class MessageReader
{
public:
    static constexpr qsizetype kDefaultMaxBody = 16 * 1024 * 1024;
    // A header block longer than this is not one: no client sends more
    // than a few dozen bytes of headers.
    static constexpr qsizetype kMaxHeader = 8 * 1024;

    explicit MessageReader(qsizetype maxBody = kDefaultMaxBody) : maxBody_(maxBody) {}

    void append(QByteArrayView bytes);

    enum class Result : quint8 {
        Message,    // `body` holds the next message
        Incomplete, // more bytes are needed
        BadHeader,  // the header block could not be used and is dropped; `problem` says so
        TooLarge,   // the message is over the limit: its body is skipped as it arrives, and
                    // `problem` says so
        Broken,     // the stream cannot be followed any further; `problem` says why
    };
    Result next(QByteArray &body, QString &problem);

private:
    void dropSkipped();

    QByteArray buffer_;
    qsizetype maxBody_;
    qint64 skip_ = 0;         // bytes of a refused body still to come
    bool skipHeader_ = false; // the rest of an overlong header block is still to come
    QString broken_;          // why the stream is broken; empty while it is not
};

} // namespace jsonrpc
