#include "program/textfile.h"

#include <QFile>
#include <QStringDecoder>

namespace korvane
{

namespace
{

// A program has at most one line per memory cell; a larger file is not one.
constexpr qint64 kMaxFileBytes = 1 << 20;

} // namespace

FileTrouble readTextFile(const QString &path, const QString &what, QString &text, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Cannot read '%1': %2.").arg(path, file.errorString());
        return FileTrouble::CannotRead;
    }
    // Read one byte past the limit, so that devices without a size are caught too.
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("Cannot read '%1': %2.").arg(path, file.errorString());
        return FileTrouble::CannotRead;
    }
    if (bytes.size() > kMaxFileBytes) {
        error = QStringLiteral("'%1' is larger than 1 MiB, too large to be %2.").arg(path, what);
        return FileTrouble::NotText;
    }

    QStringDecoder decoder(QStringDecoder::Utf8); // drops a leading byte order mark
    text = decoder.decode(bytes);
    if (decoder.hasError()) {
        error = QStringLiteral("'%1' is not UTF-8 text.").arg(path);
        return FileTrouble::NotText;
    }
    // A file saved with Windows line ends reads like one typed into the
    // editor; otherwise each blank line would keep a carriage return and
    // count as a line of white space.
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return FileTrouble::None;
}

} // namespace korvane
