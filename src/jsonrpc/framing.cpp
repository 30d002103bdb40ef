#include "jsonrpc/framing.h"

#include <QList>

namespace jsonrpc
{

namespace
{

constexpr QByteArrayView kEndOfHeader("\r\n\r\n");

// The value of Content-Length in a header block, or -1 with `problem` set.
qint64 contentLength(QByteArrayView header, QString &problem)
{
    qint64 length = -1;
    for (const QByteArray &line : header.toByteArray().split('\n')) {
        const QByteArray field = line.endsWith('\r') ? line.chopped(1) : line;
        if (field.isEmpty())
            continue;
        const qsizetype colon = field.indexOf(':');
        if (colon <= 0) {
            problem = QStringLiteral("malformed header line '%1'")
                          .arg(QString::fromLatin1(field.left(80)));
            return -1;
        }
        if (field.left(colon).trimmed().toLower() != "content-length")
            continue; // Content-Type and any other header are of no use here
        const QByteArray value = field.mid(colon + 1).trimmed();
        bool ok = !value.isEmpty() && value.size() <= 18;
        for (const char c : value)
            ok = ok && c >= '0' && c <= '9';
        if (!ok) {
            problem = QStringLiteral("Content-Length '%1' is not a number of bytes")
                          .arg(QString::fromLatin1(value.left(80)));
            return -1;
        }
        length = value.toLongLong();
    }
    if (length < 0)
        problem = QStringLiteral("a header without Content-Length");
    return length;
}

} // namespace

QByteArray frame(const QByteArray &body)
{
    return "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

void MessageReader::append(QByteArrayView bytes)
{
    buffer_.append(bytes);
    dropSkipped();
}

void MessageReader::dropSkipped()
{
    const qsizetype dropped = qsizetype(std::min<qint64>(skip_, buffer_.size()));
    buffer_.remove(0, dropped);
    skip_ -= dropped;
}

MessageReader::Result MessageReader::next(QByteArray &body, QString &problem)
{
    dropSkipped();
    if (skip_ > 0)
        return Result::Incomplete;
    const qsizetype end = buffer_.indexOf(kEndOfHeader);
    if (end < 0) {
        if (buffer_.size() <= kMaxHeader)
            return Result::Incomplete;
        // Keep the last bytes: they may start the end of a header block.
        problem = QStringLiteral("a header block of more than %1 bytes").arg(kMaxHeader);
        buffer_.remove(0, buffer_.size() - (kEndOfHeader.size() - 1));
        return Result::BadHeader;
    }
    const qint64 length = contentLength(QByteArrayView(buffer_).first(end), problem);
    const qsizetype start = end + kEndOfHeader.size();
    if (length < 0) {
        buffer_.remove(0, start);
        return Result::BadHeader;
    }
    if (length > maxBody_) {
        problem = QStringLiteral("a message of %1 bytes, over the limit of %2 MiB")
                      .arg(length)
                      .arg(maxBody_ / (1024 * 1024));
        buffer_.remove(0, start);
        skip_ = length;
        dropSkipped();
        return Result::TooLarge;
    }
    if (buffer_.size() - start < length)
        return Result::Incomplete;
    body = buffer_.mid(start, qsizetype(length));
    buffer_.remove(0, start + qsizetype(length));
    return Result::Message;
}

} // namespace jsonrpc
