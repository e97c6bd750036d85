#include "core/numbers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

// The half-width character a typed character stands for where numbers are read: full-width digits, signs, point and
// comma, and the minus sign that some input methods produce; every other character stands for itself.
char16_t halfWidth(char16_t c)
{
    if (c >= u'０' && c <= u'９')
        return static_cast<char16_t>(u'0' + (c - u'０'));
    switch (c) {
    case u'＋': return u'+';
    case u'－':
    case u'−': return u'-';
    case u'．': return u'.';
    case u'，': return u',';
    default: return c;
    }
}

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

} // namespace

TypedNumber readTypedNumber(QStringView text)
{
    TypedNumber result;
    result.plain = QStringLiteral("0");
    const qsizetype n = text.size();
    auto at = [&text, n](qsizetype i) -> char16_t { return i < n ? halfWidth(text[i].unicode()) : u'\0'; };
    qsizetype i = 0;
    while (i < n && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\u3000'))
        ++i;
    if (i == n)
        return result;
    result.kind = TypedNumber::Kind::NotNumber;

    bool negative = false;
    if (at(i) == u'+' || at(i) == u'-')
        negative = at(i++) == u'-';
    QString whole;
    QString fraction;
    // A comma counts only between two digits, so that "1,230" is one number and "1," ends at the 1.
    while (isDigit(at(i)) || (at(i) == u',' && !whole.isEmpty() && isDigit(at(i + 1)))) {
        if (at(i) != u',')
            whole += QChar(at(i));
        ++i;
    }
    if (at(i) == u'.' && (!whole.isEmpty() || isDigit(at(i + 1)))) {
        ++i;
        while (isDigit(at(i)))
            fraction += QChar(at(i++));
    }
    if (whole.isEmpty() && fraction.isEmpty())
        return result;

    // The plain form: no leading zeros, no trailing zeros after the point, no point without a fraction, no "-0".
    qsizetype firstDigit = 0;
    while (firstDigit + 1 < whole.size() && whole[firstDigit] == u'0')
        ++firstDigit;
    whole = whole.isEmpty() ? QStringLiteral("0") : whole.mid(firstDigit);
    while (!fraction.isEmpty() && fraction.back() == u'0')
        fraction.chop(1);
    QString plain = fraction.isEmpty() ? whole : whole + u'.' + fraction;
    if (negative && plain != u"0")
        plain.prepend(u'-');

    result.kind = TypedNumber::Kind::Number;
    // from_chars reads the point whatever the user's locale; a number too large for a double is held as the largest.
    const QByteArray ascii = plain.toLatin1();
    const auto [end, error] = std::from_chars(ascii.constData(), ascii.constData() + ascii.size(), result.value);
    if (error != std::errc() || !std::isfinite(result.value)) {
        const double largest = whole == u"0" ? 0 : std::numeric_limits<double>::max(); // too small: 0
        result.value = negative ? -largest : largest;
    }
    result.plain = std::move(plain);
    result.length = i;
    return result;
}

std::optional<double> plainWholeNumber(QStringView text)
{
    if (text.isEmpty() || text.size() > 15)
        return std::nullopt;
    double whole = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        whole = whole * 10 + (c.unicode() - u'0');
    }
    return whole;
}

double numberValue(const QString& text)
{
    if (const std::optional<double> whole = plainWholeNumber(text))
        return *whole;
    const TypedNumber number = readTypedNumber(text);
    return number.kind == TypedNumber::Kind::Number ? number.value : 0;
}

bool heldExactly(const TypedNumber& number)
{
    return number.kind != TypedNumber::Kind::Number || numberText(number.value) == number.plain;
}

QString numberBoxProblem(const QString& text, const QString& caption, const QString& what)
{
    const TypedNumber number = readTypedNumber(text);
    if (number.refused())
        return QStringLiteral("「%1」には%2を数で入力してください。").arg(caption, what);
    if (!heldExactly(number))
        return QStringLiteral("「%1」の数はけたが多すぎます。15けたまでの数で入力してください。").arg(caption);
    return {};
}

std::optional<std::int64_t> countableYen(double value)
{
    // The comparisons come first: a cast of a value out of range would be undefined.
    if (!(value >= 0 && value <= static_cast<double>(maxAmountYen)) || value != std::floor(value))
        return std::nullopt;
    return static_cast<std::int64_t>(value);
}

QString amountBoxProblem(const QString& text, const QString& caption)
{
    const TypedNumber number = readTypedNumber(text);
    if (number.kind == TypedNumber::Kind::Number && !countableYen(number.value))
        return QStringLiteral("「%1」には0～999,999,999,999円の整数を入力してください。").arg(caption);
    return numberBoxProblem(text, caption, QStringLiteral("金額"));
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

QString padAtLeast(const QString& text, int width) { return text.leftJustified(width, u' ', false); }

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
    if (!std::isfinite(value))
        return QStringLiteral("0");
    if (std::trunc(value) == value && std::fabs(value) < 1e15)
        return QString::number(static_cast<long long>(value));
    // The shortest digits that give the value back, written out in full.
    std::array<char, 400> digits{};
    const auto [end, error] =
        std::to_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::fixed);
    if (error != std::errc())
        return QString::number(value, 'g', 15);
    return QString::fromLatin1(digits.data(), end - digits.data());
}

QString zeroFilled(const QString& text, int count)
{
    if (text.size() >= count)
        return text;
    const qsizetype sign = text.startsWith(u'-') || text.startsWith(u'+') ? 1 : 0;
    return text.left(sign) + QString(count - text.size(), u'0') + text.mid(sign);
}
