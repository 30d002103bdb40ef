#include "program/filename.h"

#include <cstring>

namespace program
{

namespace
{

constexpr char16_t kEscapedByteBase = 0xdc00;

bool isEscapedByte(QChar c)
{
    return c.unicode() >= kEscapedByteBase + 0x80 && c.unicode() <= kEscapedByteBase + 0xff;
}

// The length of the valid UTF-8 sequence that starts at bytes[at], or 0.
qsizetype sequenceLength(const unsigned char *bytes, qsizetype size, qsizetype at)
{
    const unsigned char lead = bytes[at];
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    char32_t code = 0;
    char32_t least = 0;
    if ((lead & 0xe0) == 0xc0) {
        length = 2, code = lead & 0x1f, least = 0x80;
    } else if ((lead & 0xf0) == 0xe0) {
        length = 3, code = lead & 0x0f, least = 0x800;
    } else if ((lead & 0xf8) == 0xf0) {
        length = 4, code = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (at + length > size)
        return 0;
    for (qsizetype i = 1; i < length; ++i) {
        if ((bytes[at + i] & 0xc0) != 0x80)
            return 0;
        code = (code << 6) | (bytes[at + i] & 0x3f);
    }
    // Overlong forms, surrogates and code points past Unicode are not text.
    if (code < least || (code >= 0xd800 && code <= 0xdfff) || code > 0x10ffff)
        return 0;
    return length;
}

} // namespace

QString argumentText(const char *argument)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(argument);
    const auto size = qsizetype(std::strlen(argument));
    QString text;
    qsizetype at = 0;
    while (at < size) {
        const qsizetype length = sequenceLength(bytes, size, at);
        if (length == 0) {
            text += QChar(char16_t(kEscapedByteBase + bytes[at]));
            ++at;
        } else {
            text += QString::fromUtf8(argument + at, length);
            at += length;
        }
    }
    return text;
}

QByteArray argumentBytes(const QString &text)
{
    QByteArray bytes;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !isEscapedByte(text[i]))
            continue;
        bytes += QStringView(text).mid(start, i - start).toUtf8();
        if (i < text.size())
            bytes += char(text[i].unicode() - kEscapedByteBase);
        start = i + 1;
    }
    return bytes;
}

namespace
{

// Characters that change how the text around them reads: the line and
// paragraph separators, which some readers take for a line end, and the
// marks, embeddings, overrides and isolates of the writing direction.
bool turnsText(char16_t code)
{
    return code == 0x2028 || code == 0x2029 || code == 0x061c || code == 0x200e || code == 0x200f ||
           (code >= 0x202a && code <= 0x202e) || (code >= 0x2066 && code <= 0x2069);
}

QString escapedName(const QString &text, bool doubleBackslashes)
{
    QString shown;
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        const bool control = code < 0x20 || (code >= 0x7f && code <= 0x9f);
        if (control || isEscapedByte(c))
            shown += QStringLiteral("\\x%1").arg(code & 0xff, 2, 16, QLatin1Char('0'));
        else if (turnsText(code))
            shown += QStringLiteral("\\u%1").arg(code, 4, 16, QLatin1Char('0'));
        else if (code == u'\\' && doubleBackslashes)
            shown += QLatin1String("\\\\");
        else
            shown += c;
    }
    return shown;
}

} // namespace

QString shownName(const QString &text)
{
    return escapedName(text, false);
}

QString unambiguousName(const QString &text)
{
    return escapedName(text, true);
}

QString systemError(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}

} // namespace program
