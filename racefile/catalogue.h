#pragma once

#include "core/module1.h"
#include "racefile/race_file.h"

#include <QString>

#include <functional>
#include <vector>

// Every "*.tkr" in the folder (extension case-insensitive), sorted ascending by sort key (ties by file name).
// Unreadable files are listed with readable=false.
// An unreadable file is one that cannot be opened, is not valid code page 932 text, whose runner count (0..21),
// ticket count or mark counts (0..25) do not fit the tables, or that ends before its last mark line. Its summary lines
// keep their widths and show the date and race number as far as they could be read, "＊このファイルは読めません＊"
// and the file name; rewriting it fails with the reason. A file that is only short after its marks is readable:
// missing result lines show as empty, missing balance lines as 0.
std::vector<CatalogueEntry> buildCatalogue(const QString& folder = QStringLiteral("."));

// The catalogue with each race read in full from the same single read of its file (what the record screen needs):
// read.ok is false, and race unspecified, for a file that cannot be read as a race.
struct CataloguedRace {
    CatalogueEntry entry;
    LoadedRace race;
    FileResult read;
};
std::vector<CataloguedRace> buildRaceCatalogue(const QString& folder = QStringLiteral("."),
                                               ReadScope scope = ReadScope::ThroughResults);

// The list lines of the result entry (74 characters) and balance (77 characters) screens. An amount too long for its
// piece widens its line by exactly the extra characters; no amount is ever cut.
QString resultSummaryLine(const CatalogueEntry& entry);
QString balanceSummaryLine(const CatalogueEntry& entry);

using ConfirmFn = std::function<bool(const QString& text, const QString& title)>;
enum class Outcome { Done, Cancelled, Failed };
struct RewriteResult {
    Outcome outcome = Outcome::Failed;
    QString error;
};

// Rewrites the three result lines of fileName (in the current folder) through "TKR.tmp", asking confirm with
// "データを書き換えますがよろしいですか？" / "データの書き換え". first/second/payout are the boxes' texts: the number
// each holds is written digit for digit; a box that holds no number is refused, naming it, before anything is written.
RewriteResult rewriteResultLines(const QString& fileName, const QString& first, const QString& second,
                                 const QString& payout, const ConfirmFn& confirm);
// Same for the two balance lines (stake, income).
RewriteResult rewriteBalanceLines(const QString& fileName, const QString& stake, const QString& income,
                                  const ConfirmFn& confirm);
// Deletes fileName after confirm("データを削除しますがよろしいですか？", "データの削除").
RewriteResult deleteRaceFile(const QString& fileName, const ConfirmFn& confirm);
