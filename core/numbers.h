#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// A number as people type it into a box: blanks before it (half- or full-width), a sign, digits and at most one
// decimal point, in half-width or full-width characters, with commas between the digits of thousands ("1,230",
// "１，２３０"). Whatever follows the number ("円", "頭") is not part of it, nor is an exponent ("2e1" is 2).
struct TypedNumber {
    enum class Kind { Empty, Number, NotNumber };
    Kind kind = Kind::Empty; // Empty: nothing but blanks; NotNumber: something, but it does not start with a number
    double value = 0;        // 0 unless a number
    QString plain;           // the number in plain half-width decimal ("-1230", "2.5", "0"); "0" when empty
    qsizetype length = 0;    // characters of the text taken by the blanks and the number

    bool refused() const { return kind == Kind::NotNumber; }
};
TypedNumber readTypedNumber(QStringView text);

// The number value of a typed text: the number it starts with (as above), 0 when it starts with none.
// "07" gives 7, "1200円" gives 1200, "１，２００円" gives 1200, "2.5" gives 2.5, "abc" and "" give 0.
double numberValue(const QString& text);

// The value of text made of digits alone, at most 15 of them (a double holds those exactly); nothing for any other
// text. What nearly every result and amount line holds, read without the general reader (a folder may hold a hundred
// thousand races).
std::optional<double> plainWholeNumber(QStringView text);

// Why a box's text cannot be taken as a number, as a short sentence naming the box by its caption
// ("「配当金」には金額を数で入力してください。"); empty when it can (an empty box is 0). what is what the user types
// there ("金額"). A number with more digits than can be shown again whole is refused too.
QString numberBoxProblem(const QString& text, const QString& caption, const QString& what);

// Sums of money the program takes and counts: whole yen from 0 to this (about a trillion), so that the sum of every
// race of a large folder is still an exact whole number.
inline constexpr std::int64_t maxAmountYen = 999'999'999'999;

// The amount a value is, when it is whole yen from 0 to maxAmountYen.
std::optional<std::int64_t> countableYen(double value);

// numberBoxProblem for a box that takes an amount of money: besides a text that holds no number, an amount that is
// negative, not whole or larger than maxAmountYen is refused, naming the box
// ("「配当金」には0～999,999,999,999円の整数を入力してください。").
QString amountBoxProblem(const QString& text, const QString& caption);

// True when the number's plain text comes back unchanged from its value, so that it can be shown, summed and
// written again without losing a digit (up to 15 significant digits always do).
bool heldExactly(const TypedNumber& number);

// Converts to a signed 16-bit whole number, rounding half to even (2.5 -> 2, 3.5 -> 4).
// Refuses (nullopt) anything outside -32768..32767 and anything that is not a finite number.
std::optional<std::int16_t> toInt16(double value);

// Same rule for the 32-bit values of the race file (income).
std::optional<std::int32_t> toInt32(double value);

// Width rules of the fixed-width list lines. Widths count characters, full-width and half-width alike.
QString padTo(const QString& text, int width);       // append blanks, keep the first width characters
QString padAtLeast(const QString& text, int width);  // append blanks up to width characters; never cut
QString lastOfZeros(const QString& text, int count); // prefix count zeros, keep the last count characters

// Number formats shown on screens and in list lines.
QString formatRate(double value);    // "0.000":   0.357142 -> "0.357"
QString formatPercent(double value); // "00.0":    7.5 -> "07.5", 100 -> "100.0"
QString formatYen(double value);     // "000000円": -500 -> "-000500円", 1234567 -> "1234567円"

// A number as a race file's number line holds it, without the blanks: 7 -> "7", -3 -> "-3", 2.5 -> "2.5",
// 5000000000 -> "5000000000" (never an exponent).
QString numberText(double value);

// Zero fill of the boxes and list lines that show a finisher or a payout: zeros after the sign until the text has
// at least count characters; a longer text is kept whole ("870" -> "000870", "1234560" -> "1234560").
QString zeroFilled(const QString& text, int count);
