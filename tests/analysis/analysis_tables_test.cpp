#include "analysis/csv_export.h"
#include "analysis/display_text.h"
#include "analysis_folder.h"
#include "core/numbers.h"
#include "test_files.h"

#include <QLocale>
#include <QtTest>

#include <limits>

namespace {

QStringList column(const QAbstractItemModel& model, int column, int role = Qt::DisplayRole)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts.append(model.index(row, column).data(role).toString());
    return texts;
}

QStringList row(const QAbstractItemModel& model, int row)
{
    QStringList texts;
    for (int column = 0; column < model.columnCount(); ++column)
        texts.append(model.index(row, column).data().toString());
    return texts;
}

} // namespace

// The race table with its sorting and search, the breakdowns and the what-if table, on the hand-computed folder.
class AnalysisTablesTest : public QObject {
    Q_OBJECT

private slots:
    // A tipster is shown as most races spell them: 記者Ｂ typed in most races, 記者B in one.
    void tipsterShownAsMostRacesSpellThem()
    {
        std::vector<TestRace> races = handComputedRaces();
        for (std::size_t i = 0; i < races.size(); ++i) {
            if (!races[i].tipsters.columns.empty())
                races[i].tipsters.columns[1].name = i == 1 ? QStringLiteral("記者B") : QStringLiteral("記者Ｂ");
        }
        AnalysedFolder folder(races);
        QStringList names;
        for (const QAbstractItemModel* model : std::initializer_list<const QAbstractItemModel*>{
                 &folder->tipsterModel(), &folder->tipsterWhatIfModel(), &folder->markKindsModel()}) {
            for (int row = 0; row < model->rowCount(); ++row)
                for (int column = 0; column < model->columnCount(); ++column)
                    names += model->index(row, column).data().toString();
            for (int column = 0; column < model->columnCount(); ++column)
                names += model->headerData(column, Qt::Horizontal).toString();
        }
        QVERIFY2(names.contains(QStringLiteral("記者Ｂ")), qPrintable(names.join(u',')));
        QVERIFY2(!names.contains(QStringLiteral("記者B")), qPrintable(names.join(u',')));
    }

    void raceTable()
    {
        AnalysedFolder folder(handComputedRaces(), true);
        const RaceTableModel& table = folder->raceTable();
        QCOMPARE(table.objectName(), QStringLiteral("analysisRaces"));
        // Time order across the century; the race without a readable date last; the unreadable file not at all.
        QCOMPARE(raceRows(table), (QStringList{"R1", "R2", "R3", "R4", "R5", "R6", "R7"}));
        QCOMPARE(row(table, 0),
                 (QStringList{"1999/12/26", "1R",    "例題",    "ＧⅠ",     "東京競馬場", "1600m",  "8",
                              "2",          "3本軸", "1-4 2-4", "4",       "1",          "500円",  "的中",
                              "200円",      "500円", "300円",   "1,000円", "2,500円",    "1,500円"}));
        // Without a result: no pair, no hit, and no money of the proposals, which do not count it.
        QCOMPARE(row(table, 4).mid(10), (QStringList{"", "", "", "", "", "", "", "1,000円", "4,000円", "3,000円"}));
        // Without amounts: the user's columns stay empty.
        QCOMPARE(row(table, 5).mid(13), (QStringList{"的中", "300円", "2,000円", "1,700円", "", "", ""}));
        QCOMPARE(table.index(6, RaceTableModel::Date).data().toString(), QStringLiteral("日付不明（日付なし）"));
        QCOMPARE(table.index(2, RaceTableModel::Hit).data().toString(), QStringLiteral("はずれ"));

        // Counted as a miss, the race without a result says so, and is found as one.
        AnalysisFilter withoutResult;
        withoutResult.includeWithoutResult = true;
        folder->setFilter(withoutResult);
        QCOMPARE(table.index(4, RaceTableModel::Hit).data().toString(), QStringLiteral("はずれ"));
        folder->raceTable().setSearchText(QStringLiteral("はずれ"));
        QCOMPARE(raceRows(table), (QStringList{"R2", "R3", "R4", "R5"}));
        folder->raceTable().setSearchText({});

        // A filter changes the rows.
        AnalysisFilter filter;
        filter.course = QStringLiteral("中山");
        folder->setFilter(filter);
        QCOMPARE(raceRows(table), (QStringList{"R2", "R3"}));
    }

