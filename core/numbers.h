#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The number value of a typed text: the number it starts with (after blanks), 0 when it starts with none.
// "07" gives 7, "1200円" gives 1200, "2.5" gives 2.5, "abc" and "" give 0.
double numberValue(const QString& text);

// Converts to a signed 16-bit whole number, rounding half to even (2.5 -> 2, 3.5 -> 4).
// Refuses (nullopt) anything outside -32768..32767 and anything that is not a finite number.
std::optional<std::int16_t> toInt16(double value);

// Same rule for the 32-bit values of the race file (income).
std::optional<std::int32_t> toInt32(double value);

// Width rules of the fixed-width list lines. Widths count characters, full-width and half-width alike.
QString padTo(const QString& text, int width);       // append blanks, keep the first width characters
QString lastOfZeros(const QString& text, int count); // prefix count zeros, keep the last count characters

// Number formats shown on screens and in list lines.
QString formatRate(double value);    // "0.000":   0.357142 -> "0.357"
QString formatPercent(double value); // "00.0":    7.5 -> "07.5", 100 -> "100.0"
QString formatYen(double value);     // "000000円": -500 -> "-000500円", 1234567 -> "1234567円"

// A number as a race file's number line holds it, without the blanks: 7 -> "7", -3 -> "-3", 2.5 -> "2.5".
QString numberText(double value);
