#pragma once

#include "core/tipster_grid.h"

#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

// The tipster grid of a saved race as a tally of thousands of races keeps it: one small block of bytes per race, the
// tipsters named by numbers into the folder's list of names (TipsterNames), so that no race holds a text per tipster.
// Only the tipsters who marked at least one runner are kept, in column order.
//
// The bytes, per tipster: the name's number in three bytes (lowest first), how many marks, then one byte per mark,
// runner index × 8 + kind, in runner order.
class RaceTipsters {
public:
    struct Mark {
        int runner; // 0-based
        int kind;   // 0..5, MarkKind
    };

    // A tipster's column: the name's number and the marks of runners 0..runners-1. A column without a mark is not kept.
    void add(int name, const std::array<std::int8_t, maxRunners>& marks, int runners);

    RaceTipsters() = default;
    RaceTipsters(const RaceTipsters& other) { *this = other; }
    RaceTipsters(RaceTipsters&&) noexcept = default;
    RaceTipsters& operator=(const RaceTipsters& other);
    RaceTipsters& operator=(RaceTipsters&&) noexcept = default;

    bool empty() const { return !block_; }
    // The tipsters kept, in column order: f(name number, marks).
    template <typename F>
    void forEach(F f) const
    {
        const std::span<const std::uint8_t> bytes = this->bytes();
        std::size_t at = 0;
        while (at + 4 <= bytes.size()) {
            const int name = bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16;
            const std::size_t count = bytes[at + 3];
            at += 4;
            f(name, bytes.subspan(at, count));
            at += count;
        }
    }
    static Mark markOf(std::uint8_t packed) { return {packed >> 3, packed & 7}; }
    int size() const;

    bool operator==(const RaceTipsters& other) const { return std::ranges::equal(bytes(), other.bytes()); }

private:
    std::span<const std::uint8_t> bytes() const
    {
        if (!block_)
            return {};
        std::uint32_t size;
        std::memcpy(&size, block_.get(), sizeof size);
        return {block_.get() + sizeof size, size};
    }

    // The bytes after their count (4 bytes); no block while there are none: a tally of a hundred thousand races keeps
    // one pointer a race, not a vector's three.
    std::unique_ptr<std::uint8_t[]> block_;
};

// The tipster names of a folder, each spelling kept once, numbered in the order they are first met. Safe to use from
// the reading threads at once.
class TipsterNames {
public:
    TipsterNames() = default;
    TipsterNames(const TipsterNames&) = delete;
    TipsterNames& operator=(const TipsterNames&) = delete;

    int number(const QString& name);
    QStringList names() const;

private:
    mutable QMutex mutex_;
    QHash<QString, int> numbers_;
    QStringList names_;
};

// The columns of a grid as a race of the tally keeps them.
RaceTipsters packedTipsters(const TipsterGrid& grid, int runners, TipsterNames& names);
