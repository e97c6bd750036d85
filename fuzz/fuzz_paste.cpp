// libFuzzer target for the readers of pasted marks and runner names (core/tipster_paste.h), of race cards
// (core/race_card_paste.h) and of a day's results (core/day_paste.h). An input is one byte for the number of runners
// (its value modulo 22), one byte whose lowest bit says whether digits stand for marks, and then the pasted text in
// UTF-8. Checked: what the readers give fits the race (a mark per runner at most, kinds 0..5, horse numbers
// 1..runners, one name per number, no empty name), a race card's runners are one a number with a name and its answers
// are taken only with what the boxes can hold, a day's races give results that can be, and a refusal says why.
#include "core/day_paste.h"
#include "core/race_card_paste.h"
#include "core/tipster_paste.h"

#include "prediction/mark_sheet.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

QString failure(const QString& text, int runners, bool digitsAreMarks)
{
    for (const QChar c : text) {
        const std::optional<int> kind = markKindOfCharacter(c, digitsAreMarks);
        if (kind && (*kind < 0 || *kind >= markKindCount))
            return QStringLiteral("a character read as a kind outside 0..5");
    }

    const PastedMarks marks = parsePastedMarks(text, runners);
    if (marks.ok) {
        if (marks.marks.size() != std::size_t(runners))
            return QStringLiteral("pasted marks not one per runner");
        for (const int kind : marks.marks) {
            if (kind < -1 || kind >= markKindCount)
                return QStringLiteral("a pasted mark outside the kinds");
        }
    } else if (marks.error.isEmpty()) {
        return QStringLiteral("pasted marks refused without a reason");
    }

    const PastedNames names = parsePastedNames(text, runners);
    if (names.ignoredLines < 0)
        return QStringLiteral("a negative count of ignored lines");
    std::set<int> numbers;
    for (const PastedName& name : names.names) {
        if (name.number < 1 || name.number > runners)
            return QStringLiteral("a pasted name for a horse number outside the race");
        if (!numbers.insert(name.number).second)
            return QStringLiteral("two pasted names for one horse number");
        if (name.name.trimmed().isEmpty())
            return QStringLiteral("an empty pasted name");
    }

    const PastedRaceCard card = parsePastedRaceCard(text, 2024);
    if (!card.ok && card.error.isEmpty())
        return QStringLiteral("a race card refused without a reason");
    int last = 0;
    for (const CardRunner& runner : card.runners) {
        if (runner.number <= last || runner.name.trimmed().isEmpty() || runner.winOdds < 0 || runner.popularity < 0)
            return QStringLiteral("a race card runner out of order, unnamed or with negative odds");
        last = runner.number;
    }
    for (int i = 0; i < cardItemCount; ++i) {
        const CardAnswer& answer = card.answers[std::size_t(i)];
        if (answer.read && answer.text.isEmpty() && static_cast<CardItem>(i) != CardItem::Grade)
            return QStringLiteral("a race card answer read as nothing");
    }
    if (card.answer(CardItem::Runners).read) {
        const int count = card.answer(CardItem::Runners).text.toInt();
        if (count < 1 || count > maxRunners)
            return QStringLiteral("a race card runner count outside 1..21");
    }
    // A day's results: every race read gives at least one way to write it, with horse numbers of a race.
    const PastedDay day = parsePastedDay(text);
    if (day.races.empty() == day.error.isEmpty())
        return QStringLiteral("a day read as nothing without a reason, or with races and a reason");
    for (const PastedRace& race : day.races) {
        if (!race.result.ok) {
            if (race.result.error.isEmpty())
                return QStringLiteral("a pasted race refused without a reason");
            continue;
        }
        const std::vector<ResultChoice> choices = resultChoices(race.result);
        if (choices.empty())
            return QStringLiteral("a pasted race read with no result to write");
        for (const ResultChoice& choice : choices) {
            if (choice.first < 1 || choice.first > 28 || choice.second < 1 || choice.second > 28
                || choice.first == choice.second || choice.payout < 0)
                return QStringLiteral("a pasted race's result that cannot be");
        }
    }
    return {};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const int runners = data[0] % (maxRunners + 1);
    const bool digitsAreMarks = (data[1] & 1) != 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 2), static_cast<qsizetype>(size - 2));
    const QString problem = failure(text, runners, digitsAreMarks);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s (%d runners)\n", problem.toUtf8().constData(), runners);
        std::abort();
    }
    return 0;
}
