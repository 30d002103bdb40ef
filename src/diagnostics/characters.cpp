#include "diagnostics/characters.h"

#include "diagnostics/sourcetext.h"

#include <QChar>

#include <array>

namespace diagnostics
{

namespace
{

struct Known {
    char32_t code;
    const char *name;
    OddCharacter::Kind kind;
    char looksLike; // for LookAlike
};

// The spaces a word processor or a web page leaves in a copied text, the
// invisible characters they carry, and the signs and letters most often
// mistaken for ASCII ones.
constexpr Known kKnown[] = {
    {0x0085, "NEXT LINE", OddCharacter::Space, 0},
    {0x00A0, "NO-BREAK SPACE", OddCharacter::Space, 0},
    {0x00AD, "SOFT HYPHEN", OddCharacter::Invisible, 0},
    {0x0391, "GREEK CAPITAL LETTER ALPHA", OddCharacter::LookAlike, 'A'},
    {0x0392, "GREEK CAPITAL LETTER BETA", OddCharacter::LookAlike, 'B'},
    {0x0395, "GREEK CAPITAL LETTER EPSILON", OddCharacter::LookAlike, 'E'},
    {0x0397, "GREEK CAPITAL LETTER ETA", OddCharacter::LookAlike, 'H'},
    {0x0399, "GREEK CAPITAL LETTER IOTA", OddCharacter::LookAlike, 'I'},
    {0x039A, "GREEK CAPITAL LETTER KAPPA", OddCharacter::LookAlike, 'K'},
    {0x039C, "GREEK CAPITAL LETTER MU", OddCharacter::LookAlike, 'M'},
    {0x039D, "GREEK CAPITAL LETTER NU", OddCharacter::LookAlike, 'N'},
    {0x039F, "GREEK CAPITAL LETTER OMICRON", OddCharacter::LookAlike, 'O'},
    {0x03A1, "GREEK CAPITAL LETTER RHO", OddCharacter::LookAlike, 'P'},
    {0x03A4, "GREEK CAPITAL LETTER TAU", OddCharacter::LookAlike, 'T'},
    {0x03A7, "GREEK CAPITAL LETTER CHI", OddCharacter::LookAlike, 'X'},
    {0x03BF, "GREEK SMALL LETTER OMICRON", OddCharacter::LookAlike, 'o'},
    {0x0410, "CYRILLIC CAPITAL LETTER A", OddCharacter::LookAlike, 'A'},
    {0x0412, "CYRILLIC CAPITAL LETTER VE", OddCharacter::LookAlike, 'B'},
    {0x0415, "CYRILLIC CAPITAL LETTER IE", OddCharacter::LookAlike, 'E'},
    {0x041A, "CYRILLIC CAPITAL LETTER KA", OddCharacter::LookAlike, 'K'},
    {0x041C, "CYRILLIC CAPITAL LETTER EM", OddCharacter::LookAlike, 'M'},
    {0x041D, "CYRILLIC CAPITAL LETTER EN", OddCharacter::LookAlike, 'H'},
    {0x041E, "CYRILLIC CAPITAL LETTER O", OddCharacter::LookAlike, 'O'},
    {0x0420, "CYRILLIC CAPITAL LETTER ER", OddCharacter::LookAlike, 'P'},
    {0x0421, "CYRILLIC CAPITAL LETTER ES", OddCharacter::LookAlike, 'C'},
    {0x0422, "CYRILLIC CAPITAL LETTER TE", OddCharacter::LookAlike, 'T'},
    {0x0425, "CYRILLIC CAPITAL LETTER HA", OddCharacter::LookAlike, 'X'},
    {0x0430, "CYRILLIC SMALL LETTER A", OddCharacter::LookAlike, 'a'},
    {0x0435, "CYRILLIC SMALL LETTER IE", OddCharacter::LookAlike, 'e'},
    {0x043E, "CYRILLIC SMALL LETTER O", OddCharacter::LookAlike, 'o'},
    {0x0440, "CYRILLIC SMALL LETTER ER", OddCharacter::LookAlike, 'p'},
    {0x0441, "CYRILLIC SMALL LETTER ES", OddCharacter::LookAlike, 'c'},
    {0x0445, "CYRILLIC SMALL LETTER HA", OddCharacter::LookAlike, 'x'},
    {0x1680, "OGHAM SPACE MARK", OddCharacter::Space, 0},
    {0x2000, "EN QUAD", OddCharacter::Space, 0},
    {0x2001, "EM QUAD", OddCharacter::Space, 0},
    {0x2002, "EN SPACE", OddCharacter::Space, 0},
    {0x2003, "EM SPACE", OddCharacter::Space, 0},
    {0x2004, "THREE-PER-EM SPACE", OddCharacter::Space, 0},
    {0x2005, "FOUR-PER-EM SPACE", OddCharacter::Space, 0},
    {0x2006, "SIX-PER-EM SPACE", OddCharacter::Space, 0},
    {0x2007, "FIGURE SPACE", OddCharacter::Space, 0},
    {0x2008, "PUNCTUATION SPACE", OddCharacter::Space, 0},
    {0x2009, "THIN SPACE", OddCharacter::Space, 0},
    {0x200A, "HAIR SPACE", OddCharacter::Space, 0},
    {0x200B, "ZERO WIDTH SPACE", OddCharacter::Invisible, 0},
    {0x200C, "ZERO WIDTH NON-JOINER", OddCharacter::Invisible, 0},
    {0x200D, "ZERO WIDTH JOINER", OddCharacter::Invisible, 0},
    {0x2010, "HYPHEN", OddCharacter::LookAlike, '-'},
    {0x2011, "NON-BREAKING HYPHEN", OddCharacter::LookAlike, '-'},
    {0x2013, "EN DASH", OddCharacter::LookAlike, '-'},
    {0x2014, "EM DASH", OddCharacter::LookAlike, '-'},
    {0x2028, "LINE SEPARATOR", OddCharacter::Space, 0},
    {0x202F, "NARROW NO-BREAK SPACE", OddCharacter::Space, 0},
    {0x2060, "WORD JOINER", OddCharacter::Invisible, 0},
    {0x2212, "MINUS SIGN", OddCharacter::LookAlike, '-'},
    {0x3000, "IDEOGRAPHIC SPACE", OddCharacter::Space, 0},
    {0xFEFF, "ZERO WIDTH NO-BREAK SPACE", OddCharacter::Invisible, 0},
};

QString codeName(char32_t code)
{
    return QStringLiteral("U+%1").arg(quint32(code), 4, 16, QLatin1Char('0')).toUpper();
}

// An odd character named after its code point and `name`, with the
// replacement its kind offers: a blank for a space, the ASCII character a
// look-alike stands for, nothing for an invisible one.
OddCharacter oddOf(OddCharacter::Kind kind, char32_t code, const QString &name, char looksLike = 0)
{
    OddCharacter odd;
    odd.kind = kind;
    odd.code = code;
    odd.name = codeName(code) + name;
    if (kind == OddCharacter::Space)
        odd.replacement = QStringLiteral(" ");
    else if (kind == OddCharacter::LookAlike)
        odd.replacement = QString(QLatin1Char(looksLike));
    return odd;
}

// Fullwidth forms of ASCII (U+FF01 to U+FF5E) have names made from the ASCII ones.
std::optional<OddCharacter> fullwidth(char32_t code)
{
    if (code < 0xFF01 || code > 0xFF5E)
        return std::nullopt;
    const char ascii = char(code - 0xFF01 + 0x21);
    QString what;
    if (ascii >= '0' && ascii <= '9')
        what = QStringLiteral("DIGIT ") + QString::fromLatin1(std::array<const char *, 10>{
                                              "ZERO", "ONE", "TWO", "THREE", "FOUR", "FIVE", "SIX",
                                              "SEVEN", "EIGHT", "NINE"}[ascii - '0']);
    else if (ascii >= 'A' && ascii <= 'Z')
        what = QStringLiteral("LATIN CAPITAL LETTER ") + QLatin1Char(ascii);
    else if (ascii >= 'a' && ascii <= 'z')
        what = QStringLiteral("LATIN SMALL LETTER ") + QLatin1Char(char(ascii - 'a' + 'A'));
    else if (ascii == '-')
        what = QStringLiteral("HYPHEN-MINUS");
    else if (ascii == '+')
        what = QStringLiteral("PLUS SIGN");
    return oddOf(OddCharacter::LookAlike, code,
                 what.isEmpty() ? QString() : QStringLiteral(" FULLWIDTH ") + what, ascii);
}

// What is odd about one character; nothing for an ordinary one.
std::optional<OddCharacter> classify(char32_t code)
{
    if (code < 0x80 && code != 0x7F && (code >= 0x20 || code == u'\t'))
        return std::nullopt;
    for (const Known &known : kKnown) {
        if (known.code == code)
            return oddOf(known.kind, code, QLatin1Char(' ') + QLatin1String(known.name),
                         known.looksLike);
    }
    if (std::optional<OddCharacter> wide = fullwidth(code))
        return wide;
    // Other controls, formatting characters and spaces show as nothing or as a gap.
    const QChar::Category category = QChar::category(code);
    if (category == QChar::Other_Control || category == QChar::Other_Format ||
        category == QChar::Other_Surrogate || QChar::isSpace(code))
        return oddOf(QChar::isSpace(code) ? OddCharacter::Space : OddCharacter::Invisible, code,
                     QString());
    return std::nullopt;
}

template <typename Visit>
void forEachCharacter(QStringView word, Visit visit)
{
    for (qsizetype at = 0; at < word.size();) {
        const QChar c = word[at];
        qsizetype length = 1;
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && at + 1 < word.size() && word[at + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(c, word[at + 1]);
            length = 2;
        }
        if (!visit(at, length, code))
            return;
        at += length;
    }
}

} // namespace

std::optional<OddCharacter> firstOddCharacter(QStringView word)
{
    std::optional<OddCharacter> found;
    forEachCharacter(word, [&](qsizetype at, qsizetype length, char32_t code) {
        if (code == u'\t')
            return true;
        found = classify(code);
        if (!found)
            return true;
        found->at = at;
        found->length = length;
        return false;
    });
    return found;
}

QString shown(QStringView word)
{
    QString text;
    text.reserve(word.size());
    forEachCharacter(word, [&](qsizetype at, qsizetype length, char32_t code) {
        const std::optional<OddCharacter> odd = code == u'\t' ? std::nullopt : classify(code);
        if (code == u'\t')
            text += QLatin1Char(' ');
        else if (odd && odd->kind != OddCharacter::LookAlike)
            text += QLatin1Char('<') + codeName(code) + QLatin1Char('>');
        else
            text += word.sliced(at, length);
        return true;
    });
    return text;
}

QString quoted(QStringView word)
{
    return QLatin1Char('\'') + shown(word) + QLatin1Char('\'');
}

QString oddCharacterMessage(QStringView word, const OddCharacter &odd)
{
    const QString start = quoted(word) + QLatin1String(": ") + odd.name;
    if (odd.kind == OddCharacter::LookAlike)
        return start + QLatin1String(" is not ") + QLatin1Char('\'') + odd.replacement +
               QLatin1Char('\'');
    const QStringView before = word.first(odd.at);
    const QStringView after = word.sliced(odd.at + odd.length);
    QString where;
    if (!before.isEmpty() && !after.isEmpty())
        where =
            QLatin1String(" between ") + quoted(before) + QLatin1String(" and ") + quoted(after);
    else if (!before.isEmpty())
        where = QLatin1String(" after ") + quoted(before);
    else if (!after.isEmpty())
        where = QLatin1String(" before ") + quoted(after);
    if (odd.kind == OddCharacter::Space)
        return start + where + QLatin1String("; use a blank or a tab");
    return start + QLatin1String(", which is invisible,") + where + QLatin1String("; delete it");
}

Fix oddCharacterFix(QStringView word, qint32 line, qint32 wordBegin, const OddCharacter &odd)
{
    const qint32 begin = wordBegin + utf8Length(word.first(odd.at));
    const qint32 end = begin + utf8Length(word.sliced(odd.at, odd.length));
    QString title;
    switch (odd.kind) {
    case OddCharacter::Space:
        title = QLatin1String("Replace ") + odd.name + QLatin1String(" with a blank");
        break;
    case OddCharacter::Invisible:
        title = QLatin1String("Delete ") + odd.name;
        break;
    case OddCharacter::LookAlike:
        title = QLatin1String("Replace ") + odd.name + QLatin1String(" with '") + odd.replacement +
                QLatin1Char('\'');
        break;
    }
    return Fix{title, {Edit{Range{line, begin, end}, odd.replacement}}};
}

} // namespace diagnostics
