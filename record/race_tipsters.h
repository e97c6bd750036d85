#pragma once

#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>

// The tipster names of a folder, each spelling kept once, numbered in the order they are first met: a race's tipsters
// are these numbers in the race table. Safe to use from the reading threads at once.
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
