#pragma once

#include <QDate>
#include <QString>

#include <cstdint>
#include <vector>

// Reading a race's result out of a result page copied from a web site or a newspaper: the finishing table (着順, 枠番,
// 馬番, 馬名 … as rows, or one cell a line as a web table is copied) and the payout table (its 馬連 line), either or
// both, with the page's headings, navigation and advertising lines around them.
//
// Understood in the finishing table: a header row naming 着順, 枠番 (枠) and 馬番 in any order (without one, a row is
// 着順, 枠番, 馬番 as the sites print it); newspaper rows 「１着　③ドウデュース」; 取消, 除外, 中止 and 失格 rows
// (passed over); 降着 marks beside the place; places shared by a dead heat. In the payout table: 「馬連 1-5 6,940円
// 19番人気」 on one line or over several, full-width or half-width, with one pair and amount more for a dead heat.
// A date (2024年5月26日, 2024/05/26), a course (「2回東京12日」, 「東京競馬場」) and a race number (「11R」,
// 「11レース」) found on the page are given too, so that a paste for another race can be told.

struct QuinellaPayout {
    int low = 0; // the pair, smaller number first
    int high = 0;
    std::int64_t yen = 0;
};

struct PastedResult {
    bool ok = false;
    QString error; // why nothing could be read, as a sentence
    // Horse numbers by place, in the order the table lists them (two for a dead heat).
    std::vector<int> firsts;
    std::vector<int> seconds;
    std::vector<QuinellaPayout> quinella; // the 馬連 payouts, in the order printed
    // What the page says of its race; empty, invalid or 0 where it says nothing.
    QDate date;
    QString course;
    int raceNumber = 0;
};
PastedResult parsePastedResult(const QString& text);

// One way the pasted result can be written: the two finishers in order and the payout of their pair, 0 where the page
// printed no 馬連 payout for it. A dead heat gives one choice per pair; a page that gives no order (payouts alone)
// gives the pair as printed.
struct ResultChoice {
    int first = 0;
    int second = 0;
    std::int64_t payout = 0;
    bool payoutKnown = false;
};
std::vector<ResultChoice> resultChoices(const PastedResult& result);

// The first course the text names (「東京」 of 「東京競馬場」 or 「2回東京12日」), empty when it names none.
QString courseNamedIn(const QString& text);
