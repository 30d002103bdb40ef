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

// Cuts a byte stream into message bodies. Bytes arrive in any pieces; a
// malformed header block or an oversized message is reported once and
// skipped, so that the stream goes on with the next message.
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
        BadHeader,  // the header block was malformed and is dropped; `problem` says how
        TooLarge,   // the message is over the limit: its body is skipped as it arrives
    };
    Result next(QByteArray &body, QString &problem);

private:
    void dropSkipped();

    QByteArray buffer_;
    qsizetype maxBody_;
    qint64 skip_ = 0; // bytes of a refused body still to come
};

} // namespace jsonrpc
