#pragma once

#include <array>
#include <cstdint>

// Sizes of the shared mark table. The table keeps room for 31 rows and 11 columns, although a race
// has at most 21 runners and only the six mark columns are ever used.
inline constexpr int markSheetRows = 31;
inline constexpr int markSheetColumns = 11;
inline constexpr int markKindCount = 6;
inline constexpr int maxRunners = 21;
inline constexpr int maxMarksPerRunner = 25;

// markSheet[r][k]: how many marks of kind k (0 ◎, 1 ○, 2 △, 3 ▲, 4 ×, 5 ★) runner r received.
using MarkSheet = std::array<std::array<std::int16_t, markSheetColumns>, markSheetRows>;
