#include "core/race_date.h"

#include <QRegularExpression>

int fullYearOfTwoDigits(int twoDigitYear) { return twoDigitYear + (twoDigitYear < 30 ? 2000 : 1900); }

QDate parseRaceDate(const QString& text, int yearForMonthDay)
{
    static const QRegularExpression full(QStringLiteral("^(\\d{2}|\\d{4})[/-](\\d{1,2})[/-](\\d{1,2})$"));
    static const QRegularExpression monthDay(QStringLiteral("^(\\d{1,2})[/-](\\d{1,2})$"));
    const QString trimmed = text.trimmed();
    if (const QRegularExpressionMatch m = full.match(trimmed); m.hasMatch()) {
        int year = m.captured(1).toInt();
        if (m.capturedLength(1) == 2)
            year = fullYearOfTwoDigits(year);
        return QDate(year, m.captured(2).toInt(), m.captured(3).toInt());
    }
    if (yearForMonthDay == 0)
        return {};
    if (const QRegularExpressionMatch md = monthDay.match(trimmed); md.hasMatch())
        return QDate(yearForMonthDay, md.captured(1).toInt(), md.captured(2).toInt());
    return {};
}

std::optional<QString> normalisedRaceDate(const QString& typed, int currentYear)
{
    const QDate date = parseRaceDate(typed, currentYear);
    if (!date.isValid())
        return std::nullopt;
    return date.toString(QStringLiteral("yy/MM/dd"));
}
