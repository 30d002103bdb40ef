#include "diagnostics/labelname.h"

#include "diagnostics/mnemonic.h"

#include <QRegularExpression>

namespace diagnostics
{

bool isLabelName(QStringView name)
{
    static const QRegularExpression labelName(QStringLiteral("^[\\p{L}_][\\p{L}\\p{M}\\p{Nd}_]*$"));
    return labelName.match(name.toString()).hasMatch();
}

bool isFreeLabelName(QStringView name)
{
    return isLabelName(name) && rowOf(name.toString().toUpper()) == nullptr;
}

} // namespace diagnostics
