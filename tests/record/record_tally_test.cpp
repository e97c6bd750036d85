#include "prediction/prediction.h"
#include "race_folder.h"
#include "record/race_record.h"

#include <QTemporaryDir>
#include <QtTest>

#include <random>

Q_DECLARE_METATYPE(TailValue)
Q_DECLARE_METATYPE(TestRace)

namespace {
std::vector<HorsePair> firstTickets(int count)
{
    static const std::vector<HorsePair> all = {{1, 4}, {2, 4}, {3, 4}, {1, 2}, {1, 5},
                                               {1, 3}, {2, 3}, {2, 5}, {2, 6}, {2, 7}};
    return {all.begin(), all.begin() + count};
}
} // namespace

// The tally of the record screen without the screen, on folders whose figures are worked out by hand.
class RecordTallyTest : public QObject {
    Q_OBJECT

private slots:
    void oneRace_data()
    {
        QTest::addColumn<int>("asked");
        QTest::addColumn<TailValue>("first");
        QTest::addColumn<TailValue>("second");
        QTest::addColumn<TailValue>("payout");
        QTest::addColumn<QString>("pair");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<bool>("recorded");
        QTest::addColumn<bool>("hit");
        QTest::addColumn<double>("payoutValue");
        // The example proposes 1-4 2-4 3-4 1-2 1-5 1-3 for six tickets.
        QTest::newRow("hit, typed in ticket order") << 6 << num(1) << num(4) << num(870) << "1-4"
                                                    << "1-4" << true << true << 870.0;
        // The pair as the file has it, winner first; the hit rule does not mind the order.
        QTest::newRow("hit, typed second first") << 6 << num(3) << num(1) << num(2300) << "3-1"
                                                 << "3-1" << true << true << 2300.0;
        QTest::newRow("3-4 is the third ticket: a miss with two") << 2 << num(3) << num(4) << num(1500) << "3-4"
                                                                  << "3-4" << true << false << 1500.0;
        QTest::newRow("hand-written lines keep their text")
            << 3 << txt("4着") << txt("3番") << txt("1230円") << "4着-3番"
            << "4着-3番" << true << true << 1230.0;
        QTest::newRow("numbers as typed: plain for the analysis, as held for the list")
            << 6 << txt("04") << txt("+1") << txt("0870") << "4-1"
            << "04-+1" << true << true << 870.0;
        QTest::newRow("no result yet") << 4 << none << none << none << "-"
                                       << "-" << false << false << 0.0;
        QTest::newRow("written with empty boxes") << 4 << num(0) << num(0) << num(0) << "0-0"
                                                  << "0-0" << false << false << 0.0;
        QTest::newRow("one horse twice") << 4 << num(4) << num(4) << num(900) << "4-4"
                                         << "4-4" << true << false << 900.0;
    }
    void oneRace()
    {
        QFETCH(int, asked);
        QFETCH(TailValue, first);
        QFETCH(TailValue, second);
        QFETCH(TailValue, payout);
        QTemporaryDir dir;
        TestRace entry;
        entry.asked = asked;
        entry.first = first;
        entry.second = second;
        entry.payout = payout;
        QVERIFY(writeRaces(dir.path(), {entry}));

        const FolderRecord tally = tallyFolder(dir.path());
        QCOMPARE(tally.races.size(), std::size_t(1));
        const RaceOutcome& race = tally.races[0];
        QVERIFY(race.readable());
        QCOMPARE(race.fileName(), u"r00.tkr");
        QCOMPARE(race.raceDate(), u"99/05/16");
        QCOMPARE(race.raceNumber(), 11);
        QCOMPARE(race.courseName(), u"東京競馬場");
        QCOMPARE(race.runnerCount(), 8);
        QCOMPARE(race.ticketsAsked(), asked);
        QCOMPARE(race.axisPattern(), 3);
        QCOMPARE(race.proposed(), firstTickets(asked));
        QTEST(race.firstText().toString() + u'-' + race.secondText().toString(), "pair");
        QTEST(race.firstLine().toString() + u'-' + race.secondLine().toString(), "lines");
        QTEST(race.resultRecorded(), "recorded");
        QTEST(race.hit(), "hit");
        QTEST(race.payout(), "payoutValue");
        QCOMPARE(race.stake(), 100.0 * asked);
        QCOMPARE(race.markSheet(), exampleRace(asked).markSheet);
    }

