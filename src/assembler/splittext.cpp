#include "assembler/splittext.h"

#include <QRegularExpression>

QList<QString> splitText(const QString &text, const QString &separator)
{
    if (separator.isEmpty()) {
        // Built once: every source line goes through here on each assembly.
        // No pattern options, so \s matches ASCII white space only.
        static const QRegularExpression whitespace(QStringLiteral("\\s+"));
        return text.split(whitespace, Qt::SkipEmptyParts);
    }
    return text.split(separator, Qt::SkipEmptyParts, Qt::CaseSensitive);
}
