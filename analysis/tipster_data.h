#pragma once

#include "record/race_record.h"

#include <QStringList>

#include <cstdint>
#include <span>
#include <vector>

// What the analysis works out once per race for the pages on tipsters and on the program's rankings, so that a change
// of filter only adds up.

// The tipsters of a folder. Spellings that differ only in width, letter case or blanks are one tipster (記者Ａ and
// 記者A, "本紙 " and "本紙"), shown by the spelling most races use (on a tie, the first in code order).
struct TipsterList {
    QStringList names;       // the tipsters' shown names, in code order: tipster t is names[t]
    std::vector<int> ofName; // per name number of the folder's tipster names: the tipster it belongs to
};
TipsterList tipsterListOf(const FolderRecord& record);

// One tipster of one race and what the engine proposes with their marks alone and with everyone's but theirs, for the
// tickets the race asked. A tipster with two columns in a race has both taken together.
struct TipsterReplay {
    int tipster = 0;
    std::uint8_t onlyTickets = 0;
    std::uint8_t withoutTickets = 0;
    bool onlyHit = false;
    bool withoutHit = false;
    // The tipster's own ◎–○ as one ticket: their ◎ and ○ runners, when they gave exactly one of each (else -1).
    std::int8_t doubleCircleRunner = -1;
    std::int8_t circleRunner = -1;
};

// The distinct tipsters of a race, in the order their columns first come.
std::vector<int> tipstersOfRace(const RaceOutcome& race, const TipsterList& list);

// Fills the replays of a race whose tipster fields tipstersOfRace set.
void replayTipsters(const RaceOutcome& race, const TipsterList& list, std::span<TipsterReplay> replays);
