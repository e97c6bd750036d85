#pragma once

// Pieces the benchmarks share: the baseline they are measured against, the median, and writing generated races.
#include "racefile/race_bytes.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <vector>

namespace bench {

// What any screen over the saved races has to do at least: find the files and read their bytes.
inline qint64 plainRead(const QString& folder = QStringLiteral("."))
{
    const QDir dir(folder);
    qint64 total = 0;
    for (const QString& name : dir.entryList({QStringLiteral("*.tkr")}, QDir::Files, QDir::Unsorted)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            total += file.readAll().size();
    }
    return total;
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Writes race number `index` of a generated folder as "NNNNN.tkr", with the library's own bytes.
inline bool writeNumberedRace(const QString& folder, int index, const RaceState& race, const TailLines& tail)
{
    QByteArray bytes;
    if (!raceFileBytes(race, tail, bytes).ok)
        return false;
    QFile file(QStringLiteral("%1/%2.tkr").arg(folder).arg(index, 5, 10, QLatin1Char('0')));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace bench
