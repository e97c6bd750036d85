#include "core_test_main.h"
#include "racefile/race_folder.h"
#include "record/list_lines.h"
#include "samples.h"
#include "temp_folder.h"

#include <QDir>
#include <QtTest>

// Listing the saved races: which files, in which order, and their fixed-width summary lines.
class CatalogueTest : public QObject {
    Q_OBJECT

private slots:
    void emptyFolder();
    void listsAndSorts();
    void summaryLines_data();
    void summaryLines();
    void shortFileShowsZeroDefaults();
    void untrustedFilesAreListed_data();
    void untrustedFilesAreListed();
    void racesReadWithTheCatalogue();
};

namespace {

void saveRace(const QString& name, const QString& date, int number, const TailLines& tail = {})
{
    RaceState race = sampleRace(2);
    race.raceDate = date;
    race.raceNumber = static_cast<std::int16_t>(number);
    const FileResult written = writeRaceFile(name, race, tail);
    QVERIFY2(written.ok, qPrintable(written.error));
}

QStringList fileNames(const std::vector<CatalogueEntry>& entries)
{
    QStringList names;
    for (const CatalogueEntry& entry : entries)
        names << entry.fileName;
    return names;
}

} // namespace

void CatalogueTest::emptyFolder()
{
    TempFolder folder;
    putFile(QStringLiteral("TKR.tmp"), crlfLines(raceLines(1)));
    QVERIFY(RaceFolder(folder.path()).catalogue().empty());
}

void CatalogueTest::listsAndSorts()
{
    TempFolder folder;
    saveRace(QStringLiteral("a.tkr"), QStringLiteral("99/12/26"), 12);
    saveRace(QStringLiteral("b.TKR"), QStringLiteral("00/01/05"), 1);
    saveRace(QStringLiteral("c.Tkr"), QStringLiteral("99/12/26"), 123); // sorts as race 23
    saveRace(QStringLiteral("d.tkr"), QStringLiteral("99/12/26"), 3);
    saveRace(QStringLiteral("e2.tkr"), QStringLiteral("99/05/16"), 7);
    saveRace(QStringLiteral("e1.tkr"), QStringLiteral("99/05/16"), 7); // same key: both listed, by file name
    // Keys of other lengths and characters are compared code by code all the same.
    saveRace(QStringLiteral("f.tkr"), QStringLiteral("99/1"), 5);      // "99/105"
    saveRace(QStringLiteral("g.tkr"), QStringLiteral("令和元年"), 1);  // after every digit
    saveRace(QStringLiteral("h.tkr"), QStringLiteral("99/12/26 "), 1); // trimmed: "99/12/2601"
    saveRace(QStringLiteral("race.txt"), QStringLiteral("01/01/01"), 1);
    saveRace(QStringLiteral("TKR.tmp"), QStringLiteral("01/01/01"), 1);
    QVERIFY(QDir().mkdir(QStringLiteral("folder.tkr")));

    const std::vector<CatalogueEntry> entries = RaceFolder(folder.path()).catalogue();
    QCOMPARE(fileNames(entries),
             QStringList({"b.TKR", "e1.tkr", "e2.tkr", "f.tkr", "h.tkr", "d.tkr", "a.tkr", "c.Tkr", "g.tkr"}));
    QCOMPARE(entries[0].sortKey, QStringLiteral("00/01/0501"));
    QCOMPARE(entries[7].sortKey, QStringLiteral("99/12/2623"));
    QCOMPARE(entries[7].raceNumberText, QStringLiteral("123"));
    QVERIFY(entries[7].readable);
    QCOMPARE(entries[7].runnerCount, 2);
    // The same list from another folder.
    const QString path = folder.path();
    QDir::setCurrent(QDir::tempPath());
    QCOMPARE(fileNames(RaceFolder(path).catalogue()), fileNames(entries));
    QDir::setCurrent(path);
}

