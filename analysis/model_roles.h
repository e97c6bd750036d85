#pragma once

#include <Qt>

// Roles the analysis models answer besides the display text, shared by the views, the CSV export and the tests.
namespace AnalysisRole {
enum : int {
    Sort = Qt::UserRole + 1, // the raw value a column sorts by: a number, or the text; none for an empty cell
    Csv,                     // the text of the cell in a CSV file (numbers without separators, dates YYYY-MM-DD)
    CsvNumber,               // true where that text is a number (an amount, a rate, a count); any other cell is text
    Indicative,              // true where the figure rests on fewer races than it needs to be more than indicative
    IntervalLow,             // the bounds of a 95% interval, in per cent
    IntervalHigh,
    Asked, // what-if rows: the user asked this many tickets for some of the races
    // Header roles of CSV files. CsvSortHeader: the heading of a number column written right after this one, that a
    // spreadsheet sorts by where the key is a range or a month ("8頭以下", "10月"); its cells are their CsvSort role.
    CsvSortHeader,
    CsvSort,
    // CsvIndicativeGroup: the heading of a column at the end of the file that says 参考値 in each row where a cell of
    // this column is indicative; columns of one group share one such column.
    CsvIndicativeGroup,
};
}