    // The tally runs the engine once per race and cuts the proposal and every what-if count from that run. On
    // generated races (counts 1 to 12 and, from hand-written files, outside them; results often among the tickets)
    // each must be what a run of its own gives.
    void oneRun_agreesWithARunPerCount()
    {
        std::mt19937 random(27);
        std::vector<TestRace> races;
        for (int i = 0; i < 60; ++i) {
            TestRace entry;
            entry.asked = i < 6 ? std::array{0, 13, 16, 20, 12, 1}[std::size_t(i)] : 1 + int(random() % 12);
            // The first races have one runner with every ◎ and seventeen with a △: pattern 1, up to 17 tickets.
            if (i < 6)
                entry.marks.assign(17, {0, 0, 1, 0, 0, 0});
            const int runners = i < 6 ? 1 : 1 + int(random() % 18);
            for (int r = 0; r < runners; ++r) {
                std::array<int, 6> marks{};
                for (int& count : marks)
                    count = random() % 3 == 0 ? int(random() % 4) : 0;
                entry.marks.insert(entry.marks.begin(), i < 6 ? std::array{25, 0, 0, 0, 0, 0} : marks);
            }
            RaceState race = raceOf(entry);
            const PredictionResult twelve = runPrediction(race.markSheet, race.runnerCount, 12);
            if (twelve.ticketTotal > 0 && random() % 4 != 0) {
                const std::size_t t = random() % std::size_t(twelve.ticketTotal);
                entry.first = num(twelve.ticketSecond[t] + 1);
                entry.second = num(twelve.ticketFirst[t] + 1);
            } else {
                entry.first = num(1 + int(random() % 18));
                entry.second = num(1 + int(random() % 18));
            }
            entry.payout = num(1000);
            races.push_back(entry);
        }
        QTemporaryDir dir;
        QVERIFY(writeRaces(dir.path(), races));
        const FolderRecord tally = tallyFolder(dir.path());
        QCOMPARE(tally.races.size(), races.size());
        int hits = 0;
        int beyondSpinner = 0;
        for (std::size_t i = 0; i < races.size(); ++i) {
            const RaceOutcome& outcome = tally.races[i];
            const RaceState race = raceOf(races[i]);
            QVERIFY(outcome.readable());
            auto exact = [&race](int count) { return runPrediction(race.markSheet, race.runnerCount, count); };
            const PredictionResult asked = exact(outcome.ticketsAsked());
            QCOMPARE(outcome.ticketsAsked(), races[i].asked);
            std::vector<HorsePair> tickets;
            for (int t = 0; t < asked.ticketTotal; ++t)
                tickets.push_back({asked.ticketFirst[std::size_t(t)] + 1, asked.ticketSecond[std::size_t(t)] + 1});
            QCOMPARE(outcome.proposed(), tickets);
            QCOMPARE(outcome.markSheet(), race.markSheet);
            QCOMPARE(outcome.axisPattern(), asked.axisPattern);
            QCOMPARE(outcome.hit(), proposesResult(asked, outcome.firstValue(), outcome.secondValue()));
            QCOMPARE(outcome.stake(), 100.0 * asked.ticketTotal);
            hits += outcome.hit();
            beyondSpinner += asked.ticketTotal > 12;
            for (int k = 1; k <= 12; ++k) {
                const PredictionResult run = exact(k);
                QCOMPARE(outcome.ticketsIfAsked(k), run.ticketTotal);
                QCOMPARE(outcome.hitIfAsked(k), proposesResult(run, outcome.firstValue(), outcome.secondValue()));
            }
        }
        QVERIFY(hits > 10);
        QVERIFY(beyondSpinner > 0);
    }

