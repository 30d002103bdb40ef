#include "lsp/quickfix.h"

#include "lsp/diagnosticadapter.h"

#include <QJsonArray>

namespace lsp
{

Answer codeActions(const DocumentRequest &request)
{
    const QJsonObject range = request.params.value(QLatin1String("range")).toObject();
    const QJsonArray only = request.params.value(QLatin1String("context"))
                                .toObject()
                                .value(QLatin1String("only"))
                                .toArray();
    QJsonArray actions;
    if (!only.isEmpty() && !only.contains(QStringLiteral("quickfix")))
        return actions;
    for (const Finding &finding : findingsOf(request.document, request.uri)) {
        if (!rangesMeet(finding.diagnostic.value(QLatin1String("range")).toObject(), range))
            continue;
        for (const QJsonObject &action : finding.actions)
            actions.append(action);
    }
    return actions;
}

} // namespace lsp
