#pragma once

#include <QString>
#include <QtGlobal>

// One label of the program being assembled.
struct SymbolEntry {
    // The label as written in the stored (upper-cased) line.
    QString labelName;
    // Index of the line that defines the label, which is its memory address.
    qint32 labelAddress = 0;
    // Initial value of a data word; 0 for a code label.
    qint32 dataValue = 0;
    // True for a data label (a line of the data directive), false for a code label.
    bool isData = false;
};
