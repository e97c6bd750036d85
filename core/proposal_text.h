#pragma once

#include <QString>

struct PredictionResult;
struct RaceState;

// The race in one line: "2024年5月26日 東京競馬場 11R 日本ダービー ＧⅠ" (what is not known left out).
QString raceLine(const RaceState& race);

// The proposal as plain text, for a message to a friend or a note kept beside a betting site: the race, the marks
// given (per runner, or per tipster for a race with a grid), the axis pattern and every ticket with both horses' names.
// Lines end with "\n"; nothing in it is markup.
QString proposalText(const RaceState& race, const PredictionResult& result);

// The tickets alone, as they are typed into a bet: "3-7, 1-3, 3-12".
QString ticketsText(const PredictionResult& result);
