#include "lsp/checkedtext.h"

#include "diagnostics/sourcetext.h"

#include <algorithm>

namespace lsp
{

CheckedText::CheckedText(const QString &document)
{
    lineStarts_.append(0);
    if (!document.contains(QLatin1Char('\r'))) {
        // The usual case: the text is read as it is, and shared, not copied.
        text_ = document;
        for (qsizetype feed = text_.indexOf(QLatin1Char('\n')); feed >= 0;
             feed = text_.indexOf(QLatin1Char('\n'), feed + 1))
            lineStarts_.append(feed + 1);
        return;
    }
    text_.reserve(document.size());
    for (qsizetype at = 0; at < document.size(); ++at) {
        const QChar c = document[at];
        if (c == QLatin1Char('\r') && at + 1 < document.size() &&
            document[at + 1] == QLatin1Char('\n'))
            continue; // the line feed that follows ends the line alone
        if (c == QLatin1Char('\n')) {
            if (at > 0 && document[at - 1] == QLatin1Char('\r'))
                droppedBefore_.append(text_.size());
            lineStarts_.append(text_.size() + 1);
        }
        text_ += c;
    }
}

qsizetype CheckedText::offsetOf(qint32 line, qint32 bytes) const
{
    if (line < 1)
        return 0;
    if (line > lineCount())
        return text_.size();
    const qsizetype start = lineStarts_[line - 1];
    const qsizetype end = line < lineCount() ? lineStarts_[line] - 1 : text_.size();
    const QStringView view = QStringView(text_).sliced(start, end - start);
    return start + diagnostics::charsBefore(view, qMax(0, bytes));
}

qsizetype CheckedText::documentOffset(qsizetype offset) const
{
    // The carriage returns dropped before the line feeds that come before the
    // offset; one dropped before a line feed at the offset itself is where
    // the offset lands.
    const auto dropped = std::lower_bound(droppedBefore_.cbegin(), droppedBefore_.cend(), offset) -
                         droppedBefore_.cbegin();
    return std::clamp<qsizetype>(offset, 0, text_.size()) + dropped;
}

} // namespace lsp
