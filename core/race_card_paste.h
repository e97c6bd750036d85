#pragma once

#include "core/race_surface.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

// Reading a race card (出馬表) out of text copied from a web site, a newspaper or a spreadsheet: the race's heading
// (date, race number, race name, class, course, surface and distance, runner count) and its runner table (horse
// number and name; the frame, sex and age, weight, jockey, trainer and body weight beside them passed over; the win
// odds and popularity kept), with the page's navigation, advertising and other lines around them passed over.
//
// Understood in the heading, in half-width or full-width characters:
//   date: 2024年5月26日(日), 2024/05/26, 令和6年5月26日, 5月26日(日) (this year); a line naming two dates or more (a
//   calendar of the meeting's days) is passed over, and a date with its year wins over month and day alone;
//   race number: 11R, 11レース, 第11競走, 東京11R; a line naming two race numbers or more (the day's races as links) is
//   passed over;
//   course: 2回東京12日, 東京競馬場, 東京11R, or a cell holding just 東京;
//   surface and distance: 芝2400m, ダ1200m, ダート1,200m, 障害3000m, 芝・右 外1800m, 2,400メートル（芝・左）;
//   class: (GⅠ) (G1) (ＧⅡ) (Jpn1) J・GⅠ; 新馬, 未勝利, 1勝クラス … オープン, (L) name an ungraded race;
//   race name: the words beside the race number (11R 東京優駿(GⅠ)), the line under it, the words before a class
//   mark (日本ダービー(GⅠ)), or the value after a 「レース名」 label;
//   runner count: 18頭 (18頭立て), else the highest horse number of the table.
// A runner row is read as readRunnerTable (core/pasted_table.h) reads it. 取消 and 除外 anywhere in a runner's row
// mark the runner as not running. Odds are the column headed 単勝 or オッズ and popularity the column headed 人気;
// without such a header, a row that ends in a number with one decimal (3.5, 3.5倍) and a whole number (1, 1人気)
// gives them.
//
// Nothing is guessed: an item the card names in two ways (two dates, two distances, a runner count that its table
// contradicts) is left unread and the reason given; a runner named twice differently is not taken.

// The seven questions of the race conditions, in their order.
enum class CardItem { Date, RaceNumber, RaceName, Grade, Course, Distance, Runners };
inline constexpr int cardItemCount = 7;

// The question's words, as the screen and its messages say them: "日付", "レース番号", "レース名", "重賞",
// "競馬場", "距離", "頭数".
QString cardItemName(CardItem item);

struct CardAnswer {
    bool read = false;
    QString text; // as the box takes it: "2024/05/26", "11", "東京優駿", "ＧⅠ" (empty: ungraded), "東京競馬場",
                  // "2400m", "18"
    QString why; // when not read and the card says something of it: why it was not taken
};

struct CardRunner {
    int number = 0;
    QString name;
    QString withdrawal; // "取消" or "除外", empty for a runner that runs
    double winOdds = 0; // 0 where the card prints none
    int popularity = 0; // 0 where the card prints none
};

struct PastedRaceCard {
    bool ok = false;
    QString error; // why nothing could be taken, as a sentence
    std::array<CardAnswer, cardItemCount> answers;
    RaceSurface surface = RaceSurface::Unknown;
    QDate date;                      // the date read, when answers[Date] is read
    std::vector<CardRunner> runners; // by horse number, only those taken
    std::vector<int> twoNames;       // numbers the table gives two different names: not taken
    std::vector<int> missing;        // numbers up to the runner count that the table names not
    int cutNumber = 0;               // the last name, cut off by the end of the paste: not taken
    int passedLines = 0;             // lines holding text that named nothing read

    const CardAnswer& answer(CardItem item) const { return answers[static_cast<std::size_t>(item)]; }
    // The questions left for typing, by their words.
    QStringList unreadItems() const;
};

// Reads a pasted race card. currentYear is the year that month and day alone mean (0: this year). Refused (ok false)
// when neither an item of the heading nor a runner could be read.
PastedRaceCard parsePastedRaceCard(const QString& text, int currentYear = 0);

// The odds as a card prints them: "3.5", "112.3"; empty for none.
QString oddsText(double odds);
