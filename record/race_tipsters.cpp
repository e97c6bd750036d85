#include "record/race_tipsters.h"

#include <QMutexLocker>

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
