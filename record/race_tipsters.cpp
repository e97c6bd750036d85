#include "record/race_tipsters.h"

#include <QMutexLocker>

#include <algorithm>

void RaceTipsters::add(int name, const std::array<std::int8_t, maxRunners>& marks, int runners)
{
    const int n = std::clamp(runners, 0, maxRunners);
    const auto count = static_cast<std::uint8_t>(std::count_if(
        marks.begin(), marks.begin() + n, [](std::int8_t mark) { return mark >= 0 && mark < markKindCount; }));
    if (count == 0 || name < 0 || name >= (1 << 24))
        return;
    const std::span<const std::uint8_t> old = bytes();
    const auto size = static_cast<std::uint32_t>(old.size() + 4 + count);
    auto block = std::make_unique_for_overwrite<std::uint8_t[]>(sizeof size + size);
    std::memcpy(block.get(), &size, sizeof size);
    std::uint8_t* out = std::copy(old.begin(), old.end(), block.get() + sizeof size);
    *out++ = static_cast<std::uint8_t>(name & 0xFF);
    *out++ = static_cast<std::uint8_t>(name >> 8 & 0xFF);
    *out++ = static_cast<std::uint8_t>(name >> 16 & 0xFF);
    *out++ = count;
    for (int r = 0; r < n; ++r) {
        const int kind = marks[static_cast<std::size_t>(r)];
        if (kind >= 0 && kind < markKindCount)
            *out++ = static_cast<std::uint8_t>(r * 8 + kind);
    }
    block_ = std::move(block);
}

RaceTipsters& RaceTipsters::operator=(const RaceTipsters& other)
{
    if (this == &other)
        return *this;
    const std::span<const std::uint8_t> bytes = other.bytes();
    if (bytes.empty()) {
        block_.reset();
        return *this;
    }
    const std::size_t whole = sizeof(std::uint32_t) + bytes.size();
    auto block = std::make_unique_for_overwrite<std::uint8_t[]>(whole);
    std::memcpy(block.get(), other.block_.get(), whole);
    block_ = std::move(block);
    return *this;
}

int RaceTipsters::size() const
{
    int columns = 0;
    forEach([&columns](int, std::span<const std::uint8_t>) { ++columns; });
    return columns;
}

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

RaceTipsters packedTipsters(const TipsterGrid& grid, int runners, TipsterNames& names)
{
    RaceTipsters packed;
    for (const TipsterColumn& column : grid.columns) {
        if (marksOfTipster(grid, static_cast<int>(&column - grid.columns.data()), runners) > 0)
            packed.add(names.number(column.name), column.marks, runners);
    }
    return packed;
}
