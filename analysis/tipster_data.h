#pragma once

#include "record/race_record.h"

#include <QStringList>

#include <array>
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
// A folder of 100,000 races holds close to a million of these, so each is packed in six bytes: the tipster in 24 bits
// (a folder's tipster names are numbered in 24 bits, so there are never more tipsters), each ticket total in 5 (a
// proposal holds at most ticketListCapacity tickets), the two hits, and each runner + 1 in 6 (a mark's runner is < 32).
class TipsterReplay {
public:
    explicit TipsterReplay(int tipster = 0) { set(tipster, 0, 0, false, false, -1, -1); }

    int tipster() const { return static_cast<int>(field(0, 24)); }
    int onlyTickets() const { return static_cast<int>(field(24, 5)); }
    int withoutTickets() const { return static_cast<int>(field(29, 5)); }
    bool onlyHit() const { return field(34, 1) != 0; }
    bool withoutHit() const { return field(35, 1) != 0; }
    // The tipster's own ◎–○ as one ticket: their ◎ and ○ runners, when they gave exactly one of each (else -1).
    int doubleCircleRunner() const { return static_cast<int>(field(36, 6)) - 1; }
    int circleRunner() const { return static_cast<int>(field(42, 6)) - 1; }

    void set(int tipster, int onlyTickets, int withoutTickets, bool onlyHit, bool withoutHit, int doubleCircleRunner,
             int circleRunner);

private:
    std::uint64_t word() const
    {
        std::uint64_t w = 0;
        for (std::size_t b = 0; b < bytes_.size(); ++b)
            w |= std::uint64_t{bytes_[b]} << (8 * b);
        return w;
    }
    std::uint64_t field(int at, int bits) const { return word() >> at & ((std::uint64_t{1} << bits) - 1); }
    std::array<std::uint8_t, 6> bytes_{};
};

// The distinct tipsters of a race, in the order their columns first come.
std::vector<int> tipstersOfRace(const RaceOutcome& race, const TipsterList& list);

// Fills the replays of a race whose tipster fields tipstersOfRace set.
void replayTipsters(const RaceOutcome& race, const TipsterList& list, std::span<TipsterReplay> replays);