    // The date column of a race as the file holds it: a date in any form the date box reads, or for one that
    // cannot be read the text itself, so that the race can be found and mended; the CSV file keeps that text.
    void storedDateShown_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("csv");
        QTest::newRow("as the date box writes it") << "24/05/26"
                                                   << "2024/05/26"
                                                   << "2024-05-26";
        QTest::newRow("和暦 kept as typed") << "令和6年5月26日"
                                            << "2024/05/26"
                                            << "2024-05-26";
        QTest::newRow("a day that does not exist") << "24/2/30"
                                                   << "日付不明（24/2/30）"
                                                   << "24/2/30";
        QTest::newRow("a date outside its era") << "平成32年5月1日"
                                                << "日付不明（平成32年5月1日）"
                                                << "平成32年5月1日";
        QTest::newRow("no date") << ""
                                 << "日付不明"
                                 << "";
    }
    void storedDateShown()
    {
        QFETCH(QString, stored);
        TestRace race;
        race.date = stored;
        race.first = num(1);
        race.second = num(4);
        race.payout = num(500);
        AnalysedFolder folder({race});
        const RaceTableModel& table = folder->raceTable();
        QCOMPARE(table.rowCount(), 1);
        QTEST(table.index(0, RaceTableModel::Date).data().toString(), "shown");
        QTEST(table.index(0, RaceTableModel::Date).data(AnalysisRole::Csv).toString(), "csv");
    }

    // The yen of every table are written digit by digit; they must read as the Japanese locale writes them.
    void yenAsTheLocaleWritesThem()
    {
        const QLocale japanese(QLocale::Japanese, QLocale::Japan);
        std::vector<std::int64_t> values = {0,
                                            1,
                                            -1,
                                            999,
                                            1000,
                                            -1000,
                                            999'999,
                                            1'000'000,
                                            -1'234'567,
                                            maxAmountYen,
                                            -maxAmountYen,
                                            std::numeric_limits<std::int64_t>::max(),
                                            std::numeric_limits<std::int64_t>::min()};
        for (std::int64_t v = 7; v < maxAmountYen; v = v * 13 + 5)
            values.insert(values.end(), {v, -v});
        for (const std::int64_t value : values)
            QCOMPARE(displaytext::wholeYen(value), japanese.toString(qlonglong(value)) + u'円');
        QCOMPARE(displaytext::yen(-2499.5), QStringLiteral("-2,500円"));
    }

    void sorting_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<Qt::SortOrder>("order");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("date, newest first") << int(RaceTableModel::Date) << Qt::DescendingOrder
                                            << QStringList{"R7", "R6", "R5", "R4", "R3", "R2", "R1"};
        // As text "1,000円" would come before "100円" and "2,000円" before "500円". Equal stakes keep time order.
        QTest::newRow("stake as numbers") << int(RaceTableModel::OwnStake) << Qt::AscendingOrder
                                          << QStringList{"R7", "R4", "R1", "R3", "R5", "R2", "R6"};
        QTest::newRow("payout, largest first") << int(RaceTableModel::Payout) << Qt::DescendingOrder
                                               << QStringList{"R3", "R2", "R6", "R4", "R7", "R1", "R5"};
        // Courses in the pick list's order, 東京 and 東京競馬場 together.
        QTest::newRow("courses") << int(RaceTableModel::Course) << Qt::AscendingOrder
                                 << QStringList{"R1", "R4", "R5", "R7", "R2", "R3", "R6"};
    }
    void sorting()
    {
        QFETCH(int, column);
        QFETCH(Qt::SortOrder, order);
        AnalysedFolder folder(handComputedRaces());
        RaceTableModel& view = folder->raceTable();
        view.sort(column, order);
        QTEST(raceRows(view), "rows");
        // The table keeps its order when the filter changes.
        folder->setFilter(AnalysisFilter{});
        QTEST(raceRows(view), "rows");
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("course") << "中山" << QStringList{"R2", "R3"};
        QTest::newRow("hit column") << "はずれ" << QStringList{"R2", "R3", "R4"};
        QTest::newRow("two words, both in the row") << "東京　的中" << QStringList{"R1", "R7"};
        QTest::newRow("the date as stored") << "99/12" << QStringList{"R1", "R2"};
        QTest::newRow("widths, letter case and numerals folded") << "ｇｉｉ" << QStringList{"R2"};
        // A class is the class, however the file spells it (ＧⅠ, Ｇ１, GI, "G 1"): ＧⅠ is not part of ＧⅢ.
        QTest::newRow("ＧⅠ") << "ＧⅠ" << QStringList{"R1", "R5", "R6", "R7"};
        QTest::newRow("g1") << "g1" << QStringList{"R1", "R5", "R6", "R7"};
        QTest::newRow("GI") << "GI" << QStringList{"R1", "R5", "R6", "R7"};
        QTest::newRow("ＧⅢ") << "ＧⅢ" << QStringList{"R4"};
        QTest::newRow("的中 ＧⅠ") << "的中 ＧⅠ" << QStringList{"R1", "R6", "R7"};
        QTest::newRow("a class and a course") << "Ｇ１ 京都" << QStringList{"R6"};
        QTest::newRow("an unknown date") << "日付不明" << QStringList{"R7"};
        QTest::newRow("amounts as shown") << "4,000円" << QStringList{"R5"};
        QTest::newRow("race number, either case") << "3r" << QStringList{"R3"};
        QTest::newRow("a number shown only in the proposals' columns") << "1,700円" << QStringList{"R6"};
        QTest::newRow("nothing") << "阪神" << QStringList{};
        QTest::newRow("blank") << "  " << QStringList{"R1", "R2", "R3", "R4", "R5", "R6", "R7"};
    }
    void search()
    {
        QFETCH(QString, text);
        AnalysedFolder folder(handComputedRaces());
        folder->raceTable().setSearchText(text);
        QTEST(raceRows(folder->raceTable()), "rows");
    }

    // Race names in the many ways Japanese text can be typed, and words that find them or not: the row's folding takes
    // the texts it can write as they stand apart from the others, and both must fold as the typed words do.
    void search_foldsTypedNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("found");
        const struct {
            const char* row;
            const char16_t* name;
            const char16_t* word;
            bool found;
        } cases[] = {
            {"ASCII capitals", u"ABC記念", u"abc", true},
            {"full-width letters", u"ＡＢＣステークス", u"abc", true},
            {"half-width kana with sound mark", u"ｶﾞｸｴﾝ杯", u"ガクエン", true},
            {"a circled number", u"第①回特別", u"第1回", true},
            {"a sound mark not dropped", u"ガクエン杯", u"カクエン", false},
            {"ヴ both ways", u"ヴィクトリー", u"ｳﾞｨｸﾄﾘｰ", true},
            {"a roman numeral", u"Ⅳ世記念", u"iv世", true},
            {"an enclosed ideograph", u"㈱トキロ杯", u"(株)", true},
            {"Greek capitals", u"ΑΒΓ賞", u"αβγ", true},
            {"kanji and 々", u"佐々木記念", u"佐々木", true},
            {"a kanji not in the name", u"春の特別", u"秋", false},
        };
        for (const auto& c : cases)
            QTest::newRow(c.row) << QString::fromUtf16(c.name) << QString::fromUtf16(c.word) << c.found;
    }
    void search_foldsTypedNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, word);
        QFETCH(bool, found);
        std::vector<TestRace> races = handComputedRaces();
        races[0].name = name;
        AnalysedFolder folder(races);
        folder->raceTable().setSearchText(word);
        QCOMPARE(raceRows(folder->raceTable()).contains(QStringLiteral("R1")), found);
        // The name as the search folds it is found in its row whatever the name.
        folder->raceTable().setSearchText(searchFolded(name));
        QVERIFY(raceRows(folder->raceTable()).contains(QStringLiteral("R1")));
    }

    // The search finds every text a row shows, in every column: the row's search text is written apart from the
    // shown texts and must not leave one out. One race has the largest payout a race can hold, and a name to fold.
    void search_findsEveryShownText()
    {
        std::vector<TestRace> races = handComputedRaces();
        races[1].payout = num(999'999'999'999);
        races[1].name = QStringLiteral("Ｔｅｓｔ 記念");
        AnalysedFolder folder(races);
        AnalysisFilter everything;
        everything.includeWithoutResult = everything.includeWithoutAmounts = true;
        folder->setFilter(everything);
        RaceTableModel& table = folder->raceTable();
        const int rows = table.rowCount();
        QCOMPARE(rows, int(races.size()));
        for (int row = 0; row < rows; ++row) {
            const QString name = table.index(row, RaceTableModel::Name).data().toString();
            for (int column = 0; column < RaceTableModel::ColumnCount; ++column) {
                const QString shown = table.index(row, column).data().toString();
                if (shown.isEmpty())
                    continue;
                table.setSearchText(shown);
                bool found = false;
                for (int match = 0; match < table.rowCount(); ++match)
                    found = found || table.index(match, RaceTableModel::Name).data().toString() == name;
                QVERIFY2(found, qPrintable(shown));
                table.setSearchText({});
            }
        }
    }

    void gradeClassOf_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("grade");
        const char* const spellings[][2] = {
            {"ＧⅠ", "ＧⅠ"},        {"GI", "ＧⅠ"},           {"G1", "ＧⅠ"},           {"Ｇ１", "ＧⅠ"},
            {"G 1", "ＧⅠ"},        {"ｇⅰ", "ＧⅠ"},          {"ＧⅡ", "ＧⅡ"},          {"GII", "ＧⅡ"},
            {"g2", "ＧⅡ"},         {"Ｇ　２", "ＧⅡ"},       {"ＧⅢ", "ＧⅢ"},          {"GIII", "ＧⅢ"},
            {"G3", "ＧⅢ"},         {"Ｇｉｉｉ", "ＧⅢ"},     {"ＪｐｎⅠ", "ＪｐｎⅠ"},  {"JpnI", "ＪｐｎⅠ"},
            {"Jpn1", "ＪｐｎⅠ"},   {"ＪＰＮ１", "ＪｐｎⅠ"}, {"jpn 1", "ＪｐｎⅠ"},    {"ＪｐｎⅡ", "ＪｐｎⅡ"},
            {"JpnII", "ＪｐｎⅡ"},  {"Jpn2", "ＪｐｎⅡ"},     {"Ｊｐｎ２", "ＪｐｎⅡ"}, {"ＪｐｎⅢ", "ＪｐｎⅢ"},
            {"JpnIII", "ＪｐｎⅢ"}, {"Jpn3", "ＪｐｎⅢ"},     {"JPN Ⅲ", "ＪｐｎⅢ"},    {"", "その他"},
            {"OP", "その他"},      {"G", "その他"},         {"G4", "その他"},        {"GIV", "その他"},
            {"Jpn", "その他"},     {"ＧⅠ記念", "その他"},   {"重賞", "その他"},      {"L", "その他"}};
        for (const auto& [text, grade] : spellings)
            QTest::newRow(text[0] ? text : "empty") << QString::fromUtf8(text) << QString::fromUtf8(grade);
    }
    void gradeClassOf()
    {
        QFETCH(QString, text);
        QTEST(gradeClassName(::gradeClassOf(text)), "grade");
    }

    void classes_data()
    {
        QTest::addColumn<int>("grade");
        QTest::addColumn<QString>("word"); // what is typed in the search
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("ＧⅠ") << int(GradeClass::G1) << "ＧⅠ" << QStringList{"R1", "R2"};
        QTest::newRow("ＧⅡ") << int(GradeClass::G2) << "G2" << QStringList{"R3"};
        QTest::newRow("ＧⅢ") << int(GradeClass::G3) << "ｇⅲ" << QStringList{"R4"};
        QTest::newRow("ＪｐｎⅠ") << int(GradeClass::Jpn1) << "JpnI" << QStringList{"R5", "R6"};
        QTest::newRow("ＪｐｎⅡ") << int(GradeClass::Jpn2) << "ＪｐｎⅡ" << QStringList{"R7"};
        QTest::newRow("ＪｐｎⅢ") << int(GradeClass::Jpn3) << "jpn3" << QStringList{"R8"};
        QTest::newRow("その他") << int(GradeClass::Other) << "" << QStringList{"R9", "R10"};
    }
    // Each class in the filter, the breakdown and the search alike, every spelling of it counted in it.
    void classes()
    {
        QFETCH(int, grade);
        QFETCH(QString, word);
        QFETCH(QStringList, rows);
        std::vector<TestRace> races;
        for (const char* typed : {"GI", "Ｇ １", "ＧⅡ", "G3", "ＪｐｎⅠ", "jpn1", "JpnII", "Ｊｐｎ３", "OP", ""}) {
            TestRace race{.number = int(races.size()) + 1, .first = num(1), .second = num(4), .payout = num(500)};
            race.grade = QString::fromUtf8(typed);
            races.push_back(race);
        }
        AnalysedFolder folder(races);
        AnalysisFilter filter;
        filter.grade = static_cast<GradeClass>(grade);
        folder->setFilter(filter);
        QTEST(raceRows(folder->raceTable()), "rows");

        folder->setFilter(AnalysisFilter{});
        const BreakdownModel& byClass = folder->breakdownModel(Breakdown::Grade);
        QCOMPARE(column(byClass, BreakdownModel::Key),
                 (QStringList{"ＧⅠ", "ＧⅡ", "ＧⅢ", "ＪｐｎⅠ", "ＪｐｎⅡ", "ＪｐｎⅢ", "その他"}));
        QCOMPARE(byClass.index(grade, BreakdownModel::Races).data().toString(), QString::number(rows.size()));

        if (!word.isEmpty()) {
            folder->raceTable().setSearchText(word);
            QTEST(raceRows(folder->raceTable()), "rows");
        }
    }

    void firstSeason_data()
    {
        QTest::addColumn<bool>("anyResult");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("hits");
        QTest::newRow("no result yet: every race, as a miss")
            << false << QStringList{"R1", "R2", "R3", "R4", "R5", "R6", "R7"}
            << QStringList{"はずれ", "はずれ", "はずれ", "はずれ", "はずれ", "はずれ", "はずれ"};
        // Once a result is in, a race without one is a row only for its amounts (R6 has none), its hit cell empty.
        QTest::newRow("one result") << true << QStringList{"R1", "R2", "R3", "R4", "R5", "R7"}
                                    << QStringList{"的中", "", "", "", "", ""};
    }
    void firstSeason()
    {
        QFETCH(bool, anyResult);
        const std::vector<TestRace> races = firstSeasonRaces(anyResult);
        AnalysedFolder folder(races);
        QCOMPARE(folder->filter().includeWithoutResult, !anyResult);
        QTEST(raceRows(folder->raceTable()), "rows");
        QTEST(column(folder->raceTable(), RaceTableModel::Hit), "hits");
        const SeriesFigures& p = folder->figures(Series::Proposals);
        QCOMPARE(p.races, anyResult ? 1 : 7);
        QCOMPARE(p.stake, anyResult ? 200.0 : 2200.0);
        QCOMPARE(p.hits, anyResult ? 1 : 0);
    }

    void breakdowns_data()
    {
        QTest::addColumn<int>("breakdown");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("races");       // of the proposals
        QTest::addColumn<QStringList>("returns");     // 回収率 of the proposals
        QTest::addColumn<QStringList>("differences"); // of the user's money
        QTest::newRow("year") << int(Breakdown::Year) << QStringList{"1999年", "2000年", "日付不明"}
                              << QStringList{"2", "3", "1"} << QStringList{"83.3%", "181.8%", "700.0%"}
                              << QStringList{"-500円", "1,500円", "600円"};
        QTest::newRow("month") << int(Breakdown::Month) << QStringList{"1月", "2月", "12月", "日付不明"}
                               << QStringList{"2", "1", "2", "1"} << QStringList{"0.0%", "666.7%", "83.3%", "700.0%"}
                               << QStringList{"-1,500円", "3,000円", "-500円", "600円"};
        QTest::newRow("course in pick-list order")
            << int(Breakdown::Course) << QStringList{"東京", "中山", "京都"} << QStringList{"3", "2", "1"}
            << QStringList{"171.4%", "0.0%", "666.7%"} << QStringList{"4,600円", "-3,000円", "0円"};
        QTest::newRow("class") << int(Breakdown::Grade) << QStringList{"ＧⅠ", "ＧⅡ", "ＧⅢ", "その他"}
                               << QStringList{"3", "1", "1", "1"} << QStringList{"533.3%", "0.0%", "0.0%", "0.0%"}
                               << QStringList{"5,100円", "-2,000円", "-500円", "-1,000円"};
        QTest::newRow("runners") << int(Breakdown::Runners) << QStringList{"8頭以下"} << QStringList{"6"}
                                 << QStringList{"177.8%"} << QStringList{"1,600円"};
        QTest::newRow("axis") << int(Breakdown::Axis) << QStringList{"3本軸"} << QStringList{"6"}
                              << QStringList{"177.8%"} << QStringList{"1,600円"};
        QTest::newRow("tickets asked") << int(Breakdown::Asked) << QStringList{"1点", "2点", "3点", "4点"}
                                       << QStringList{"1", "1", "1", "3"}
                                       << QStringList{"700.0%", "250.0%", "666.7%", "0.0%"}
                                       << QStringList{"600円", "1,500円", "0円", "-500円"};
    }
    void breakdowns()
    {
        QFETCH(int, breakdown);
        AnalysedFolder folder(handComputedRaces(), true);
        const BreakdownModel* model =
            folder->findChild<BreakdownModel*>(breakdownObjectName(static_cast<Breakdown>(breakdown)));
        QVERIFY(model);
        QTEST(column(*model, BreakdownModel::Key), "keys");
        QTEST(column(*model, BreakdownModel::Races), "races");
        QTEST(column(*model, BreakdownModel::ReturnRate), "returns");
        QTEST(column(*model, BreakdownModel::OwnDifference), "differences");
    }

    void whatIf()
    {
        AnalysedFolder folder(handComputedRaces(), true);
        const WhatIfModel* model = folder->findChild<WhatIfModel*>(QStringLiteral("whatIf"));
        QVERIFY(model);
        QCOMPARE(model->rowCount(), 12);
        // R1 and R7 hit with any count (1-4 is the first ticket), R6 from three tickets on (3-4 is the third),
        // R2, R3 and R4 never; six races, ten tickets at most.
        QCOMPARE(column(*model, WhatIfModel::Hits),
                 (QStringList{"2", "2", "3", "3", "3", "3", "3", "3", "3", "3", "3", "3"}));
        QCOMPARE(row(*model, 1), (QStringList{"2点", "6", "2", "33.3%", "1,200円", "1,200円", "100.0%", "0円", "1"}));
        QCOMPARE(row(*model, 2),
                 (QStringList{"3点", "6", "3", "50.0%", "1,800円", "3,200円", "177.8%", "1,400円", "1"}));
        QCOMPARE(row(*model, 11).mid(4, 3), (QStringList{"6,000円", "3,200円", "53.3%"}));
        QCOMPARE(column(*model, WhatIfModel::Tickets, AnalysisRole::Asked),
                 (QStringList{"true", "true", "true", "true", "false", "false", "false", "false", "false", "false",
                              "false", "false"}));
        QCOMPARE(model->index(3, WhatIfModel::AskedRaces).data().toString(), QStringLiteral("3"));
    }

    // The tipster page on the hand-computed tipsters (analysis_folder.h): marks and finishes, the ◎–○ ticket, the
    // races left out, sorting.
    void tipsters()
    {
        std::vector<TestRace> races = handComputedRaces();
        AnalysedFolder folder(races, true);
        auto* model = folder->findChild<TipsterTableModel*>(QStringLiteral("tipsters"));
        QVERIFY(model);
        using M = TipsterTableModel;
        QCOMPARE(column(*model, M::Name), (QStringList{"A", "B", "C"}));
        QCOMPARE(column(*model, M::Races), (QStringList{"5", "5", "2"}));
        // ◎: A's horse 1 second in R1 and first in R7, B's horse 2 never in front, C's horse 3 first in R6.
        QCOMPARE(column(*model, M::markColumn(0, M::First)), (QStringList{"1", "0", "1"}));
        QCOMPARE(column(*model, M::markColumn(0, M::Second)), (QStringList{"1", "0", "0"}));
        QCOMPARE(column(*model, M::markColumn(0, M::WinRate)), (QStringList{"20.0%", "0.0%", "50.0%"}));
        QCOMPARE(column(*model, M::markColumn(0, M::PlaceRate)), (QStringList{"40.0%", "0.0%", "50.0%"}));
        // ○ and △ (shown fourth: ◎ ○ ▲ first).
        QCOMPARE(column(*model, M::markColumn(1, M::PlaceRate)), (QStringList{"0.0%", "60.0%", "100.0%"}));
        QCOMPARE(column(*model, M::markColumn(3, M::Count)), (QStringList{"5", "5", "2"}));
        QCOMPARE(column(*model, M::markColumn(3, M::First)), (QStringList{"1", "1", "0"}));
        QCOMPARE(column(*model, M::markColumn(4, M::Count)), (QStringList{"5", "0", "0"})); // × from A alone
        QCOMPARE(column(*model, M::markColumn(4, M::WinRate)), (QStringList{"20.0%", "", ""}));
        // The ◎–○ ticket: C's 3-4 came in once.
        QCOMPARE(column(*model, M::ticketColumn(M::TicketHits)), (QStringList{"0", "0", "1"}));
        QCOMPARE(column(*model, M::ticketColumn(M::TicketPayout)), (QStringList{"0円", "0円", "2,000円"}));
        QCOMPARE(column(*model, M::ticketColumn(M::TicketReturnRate)), (QStringList{"0.0%", "0.0%", "1,000.0%"}));
        QCOMPARE(column(*model, M::ticketColumn(M::TicketInterval)),
                 (QStringList{"0.0～0.0", "0.0～0.0", "0.0～2000.0"}));
        // Every figure rests on fewer than 30.
        QCOMPARE(model->index(0, M::markColumn(0, M::PlaceRate)).data(AnalysisRole::Indicative).toBool(), true);

        const TipsterCounts& counts = folder->tipsterFigures().counts;
        QCOMPARE(counts.withResult, 6);
        QCOMPARE(counts.counted, 5);
        QCOMPARE(counts.withoutGrid, 1); // R3
        QCOMPARE(counts.unreadableGrid, 0);
        QCOMPARE(counts.withoutResult, 1); // R5
        QCOMPARE(counts.leftOut.size(), std::size_t(1));
        QCOMPARE(folder->data().outcome(counts.leftOut[0]).raceNumber(), 3);
        // トキロの本命人気1位, horse 1: first in R7, second in R1, of five.
        QCOMPARE(folder->tipsterFigures().favouriteLeader.placeRatePercent(), 40.0);

        // Sorted by ◎ 連対率, then back the other way; a new filter keeps the sort.
        model->sort(M::markColumn(0, M::PlaceRate), Qt::DescendingOrder);
        QCOMPARE(column(*model, M::Name), (QStringList{"C", "A", "B"}));
        model->sort(M::markColumn(0, M::PlaceRate), Qt::AscendingOrder);
        QCOMPARE(column(*model, M::Name), (QStringList{"B", "A", "C"}));
        AnalysisFilter tokyo;
        tokyo.course = QStringLiteral("東京"); // R1, R4, R7 (R5 has no result)
        folder->setFilter(tokyo);
        // ◎ 連対率 there: A 2 of 3 (R1 R7), B none of 3, C none of 1 (R1); B before C as the rows came in.
        QCOMPARE(column(*model, M::Name), (QStringList{"B", "C", "A"}));
        QCOMPARE(column(*model, M::Races), (QStringList{"3", "1", "3"}));

        // A grid that cannot be read is left out as such: R3's, cut inside B's marks line.
        races[2].tipsters = handComputedTipsters(false);
        AnalysedFolder cut(races);
        const QString r3 = cut.dir.filePath(QStringLiteral("r02.tkr"));
        const QByteArray bytes = fileBytes(r3);
        putFile(r3, bytes.first(bytes.lastIndexOf("\r\n\x81\x45")));
        cut.reanalyse();
        QCOMPARE(cut->tipsterFigures().counts.unreadableGrid, 1);
        QCOMPARE(cut->tipsterFigures().counts.withoutGrid, 0);
        QCOMPARE(cut->tipsterFigures().counts.counted, 5);
    }

    // 印と順位 on the worked example: every race ranks horse h in place h of the favourite order and in place
    // 6 2 4 1 3 5 7 8 (horse 1 to 8) of the quinella order; grades C C B B. Counted: R1 R2 R3 R4 R6 R7 (finishers
    // 4-1, 5-6, 7-8, 6-8, 3-4, 1-4); a race with a result but no mark at all is left out.
    void ranks()
    {
        std::vector<TestRace> races = handComputedRaces();
        races.push_back({.date = "00/03/01", .number = 8, .first = num(1), .second = num(2), .payout = num(900)});
        races.back().marked = false;
        AnalysedFolder folder(races);
        const RankFigures& figures = folder->rankFigures();
        QCOMPARE(figures.races, 6);
        QCOMPARE(figures.unmarked, 1);
        QCOMPARE(figures.withoutResult, 1);

        auto* ranks = folder->findChild<PlaceTableModel*>(QStringLiteral("proposalRanks"));
        QVERIFY(ranks);
        using P = PlaceTableModel;
        QCOMPARE(ranks->rowCount(), 8 + 8 + 12);
        QCOMPARE(column(*ranks, P::Label).mid(0, 8),
                 (QStringList{"1位", "2位", "3位", "4位", "5位", "6位", "7位", "8位"}));
        QCOMPARE(column(*ranks, P::Runners).mid(0, 8), QStringList(8, QStringLiteral("6")));
        QCOMPARE(column(*ranks, P::First).mid(0, 8), (QStringList{"1", "0", "1", "1", "1", "1", "1", "0"}));
        QCOMPARE(column(*ranks, P::Second).mid(0, 8), (QStringList{"1", "0", "0", "2", "0", "1", "0", "2"}));
        // The quinella places hold horses 4 2 5 3 6 1 7 8.
        QCOMPARE(column(*ranks, P::First).mid(8, 8), (QStringList{"1", "0", "1", "1", "1", "1", "1", "0"}));
        QCOMPARE(column(*ranks, P::Second).mid(8, 8), (QStringList{"2", "0", "0", "0", "1", "1", "0", "2"}));
        // Grades by leading runner, A B C each: 本命 1位 and 2位 grade C, 連複 1位 and 2位 grade B.
        QCOMPARE(column(*ranks, P::Group).mid(16, 3), QStringList(3, QStringLiteral("本命人気1位の等級")));
        QCOMPARE(column(*ranks, P::Runners).mid(16),
                 (QStringList{"0", "0", "6", "0", "0", "6", "0", "6", "0", "0", "6", "0"}));
        QCOMPARE(column(*ranks, P::PlaceRate).mid(16),
                 (QStringList{"", "", "33.3%", "", "", "0.0%", "", "50.0%", "", "", "0.0%", ""}));

        auto* kinds = folder->findChild<PlaceTableModel*>(QStringLiteral("markKinds"));
        QVERIFY(kinds);
        QCOMPARE(kinds->rowCount(), 30);
        // ◎ per horse 2 1 1 0 0 0 0 0.
        QCOMPARE(column(*kinds, P::Label).mid(0, 5), (QStringList{"0個", "1個", "2個", "3～4個", "5個以上"}));
        QCOMPARE(column(*kinds, P::Runners).mid(0, 5), (QStringList{"30", "12", "6", "0", "0"}));
        QCOMPARE(column(*kinds, P::First).mid(0, 5), (QStringList{"4", "1", "1", "0", "0"}));
        QCOMPARE(column(*kinds, P::Second).mid(0, 5), (QStringList{"5", "0", "1", "0", "0"}));
        QCOMPARE(column(*kinds, P::Group).mid(5, 1), QStringList{"○の数"});
        // 30 runners are enough: only the smaller groups are indicative.
        QCOMPARE(kinds->index(0, P::PlaceRate).data(AnalysisRole::Indicative).toBool(), false);
        QCOMPARE(kinds->index(1, P::PlaceRate).data(AnalysisRole::Indicative).toBool(), true);

        // A race of three runners (◎ on horse 1 only; 2-1 came in) counts in the first three places only, and its
        // finishers in the bands of their own marks.
        races.push_back({.date = "00/03/02", .number = 9, .first = num(2), .second = num(1), .payout = num(300)});
        races.back().marks = {{1, 0, 0, 0, 0, 0}, {0, 1, 0, 0, 0, 0}, {0, 0, 1, 0, 0, 0}};
        AnalysedFolder three(races);
        auto* threeRanks = three->findChild<PlaceTableModel*>(QStringLiteral("proposalRanks"));
        const QStringList places = {"7", "7", "7", "6", "6", "6", "6", "6"};
        QCOMPARE(column(*threeRanks, P::Runners).mid(0, 8), places);
        QCOMPARE(column(*threeRanks, P::Runners).mid(8, 8), places);
        auto* threeKinds = three->findChild<PlaceTableModel*>(QStringLiteral("markKinds"));
        QCOMPARE(column(*threeKinds, P::Runners).mid(0, 5), (QStringList{"32", "13", "6", "0", "0"}));
        QCOMPARE(column(*threeKinds, P::First).mid(0, 5), (QStringList{"5", "1", "1", "0", "0"}));
        QCOMPARE(column(*threeKinds, P::Second).mid(0, 5), (QStringList{"5", "1", "1", "0", "0"}));
    }

    // What each hand-computed tipster adds: the proposals as recorded, with only their marks, and without them.
    void tipsterWhatIf()
    {
        AnalysedFolder folder(handComputedRaces(), true);
        auto* model = folder->findChild<TipsterWhatIfModel*>(QStringLiteral("tipsterWhatIf"));
        QVERIFY(model);
        using W = TipsterWhatIfModel;
        QCOMPARE(column(*model, W::Name), (QStringList{"A", "B", "C"}));
        QCOMPARE(column(*model, W::wayColumn(W::Recorded, W::Hits)), (QStringList{"3", "3", "2"}));
        QCOMPARE(column(*model, W::wayColumn(W::Recorded, W::Profit)), (QStringList{"1,800円", "1,800円", "2,000円"}));
        QCOMPARE(column(*model, W::wayColumn(W::Only, W::Hits)), (QStringList{"0", "0", "1"}));
        QCOMPARE(column(*model, W::wayColumn(W::Only, W::Profit)), (QStringList{"-1,400円", "-1,400円", "1,500円"}));
        QCOMPARE(column(*model, W::wayColumn(W::Without, W::Hits)), (QStringList{"3", "1", "1"}));
        QCOMPARE(column(*model, W::wayColumn(W::Without, W::ReturnRate)), (QStringList{"228.6%", "35.7%", "100.0%"}));
        QCOMPARE(column(*model, W::addedColumn(W::Gained)), (QStringList{"0", "2", "1"}));
        QCOMPARE(column(*model, W::addedColumn(W::Lost)), (QStringList{"0", "0", "0"}));
        QCOMPARE(column(*model, W::addedColumn(W::AddedPoints)), (QStringList{"0.0", "+192.9", "+400.0"}));
        QCOMPARE(column(*model, W::addedColumn(W::AddedProfit)), (QStringList{"0円", "2,700円", "2,000円"}));
        // A adds nothing in every draw; only A never hits.
        QCOMPARE(column(*model, W::addedColumn(W::AddedInterval)).first(), QStringLiteral("0.0～0.0"));
        QCOMPARE(column(*model, W::wayColumn(W::Only, W::Interval)).first(), QStringLiteral("0.0～0.0"));
    }

    // The tipsters' replays worked out in the background: the tipster tables stay empty until they are in (a filter
    // set meanwhile too), then hold the same bytes as those worked out at once, for the filter then in force; taken
    // in through the event loop or by waiting.
    void tipstersInBackground_data()
    {
        QTest::addColumn<bool>("filtered");
        QTest::addColumn<bool>("eventLoop");
        QTest::newRow("opening filter, waited for") << false << false;
        QTest::newRow("filter set meanwhile, through the event loop") << true << true;
        QTest::newRow("filter set meanwhile, waited for") << true << false;
    }
    void tipstersInBackground()
    {
        QFETCH(bool, filtered);
        QFETCH(bool, eventLoop);
        AnalysedFolder folder(handComputedRaces(), true);
        AnalysisFilter tokyo;
        tokyo.course = QStringLiteral("東京");
        holdBackgroundReplays(true);
        Analysis later(tallyFolder(folder.dir.path()), ReplayFill::Later);
        QSignalSpy ready(&later, &Analysis::tipstersReady);
        QCoreApplication::processEvents();
        QVERIFY(later.tipstersPending());
        QVERIFY(later.intervalsPending());
        if (filtered) {
            folder->setFilter(tokyo);
            folder->waitForIntervals();
            later.setFilter(tokyo);
        }
        QCOMPARE(later.tipsterModel().rowCount(), 0);
        QCOMPARE(later.tipsterWhatIfModel().rowCount(), 0);
        QCOMPARE(later.tipsterFigures().counts.counted, 0);
        QCOMPARE(later.rankFigures().races, folder->rankFigures().races); // the ranks do not wait
        holdBackgroundReplays(false);
        if (eventLoop)
            QTRY_VERIFY(!later.intervalsPending());
        else
            later.waitForIntervals();
        QVERIFY(!later.tipstersPending());
        QCOMPARE(ready.count(), 1);
        QCOMPARE(later.tipsterModel().rowCount(), 3); // A B C under either filter
        QCOMPARE(csvBytes(later.tipsterModel()), csvBytes(folder->tipsterModel()));
        QCOMPARE(csvBytes(later.tipsterWhatIfModel()), csvBytes(folder->tipsterWhatIfModel()));
        QCOMPARE(later.tipsterFigures().counts.leftOut, folder->tipsterFigures().counts.leftOut);
        QCOMPARE(later.tipsterFigures().counts.counted, folder->tipsterFigures().counts.counted);
    }

    // Each tipster's intervals are drawn over the races they marked alone (so that the time grows with the tipster's
    // races): the same intervals as over every counted race, and those the tables show.
    void tipsterIntervalsOverTheirOwnRaces()
    {
        AnalysedFolder folder(handComputedRaces(), true);
        const TipsterFigures& figures = folder->tipsterFigures();
        QCOMPARE(figures.marked.size(), figures.rows.size());
        for (std::size_t row = 0; row < figures.rows.size(); ++row) {
            const int tipster = figures.rows[row].tipster;
            QCOMPARE(int(figures.marked[row].size()), figures.rows[row].races);
            const TipsterIntervals own = tipsterIntervals(folder->data(), figures.marked[row], tipster);
            const TipsterIntervals all = tipsterIntervals(folder->data(), figures.races, tipster);
            QCOMPARE(own.ticket, all.ticket);
            QCOMPARE(own.whatIf.ways, all.whatIf.ways);
            QCOMPARE(own.whatIf.firstLessLast, all.whatIf.firstLessLast);
            QCOMPARE(figures.rows[row].ticketInterval, own.ticket);
            QCOMPARE(figures.whatIf[row].addedInterval, own.whatIf.firstLessLast);
        }
    }

    // A tipster's ◎–○ ticket is a quinella: it hits whichever of the two horses wins. A's ◎1 ○2 (B's ◎2 ○4) in R1 of
    // the hand-computed races, against finishes chosen for it; R1 pays 500.
    void tipsterTicketInEitherOrder_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<QStringList>("hits"); // A, B
        QTest::newRow("◎ first") << 1 << 2 << QStringList{"1", "0"};
        QTest::newRow("○ first") << 2 << 1 << QStringList{"1", "0"};
        QTest::newRow("○ first, B's ◎ second") << 4 << 2 << QStringList{"0", "1"};
        QTest::newRow("◎ first, ○ out of the two") << 1 << 3 << QStringList{"0", "0"};
        QTest::newRow("○ second, ◎ out of the two") << 3 << 2 << QStringList{"0", "0"};
    }
    void tipsterTicketInEitherOrder()
    {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(QStringList, hits);
        std::vector<TestRace> races = {handComputedRaces().front()};
        races[0].first = num(first);
        races[0].second = num(second);
        AnalysedFolder folder(races);
        const TipsterTableModel& model = folder->tipsterModel();
        using M = TipsterTableModel;
        QStringList got;
        QStringList payouts;
        for (const char* name : {"A", "B"}) {
            const int row = int(column(model, M::Name).indexOf(QString::fromLatin1(name)));
            QVERIFY(row >= 0);
            got << model.index(row, M::ticketColumn(M::TicketHits)).data().toString();
            payouts << model.index(row, M::ticketColumn(M::TicketPayout)).data().toString();
        }
        QCOMPARE(got, hits);
        for (qsizetype t = 0; t < hits.size(); ++t)
            QCOMPARE(payouts[t], hits[t] == u"1" ? QStringLiteral("500円") : QStringLiteral("0円"));
    }

    // The worked example with the finishers chosen for it: proposed 1-4 2-4 3-4 1-2 for four tickets, 3 then 2 came
    // in. Without B's marks (◎2 ○4 △3 ▲5 ★7) the engine proposes 1-2 1-4 1-5 2-3: B's marks cost the hit. Without A
    // the proposals are as recorded; without C (◎3 ○4 △6 ▲7) they are 1-2 1-4 1-5 2-4, no hit either.
    // A breakdown's rows are kept in one, two or four bytes a race as the rows need: each comes back, -1 too.
    void raceRowsKeepEveryRow_data()
    {
        QTest::addColumn<int>("rows");
        for (const int rows : {1, 254, 255, 65534, 65535, 1 << 20})
            QTest::addRow("%d rows", rows) << rows;
    }
    void raceRowsKeepEveryRow()
    {
        QFETCH(int, rows);
        RaceRows kept;
        kept.assign(5, rows);
        const std::vector<int> put = {rows - 1, -1, 0, rows / 2, rows - 1};
        for (std::size_t race = 0; race < put.size(); ++race) {
            QCOMPARE(kept[race], -1);
            kept.set(race, put[race]);
        }
        std::vector<int> got;
        for (std::size_t race = 0; race < kept.size(); ++race)
            got.push_back(kept[race]);
        QCOMPARE(got, put);
    }

    void removalTurnsAMissIntoAHit()
    {
        TestRace race{.date = "00/04/02", .number = 11, .asked = 4, .first = num(3), .second = num(2)};
        race.payout = num(1500);
        race.tipsters = handComputedTipsters(true);
        AnalysedFolder folder({race});
        const TipsterWhatIfModel& model = folder->tipsterWhatIfModel();
        using W = TipsterWhatIfModel;
        QCOMPARE(column(model, W::Name), (QStringList{"A", "B", "C"}));
        QCOMPARE(column(model, W::wayColumn(W::Recorded, W::Hits)), (QStringList{"0", "0", "0"}));
        QCOMPARE(column(model, W::wayColumn(W::Without, W::Hits)), (QStringList{"0", "1", "0"}));
        QCOMPARE(column(model, W::addedColumn(W::Lost)), (QStringList{"0", "1", "0"}));
        QCOMPARE(column(model, W::addedColumn(W::AddedPoints)), (QStringList{"0.0", "-375.0", "0.0"}));
        QCOMPARE(column(model, W::addedColumn(W::AddedProfit)), (QStringList{"0円", "-1,500円", "0円"}));
    }
};

QTEST_GUILESS_MAIN(AnalysisTablesTest)
#include "analysis_tables_test.moc"
