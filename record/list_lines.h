#pragma once

#include "record/race_record.h"

#include <QString>
#include <QStringList>

#include <vector>

// The fixed-width list lines of the three saved-race screens, in one place. Widths count characters, full-width and
// half-width alike; an amount too long for its piece widens its line by exactly the extra characters, and no amount
// is ever cut. A file that cannot be read as a race keeps its line's width and shows its name instead of its figures.

// The result entry screen's line (74 characters).
QString resultSummaryLine(const CatalogueEntry& entry);
// The balance screen's line (77 characters).
QString balanceSummaryLine(const CatalogueEntry& entry);
// The record screen's line (72 characters): the hit or miss marker, date, race number, the result pair lower number
// first, the payout and the race name; "［読めません］" and the file name for a file that is not counted.
QString recordLine(const RaceOutcome& race);

// The line of every race, in order, made on every core (a folder may hold a hundred thousand races).
QStringList summaryLines(const std::vector<CatalogueEntry>& entries, QString (*line)(const CatalogueEntry&));

// What the record screen shows of a folder: every race's line in catalogue order, the totals, and the name of the last
// race counted (empty when none), made from the folder's race table (read through the result lines).
struct RecordList {
    QStringList lines;
    QStringList fileNames; // the bare name of each line's file
    RecordTotals totals;
    QString lastCounted;
};
RecordList recordListOf(const QString& folder);
