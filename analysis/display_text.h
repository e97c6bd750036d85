#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// How the analysis writes its numbers: on screen with thousands separators and units, in files as plain numbers.
namespace displaytext {

QString count(long long value);                  // "1,234"
QString yen(double value);                       // "1,234円", "-500円" (rounded to whole yen)
QString wholeYen(std::int64_t value);            // the same for an exact sum
QString percent(std::optional<double> value);    // "77.5%"; empty when absent
QString csvNumber(double value);                 // "1234", "-500", "870.5"
QString csvWholeNumber(std::int64_t value);      // "1234", every digit of an exact sum
QString csvPercent(std::optional<double> value); // "77.5"; empty when absent
QString pending();                               // "計算中": a figure still being worked out

// A name as tables and charts draw it: whole up to shownNameLength characters, else its start and "…" (the whole name
// goes in the tooltip and in files). A pasted name can run to any length; drawn whole, it would take the time and the
// width of the whole table.
inline constexpr qsizetype shownNameLength = 20;
QString shownName(const QString& name);

// The digits of a whole number written backwards, ending just before end: "-1,234" grouped by thousands as the
// Japanese locale groups them, or "-1234". Returns where they start; at most 27 characters go before end.
char16_t* writeDigits(std::int64_t value, bool grouped, char16_t* end);

} // namespace displaytext