void CatalogueTest::summaryLines_data()
{
    QTest::addColumn<int>("raceNumber");
    QTest::addColumn<QString>("raceName");
    QTest::addColumn<TailLines>("tail");
    QTest::addColumn<QString>("resultLine");
    QTest::addColumn<QString>("balanceLine");
    QTest::newRow("fresh race") << 7 << QStringLiteral("テスト記念") << TailLines{}
                                << QStringLiteral("  99/05/16    第07ﾚｰｽ  一着：00番  二着：00番   配当金：000000円    "
                                                  "テスト記念               ")
                                << QStringLiteral("  99/05/16  第07ﾚｰｽ  支出：000000円  収入：000000円   "
                                                  "差額：000000円  テスト記念               ");
    QTest::newRow("loss of 500") << 123 << QStringLiteral("とても長いレース名のステークス競走第一回記念")
                                 << TailLines{TailValue::ofNumber(5), TailValue::ofNumber(12), TailValue::ofText("870"),
                                              TailValue::ofNumber(1000), TailValue::ofNumber(500)}
                                 << QStringLiteral(
                                        "  99/05/16    第23ﾚｰｽ  一着：05番  二着：12番   配当金：000870円    "
                                        "とても長いレース名のステークス競走第一回")
                                 << QStringLiteral("  99/05/16  第23ﾚｰｽ  支出：001000円  収入：000500円   "
                                                   "差額：-000500円 とても長いレース名のステークス競走第一回");
    QTest::newRow("big win, three-digit horse")
        << 0 << QString()
        << TailLines{TailValue::ofNumber(118), TailValue::ofText("3"), TailValue::ofText("12345678"),
                     TailValue::ofNumber(2.5), TailValue::ofNumber(1234567)}
        << QStringLiteral("  99/05/16    第00ﾚｰｽ  一着：18番  二着：03番   配当金：12345678円                      ")
        << QStringLiteral("  99/05/16  第00ﾚｰｽ  支出：000003円  収入：1234567円  差額：1234565円                     ");
    // Amounts too long for their pieces widen the line by exactly the extra characters; nothing is cut.
    QTest::newRow("twelve-digit amounts")
        << 1 << QStringLiteral("有馬記念")
        << TailLines{TailValue::ofNumber(3), TailValue::ofNumber(8), TailValue::ofText("123456789012"),
                     TailValue::ofNumber(100), TailValue::ofNumber(123456789012)}
        << QStringLiteral(
               "  99/05/16    第01ﾚｰｽ  一着：03番  二着：08番   配当金：123456789012円有馬記念                ")
        << QStringLiteral("  99/05/16  第01ﾚｰｽ  支出：000100円  収入：123456789012円 "
                          "差額：123456788912円有馬記念                ");
}

void CatalogueTest::summaryLines()
{
    QFETCH(int, raceNumber);
    QFETCH(QString, raceName);
    QFETCH(TailLines, tail);
    QFETCH(QString, resultLine);
    QFETCH(QString, balanceLine);
    TempFolder folder;
    RaceState race = sampleRace(3);
    race.raceNumber = static_cast<std::int16_t>(raceNumber);
    race.raceName = raceName;
    QVERIFY(writeRaceFile(QStringLiteral("r.tkr"), race, tail).ok);
    const std::vector<CatalogueEntry> entries = RaceFolder(folder.path()).catalogue();
    QCOMPARE(entries.size(), std::size_t(1));
    QCOMPARE(resultSummaryLine(entries[0]), resultLine);
    QCOMPARE(balanceSummaryLine(entries[0]), balanceLine);
}

void CatalogueTest::shortFileShowsZeroDefaults()
{
    TempFolder folder;
    std::vector<QByteArray> lines = raceLines(1, " 5 ", " 6 ", "870", "300", "400");
    lines.resize(lines.size() - 4); // ends after the first place
    putFile(QStringLiteral("short.tkr"), crlfLines(lines));
    const std::vector<CatalogueEntry> entries = RaceFolder(folder.path()).catalogue();
    QCOMPARE(entries.size(), std::size_t(1));
    QVERIFY(entries[0].readable);
    QCOMPARE(entries[0].firstPlace, QStringLiteral("5"));
    QCOMPARE(entries[0].secondPlace, QString());
    QVERIFY(resultSummaryLine(entries[0]).contains(QStringLiteral("一着：05番  二着：00番   配当金：000000円")));
    QVERIFY(balanceSummaryLine(entries[0]).contains(QStringLiteral("支出：000000円  収入：000000円   差額：000000円")));
}

void CatalogueTest::untrustedFilesAreListed_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shownDate");
    std::vector<QByteArray> lines = raceLines(2);
    lines[7] = " 30 ";
    QTest::newRow("30 runners") << crlfLines(lines) << "99/05/16";
    lines = raceLines(2);
    lines[15] = " 99 ";
    QTest::newRow("mark 99") << crlfLines(lines) << "99/05/16";
    lines = raceLines(2);
    lines[0] = "99/05/\xFF";
    QTest::newRow("bad byte in the date") << crlfLines(lines) << "";
    QTest::newRow("not a race file") << QByteArray("hello\r\n") << "hello";
}

