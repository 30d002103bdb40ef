#pragma once

// How many columns a text takes on screen in a fixed-width font, as
// terminals and editors count them (wcwidth): East Asian wide and fullwidth
// characters and emoji take two, combining marks and format characters none,
// everything else one. Formatting lines columns up by it.

#include <QStringView>
#include <QtGlobal>

namespace lsp
{

qint32 displayWidth(QStringView text);

} // namespace lsp
