#include "jsonrpc/framing.h"

#include <QList>

#include <utility>

namespace jsonrpc
{

namespace
{

constexpr QByteArrayView kEndOfHeader("\r\n\r\n");

constexpr qint64 kUnusable = -1; // the header block is dropped
constexpr qint64 kBroken = -2;   // the next message cannot be found

// The value of Content-Length in a header block, or why there is none.
qint64 contentLength(QByteArrayView header, QString &problem)
{
    qint64 length = kUnusable;
    for (const QByteArray &line : header.toByteArray().split('\n')) {
        const QByteArray field = line.endsWith('\r') ? line.chopped(1) : line;
        if (field.isEmpty())
            continue;
        const qsizetype colon = field.indexOf(':');
        if (colon <= 0) {
            problem = QStringLiteral("a header line without a colon: '%1'")
                          .arg(QString::fromLatin1(field.left(80)));
            return kBroken;
        }
        if (field.left(colon).trimmed().toLower() != "content-length")
            continue; // Content-Type and any other header are of no use here
        const QByteArray value = field.mid(colon + 1).trimmed();
        bool ok = !value.isEmpty() && value.size() <= 18;
        for (const char c : value)
            ok = ok && c >= '0' && c <= '9';
        if (!ok && problem.isEmpty())
            problem = QStringLiteral(
                          "ignored a header whose Content-Length is not a number of bytes: '%1'")
                          .arg(QString::fromLatin1(value.left(80)));
        if (ok && length >= 0 && length != value.toLongLong()) {
            problem = QStringLiteral("two Content-Length headers that disagree, %1 and %2")
                          .arg(length)
                          .arg(value.toLongLong());
            return kBroken;
        }
        if (ok)
            length = value.toLongLong();
    }
    if (length < 0 && problem.isEmpty())
        problem = QStringLiteral("ignored a header without Content-Length");
    return problem.isEmpty() ? length : kUnusable;
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
    problem.clear();
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
    }
    const qsizetype start = end + kEndOfHeader.size();
    if (end < 0 || end > kMaxHeader) {
        problem = QStringLiteral("ignored a header block of more than %1 bytes").arg(kMaxHeader);
        buffer_.remove(0, end < 0 ? 0 : start);
        return Result::BadHeader;
    }
    const qint64 length = contentLength(QByteArrayView(buffer_).first(end), problem);
    if (length == kBroken) {
        broken_ = problem;
        buffer_.clear();
        return Result::Broken;
    }
    if (length < 0) {
        buffer_.remove(0, start);
        return Result::BadHeader;
    }
    if (length > maxBody_) {
        problem = QStringLiteral("refused a message of %1 bytes, over the limit of %2 MiB")
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
