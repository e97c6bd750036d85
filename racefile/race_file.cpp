#include "racefile/race_file.h"

// Placeholder until the reader and writer land: every operation fails and changes nothing.
FileResult writeRaceFile(const QString&, const RaceState&, const TailLines&)
{
    return {false, QStringLiteral("レースファイルを書き込めませんでした。")};
}

FileResult readRaceFile(const QString&, LoadedRace&, ReadScope)
{
    return {false, QStringLiteral("レースファイルを読み込めませんでした。")};
}
