#include "dap/framing.h"

#include <QList>

#include <algorithm>

namespace dap
{

namespace
{

// A header is a few short lines; one longer than this is no header.
constexpr qsizetype kMaxHeaderBytes = 4096;
const QByteArray kHeaderEnd = QByteArrayLiteral("\r\n\r\n");

} // namespace

std::vector<Frame> FrameReader::feed(const char *bytes, qsizetype size)
{
    std::vector<Frame> frames;
    qsizetype at = 0;
    while (at < size) {
        if (state == State::Skipping) {
            const qsizetype skipped = qsizetype(std::min<qint64>(remaining, size - at));
            at += skipped;
            remaining -= skipped;
            if (remaining == 0)
                state = State::Header;
            continue;
        }
        if (state == State::Body) {
            const qsizetype taken = qsizetype(std::min<qint64>(remaining, size - at));
            pending.append(bytes + at, taken);
            at += taken;
            remaining -= taken;
            if (remaining == 0) {
                frames.push_back({Frame::Message, std::exchange(pending, {}), {}});
                state = State::Header;
            }
            continue;
        }
        // The header: up to the empty line. Bytes are taken one stretch at a
        // time, up to the end of what was given.
        const qsizetype before = pending.size();
        pending.append(bytes + at, size - at);
        const qsizetype end = pending.indexOf(kHeaderEnd, std::max<qsizetype>(0, before - 3));
        if (end < 0) {
            at = size;
            if (pending.size() > kMaxHeaderBytes) {
                frames.push_back({Frame::Refused,
                                  {},
                                  QStringLiteral("a header of more than %1 bytes without its "
                                                 "end (an empty line) was dropped")
                                      .arg(kMaxHeaderBytes)});
                pending = pending.right(3); // the end may be under way
            }
            continue;
        }
        at += end + kHeaderEnd.size() - before;
        const QByteArray header = pending.left(end);
        pending.clear();
        readHeader(header, frames);
    }
    return frames;
}

void FrameReader::readHeader(const QByteArray &header, std::vector<Frame> &frames)
{
    qint64 length = -1;
    for (const QByteArray &line : header.split('\n')) {
        const QByteArray field = line.trimmed();
        const qsizetype colon = field.indexOf(':');
        if (colon < 0 || field.left(colon).trimmed().toLower() != "content-length")
            continue;
        bool isNumber = false;
        const QByteArray digits = field.mid(colon + 1).trimmed();
        const qint64 value = digits.toLongLong(&isNumber);
        const bool digitsOnly =
            !digits.isEmpty() && std::all_of(digits.cbegin(), digits.cend(),
                                             [](char c) { return c >= '0' && c <= '9'; });
        length = isNumber && digitsOnly ? value : -2;
        break;
    }
    if (length < 0) {
        frames.push_back({Frame::Refused,
                          {},
                          length == -1
                              ? QStringLiteral("a header without Content-Length was dropped")
                              : QStringLiteral("a header whose Content-Length is not a "
                                               "number was dropped")});
        return;
    }
    if (length > kMaxMessageBytes) {
        frames.push_back({Frame::Refused,
                          {},
                          QStringLiteral("a message of %1 bytes was refused: the limit is %2 "
                                         "bytes (1 MiB)")
                              .arg(length)
                              .arg(kMaxMessageBytes)});
        remaining = length;
        state = State::Skipping;
        return;
    }
    remaining = length;
    state = State::Body;
    if (length == 0) {
        frames.push_back({Frame::Message, {}, {}});
        state = State::Header;
    }
}

QByteArray framed(const QByteArray &body)
{
    return QByteArrayLiteral("Content-Length: ") + QByteArray::number(body.size()) + kHeaderEnd +
           body;
}

} // namespace dap
