#include "record/race_tipsters.h"

#include <QMutexLocker>

#include <algorithm>

int TipsterNames::number(const QString& name)
{
    const QMutexLocker lock(&mutex_);
    const auto found = numbers_.constFind(name);
    if (found != numbers_.cend())
        return *found;
    const int number = static_cast<int>(names_.size());
    names_.append(name);
    numbers_.insert(name, number);
    return number;
}

QStringList TipsterNames::names() const
{
    const QMutexLocker lock(&mutex_);
    return names_;
}

RaceTipsters::Units RaceTipsters::pack(const TipsterGrid& grid, int runners, TipsterNames& names)
{
    Units units;
    std::vector<std::uint8_t> bytes;
    const int n = std::clamp(runners, 0, maxRunners);
    for (const TipsterColumn& column : grid.columns) {
        if (marksOfTipster(grid, static_cast<int>(&column - grid.columns.data()), runners) == 0)
            continue;
        const int name = names.number(column.name);
        const auto count = static_cast<std::uint8_t>(
            std::count_if(column.marks.begin(), column.marks.begin() + n,
                          [](std::int8_t mark) { return mark >= 0 && mark < markKindCount; }));
        if (count == 0 || name < 0 || name >= (1 << 24))
            continue;
        units.names.append(QChar(static_cast<char16_t>(name & 0xFFFF)));
        units.names.append(QChar(static_cast<char16_t>(name >> 16)));
        bytes.push_back(count);
        for (int r = 0; r < n; ++r) {
            const int kind = column.marks[static_cast<std::size_t>(r)];
            if (kind >= 0 && kind < markKindCount)
                bytes.push_back(static_cast<std::uint8_t>(r * 8 + kind));
        }
    }
    // Two bytes to a unit, as they lie in memory, so that reading the units' memory gives the bytes back.
    units.marks.resize((bytes.size() + 1) / 2);
    if (!bytes.empty())
        std::memcpy(units.marks.data(), bytes.data(), bytes.size());
    return units;
}
