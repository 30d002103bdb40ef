#pragma once

// The one place where the language server reads the checks' diagnostic type:
// each diagnostic becomes the protocol's Diagnostic, with its range in
// UTF-16 code units, its related places, and its fixes as quick-fix code
// actions. A change of the diagnostic type touches this file alone.

#include "lsp/document.h"

#include <QJsonObject>
#include <QList>
#include <QString>

namespace lsp
{

// The largest program korvane-run and the window read; a larger document
// gets one error saying so instead of its checks.
inline constexpr qint32 kMaxDocumentBytes = 1024 * 1024;

struct Finding {
    QJsonObject diagnostic;     // the protocol's Diagnostic
    QList<QJsonObject> actions; // a CodeAction of kind "quickfix" per fix, for `uri`
};

// What korvane-run reports about the text, in its order: the errors with
// their notes when it does not assemble, its warnings when it does.
QList<Finding> findingsOf(const Document &document, const QString &uri);

// Whether two of the protocol's ranges share a character, or touch where
// one is empty: which diagnostics a code action request is about.
bool rangesMeet(const QJsonObject &a, const QJsonObject &b);

} // namespace lsp
