#pragma once

// Characters that make a word look right and still be wrong: spaces other
// than the blank and the tab, invisible characters, and letters or signs that
// look like ASCII ones. Messages name them by code point, since the student
// cannot see what is wrong.

#include "diagnostics/diagnostic.h"

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <optional>

namespace diagnostics
{

struct OddCharacter {
    enum Kind : quint8 {
        Space,     // a space that does not split words: use a blank or a tab
        Invisible, // shows as nothing: delete it
        LookAlike, // looks like an ASCII character and is not it
    };
    Kind kind = Invisible;
    qsizetype at = 0;     // in the word, in UTF-16 units
    qsizetype length = 1; // 2 for a character beyond U+FFFF
    char32_t code = 0;
    QString name;        // "U+00A0 NO-BREAK SPACE", or "U+0001" where no name is kept
    QString replacement; // " ", "", or the ASCII character it looks like
};

// The first odd character of a word, if it has one.
std::optional<OddCharacter> firstOddCharacter(QStringView word);

// A word as messages quote it, without quotes: tabs as blanks, spaces other
// than the blank and invisible characters as <U+XXXX>.
QString shown(QStringView word);

// The word shown between single quotes.
QString quoted(QStringView word);

// What is wrong with the word's odd character, e.g. "'STA<U+00A0>x': U+00A0
// NO-BREAK SPACE between 'STA' and 'x'; use a blank or a tab".
QString oddCharacterMessage(QStringView word, const OddCharacter &odd);

// The fix for the odd character of a word that starts at byte `wordBegin` of
// line `line`: a blank for a space, nothing for an invisible character, the
// ASCII character for a look-alike.
Fix oddCharacterFix(QStringView word, qint32 line, qint32 wordBegin, const OddCharacter &odd);

} // namespace diagnostics
