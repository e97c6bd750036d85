#pragma once

#include <QDate>
#include <QString>

#include <optional>

// Race dates are stored as "YY/MM/DD" (older races as the user typed them). Every place that needs the calendar date
// behind such a text reads it here, so that the date box and the analysis agree on what a text means.
//
// Read are the forms fans write, in half-width or full-width characters, blanks anywhere ignored:
//   year first with "/", "-" or "." between the parts: 24/5/26, 2024-05-26, 24.5.26; two or four digits of year;
//   six or eight digits without separators: 240526, 20240526;
//   with kanji: 2024年5月26日, 24年5月26日;
//   和暦 by name or letter, with the first year written 元 or 1: 令和6年5月26日, R6/5/26, R6.5.26, 平成元年1月8日,
//   H31.4.30, 昭和64年1月7日, S60/5/26;
//   month and day alone, in the year given for them: 5/26, 5月26日;
//   any of these followed by the day of the week in brackets: 2024年5月26日(日), R6.5.26（日曜）.
// A 和暦 date must lie within its era (平成32年 is no date: 平成 ended on 2019-04-30), and a day of the week given must
// be the date's own.

// A race file keeps two digits of the year. They are read as a year of the hundred years that end twenty years after
// the current one (in 2026: 1947 to 2046, so 46 is 2046 and 47 is 1947): races of the coming years and of the past
// eighty read back as themselves, and the window moves on with the calendar, so that no year stops being enterable.
struct TwoDigitYearWindow {
    int first = 0;
    int last = 0;
};
TwoDigitYearWindow twoDigitYearWindow(int currentYear);

// The full year of a two-digit year (0..99) in the window of currentYear.
int fullYearOfTwoDigits(int twoDigitYear, int currentYear);

// The year the window is placed by: today's, unless a test set another day with RaceDateTodayForTests.
int raceDateCurrentYear();

// For tests: while one lives, the current year of the dates is that of `today`.
class RaceDateTodayForTests {
public:
    explicit RaceDateTodayForTests(const QDate& today);
    ~RaceDateTodayForTests();
    RaceDateTodayForTests(const RaceDateTodayForTests&) = delete;
    RaceDateTodayForTests& operator=(const RaceDateTodayForTests&) = delete;

private:
    int previous_;
};

// What reading a date text found.
enum class RaceDateReading {
    Date,         // a date, in `date`
    Empty,        // nothing but blanks
    NotADate,     // no form above
    NoSuchDay,    // a form above, but the calendar has no such day (24/2/30, 24/13/1)
    OutsideEra,   // a 和暦 date before its era began or after it ended
    WrongWeekday, // the day of the week given is not the date's
};

struct RaceDateRead {
    RaceDateReading reading = RaceDateReading::Empty;
    QDate date;   // the date read; for WrongWeekday too
    int year = 0; // the year, month and day as read, for NoSuchDay (a day that does not exist has no QDate)
    int month = 0;
    int day = 0;
    QString eraName; // for OutsideEra: the era's name, and its first and (but for the present era) last day
    QDate eraFirst;
    QDate eraLast;
};

// Reads a date text in any form above. yearForMonthDay is the year that month and day alone mean; with 0 such a text
// is not a date. Two digits of year are read in the window of currentYear (0: raceDateCurrentYear()).
RaceDateRead readRaceDate(const QString& text, int yearForMonthDay = 0, int currentYear = 0);

// The calendar date of a date text, or an invalid QDate when readRaceDate finds none.
QDate parseRaceDate(const QString& text, int yearForMonthDay = 0, int currentYear = 0);

// The date box's reading of what was typed: the date as "YY/MM/DD", or a short Japanese sentence saying why the text
// cannot be taken. Month and day alone mean that day of currentYear, and two digits of year are read in its window.
// Only the years of that window can be written with two digits and read back as the same year, so a date outside it
// is refused too. An empty text gives neither.
struct RaceDateEntry {
    QString text;    // "YY/MM/DD" for a date
    QString problem; // why the text is not taken
};
RaceDateEntry enterRaceDate(const QString& typed, int currentYear);

// The "YY/MM/DD" of a typed date, or nothing when enterRaceDate does not take it.
std::optional<QString> normalisedRaceDate(const QString& typed, int currentYear);

// A date as a sentence writes it: "2024年5月26日".
QString writtenDate(const QDate& date);