    void totals_data()
    {
        QTest::addColumn<std::vector<TestRace>>("races");
        QTest::addColumn<bool>("withUnreadable");
        QTest::addColumn<QList<double>>("record");  // races, hits, stake, payout, strike %, return % (-1: none)
        QTest::addColumn<QList<double>>("balance"); // stake, income
        QTest::newRow("empty folder") << std::vector<TestRace>{} << false << QList<double>{0, 0, 0, 0, -1, -1}
                                      << QList<double>{0, 0};
        QTest::newRow("only an unreadable file")
            << std::vector<TestRace>{} << true << QList<double>{0, 0, 0, 0, -1, -1} << QList<double>{0, 0};
        TestRace hit{
            .asked = 6, .first = num(4), .second = num(1), .payout = num(870), .stake = num(1000), .income = num(2000)};
        TestRace miss{.asked = 2, .first = num(3), .second = num(4), .payout = num(1500), .stake = num(500)};
        TestRace open{.asked = 4};
        TestRace textHit{.asked = 3, .first = txt("3番"), .second = num(4), .payout = txt("1230円"), .stake = num(300)};
        // Stake 600 + 200 + 400 + 300; payout 870 + 1230 over two hits in four races.
        QTest::newRow("hit, miss, open, text") << std::vector<TestRace>{hit, miss, open, textHit} << true
                                               << QList<double>{4, 2, 1500, 2100, 50, 140} << QList<double>{1800, 2000};
        TestRace unmarked{.asked = 4, .first = num(1), .second = num(4), .payout = num(500), .marked = false};
        QTest::newRow("no tickets proposed")
            << std::vector<TestRace>{unmarked} << false << QList<double>{1, 0, 0, 0, 0, -1} << QList<double>{0, 0};
    }
    void totals()
    {
        QFETCH(std::vector<TestRace>, races);
        QFETCH(bool, withUnreadable);
        QFETCH(QList<double>, record);
        QFETCH(QList<double>, balance);
        QTemporaryDir dir;
        QVERIFY(writeRaces(dir.path(), races));
        if (withUnreadable)
            QVERIFY(writeUnreadableRace(dir.filePath("zz.tkr")));

        const FolderRecord tally = tallyFolder(dir.path());
        QCOMPARE(tally.races.size(), races.size() + withUnreadable);
        if (withUnreadable) {
            const RaceOutcome& broken = tally.races.back();
            QCOMPARE(broken.fileName(), u"zz.tkr");
            QVERIFY(!broken.readable());
            QCOMPARE(broken.raceDate(), u"99/05/17");
        }
        QCOMPARE(tally.record.races, int(record[0]));
        QCOMPARE(tally.record.hits, int(record[1]));
        QCOMPARE(tally.record.misses(), int(record[0] - record[1]));
        QCOMPARE(tally.record.stake, record[2]);
        QCOMPARE(tally.record.payout, record[3]);
        QCOMPARE(tally.record.strikeRatePercent().value_or(-1), record[4]);
        QCOMPARE(tally.record.returnRatePercent().value_or(-1), record[5]);
        QCOMPARE(tally.balance.stake, balance[0]);
        QCOMPARE(tally.balance.income, balance[1]);
        QCOMPARE(tally.balance.difference(), balance[1] - balance[0]);
    }

    void amountsRecorded_data()
    {
        QTest::addColumn<TailValue>("stake");
        QTest::addColumn<TailValue>("income");
        QTest::addColumn<bool>("recorded");
        QTest::addColumn<double>("ownStake");
        QTest::newRow("fresh save") << none << num(0) << false << 0.0;
        QTest::newRow("written by the balance screen") << num(0) << num(0) << true << 0.0;
        QTest::newRow("stake and income") << num(1200) << num(3000) << true << 1200.0;
        QTest::newRow("income alone") << none << num(500) << true << 0.0;
    }
    void amountsRecorded()
    {
        QFETCH(TailValue, stake);
        QFETCH(TailValue, income);
        QTemporaryDir dir;
        QVERIFY(writeRaces(dir.path(), {TestRace{.stake = stake, .income = income}}));
        const FolderRecord tally = tallyFolder(dir.path());
        const RaceOutcome race = tally.races.at(0);
        QTEST(race.amountsRecorded(), "recorded");
        QTEST(race.ownStake(), "ownStake");
        QCOMPARE(race.ownIncome(), income.number);
    }

