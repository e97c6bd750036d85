#pragma once

#include "prediction/mark_sheet.h"
#include "prediction/prediction.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

// The six prediction marks. The number is the column of markSheet and the order of the mark buttons.
enum class MarkKind : int { DoubleCircle = 0, Circle = 1, Triangle = 2, BlackTriangle = 3, Cross = 4, Star = 5 };

// "◎", "○", "△", "▲", "×", "★", indexed by MarkKind.
QString markSymbol(MarkKind kind);
QString markSymbol(int kind);

// Everything that describes the current race.
struct RaceState {
    QString raceDate;
    std::int16_t raceNumber = 0;
    QString raceName;
    QString gradedText;
    QString courseName;
    QString distanceText;
    std::int16_t runnerCount = 0;
    std::int16_t ticketCount = 0;
    std::int16_t aimMode = 0;
    MarkSheet markSheet{};
    std::array<QString, maxRunners> runnerNames;
};

// Resets the race description; marks and runner names are deliberately kept (the mark sheet clears them when it opens).
void clearRaceState(RaceState& race, std::int16_t ticketDefault);

// The only way a runner count enters the state: the tables hold 21 runners, so anything outside 0..21 is refused
// and the state is left as it was.
bool setRunnerCount(RaceState& race, int count);

// One of the five tail lines of a race file: an empty line while unset, else a number or a text.
struct TailValue {
    enum class Kind { Unset, Number, Text };
    Kind kind = Kind::Unset;
    double number = 0;
    QString text;

    static TailValue unset() { return {}; }
    static TailValue ofNumber(double value) { return {Kind::Number, value, {}}; }
    static TailValue ofText(const QString& value) { return {Kind::Text, 0, value}; }
    bool isUnset() const { return kind == Kind::Unset; }
    bool operator==(const TailValue&) const = default;
};

struct TailLines {
    TailValue firstPlace;
    TailValue secondPlace;
    TailValue payout;
    TailValue stake;
    TailValue income = TailValue::ofNumber(0);
    bool operator==(const TailLines&) const = default;
};

// One saved race as the catalogue found it. Filled by the race-file library, rendered by the screens.
struct CatalogueEntry {
    QString fileName;       // bare name in the current folder
    QString sortKey;        // line 1 + last two of "00" + line 2
    bool readable = false;  // false: the file could not be read as a race file; only fileName is reliable
    QString raceDate;       // line 1
    QString raceNumberText; // line 2 as text
    QString raceName;       // line 3
    std::int16_t runnerCount = 0;
    QString firstPlace; // result lines as text, empty while unset
    QString secondPlace;
    QString payout;
    double stake = 0; // balance lines as numbers, 0 while unset
    double income = 0;
};

// The shared module: one instance owned by the application, handed to every screen by reference.
struct Module1 {
    RaceState race;

    QString appFolder;
    // The folder of the race files; the application sets it to the folder it was started in.
    QString raceFolder;
    std::int16_t sharedCounter = 0;
    QString lineBuffer;
    std::int16_t keyCount = 0;
    QString selectedRaceFile;

    // The saved-race catalogue, in list order (already sorted).
    std::vector<CatalogueEntry> raceCatalogue;

    double raceStake = 0;
    double raceIncome = 0;
    double totalStake = 0;
    double totalIncome = 0;

    TailLines keptTailLines;

    double columnOriginX = 0;
    std::int16_t columnTop = 0;

    // The last proposal computed for the current race (the engine's working tables and ticket list).
    PredictionResult prediction;
};

// Runs the engine on the current race and keeps its result in the shared module.
const PredictionResult& predictCurrentRace(Module1& module);
