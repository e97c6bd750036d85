#pragma once

#include <QString>

#include <optional>
#include <vector>

// 馬連 odds pasted as sites print them, and what they say of a proposal: the combined odds of its tickets and the
// tickets whose payout would not cover the proposal's stake (トリガミ). Odds are kept in tenths (12.5倍 → 125), the
// one decimal every site prints, so that no figure drifts in binary fractions.

struct QuinellaOdds {
    int low = 0; // the pair, smaller number first
    int high = 0;
    int tenths = 0; // 0: not sold (取消, 除外, ---)
};

// Understood:
//   - a list, a pair and its odds, one or more to a line: 「3-7 12.5」, 「３－７　12.5倍」, 「1 3-7 12.5 (5人気)」 (a
//     popularity before or after is passed over), or cell by cell, the odds on the line below the pair;
//   - the matrix by the lower number: a line holding the lower number alone, then one line per partner 「7 12.5」 (or
//   the
//     partner and its odds each on a line of their own, as a web table is copied cell by cell);
//   - a grid whose header row holds the partners' numbers and whose rows begin with the lower number.
// 取消, 除外 and 「---」 in place of odds mean a pair not sold. Titles, headings and notes around the odds are passed
// over. A number outside 1..runners, one pair given two different odds, or a pair whose odds cannot be read between
// others is refused with a sentence saying where, never guessed.
struct PastedQuinellaOdds {
    bool ok = false;
    QString error;
    std::vector<QuinellaOdds> odds; // in the order of the pairs, (1,2), (1,3) … (2,3) …
    int passedLines = 0;            // lines holding text but no odds
};
PastedQuinellaOdds parsePastedQuinellaOdds(const QString& text, int runners);

// The odds of one pair in a list read by parsePastedQuinellaOdds; nullopt when the list does not name the pair.
std::optional<int> oddsOfPair(const std::vector<QuinellaOdds>& odds, int a, int b);

// Odds in tenths as sites print them: 125 → 「12.5」.
QString oddsText(int tenths);

// What the proposal's tickets pay, at 100 yen a ticket as the record reckons.
struct ProposalPrices {
    // 合成オッズ in hundredths: what a hit returns on the whole stake when the stake is spread so that every hit
    // returns the same, 1 / Σ(1 / odds), rounded down. nullopt when any ticket's odds are not known or not sold.
    std::optional<int> combinedHundredths;
    // Per ticket, in the proposal's order: a hit returns less than the whole stake (odds below the ticket count).
    std::vector<bool> torigami;
};
// tickets: the proposal's pairs; odds per ticket in tenths, nullopt where not known, 0 where not sold.
ProposalPrices proposalPrices(const std::vector<std::optional<int>>& ticketOdds);
