#pragma once

#include "core/result_paste.h"

#include <QString>

#include <vector>

// Reading the results of several races pasted at once: result pages one after another as they were copied (each read
// as result_paste.h reads one page), or a spreadsheet with a row per race.
//
// Pages are told apart by the line that names the race's number (「11R 東京優駿」, 「【東京１１Ｒ】」, 「第11競走」);
// the date and course lines just above it go with it, a line that names several numbers (「1R 2R 3R … 12R」) is
// navigation, and a race that names no date or course takes those of the race before it, as a newspaper's page of a
// day names them once. A page naming the same race number again before any result (a breadcrumb, then the heading)
// is one race.
//
// A spreadsheet row holds the date, the course, the race number, 一着, 二着 and the 馬連 payout, in that order or in
// the order of a header row that names them (日付, 競馬場 or 場, R or レース, 一着 or 1着, 二着 or 2着, 馬連 or
// 配当); cells split by tabs, or by commas (quoted cells kept whole), full-width or half-width. Two rows of one race
// are a dead heat.

struct PastedRace {
    // The race's result, date, course and number. result.ok is false, with result.error, for a race whose result
    // could not be read.
    PastedResult result;
    QString name;      // the race's name as its heading gives it, empty when none
    int firstLine = 0; // the line of the paste where the race starts, from 1
};

struct PastedDay {
    std::vector<PastedRace> races; // in the order pasted
    // Parts that named a race but read as no result (beyond a line or two of navigation), as sentences.
    QStringList passedOver;
    bool spreadsheet = false;
    QString error; // nothing at all could be read: why, as a sentence
};

PastedDay parsePastedDay(const QString& text);

// The race as a list shows what was pasted: 「2024年5月26日 東京 11R 東京優駿」 with the parts that are known.
QString pastedRaceTitle(const PastedRace& race);
