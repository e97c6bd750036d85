#include "analysis_folder.h"

#include "analysis/csv_export.h"
#include "core/numbers.h"
#include "racefile/cp932.h"
#include "test_files.h"

#include <QtTest>

namespace {

// Four races: a hit typed second horse first whose name holds a comma and double quotes; a hit typed 9 then 2 on the
// only ticket, 2-9 (nine runners: horse 9 has two ◎, horse 2 one ○, so horse 9 is the axis and horse 2 its one
// partner); a miss whose texts start like formulas and whose own difference is -330; and one with amounts but no
// result.
std::vector<TestRace> csvRaces()
{
    TestRace hit{.date = "99/05/16",
                 .number = 11,
                 .asked = 2,
                 .first = num(4),
                 .second = num(1),
                 .payout = num(870),
                 .stake = num(1000),
                 .income = num(870)};
    hit.name = QStringLiteral("ダービー,\"特別\"");
    TestRace nineTwo{.date = "99/06/06", .number = 10, .asked = 1, .first = num(9), .second = num(2)};
    nineTwo.payout = num(1230);
    nineTwo.name = QStringLiteral("安田記念");
    nineTwo.marks = {{0, 0, 0, 0, 0, 0}, {0, 1, 0, 0, 0, 0}, {}, {}, {}, {}, {}, {}, {2, 0, 0, 0, 0, 0}};
    TestRace formulas{.date = "99/07/04", .number = 1, .asked = 1, .first = num(5), .second = num(6)};
    formulas.payout = num(3000);
    formulas.stake = num(330);
    formulas.name = QStringLiteral("=1+1");
    formulas.course = QStringLiteral("+81");
    formulas.grade = QStringLiteral("-330");
    formulas.distance = QStringLiteral("@1200m");
    TestRace open{.date = "00/01/05", .number = 1, .asked = 1, .stake = num(500), .course = "中山", .grade = ""};
    open.name = QStringLiteral("新春");
    open.distance = QStringLiteral("2000m");
    return {open, hit, formulas, nineTwo};
}

const QByteArray raceTableHeader = "\xEF\xBB\xBF"
                                   "日付,レース,レース名,重賞,競馬場,距離,頭数,希望点数,軸,予想買い目,一着,二着,配当金,"
                                   "的中,予想購入額,予想払戻,馬券購入金額,収入,差額\r\n";
// The finishers as the file has them, a text starting like a formula behind an apostrophe, -330 a number as it is.
const QByteArray racesWithResult =
    "1999-05-16,11,\"ダービー,\"\"特別\"\"\",ＧⅠ,東京競馬場,1600,8,2,3本軸,1－4 "
    "2－4,4,1,870,的中,200,870,1000,870,-130\r\n"
    "1999-06-06,10,安田記念,ＧⅠ,東京競馬場,1600,9,1,1本軸,2－9,9,2,1230,的中,100,1230,,,\r\n"
    "1999-07-04,1,'=1+1,'-330,'+81,'@1200m,8,1,3本軸,1－4,5,6,3000,はずれ,100,0,330,0,-330\r\n";

} // namespace

// CSV files of the analysis tables: the exact bytes, and a save that fails without harm.
class AnalysisCsvTest : public QObject {
    Q_OBJECT

private slots:
    void raceTableBytes_data()
    {
        QTest::addColumn<bool>("includeWithoutResult");
        QTest::addColumn<QByteArray>("lastRow");
        QTest::newRow("races with a result")
            << false << QByteArray("2000-01-05,1,新春,,中山,2000,8,1,3本軸,1－4,,,,,,,500,0,-500\r\n");
        // Counted as a miss, it says so.
        QTest::newRow("the race without one counted")
            << true << QByteArray("2000-01-05,1,新春,,中山,2000,8,1,3本軸,1－4,,,,はずれ,100,0,500,0,-500\r\n");
    }
    void raceTableBytes()
    {
        QFETCH(bool, includeWithoutResult);
        QFETCH(QByteArray, lastRow);
        AnalysedFolder folder(csvRaces());
        AnalysisFilter filter;
        filter.includeWithoutResult = includeWithoutResult;
        folder->setFilter(filter);
        QCOMPARE(csvBytes(folder->raceTable()), raceTableHeader + racesWithResult + lastRow);
    }

