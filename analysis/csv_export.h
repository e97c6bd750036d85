#pragma once

#include "racefile/race_file.h"
#include "racefile/save_file.h"

#include <QByteArray>
#include <QString>

class QAbstractItemModel;

// A table as a CSV file that spreadsheet programs open with the Japanese intact: UTF-8 with a byte order mark, CR LF
// after every record, fields quoted as RFC 4180 says (a field holding a comma, a double quote or a line break is put
// in double quotes, its double quotes doubled). The header row is the headers' Csv role; a column whose header has
// none is left out. Cells are their Csv role, rows in the model's order (a sorted or searched view gives its own).
// A cell whose CsvNumber role is not true is text: one that starts with = + - @ TAB or CR is written with a leading
// ' so that no spreadsheet program runs it as a formula. A column whose header has a CsvSortHeader role is followed
// by that number column; each CsvIndicativeGroup the headers name adds a column at the end, 参考値 where a cell of
// its columns rests on fewer races than it needs.
QByteArray csvBytes(const QAbstractItemModel& model);

// Saves CSV bytes at path through the save helper: the file is replaced whole or not at all. On failure the error is
// a sentence for the user and an old file is left as it was.
FileResult saveCsvFile(const QString& path, const QByteArray& bytes, const WriteThrough& through = {},
                       LockWait* lockWait = nullptr);
