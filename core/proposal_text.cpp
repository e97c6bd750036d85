#include "core/proposal_text.h"

#include "core/race_date.h"
#include "core/race_state.h"
#include "prediction/prediction.h"

#include <QStringList>

#include <algorithm>

QString raceLine(const RaceState& race)
{
    const QDate date = parseRaceDate(race.raceDate);
    QStringList parts{date.isValid() ? writtenDate(date) : race.raceDate.trimmed(), race.courseName.trimmed(),
                      QStringLiteral("%1R").arg(race.raceNumber), race.raceName.trimmed(), race.gradedText.trimmed()};
    parts.removeAll(QString());
    return parts.join(u' ');
}

namespace {

int ticketTotal(const PredictionResult& result) { return std::clamp(result.ticketTotal, 0, ticketListCapacity); }

// "◎2 ○1 △1": the marks of one kind after another, the count where more than one.
QString marksOf(const std::array<int, 6>& counts)
{
    QStringList parts;
    for (int kind = 0; kind < 6; ++kind) {
        const int count = counts[static_cast<std::size_t>(kind)];
        if (count > 0)
            parts += markSymbol(kind) + (count > 1 ? QString::number(count) : QString());
    }
    return parts.join(u' ');
}

QString nameOf(const RaceState& race, int runner)
{
    return runner >= 0 && runner < maxRunners ? race.runnerNames[static_cast<std::size_t>(runner)] : QString();
}

QString runnerText(const RaceState& race, int runner)
{
    const QString name = nameOf(race, runner);
    return name.isEmpty() ? QString::number(runner + 1) : QStringLiteral("%1 %2").arg(runner + 1).arg(name);
}

// A tipster's marks as papers print them: 「◎3 ○7 ▲1」, ◎ first.
QString tipsterMarks(const TipsterColumn& column, int runners)
{
    QStringList parts;
    for (int kind = 0; kind < 6; ++kind)
        for (int r = 0; r < runners; ++r)
            if (column.marks[static_cast<std::size_t>(r)] == kind)
                parts += markSymbol(kind) + QString::number(r + 1);
    return parts.isEmpty() ? QStringLiteral("印なし") : parts.join(u' ');
}

} // namespace

QString proposalText(const RaceState& race, const PredictionResult& result)
{
    const int runners = std::clamp<int>(race.runnerCount, 0, maxRunners);
    QStringList lines{raceLine(race)};
    lines += QStringLiteral("【印】");
    if (!race.tipsters.empty()) {
        for (const TipsterColumn& column : race.tipsters.columns)
            lines += QStringLiteral("%1：%2").arg(column.name, tipsterMarks(column, runners));
        QStringList others;
        for (int r = 0; r < runners; ++r) {
            std::array<int, 6> counts{};
            for (int kind = 0; kind < 6; ++kind)
                counts[static_cast<std::size_t>(kind)] = marksWithoutTipster(race, r, kind);
            const QString marks = marksOf(counts);
            if (!marks.isEmpty())
                others += QStringLiteral("%1 %2").arg(r + 1).arg(marks);
        }
        if (!others.isEmpty())
            lines += QStringLiteral("その他：") + others.join(QStringLiteral("、"));
    } else {
        for (int r = 0; r < runners; ++r) {
            std::array<int, 6> counts{};
            for (int kind = 0; kind < 6; ++kind)
                counts[static_cast<std::size_t>(kind)] = race.markSheet[r][kind];
            const QString marks = marksOf(counts);
            if (!marks.isEmpty())
                lines += runnerText(race, r) + QStringLiteral("　") + marks;
        }
    }
    const int total = ticketTotal(result);
    lines += QStringLiteral("【馬連 %1点　%2本軸】").arg(total).arg(result.axisPattern);
    for (int t = 0; t < total; ++t) {
        const int first = result.ticketFirst[static_cast<std::size_t>(t)];
        const int second = result.ticketSecond[static_cast<std::size_t>(t)];
        QString line = QStringLiteral("%1-%2").arg(first + 1).arg(second + 1);
        // A horse without a name is said by its number, so that the pair still reads as two horses.
        auto said = [&](int runner) {
            const QString name = nameOf(race, runner);
            return name.isEmpty() ? QStringLiteral("%1番").arg(runner + 1) : name;
        };
        if (!nameOf(race, first).isEmpty() || !nameOf(race, second).isEmpty())
            line += QStringLiteral("　%1 － %2").arg(said(first), said(second));
        lines += line;
    }
    if (total == 0)
        lines += QStringLiteral("買い目なし");
    return lines.join(u'\n') + u'\n';
}

QString ticketsText(const PredictionResult& result)
{
    QStringList tickets;
    for (int t = 0; t < ticketTotal(result); ++t)
        tickets += QStringLiteral("%1-%2")
                       .arg(result.ticketFirst[static_cast<std::size_t>(t)] + 1)
                       .arg(result.ticketSecond[static_cast<std::size_t>(t)] + 1);
    return tickets.join(QStringLiteral(", "));
}
