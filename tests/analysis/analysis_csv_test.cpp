#include "analysis_folder.h"

#include "analysis/csv_export.h"
#include "test_files.h"

#include <QtTest>

namespace {

// Two races: a hit whose name holds a comma and double quotes, and one with amounts but no result.
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
    TestRace open{.date = "00/01/05", .number = 1, .asked = 1, .stake = num(500), .course = "中山", .grade = ""};
    open.name = QStringLiteral("新春");
    open.distance = QStringLiteral("2000m");
    return {open, hit};
}

} // namespace

// CSV files of the analysis tables: the exact bytes, and a save that fails without harm.
class AnalysisCsvTest : public QObject {
    Q_OBJECT

private slots:
    void raceTableBytes()
    {
        AnalysedFolder folder(csvRaces());
        const QByteArray expected =
            "\xEF\xBB\xBF"
            "日付,レース,レース名,重賞,競馬場,距離,頭数,希望点数,軸,予想買い目,一着,二着,配当金,"
            "的中,予想購入額,予想払戻,馬券購入金額,収入,差額\r\n"
            "1999-05-16,11,\"ダービー,\"\"特別\"\"\",ＧⅠ,東京競馬場,1600,8,2,3本軸,1-4 2-4,1,4,"
            "870,的中,200,870,1000,870,-130\r\n"
            "2000-01-05,1,新春,,中山,2000,8,1,3本軸,1-4,,,,,,,500,0,-500\r\n";
        QCOMPARE(csvBytes(folder->raceTable()), expected);
    }

    void viewAndSmallTables()
    {
        AnalysedFolder folder(csvRaces());
        // A sorted table is written in its order.
        folder->raceTable().sort(RaceTableModel::OwnStake, Qt::AscendingOrder);
        const QList<QByteArray> lines = csvBytes(folder->raceTable()).split('\n');
        QVERIFY(lines.value(1).startsWith("2000-01-05,"));
        QVERIFY(lines.value(2).startsWith("1999-05-16,"));

        // The what-if table: numbers without separators, rates with one decimal.
        const QList<QByteArray> whatIf = csvBytes(folder->whatIfModel()).split('\n');
        QCOMPARE(whatIf.size(), 14); // header, twelve rows, and nothing after the last CR LF
        QCOMPARE(whatIf[0], QByteArray("\xEF\xBB\xBF点数,レース数,的中数,的中率,購入額,払戻額,回収率,収支,"
                                       "この点数を希望したレース数\r"));
        QCOMPARE(whatIf[1], QByteArray("1,1,1,100.0,100,870,870.0,770,0\r"));
        QCOMPARE(whatIf[2], QByteArray("2,1,1,100.0,200,870,435.0,670,1\r"));

        const QByteArray year = csvBytes(folder->breakdownModel(Breakdown::Year));
        QVERIFY(year.contains("\r\n1999年,1,1,100.0,200,870,435.0,670,1,1000,870,87.0,-130\r\n"));
        QVERIFY(year.endsWith("\r\n2000年,0,0,,0,0,,0,1,500,0,0.0,-500\r\n"));
    }

    void save()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("成績.csv"));
        const QByteArray bytes = "\xEF\xBB\xBF"
                                 "a,b\r\n";
        QVERIFY(saveCsvFile(path, bytes).ok);
        QCOMPARE(fileBytes(path), bytes);

        // A save that fails on its way to the disk says so in Japanese and leaves the old file as it was.
        const FileResult failed = saveCsvFile(path,
                                              "\xEF\xBB\xBF"
                                              "new\r\n",
                                              [](QIODevice&) -> QIODevice* { return nullptr; });
        QVERIFY(!failed.ok);
        QVERIFY2(failed.error.startsWith(QStringLiteral("CSVファイル「成績.csv」を保存できませんでした。")),
                 qPrintable(failed.error));
        QCOMPARE(fileBytes(path), bytes);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("成績.csv")});

        const FileResult noFolder = saveCsvFile(dir.filePath(QStringLiteral("なし/成績.csv")), bytes);
        QVERIFY(!noFolder.ok);
        QVERIFY(noFolder.error.contains(QStringLiteral("フォルダ")));
        QVERIFY(!saveCsvFile(dir.path(), bytes).ok);
    }
};

QTEST_GUILESS_MAIN(AnalysisCsvTest)
#include "analysis_csv_test.moc"
