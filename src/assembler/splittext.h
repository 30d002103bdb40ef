#pragma once

#include <QList>
#include <QString>

// Splits text into its parts, in text order, with empty parts dropped.
//
// An empty (or null) separator splits at every run of white space; any other
// separator splits at each of its exact, case-sensitive occurrences. Parts are
// returned as they are in the text: neither trimmed nor case-converted.
QList<QString> splitText(const QString &text, const QString &separator);