    // Another program's file may hold a tab or another control character inside a text line; no cell carries one.
    void noControlCharacterInACell()
    {
        AnalysedFolder folder(csvRaces());
        const QString path = folder.dir.filePath(QStringLiteral("r03.tkr"));
        QByteArray bytes = fileBytes(path);
        const QByteArray name = *encodeCp932(u"安田記念");
        QVERIFY(bytes.contains(name));
        putFile(path, bytes.replace(name, *encodeCp932(u"安田") + "\t\x01" + *encodeCp932(u"記念")));
        folder.reanalyse();
        QByteArray csv = csvBytes(folder->raceTable());
        QVERIFY2(csv.contains(",安田  記念,"), csv.constData());
        QVERIFY(std::ranges::none_of(csv.replace("\r\n", ""), [](char c) { return c >= 0 && c < 0x20; }));
    }

    void viewAndSmallTables()
    {
        AnalysedFolder folder(csvRaces());
        // A sorted table is written in its order.
        folder->raceTable().sort(RaceTableModel::OwnStake, Qt::AscendingOrder);
        const QList<QByteArray> lines = csvBytes(folder->raceTable()).split('\n');
        QVERIFY(lines.value(1).startsWith("1999-07-04,"));
        QVERIFY(lines.value(2).startsWith("2000-01-05,"));
        QVERIFY(lines.value(3).startsWith("1999-05-16,"));
        QVERIFY(lines.value(4).startsWith("1999-06-06,")); // no amounts: last

        // The what-if table: numbers without separators, rates with one decimal.
        const QList<QByteArray> whatIf = csvBytes(folder->whatIfModel()).split('\n');
        QCOMPARE(whatIf.size(), 14); // header, twelve rows, and nothing after the last CR LF
        // Rates say (%) in their headings; three races make every rate a 参考値.
        QCOMPARE(whatIf[0], QByteArray("\xEF\xBB\xBF点数,レース数,的中数,的中率(%),購入額,払戻額,回収率(%),収支,"
                                       "この点数を希望したレース数,参考値\r"));
        // 4-1 and 9-2 are hits from one ticket on: the order of the finishers does not matter.
        QCOMPARE(whatIf[1], QByteArray("1,3,2,66.7,300,2100,700.0,1800,2,参考値\r"));
        QCOMPARE(whatIf[2], QByteArray("2,3,2,66.7,500,2100,420.0,1600,1,参考値\r"));

        const QByteArray year = csvBytes(folder->breakdownModel(Breakdown::Year));
        QVERIFY(year.contains("\r\n1999年,3,2,66.7,400,2100,525.0,1700,2,1330,870,65.4,-460,参考値,参考値\r\n"));
        // No proposal counted in 2000: no rate, and no 参考値 for it.
        QVERIFY(year.endsWith("\r\n2000年,0,0,,0,0,,0,1,500,0,0.0,-500,,参考値\r\n"));
    }