    // A hundred thousand races must not each hold their own copy of 東京競馬場: a text that repeats is one copy, and
    // a race's line and its shown text are one copy when they read alike. Spellings that differ stay apart.
    void repeatedTextsKeptOnce()
    {
        const TestRace tokyo{.first = num(3), .second = num(7), .payout = txt("1230円")};
        TestRace nakayama = tokyo;
        nakayama.course = QStringLiteral("中山競馬場");
        nakayama.date = QStringLiteral("99/05/17");
        nakayama.first = num(7);
        QTemporaryDir dir;
        QVERIFY(writeRaces(dir.path(), {tokyo, nakayama, tokyo, nakayama, tokyo}));
        const FolderRecord tally = tallyFolder(dir.path());
        const RaceList& races = tally.races;
        QCOMPARE(races.size(), std::size_t(5));
        auto copies = [&races](QStringView (RaceOutcome::*text)() const) {
            QSet<const QChar*> held;
            QSet<QString> spellings;
            for (const RaceOutcome& race : races) {
                held.insert((race.*text)().data());
                spellings.insert((race.*text)().toString());
            }
            return held.size() == spellings.size() ? int(held.size()) : -1;
        };
        QCOMPARE(copies(&RaceOutcome::courseName), 2);
        QCOMPARE(copies(&RaceOutcome::raceDate), 2);
        QCOMPARE(copies(&RaceOutcome::gradedText), 1);
        QCOMPARE(copies(&RaceOutcome::distanceText), 1);
        QCOMPARE(copies(&RaceOutcome::raceNumberText), 1);
        QCOMPARE(copies(&RaceOutcome::firstLine), 2);
        QCOMPARE(copies(&RaceOutcome::secondLine), 1);
        for (const RaceOutcome& race : races) {
            QCOMPARE(race.firstText().data(), race.firstLine().data());
            QCOMPARE(race.payoutText(), u"1230円");
            QCOMPARE(race.payoutText().data(), race.payoutLine().data());
        }
        // Listed by date: the three races at Tokyo first.
        QCOMPARE(races[3].courseName(), u"中山競馬場");
        QCOMPARE(races[2].firstLine(), u"3");
        QCOMPARE(races[3].firstLine(), u"7");
    }

    // A race's tipsters come back from the table in column order as the grid held them: a column without a mark is
    // not kept, and a name met in two races is one number of the folder's names.
    void tipsterMarksReadBack()
    {
        TestRace race{.first = num(1), .second = num(2), .payout = num(300)};
        race.marks = {{2, 0, 0, 0, 0, 0}, {0, 1, 0, 0, 0, 0}, {0, 0, 1, 0, 0, 0}};
        race.tipsters.columns = {tipsterColumn(QStringLiteral("記者A"), QStringLiteral("◎○・")),
                                 tipsterColumn(QStringLiteral("白紙"), QStringLiteral("・・・")),
                                 tipsterColumn(QStringLiteral("記者B"), QStringLiteral("◎・△"))};
        TestRace other = race;
        other.tipsters.columns = {race.tipsters.columns[2]};
        QTemporaryDir dir;
        QVERIFY(writeRaces(dir.path(), {race, other}));
        const FolderRecord tally = tallyFolder(dir.path());
        QStringList names = tally.tipsterNames; // numbered as the reading threads met them
        names.sort();
        QCOMPARE(names, (QStringList{QStringLiteral("記者A"), QStringLiteral("記者B")}));
        auto read = [&tally](std::size_t index) {
            QStringList columns;
            const RaceTipsters tipsters = tally.races[index].tipsters();
            for (int c = 0; c < tipsters.size(); ++c) {
                QString column = tally.tipsterNames.value(tipsters.name(c)) + u':';
                tipsters.forEachMark(
                    c, [&column](int runner, int kind) { column += QString::number(runner + 1) + markSymbol(kind); });
                columns.append(column);
            }
            return columns;
        };
        QCOMPARE(read(0), (QStringList{QStringLiteral("記者A:1◎2○"), QStringLiteral("記者B:1◎3△")}));
        QCOMPARE(read(1), QStringList{QStringLiteral("記者B:1◎3△")});
    }

    // The folder's texts lie end to end in one array: each comes back whole, the empty text as number 0, a text
    // longer than 65,535 code units too, after the spare room is given back.
    void folderTextsKeepEveryText()
    {
        FolderTexts texts;
        std::vector<QString> added;
        std::vector<FolderTexts::Number> numbers;
        for (const int length : {7, 1, 65535, 65536, 3, 200000, 2}) {
            added.push_back(QString(length, QChar(u'あ' + length % 80)));
            numbers.push_back(texts.add(added.back()));
        }
        QCOMPARE(texts.add(QString()), FolderTexts::empty);
        texts.squeeze();
        QCOMPARE(texts.text(FolderTexts::empty), QStringView());
        QCOMPARE(texts.size(), added.size() + 1);
        for (std::size_t t = 0; t < added.size(); ++t)
            QVERIFY2(texts.text(numbers[t]) == added[t], qPrintable(QString::number(t)));
    }
};

QTEST_GUILESS_MAIN(RecordTallyTest)
#include "record_tally_test.moc"
