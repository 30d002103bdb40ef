#pragma once

// The mnemonics a misspelt word was probably meant to be.

#include <QString>
#include <QStringList>
#include <QStringView>

namespace diagnostics
{

// Edits (insert, delete, replace, or swap two neighbours) that turn one text into the other.
qsizetype editDistance(QStringView from, QStringView to);

// The mnemonics closest to an upper-cased word that is none, when they are
// near enough to be what was meant: one edit away, two for words of five
// letters or more. In the instruction table's order.
QStringList nearestMnemonics(const QString &key);

// "A", "A or B", "A, B or C".
QString alternatives(const QStringList &words);

} // namespace diagnostics
