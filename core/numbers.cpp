#include "core/numbers.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

double numberValue(const QString& text)
{
    // Collect the leading number as plain ASCII: blanks before it, a sign, digits, one decimal point and an
    // exponent. Anything else ends it; strtod then reads what was collected.
    std::string number;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (i < n && isBlank(text[i]))
        ++i;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        number += static_cast<char>(text[i++].unicode());
    bool digits = false;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        number += static_cast<char>(text[i++].unicode());
        digits = true;
    }
    if (i < n && text[i] == u'.') {
        number += '.';
        ++i;
        while (i < n && text[i] >= u'0' && text[i] <= u'9') {
            number += static_cast<char>(text[i++].unicode());
            digits = true;
        }
    }
    if (!digits)
        return 0;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        std::string exponent = "e";
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            exponent += static_cast<char>(text[j++].unicode());
        bool expDigits = false;
        while (j < n && text[j] >= u'0' && text[j] <= u'9') {
            exponent += static_cast<char>(text[j++].unicode());
            expDigits = true;
        }
        if (expDigits)
            number += exponent;
    }
    const double value = std::strtod(number.c_str(), nullptr);
    return std::isfinite(value) ? value : 0;
}

namespace {
template <typename Int>
std::optional<Int> roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    // nearbyint rounds half to even in the default rounding mode.
    const double rounded = std::nearbyint(value);
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min())
        || rounded > static_cast<double>(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(rounded);
}
} // namespace

std::optional<std::int16_t> toInt16(double value) { return roundHalfEven<std::int16_t>(value); }

std::optional<std::int32_t> toInt32(double value) { return roundHalfEven<std::int32_t>(value); }

QString padTo(const QString& text, int width)
{
    if (width <= 0)
        return {};
    return text.leftJustified(width, u' ', true);
}

QString lastOfZeros(const QString& text, int count)
{
    if (count <= 0)
        return {};
    return (QString(count, u'0') + text).right(count);
}

QString formatRate(double value) { return QString::number(value, 'f', 3); }

QString formatPercent(double value)
{
    QString digits = QString::number(std::fabs(value), 'f', 1);
    if (digits.indexOf(u'.') < 2)
        digits.prepend(u'0');
    return (value < 0 && digits != QStringLiteral("00.0") ? QStringLiteral("-") : QString()) + digits;
}

QString formatYen(double value)
{
    const double rounded = std::round(value);
    QString digits = QString::number(std::fabs(rounded), 'f', 0);
    if (digits.size() < 6)
        digits = QString(6 - digits.size(), u'0') + digits;
    return (rounded < 0 ? QStringLiteral("-") : QString()) + digits + QStringLiteral("円");
}

QString numberText(double value)
{
    if (std::trunc(value) == value && std::fabs(value) < 1e15)
        return QString::number(static_cast<long long>(value));
    return QString::number(value, 'g', 15);
}