    // The tables of the tipster and ranking pages on the hand-computed tipsters (analysis_folder.h): each rate's
    // interval as its two bounds, Wilson's for the rates; the bootstrap bounds of C's two races can be drawn by hand
    // (R1 twice, R6 twice, or one of each).
    void tipsterTablesBytes()
    {
        AnalysedFolder folder(handComputedRaces());
        auto rateHeadings = [](const QByteArray& rate) {
            return "," + rate + "(%)," + rate + "の95%区間の下限(%)," + rate + "の95%区間の上限(%)";
        };
        QByteArray tipsters = "\xEF\xBB\xBF予想家,レース数";
        for (const char* mark : {"◎", "○", "▲", "△", "×", "★"}) {
            const QByteArray m(mark);
            tipsters += "," + m + "の数," + m + "の1着," + m + "の2着" + rateHeadings(m + "の勝率")
                        + rateHeadings(m + "の連対率");
        }
        // Each mark's figures and the ◎-○ ticket's rest on counts of their own, each with its 参考値 column.
        tipsters += ",◎○馬連のレース数,◎○馬連の的中数,◎○馬連の的中率(%),◎○馬連の購入額,◎○馬連の払戻額"
                    + rateHeadings("◎○馬連の回収率")
                    + ",◎○馬連の収支,参考値,◎の参考値,○の参考値,▲の参考値,△の参考値,×の参考値,★の参考値,"
                      "◎○馬連の参考値\r\n";
        const QByteArray allFew = ",参考値,参考値,参考値,参考値,参考値,参考値,参考値,参考値\r\n";
        // A: ◎1 second in R1 and first in R7, ○2 nowhere, ▲3 won R6, △4 won R1 and was second in R6 and R7, ×5 won
        // R2, ★6 second in R2 and won R4; 1-2 never came in.
        tipsters += "A,5,5,1,1,20.0,3.6,62.4,40.0,11.8,76.9,5,0,0,0.0,0.0,43.4,0.0,0.0,43.4,5,1,0,20.0,3.6,62.4,20.0,"
                    "3.6,62.4,5,1,2,20.0,3.6,62.4,60.0,23.1,88.2,5,1,0,20.0,3.6,62.4,20.0,3.6,62.4,5,1,1,20.0,3.6,62.4,"
                    "40.0,11.8,76.9,5,0,0.0,500,0,0.0,0.0,0.0,-500"
                    + allFew;
        // B: ◎2 never in front, ○4 first in R1 and second in R6 and R7, △3 and ▲5 a winner each, no ×, ★7 nowhere;
        // 2-4 never came in.
        tipsters +=
            "B,5,5,0,0,0.0,0.0,43.4,0.0,0.0,43.4,5,1,2,20.0,3.6,62.4,60.0,23.1,88.2,5,1,0,20.0,3.6,62.4,20.0,3.6,"
            "62.4,5,1,0,20.0,3.6,62.4,20.0,3.6,62.4,0,0,0,,,,,,,5,0,0,0.0,0.0,43.4,0.0,0.0,43.4,"
            "5,0,0.0,500,0,0.0,0.0,0.0,-500,参考値,参考値,参考値,参考値,参考値,,参考値,参考値\r\n"; // no ×: no figure
        // C in R1 and R6: 3-4 came in once; every draw of the two races pays 0, 1,000 or 2,000 per cent.
        tipsters += "C,2,2,1,0,50.0,9.5,90.5,50.0,9.5,90.5,2,1,1,50.0,9.5,90.5,100.0,34.2,100.0,2,0,0,0.0,0.0,65.8,0.0,"
                    "0.0,65.8,2,0,0,0.0,0.0,65.8,0.0,0.0,65.8,0,0,0,,,,,,,0,0,0,,,,,,,2,1,50.0,200,2000,1000.0,0.0,"
                    "2000.0,1800,参考値,参考値,参考値,参考値,参考値,,,参考値\r\n";
        QCOMPARE(csvBytes(folder->tipsterModel()), tipsters);

        QByteArray whatIf =
            "\xEF\xBB\xBF予想家,レース数,加えて的中になったレース,加えて外れになったレース,"
            "加えた回収率（ポイント）,加えた回収率の95%区間の下限（ポイント）,加えた回収率の95%区間の上限（ポイント）,"
            "加えた収支";
        for (const char* way : {"記録どおり", "この予想家だけ", "この予想家抜き"}) {
            const QByteArray w(way);
            whatIf += "," + w + "の的中数," + w + "の的中率(%)" + rateHeadings(w + "の回収率") + "," + w + "の収支";
        }
        whatIf += ",参考値";
        // C: recorded 250.0 (R1 twice) to 666.7 (R6 twice); without C R1 alone hits.
        whatIf += "\r\n";
        const QByteArray c =
            "C,2,1,0,400.0,0.0,666.7,2000,2,100.0,500.0,250.0,666.7,2000,1,50.0,400.0,0.0,666.7,1500,1,"
            "50.0,100.0,0.0,250.0,0,参考値\r\n";
        const QByteArray bytes = csvBytes(folder->tipsterWhatIfModel());
        QVERIFY(bytes.startsWith(whatIf));
        QVERIFY(bytes.endsWith(c));
        QCOMPARE(bytes.count("\r\n"), 4);

        const QByteArray placeHeadings =
            "\xEF\xBB\xBF区分,項目,頭数,1着,2着" + rateHeadings("勝率") + rateHeadings("連対率") + ",参考値\r\n";
        const QByteArray ranks = csvBytes(folder->proposalRanksModel());
        QVERIFY(ranks.startsWith(placeHeadings
                                 + "本命人気の順位,1位,6,1,1,16.7,3.0,56.4,33.3,9.7,70.0,参考値\r\n"
                                   "本命人気の順位,2位,6,0,0,0.0,0.0,39.0,0.0,0.0,39.0,参考値\r\n"));
        // No runner is fewer than 30 too.
        QVERIFY(ranks.endsWith("連複人気2位の等級,A,0,0,0,,,,,,,参考値\r\n連複人気2位の等級,B,6,0,0,0.0,0.0,39.0,0.0,"
                               "0.0,39.0,参考値\r\n連複人気2位の等級,C,0,0,0,,,,,,,参考値\r\n"));
        QVERIFY(csvBytes(folder->markKindsModel())
                    .startsWith(placeHeadings
                                + "◎の数,0個,30,4,5,13.3,5.3,29.7,30.0,16.7,47.9,\r\n" // 30 runners: no 参考値
                                  "◎の数,1個,12,1,0,8.3,1.5,35.4,8.3,1.5,35.4,参考値\r\n"
                                  "◎の数,2個,6,1,1,16.7,3.0,56.4,33.3,9.7,70.0,参考値\r\n"
                                  "◎の数,3～4個,0,0,0,,,,,,,参考値\r\n"));
    }

