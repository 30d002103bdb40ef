#include "dap/assemblyerror.h"

namespace dap
{

AssemblyError firstAssemblyError(const QString &programName, const QString &message)
{
    AssemblyError error;
    error.text = message.section(QLatin1Char('\n'), 0, 0);
    // The name may itself hold colons: the line number follows it.
    const QString prefix = programName + QLatin1Char(':');
    if (error.text.startsWith(prefix)) {
        const qsizetype end = error.text.indexOf(QLatin1Char(':'), prefix.size());
        bool isNumber = false;
        const qint32 line = error.text.mid(prefix.size(), end - prefix.size()).toInt(&isNumber);
        if (end > 0 && isNumber && line > 0)
            error.line = line;
    }
    return error;
}

} // namespace dap
