#pragma once

#include <QDate>
#include <QString>

#include <optional>

// Race dates are stored as the user typed them, normally "YY/MM/DD". Every place that needs the calendar date behind
// such a text reads it here, so that the date box and the analysis agree on the century of a two-digit year.

// The full year of a two-digit year: 00..29 lie in the 2000s, 30..99 in the 1900s.
int fullYearOfTwoDigits(int twoDigitYear);

// The calendar date of a race date text: year first, two or four digits; month and day of one or two digits; parts
// separated by "/" or "-"; blanks around the text ignored. A text of month and day alone means that day of
// yearForMonthDay; pass 0 when no year can stand in for a missing one. Invalid QDate when the text is not a date.
QDate parseRaceDate(const QString& text, int yearForMonthDay = 0);

// A typed race date as "YY/MM/DD", or nothing when the text is not a calendar date. The year comes first and has
// two or four digits, the parts are separated by "/" or "-"; month and day alone mean that day of currentYear.
// Two-digit years 00..29 lie in the 2000s and 30..99 in the 1900s, which decides whether 29 February exists.
std::optional<QString> normalisedRaceDate(const QString& typed, int currentYear);