    // What a spreadsheet needs beside the figures: a number to sort months and runner bands by (a month of an unknown
    // date has none), rates named in per cent, and 参考値 in a column of its own for each series, empty from 30 races.
    void spreadsheetColumns_data()
    {
        QTest::addColumn<int>("races"); // copies of the hand-computed races
        QTest::addColumn<QString>("table");
        QTest::addColumn<QByteArrayList>("lines"); // the header, then rows the file holds
        QTest::newRow("months") << 1 << "month"
                                << QByteArrayList{"月,月の数字,レース数,的中数,的中率(%),購入額,払戻額,回収率(%),収支,"
                                                  "収支のレース数,馬券購入金額,収入,収支の回収率(%),差額,予想の参考値,"
                                                  "収支の参考値",
                                                  "2月,2,1,1,100.0,300,2000,666.7,1700,1,1000,4000,400.0,3000,参考値,"
                                                  "参考値",
                                                  "12月,12,2,1,50.0,600,500,83.3,-100,2,3000,2500,83.3,-500,参考値,"
                                                  "参考値",
                                                  "日付不明,,1,1,100.0,100,700,700.0,600,1,100,700,700.0,600,参考値,"
                                                  "参考値\r\n"};
        QTest::newRow("runners") << 1 << "runners" << QByteArrayList{"頭数,頭数の下限,レース数", "8頭以下,1,6,3,50.0,"};
        QTest::newRow("figures of six races")
            << 1 << "figures"
            << QByteArrayList{"項目,予想の成績,あなたの収支,予想の成績の参考値,あなたの収支の参考値",
                              "的中率(%),50.0,50.0,,\r\n", "回収率(%),177.8,128.6,参考値,参考値",
                              "回収率の95%区間(%),22.7～450.0,11.5～321.6,参考値,参考値", "収支,1400,1600,,\r\n"};
        QTest::newRow("figures of thirty races")
            << 5 << "figures"
            << QByteArrayList{"項目,予想の成績", "回収率(%),177.8,128.6,,\r\n", "収支,7000,8000,,\r\n"};
        QTest::newRow("breakdown of thirty races")
            << 5 << "runners"
            << QByteArrayList{"頭数,頭数の下限",
                              "8頭以下,1,30,15,50.0,9000,16000,177.8,7000,30,28000,36000,128.6,8000,,\r\n"};
    }
    void spreadsheetColumns()
    {
        QFETCH(int, races);
        QFETCH(QString, table);
        QFETCH(QByteArrayList, lines);
        std::vector<TestRace> all;
        for (int copy = 0; copy < races; ++copy)
            for (TestRace race : handComputedRaces()) {
                race.number += 12 * copy; // each copy a race of its own
                all.push_back(race);
            }
        AnalysedFolder folder(all);
        const QAbstractItemModel& model = table == u"figures" ? static_cast<QAbstractItemModel&>(folder->figuresModel())
                                          : table == u"month" ? folder->breakdownModel(Breakdown::Month)
                                                              : folder->breakdownModel(Breakdown::Runners);
        const QByteArray csv = csvBytes(model);
        QVERIFY2(csv.startsWith("\xEF\xBB\xBF" + lines.front()), csv.constData());
        for (const QByteArray& line : lines.mid(1))
            QVERIFY2(csv.contains("\r\n" + line), qPrintable(line + " not in:\n" + csv));
    }

