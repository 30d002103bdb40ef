#pragma once

// Beginners' mistakes made on purpose: correct programs (the samples and
// random ones), each mistake applied to them one at a time and in pairs on
// different lines, and what the diagnostics make of the mutants: whether the
// first fix of each error, applied again and again, gives back a program
// that runs as the original did.

#include <QList>
#include <QString>

namespace mistakes
{

struct Tally {
    QString kind;
    int mutants = 0;
    int stillAssemble = 0; // counted apart
    int repaired = 0;      // runs as the original
    int stopped = 0;       // no fix offered before it assembled
    int wrong = 0;         // assembles, and runs otherwise
    int unplaced = 0;      // no diagnostic at a mutated line
    int unchecked = 0;     // a fix that leaves its error or adds one
    QStringList wrongExamples;

    int refused() const { return mutants - stillAssemble; }
};

// One tally per kind of mistake, then "pairs", then "all" over everything:
// the samples and `randomPrograms` random programs made from `seed`.
QList<Tally> tallies(int randomPrograms, quint32 seed);

// "kind: repaired/refused (rate %), ..." one line per tally.
QString report(const QList<Tally> &tallies);

} // namespace mistakes
