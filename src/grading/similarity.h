#pragma once

// Programs of a class that look copied: the FILEs whose memory images are
// the same, and those whose images differ by a few words. The image does
// not see labels, layout, case or blanks, so a copy under other names is
// found as readily as one left as it was. A short exercise gives identical
// programs without any copying: this points at FILEs to look at, no more.

#include "program/program.h"

#include <QList>
#include <QStringList>
#include <QtGlobal>

#include <optional>
#include <vector>

namespace grading
{

// How many words two images may differ by, by default, to be told as near.
inline constexpr qsizetype kDefaultSimilarDistance = 2;
// No two images of the 100-cell memory differ by more words than this.
inline constexpr qsizetype kMostSimilarDistance = 100;

// The words of an assembled program's image as they are compared. A
// labelled instruction writes its operand's address without the leading
// zero (067 where the same line without a label writes 0607; both run as
// LDA 7): here every instruction's address has two digits, so that a label
// put in front of a line or left out makes no difference.
QStringList comparedImage(const program::Program &program);

// How one FILE compares with the others of its class.
struct Likeness {
    struct Near {
        qsizetype file = 0;     // its place among the FILEs
        qsizetype distance = 0; // words that differ, 1 or more
    };
    qsizetype length = -1;      // the cells its image uses; -1: it did not assemble
    QList<qsizetype> identical; // the other FILEs of the same image, in the order given
    QList<Near> near;           // the others within the distance: nearest first, then in order
    qsizetype group = -1;       // its group in Similarities::groups; -1: none

    // The FILE it is nearest to, identical ones first; null without any.
    std::optional<Near> nearest() const;
};

// FILEs linked by being identical or near, directly or through one another.
struct SimilarGroup {
    QList<qsizetype> files; // two or more, in the order given
};

struct Similarities {
    QList<Likeness> files;      // one per FILE, in the order given
    QList<SimilarGroup> groups; // the largest first; as large ones by their first FILE
};

// Compares the images of the FILEs, none for one that did not assemble:
// near ones are those that differ by at most `distance` words inserted,
// removed or replaced. Only images of lengths that close are compared.
Similarities findSimilar(const QList<std::optional<QStringList>> &images, qsizetype distance);

// The least number of words inserted, removed or replaced that turn `first`
// into `second` when it is at most `most`; otherwise most + 1.
qsizetype editDistance(const std::vector<int> &first, const std::vector<int> &second,
                       qsizetype most);

} // namespace grading
