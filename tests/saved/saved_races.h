#pragma once

#include "racefile/race_file.h"
#include "test_files.h"

#include <QFile>
#include <QFontMetrics>
#include <QListWidget>
#include <QScrollBar>
#include <QStyle>
#include <QtTest>

// Race files for the tests of the saved-race screens, always written through the race-file library.

// An 18-runner race whose marks make the engine propose 3-8, 3-14, 2-3, 2-8 for four tickets (the tests check it
// against the engine before they rely on it).
inline RaceState sampleRace(const QString& date, int number, const QString& name, int ticketCount = 4)
{
    RaceState race;
    race.raceDate = date;
    race.raceNumber = static_cast<std::int16_t>(number);
    race.raceName = name;
    race.gradedText = QStringLiteral("ＧⅠ");
    race.courseName = QStringLiteral("東京");
    race.distanceText = QStringLiteral("1600m");
    race.runnerCount = 18;
    race.ticketCount = static_cast<std::int16_t>(ticketCount);
    for (int r = 0; r < race.runnerCount; ++r) {
        race.markSheet[r][0] = static_cast<std::int16_t>((r * 5) % 3);
        race.markSheet[r][1] = static_cast<std::int16_t>((r * 7) % 4);
        race.markSheet[r][2] = static_cast<std::int16_t>((r * 3) % 5);
        race.markSheet[r][5] = static_cast<std::int16_t>(r % 2);
        race.runnerNames[static_cast<std::size_t>(r)] = QStringLiteral("ウマ%1").arg(r + 1);
    }
    race.markSheet[2][0] = 10;
    race.markSheet[2][1] = 3;
    race.markSheet[7][0] = 8;
    race.markSheet[7][1] = 6;
    return race;
}

inline TailValue num(double value) { return TailValue::ofNumber(value); }

inline TailLines results(TailValue first, TailValue second, TailValue payout, TailValue stake = TailValue::unset(),
                         TailValue income = TailValue::ofNumber(0))
{
    return {first, second, payout, stake, income};
}

#define WRITE_RACE(file, race, tail)                                                                                   \
    do {                                                                                                               \
        const FileResult written_ = writeRaceFile((file), (race), (tail));                                             \
        QVERIFY2(written_.ok, qPrintable(written_.error));                                                             \
    } while (false)

// The lines of a race file without their CR LF.
inline QList<QByteArray> fileLines(const QString& path)
{
    QList<QByteArray> lines = fileBytes(path).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

// Picks a line of a list with the mouse, as the user does.
inline void clickRow(QListWidget* list, int row)
{
    QListWidgetItem* item = list->item(row);
    QVERIFY(item);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    QCoreApplication::processEvents();
}

// Enough races in the folder to give a list its scroll bar, which narrows it; dated last, so they list last.
inline void writeFillerRaces(int count)
{
    for (int i = 0; i < count; ++i)
        WRITE_RACE(QStringLiteral("filler%1.tkr").arg(i), sampleRace("99/12/31", i + 1, "埋め草"), TailLines{});
}

// Every line of the list is drawn whole inside the list's visible width, margins of the item included.
inline void verifyLinesFit(QListWidget* list)
{
    QTRY_VERIFY(list->verticalScrollBar()->isVisible());
    const QFontMetrics metrics(list->font());
    const int textMargin = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
    for (int row = 0; row < list->count(); ++row) {
        const QString line = list->item(row)->text();
        QVERIFY2(metrics.horizontalAdvance(line) + textMargin <= list->viewport()->width(),
                 qPrintable(QStringLiteral("line %1 is cut: %2 > %3")
                                .arg(row)
                                .arg(metrics.horizontalAdvance(line))
                                .arg(list->viewport()->width())));
    }
}
