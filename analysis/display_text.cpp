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

QString yen(double value)
{
    const double whole = std::round(value);
    return japanese().toString(static_cast<long long>(whole == 0 ? 0 : whole)) + QStringLiteral("円");
}

QString percent(std::optional<double> value)
{
    if (!value)
        return {};
    return japanese().toString(*value, 'f', 1) + QStringLiteral("%");
}

QString csvNumber(double value) { return numberText(value); }

QString csvPercent(std::optional<double> value)
{
    if (!value)
        return {};
    const QString text = QString::number(*value, 'f', 1);
    return text == QStringLiteral("-0.0") ? QStringLiteral("0.0") : text;
}

} // namespace displaytext
