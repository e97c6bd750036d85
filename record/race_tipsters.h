#pragma once

#include "core/tipster_grid.h"

#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

class TipsterNames;

// The tipster grid of a saved race as a tally of thousands of races keeps it: in the folder's text table, as two runs
// of code units, the tipsters named by numbers into the folder's list of names (TipsterNames), so that no race holds a
// text or a block of memory per tipster. Only the tipsters who marked at least one runner are kept, in column order.
//
// names: each tipster's name number in two code units (lowest first); a folder's races mostly have the same tipsters,
// so the table keeps each list of names once. marks: bytes, two to a code unit as they lie in memory: per tipster how
// many marks, then one byte per mark, runner index × 8 + kind, in runner order.
class RaceTipsters {
public:
    struct Mark {
        int runner; // 0-based
        int kind;   // 0..5, MarkKind
    };

    RaceTipsters() = default;
    RaceTipsters(QStringView names, QStringView marks) : names_(names), marks_(marks) {}

    bool empty() const { return names_.isEmpty(); }
    // The tipsters kept, in column order: f(name number, marks).
    template <typename F>
    void forEach(F f) const
    {
        const std::span<const std::uint8_t> bytes = markBytes();
        std::size_t at = 0;
        for (qsizetype unit = 0; unit + 1 < names_.size(); unit += 2) {
            const int name = names_[unit].unicode() | names_[unit + 1].unicode() << 16;
            const std::size_t count = bytes[at];
            f(name, bytes.subspan(at + 1, count));
            at += 1 + count;
        }
    }
    static Mark markOf(std::uint8_t packed) { return {packed >> 3, packed & 7}; }
    int size() const { return static_cast<int>(names_.size() / 2); }

    // A grid's columns as the two runs of code units: names (one list a folder keeps once) and marks.
    struct Units {
        QString names;
        std::vector<char16_t> marks;
    };
    // The columns of a grid with at least one mark, their names numbered in names. A name numbered 2^24 or more (more
    // names than a folder can have) is not kept.
    static Units pack(const TipsterGrid& grid, int runners, TipsterNames& names);

private:
    std::span<const std::uint8_t> markBytes() const
    {
        return {reinterpret_cast<const std::uint8_t*>(marks_.utf16()), static_cast<std::size_t>(marks_.size()) * 2};
    }

    QStringView names_;
    QStringView marks_;
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
