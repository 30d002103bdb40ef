#include "grading/timelimit.h"

#include <QRegularExpression>

namespace grading
{

std::optional<TimeLimit> readSeconds(const QString &text)
{
    static const QRegularExpression seconds(QStringLiteral("^([0-9]+)(?:\\.([0-9]{1,3}))?$"));
    const QRegularExpressionMatch match = seconds.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 whole = match.captured(1).toLongLong(&ok, 10);
    if (!ok || whole > kMostSeconds)
        return std::nullopt;
    const qint64 millis = match.captured(2).leftJustified(3, QLatin1Char('0')).toLongLong();
    if (whole == kMostSeconds && millis != 0)
        return std::nullopt;
    return TimeLimit(whole * 1000 + millis);
}

QString secondsText(TimeLimit limit)
{
    const qint64 millis = limit.count();
    QString text = QString::number(millis / 1000);
    if (millis % 1000 != 0) {
        QString decimals = QString::number(millis % 1000).rightJustified(3, QLatin1Char('0'));
        while (decimals.endsWith(QLatin1Char('0')))
            decimals.chop(1);
        text += QLatin1Char('.') + decimals;
    }
    return text;
}

QString timeLimitMessage(TimeLimit limit)
{
    return QStringLiteral("Error: the program took more than %1 s and was stopped "
                          "(see --time-limit).")
        .arg(secondsText(limit));
}

} // namespace grading
