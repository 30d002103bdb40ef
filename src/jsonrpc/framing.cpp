#include "jsonrpc/framing.h"

#include <QList>

#include <optional>
#include <utility>

namespace jsonrpc
{

namespace
{

constexpr QByteArrayView kEndOfHeader("\r\n\r\n");

// What a header block says of its message's length.
struct Length {
    qint64 bytes = -1; // -1 when the block cannot be used
    QString problem;
    bool broken = false; // the block leaves no way to find the next message
};

Length contentLength(QByteArrayView header)
{
    std::optional<qint64> bytes;
    QString unusable;
    for (const QByteArray &line : header.toByteArray().split('\n')) {
        const QByteArray field = line.endsWith('\r') ? line.chopped(1) : line;
        if (field.isEmpty())
            continue;
        const qsizetype colon = field.indexOf(':');
        if (colon <= 0)
            return {-1,
                    QStringLiteral("a header line without a colon: '%1'")
                        .arg(QString::fromLatin1(field.left(80))),
                    true};
        if (field.left(colon).trimmed().toLower() != "content-length")
            continue; // Content-Type and any other header are of no use here
        const QByteArray value = field.mid(colon + 1).trimmed();
        bool ok = !value.isEmpty() && value.size() <= 18;
        for (const char c : value)
            ok = ok && c >= '0' && c <= '9';
        if (!ok) {
            unusable =
                QStringLiteral("a header whose Content-Length is not a number of bytes: '%1'")
                    .arg(QString::fromLatin1(value.left(80)));
        } else if (bytes && *bytes != value.toLongLong()) {
            return {-1,
                    QStringLiteral("two Content-Length headers that disagree, %1 and %2")
                        .arg(*bytes)
                        .arg(value.toLongLong()),
                    true};
        } else {
            bytes = value.toLongLong();
        }
    }
    if (!unusable.isEmpty())
        return {-1, unusable};
    if (!bytes)
        return {-1, QStringLiteral("a header without Content-Length")};
    return {*bytes, {}};
}

} // namespace

QByteArray frame(const QByteArray &body)
{
    return "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

void MessageReader::append(QByteArrayView bytes)
{
    if (!broken_.isEmpty())
        return;
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
    if (!broken_.isEmpty()) {
        problem = broken_;
        return Result::Broken;
    }
    dropSkipped();
    if (skip_ > 0)
        return Result::Incomplete;
    qsizetype end = buffer_.indexOf(kEndOfHeader);
    // The rest of an overlong header block goes with it, up to its end.
    if (skipHeader_ && end >= 0) {
        buffer_.remove(0, end + kEndOfHeader.size());
        skipHeader_ = false;
        end = buffer_.indexOf(kEndOfHeader);
    }
    if (end < 0) {
        if (!skipHeader_ && buffer_.size() <= kMaxHeader)
            return Result::Incomplete;
        // Keep the last bytes: they may start the end of the header block.
        buffer_.remove(0, buffer_.size() - std::min(buffer_.size(), kEndOfHeader.size() - 1));
        if (std::exchange(skipHeader_, true))
            return Result::Incomplete;
        problem = QStringLiteral("a header block of more than %1 bytes").arg(kMaxHeader);
        return Result::BadHeader;
    }
    const qsizetype start = end + kEndOfHeader.size();
    if (end > kMaxHeader) {
        problem = QStringLiteral("a header block of more than %1 bytes").arg(kMaxHeader);
        buffer_.remove(0, start);
        return Result::BadHeader;
    }
    const Length length = contentLength(QByteArrayView(buffer_).first(end));
    if (length.broken) {
        broken_ = problem = length.problem;
        buffer_.clear();
        return Result::Broken;
    }
    if (length.bytes < 0) {
        problem = length.problem;
        buffer_.remove(0, start);
        return Result::BadHeader;
    }
    if (length.bytes > maxBody_) {
        problem = QStringLiteral("a message of %1 bytes, over the limit of %2 MiB")
                      .arg(length.bytes)
                      .arg(maxBody_ / (1024 * 1024));
        buffer_.remove(0, start);
        skip_ = length.bytes;
        dropSkipped();
        return Result::TooLarge;
    }
    if (buffer_.size() - start < length.bytes)
        return Result::Incomplete;
    body = buffer_.mid(start, qsizetype(length.bytes));
    buffer_.remove(0, start + qsizetype(length.bytes));
    return Result::Message;
}

} // namespace jsonrpc
