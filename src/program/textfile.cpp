#include "program/textfile.h"

#include "program/filename.h"
#include "program/regularfile.h"

#include <QFile>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <unistd.h>

namespace program
{

namespace
{

// A program has at most one line per memory cell; a larger file is not one.
constexpr qint64 kMaxFileBytes = 1 << 20;

// The offset of the first byte that does not belong to well-formed UTF-8
// (the start of a sequence cut short), or -1 when every byte does.
qsizetype firstBadUtf8Byte(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        qsizetype length = 0;
        unsigned low = 0x80, high = 0xBF; // the allowed second byte
        if (c >= 0xC2 && c <= 0xDF)
            length = 2;
        else if (c == 0xE0)
            length = 3, low = 0xA0; // no overlong forms
        else if (c == 0xED)
            length = 3, high = 0x9F; // no surrogates
        else if (c >= 0xE1 && c <= 0xEF)
            length = 3;
        else if (c == 0xF0)
            length = 4, low = 0x90;
        else if (c >= 0xF1 && c <= 0xF3)
            length = 4;
        else if (c == 0xF4)
            length = 4, high = 0x8F; // nothing beyond U+10FFFF
        else
            return i;
        for (qsizetype k = 1; k < length; ++k) {
            if (i + k >= n)
                return i;
            const unsigned next = p[i + k];
            if (k == 1 ? (next < low || next > high) : (next < 0x80 || next > 0xBF))
                return i;
        }
        i += length;
    }
    return -1;
}

// The first bad byte of bytes that are not UTF-8, with its place.
std::optional<BadByte> badByteOf(const QByteArray &bytes)
{
    const qsizetype at = firstBadUtf8Byte(bytes);
    if (at < 0)
        return std::nullopt;
    const QByteArray before = bytes.left(at);
    const qsizetype lineStart = before.lastIndexOf('\n') + 1; // 0 on the first line
    return BadByte{before.count('\n') + 1, at - lineStart + 1, quint8(bytes[at])};
}

// "'prog.txt' is not UTF-8 text (byte 0xE9 at line 2 column 1)."
QString notUtf8Message(const QString &shown, const std::optional<BadByte> &bad)
{
    if (!bad)
        return QStringLiteral("'%1' is not UTF-8 text.").arg(shown);
    const QString byte =
        QString::number(bad->value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    return QStringLiteral("'%1' is not UTF-8 text (byte 0x%2 at line %3 column %4).")
        .arg(shown, byte)
        .arg(bad->line)
        .arg(bad->column);
}

// Opens the file for reading; -1 with the reason when it cannot be, or may not be.
int openFile(const QByteArray &path, const QString &shown, Opening opening, QString &error)
{
    if (opening == Opening::RegularOnly)
        return openRegularFile(path, shown, error);
    const int descriptor = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        error = QStringLiteral("Cannot read '%1': %2.")
                    .arg(shown, QString::fromLocal8Bit(std::strerror(errno)));
    return descriptor;
}

} // namespace

FileTrouble readTextFile(const QString &path, const QString &what, QString &text, QString &error,
                         Opening opening, const QString &shownAs, BadByte *bad)
{
    const QString shown = shownAs.isEmpty() ? shownName(path) : shownAs;
    const int descriptor = openFile(argumentBytes(path), shown, opening, error);
    if (descriptor < 0)
        return FileTrouble::CannotRead;
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        error = QStringLiteral("Cannot read '%1': %2.").arg(shown, file.errorString());
        return FileTrouble::CannotRead;
    }
    // Read one byte past the limit, so that devices without a size are caught too.
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("Cannot read '%1': %2.").arg(shown, file.errorString());
        return FileTrouble::CannotRead;
    }
    if (bytes.size() > kMaxFileBytes) {
        error = QStringLiteral("'%1' is larger than 1 MiB, too large to be %2.").arg(shown, what);
        return FileTrouble::NotText;
    }

    QStringDecoder decoder(QStringDecoder::Utf8); // drops a leading byte order mark
    text = decoder.decode(bytes);
    // The decoder keeps a character cut short at the end for more bytes and
    // does not count it as an error; the check of the bytes does.
    if (decoder.hasError() || firstBadUtf8Byte(bytes) >= 0) {
        // Read anew without keeping a character cut short at the end, so
        // that it shows as U+FFFD too.
        text =
            QStringDecoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless).decode(bytes);
        const std::optional<BadByte> found = badByteOf(bytes);
        error = notUtf8Message(shown, found);
        if (bad && found)
            *bad = *found;
        return FileTrouble::NotText;
    }
    // A file saved with Windows line ends reads like one typed into the
    // editor; otherwise each blank line would keep a carriage return and
    // count as a line of white space.
    if (text.contains(QLatin1Char('\r')))
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return FileTrouble::None;
}

} // namespace program
