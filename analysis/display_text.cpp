#include "analysis/display_text.h"

#include "core/numbers.h"

#include <QLocale>

#include <cmath>

namespace displaytext {

namespace {
// Fixed, so that the separators do not follow the machine's settings.
const QLocale& japanese()
{
    static const QLocale locale(QLocale::Japanese, QLocale::Japan);
    return locale;
}
} // namespace

QString count(long long value) { return japanese().toString(value); }

QString pending() { return QStringLiteral("計算中"); }

QString yen(double value)
{
    const double whole = std::round(value);
    // A whole number a double holds exactly goes by the integer; beyond, the cast would be undefined.
    if (std::fabs(whole) < 0x1p53)
        return wholeYen(static_cast<std::int64_t>(whole));
    return japanese().toString(whole, 'f', 0) + QStringLiteral("円");
}

char16_t* writeDigits(std::int64_t value, bool grouped, char16_t* end)
{
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    char16_t* at = end;
    int digits = 0;
    do {
        if (grouped && digits > 0 && digits % 3 == 0)
            *--at = u',';
        *--at = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
        ++digits;
    } while (magnitude != 0);
    if (value < 0)
        *--at = u'-';
    return at;
}

QString wholeYen(std::int64_t value)
{
    // Written digit by digit as the Japanese locale writes it ("-1,234円"): the race table makes six of these a row,
    // and the locale's general formatting is several times slower.
    char16_t text[32];
    text[31] = u'円';
    const char16_t* const start = writeDigits(value, true, text + 31);
    return QString(reinterpret_cast<const QChar*>(start), text + 32 - start);
}

QString percent(std::optional<double> value)
{
    if (!value)
        return {};
    return japanese().toString(*value, 'f', 1) + QStringLiteral("%");
}

QString csvNumber(double value) { return numberText(value); }

QString csvWholeNumber(std::int64_t value) { return QString::number(static_cast<qlonglong>(value)); }

QString csvPercent(std::optional<double> value)
{
    if (!value)
        return {};
    const QString text = QString::number(*value, 'f', 1);
    return text == QStringLiteral("-0.0") ? QStringLiteral("0.0") : text;
}

QString shownName(const QString& name)
{
    if (name.size() <= shownNameLength)
        return name;
    qsizetype kept = shownNameLength - 1;
    // Never half of a character outside the basic plane.
    if (name[kept - 1].isHighSurrogate())
        --kept;
    return name.first(kept) + u'…';
}

} // namespace displaytext