    // Sums beyond 2^53 go to the file digit for digit: 10,000 races of the largest amount, one of them a yen less.
    void sumsAreExact()
    {
        SeriesFigures own;
        for (int race = 0; race < 10000; ++race)
            own.add(maxAmountYen, race == 0 ? maxAmountYen - 1 : maxAmountYen, true);
        FiguresModel model;
        model.setFigures(SeriesFigures{}, own);
        const QByteArray csv = csvBytes(model);
        QVERIFY2(csv.contains("\r\n購入額,0,9999999999990000,,\r\n"), csv.constData());
        QVERIFY(csv.contains("\r\n払戻・収入,0,9999999999989999,,\r\n"));
        QVERIFY(csv.contains("\r\n収支,0,-1,,\r\n"));
        QCOMPARE(model.index(FiguresModel::Returned, FiguresModel::Own).data().toString(),
                 QStringLiteral("9,999,999,999,989,999円"));
    }

    void save()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("成績.csv"));
        const QByteArray bytes = "\xEF\xBB\xBF"
                                 "a,b\r\n";
        // What a save killed half-way leaves behind goes with the next save into the folder.
        putFile(dir.filePath(QStringLiteral(".tokiro-k1lledhalfw0.tmp")), "\xEF\xBB\xBF");
        QVERIFY(saveCsvFile(path, bytes).ok);
        QCOMPARE(fileBytes(path), bytes);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("成績.csv")});

        // A save that fails on its way to the disk says so in Japanese and leaves the old file as it was.
        const FileResult failed = saveCsvFile(path,
                                              "\xEF\xBB\xBF"
                                              "new\r\n",
                                              [](QIODevice&) -> QIODevice* { return nullptr; });
        QVERIFY(!failed.ok);
        QVERIFY2(failed.error.startsWith(QStringLiteral("CSVファイル「成績.csv」を保存できませんでした。")),
                 qPrintable(failed.error));
        QCOMPARE(fileBytes(path), bytes);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("成績.csv")});

        const FileResult noFolder = saveCsvFile(dir.filePath(QStringLiteral("なし/成績.csv")), bytes);
        QVERIFY(!noFolder.ok);
        QVERIFY(noFolder.error.contains(QStringLiteral("フォルダ")));
        QVERIFY(!saveCsvFile(dir.path(), bytes).ok);
    }
};

QTEST_GUILESS_MAIN(AnalysisCsvTest)
#include "analysis_csv_test.moc"
