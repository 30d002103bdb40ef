#include "dap/assemblyerror.h"

namespace dap
{

AssemblyError firstAssemblyError(const QString &programName, const QString &message)
{
    AssemblyError error;
    error.text = message.section(QLatin1Char('\n'), 0, 0);
    // The name may itself hold colons: the line and the column follow it,
    // each a number ended by a colon.
    const QString prefix = programName + QLatin1Char(':');
    if (!error.text.startsWith(prefix))
        return error;
    qsizetype at = prefix.size();
    for (qint32 *number : {&error.line, &error.column}) {
        const qsizetype end = error.text.indexOf(QLatin1Char(':'), at);
        bool isNumber = false;
        const qint32 value = end < 0 ? 0 : error.text.mid(at, end - at).toInt(&isNumber);
        if (!isNumber || value <= 0)
            break;
        *number = value;
        at = end + 1;
    }
    return error;
}

} // namespace dap
