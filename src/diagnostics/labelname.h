#pragma once

// Which words may name a label when a fix or a rename writes one.

#include <QStringView>

namespace diagnostics
{

// A letter of any script or '_' first, then letters (with their combining
// marks), digits and underscores: a name every reader takes for a label,
// never for a number. The assembler takes more; fixes and renames write no
// other names.
bool isLabelName(QStringView name);

// A label name that is no mnemonic: what a fix may write as a label.
bool isFreeLabelName(QStringView name);

} // namespace diagnostics