void CatalogueTest::untrustedFilesAreListed()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shownDate);
    TempFolder folder;
    putFile(QStringLiteral("bad.tkr"), bytes);
    saveRace(QStringLiteral("good.tkr"), QStringLiteral("99/05/16"), 8);
    const std::vector<CatalogueEntry> entries = RaceFolder(folder.path()).catalogue();
    QCOMPARE(entries.size(), std::size_t(2));
    const CatalogueEntry& bad = entries[0].fileName == QStringLiteral("bad.tkr") ? entries[0] : entries[1];
    QVERIFY(!bad.readable);
    QCOMPARE(bad.raceDate, shownDate);
    // The line shows what could be read and the file name, at the usual width, and no made-up results.
    const QString result = resultSummaryLine(bad);
    const QString balance = balanceSummaryLine(bad);
    QCOMPARE(result.size(), 74);
    QCOMPARE(balance.size(), 77);
    for (const QString& line : {result, balance}) {
        QVERIFY2(line.contains(QStringLiteral("bad.tkr")) && line.contains(QStringLiteral("読めません")),
                 qPrintable(line));
        QVERIFY(!line.contains(QStringLiteral("着：")) && !line.contains(QStringLiteral("差額")));
        QVERIFY(line.startsWith(QStringLiteral("  ") + shownDate));
    }
}

// The record screen reads each file once: its races must be those a separate read gives, in catalogue order.
void CatalogueTest::racesReadWithTheCatalogue()
{
    TempFolder folder;
    saveRace(QStringLiteral("b.tkr"), QStringLiteral("99/12/26"), 12,
             TailLines{TailValue::ofNumber(2), TailValue::ofNumber(1), TailValue::ofText("870"),
                       TailValue::ofNumber(400), TailValue::ofNumber(870)});
    saveRace(QStringLiteral("a.tkr"), QStringLiteral("00/01/05"), 1);
    saveRace(QStringLiteral("d.tkr"), QStringLiteral("99/12/27"), 3,
             TailLines{TailValue::ofText(QStringLiteral("3番")), TailValue::ofText(QStringLiteral("07")),
                       TailValue::ofText(QStringLiteral("1230円")), TailValue::unset(), TailValue::ofNumber(0)});
    std::vector<QByteArray> tooMany = raceLines(1);
    tooMany[7] = " 22 ";
    putFile(QStringLiteral("c.tkr"), crlfLines(tooMany));

    const std::vector<CatalogueEntry> entries = RaceFolder(folder.path()).catalogue();
    for (const ReadScope scope : {ReadScope::ThroughResults, ReadScope::Whole}) {
        const std::vector<CataloguedRace> races = RaceFolder(folder.path()).races(scope);
        QCOMPARE(races.size(), entries.size());
        for (std::size_t i = 0; i < races.size(); ++i) {
            QCOMPARE(races[i].entry.fileName, entries[i].fileName);
            QCOMPARE(races[i].entry.sortKey, entries[i].sortKey);
            // The entry shares its texts with the race read alongside: they must be those of the plain listing.
            for (const auto field :
                 {&CatalogueEntry::raceDate, &CatalogueEntry::raceNumberText, &CatalogueEntry::raceName,
                  &CatalogueEntry::firstPlace, &CatalogueEntry::secondPlace, &CatalogueEntry::payout})
                QCOMPARE(races[i].entry.*field, entries[i].*field);
            LoadedRace separate;
            const FileResult read = RaceFolder(folder.path()).read(entries[i].fileName, separate, scope);
            QCOMPARE(races[i].read.ok, read.ok);
            if (!read.ok)
                continue;
            QCOMPARE(races[i].race.race.raceDate, separate.race.raceDate);
            QCOMPARE(races[i].race.race.runnerCount, separate.race.runnerCount);
            QVERIFY(races[i].race.race.markSheet == separate.race.markSheet);
            QVERIFY(races[i].race.tail == separate.tail);
        }
        QCOMPARE(races[1].entry.fileName, QStringLiteral("c.tkr"));
        QVERIFY(!races[1].read.ok);
        QCOMPARE(races[2].race.race.raceNumber, std::int16_t(12));
        QCOMPARE(races[2].race.tail.firstPlace, TailValue::ofNumber(2));
        QCOMPARE(races[3].entry.firstPlace, QStringLiteral("3番"));
        QCOMPARE(races[3].race.tail.secondPlace, TailValue::ofNumber(7));
        QCOMPARE(races[3].entry.secondPlace, QStringLiteral("07"));
    }
}

TOKIRO_CORE_TEST_MAIN(CatalogueTest)

#include "catalogue_test.moc"
