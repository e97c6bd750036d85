#include "core_test_main.h"
#include "racefile/race_folder.h"
#include "samples.h"
#include "temp_folder.h"

#include <QtTest>

// Rewriting the tail lines of a saved race through "TKR.tmp" (prepare, then commit once the user said OK), and
// deleting a race.
class RewriteTest : public QObject {
    Q_OBJECT

private slots:
    void resultRewriteKeepsBalance();
    void balanceRewriteKeepsResults();
    void cancelLeavesFileAndTemp_data();
    void cancelLeavesFileAndTemp();
    void unusableFileChangesNothing_data();
    void unusableFileChangesNothing();
    void keepsBytesOfUneditedLines();
    void keepsLinesAfterIncome_data();
    void keepsLinesAfterIncome();
    void deleteRemoves();
};

namespace {

// A rewrite as a screen makes it: prepare, then commit when the user answers OK. What the user is told, or ok.
FileResult rewrite(const QString& folder, const QString& name, bool results, const QStringList& values,
                   bool answer = true)
{
    const RaceFolder races(folder);
    PendingRewrite pending;
    const FileResult prepared = results ? races.prepareResults(name, values[0], values[1], values[2], pending)
                                        : races.prepareBalance(name, values[0], values[1], pending);
    return prepared.ok && answer ? races.commit(pending) : prepared;
}

std::vector<QByteArray> linesOf(const QString& path)
{
    QList<QByteArray> split = fileBytes(path).split('\n');
    std::vector<QByteArray> lines;
    for (QByteArray& line : split)
        lines.push_back(line.endsWith('\r') ? line.chopped(1) : line);
    if (!lines.empty() && lines.back().isEmpty())
        lines.pop_back(); // after the last line end
    return lines;
}

} // namespace

void RewriteTest::resultRewriteKeepsBalance()
{
    TempFolder folder;
    const TailLines tail{{}, {}, {}, TailValue::ofNumber(300), TailValue::ofNumber(450)};
    QVERIFY(writeRaceFile(QStringLiteral("r.tkr"), sampleRace(2), tail).ok);
    const FileResult done = rewrite(folder.path(), QStringLiteral("r.tkr"), true, {"07", "12番", ""});
    QVERIFY2(done.ok, qPrintable(done.error));

    const std::vector<QByteArray> lines = linesOf(QStringLiteral("r.tkr"));
    QCOMPARE(lines.size(), std::size_t(28));
    QCOMPARE(lines[1], QByteArray("7")); // copied as a text line: the blanks are gone
    QCOMPARE(lines[8], QByteArray(" 1 "));
    QCOMPARE(lines[23], QByteArray(" 7 "));
    QCOMPARE(lines[24], QByteArray(" 12 "));
    QCOMPARE(lines[25], QByteArray(" 0 ")); // an empty box is 0
    QCOMPARE(lines[26], QByteArray(" 300 "));
    QCOMPARE(lines[27], QByteArray(" 450 "));
    QCOMPARE(fileBytes(QStringLiteral("TKR.tmp")), fileBytes(QStringLiteral("r.tkr")));

    LoadedRace loaded;
    QVERIFY(RaceFolder(folder.path()).read(QStringLiteral("r.tkr"), loaded, ReadScope::Whole).ok);
    QCOMPARE(loaded.race.raceNumber, 7);
    QCOMPARE(loaded.race.runnerNames[1], QStringLiteral("ウマ2"));
    QCOMPARE(loaded.race.markSheet[1][0], 1);
    QVERIFY(loaded.tail
            == (TailLines{TailValue::ofNumber(7), TailValue::ofNumber(12), TailValue::ofText("0"),
                          TailValue::ofNumber(300), TailValue::ofNumber(450)}));
}

void RewriteTest::balanceRewriteKeepsResults()
{
    TempFolder folder;
    const TailLines tail{
        TailValue::ofNumber(3), TailValue::ofNumber(8), TailValue::ofText("870"), {}, TailValue::ofNumber(0)};
    QVERIFY(writeRaceFile(QStringLiteral("r.tkr"), sampleRace(1), tail).ok);
    QVERIFY(rewrite(folder.path(), QStringLiteral("r.tkr"), false, {"1200円", "１，５００"}).ok);
    const std::vector<QByteArray> lines = linesOf(QStringLiteral("r.tkr"));
    QCOMPARE(lines.size(), std::size_t(21));
    // The result lines are copied as text lines, the new amounts written as number lines.
    QCOMPARE(lines[16], QByteArray("3"));
    QCOMPARE(lines[17], QByteArray("8"));
    QCOMPARE(lines[18], QByteArray("870"));
    QCOMPARE(lines[19], QByteArray(" 1200 "));
    QCOMPARE(lines[20], QByteArray(" 1500 "));

    const std::vector<CatalogueEntry> entries = RaceFolder(folder.path()).catalogue();
    QCOMPARE(entries.size(), std::size_t(1));
    QCOMPARE(entries[0].firstPlace, QStringLiteral("3"));
    QCOMPARE(entries[0].payout, QStringLiteral("870"));
    QCOMPARE(entries[0].stake, 1200.0);
    QCOMPARE(entries[0].income, 1500.0);
}

void RewriteTest::cancelLeavesFileAndTemp_data()
{
    QTest::addColumn<bool>("results");
    QTest::newRow("result lines") << true;
    QTest::newRow("balance lines") << false;
}

void RewriteTest::cancelLeavesFileAndTemp()
{
    QFETCH(bool, results);
    TempFolder folder;
    QVERIFY(writeRaceFile(QStringLiteral("r.tkr"), sampleRace(3), TailLines{}).ok);
    putFile(QStringLiteral("TKR.tmp"), "left from before");
    const QByteArray before = fileBytes(QStringLiteral("r.tkr"));
    const QStringList values = results ? QStringList{"1", "2", "300"} : QStringList{"100", "200"};
    QVERIFY(rewrite(folder.path(), QStringLiteral("r.tkr"), results, values, false).ok);
    QCOMPARE(fileBytes(QStringLiteral("r.tkr")), before);
    // "TKR.tmp" holds the rewrite that was not confirmed.
    const QByteArray temp = fileBytes(QStringLiteral("TKR.tmp"));
    QVERIFY(temp.endsWith(results ? QByteArray(" 1 \r\n 2 \r\n 300 \r\n\r\n 0 \r\n")
                                  : QByteArray("\r\n\r\n\r\n 100 \r\n 200 \r\n")));
}

void RewriteTest::unusableFileChangesNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("messagePart");
    std::vector<QByteArray> lines = raceLines(2);
    lines.pop_back();
    QTest::newRow("income line missing") << crlfLines(lines) << "27行しかない";
    lines = raceLines(2);
    lines[8] = "solid";
    QTest::newRow("aim is text") << crlfLines(lines) << "9行目が数ではない";
    lines = raceLines(2);
    lines[22] = "x";
    QTest::newRow("mark is text") << crlfLines(lines) << "23行目";
    lines = raceLines(2);
    lines[7] = " 22 ";
    QTest::newRow("22 runners") << crlfLines(lines) << "出走頭数";
    lines = raceLines(2);
    lines[3] = "\x82";
    QTest::newRow("cut-off lead byte") << crlfLines(lines) << "4行目";
    QTest::newRow("empty") << QByteArray() << "8行目";
}

void RewriteTest::unusableFileChangesNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, messagePart);
    TempFolder folder;
    putFile(QStringLiteral("bad.tkr"), bytes);
    for (const bool results : {true, false}) {
        const FileResult failed = rewrite(folder.path(), QStringLiteral("bad.tkr"), results, {"1", "2", "3"});
        QVERIFY(!failed.ok);
        QVERIFY2(failed.error.contains(messagePart), qPrintable(failed.error));
    }
    QCOMPARE(fileBytes(QStringLiteral("bad.tkr")), bytes);
    QVERIFY(!QFile::exists(QStringLiteral("TKR.tmp")));

    // A file that vanished: nothing is created, not even "TKR.tmp".
    const FileResult vanished = rewrite(folder.path(), QStringLiteral("gone.tkr"), true, {"1", "2", "3"});
    QVERIFY(!vanished.ok);
    QVERIFY(vanished.error.contains(QStringLiteral("gone.tkr")));
    QVERIFY(!QFile::exists(QStringLiteral("gone.tkr")));
    QVERIFY(!QFile::exists(QStringLiteral("TKR.tmp")));
}

void RewriteTest::keepsBytesOfUneditedLines()
{
    // 髙 stored with its NEC code (EE E0), a 〜 as 81 60, blanks around a name, LF line ends, a mark stored as 04 and
    // junk after the race: only what the kinds of line change, changes; what follows the race stays as it was.
    std::vector<QByteArray> lines = raceLines(1, "", "", "", " 500 ", " 600 ");
    lines[2] = " \xEE\xE0\x81\x60 ";
    lines[9] = "\t\xEE\xE0 ";
    lines[10] = "04";
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + "\n";
    bytes += "extra\n";
    TempFolder folder;
    putFile(QStringLiteral("r.tkr"), bytes);
    QVERIFY(rewrite(folder.path(), QStringLiteral("r.tkr"), true, {"2", "1", "1230"}).ok);
    std::vector<QByteArray> expected = raceLines(1, " 2 ", " 1 ", " 1230 ", " 500 ", " 600 ");
    expected[1] = "7";
    expected[2] = "\xEE\xE0\x81\x60";
    expected[9] = "\xEE\xE0";
    expected[10] = " 4 ";
    QCOMPARE(fileBytes(QStringLiteral("r.tkr")), crlfLines(expected) + "extra\n");
}

void RewriteTest::keepsLinesAfterIncome_data()
{
    QTest::addColumn<bool>("results");
    QTest::addColumn<QByteArray>("after");
    const QByteArray three = "#TOKIRO-EXTRA 1\r\n" + sjis(QStringLiteral("予想家Ａ,◎,○")) + "\r\n\r\n";
    for (const bool results : {true, false}) {
        const char* which = results ? "result" : "balance";
        QTest::addRow("%s rewrite, three lines", which) << results << three;
        QTest::addRow("%s rewrite, last line without its end", which) << results << three + "no end";
        QTest::addRow("%s rewrite, LF and lone CR, blanks, bytes of no text", which)
            << results << QByteArray(" a \n\tb\r\xFF\x00\x82\r\n", 12);
    }
}

// Whatever another program or a later version keeps after the income line survives every rewrite, byte for byte.
void RewriteTest::keepsLinesAfterIncome()
{
    QFETCH(bool, results);
    QFETCH(QByteArray, after);
    TempFolder folder;
    QVERIFY(writeRaceFile(QStringLiteral("r.tkr"), sampleRace(2), TailLines{}).ok);
    const QByteArray race = fileBytes(QStringLiteral("r.tkr"));
    putFile(QStringLiteral("r.tkr"), race + after);
    const QStringList values = results ? QStringList{"3", "1", "450"} : QStringList{"100", "200"};
    QVERIFY(rewrite(folder.path(), QStringLiteral("r.tkr"), results, values).ok);
    const QByteArray now = fileBytes(QStringLiteral("r.tkr"));
    QVERIFY(now.endsWith(
        (results ? QByteArray(" 3 \r\n 1 \r\n 450 \r\n\r\n 0 \r\n") : QByteArray("\r\n\r\n\r\n 100 \r\n 200 \r\n"))
        + after));
    // A second rewrite keeps them again.
    QVERIFY(rewrite(folder.path(), QStringLiteral("r.tkr"), results, values).ok);
    QCOMPARE(fileBytes(QStringLiteral("r.tkr")), now);
}

void RewriteTest::deleteRemoves()
{
    TempFolder folder;
    QVERIFY(writeRaceFile(QStringLiteral("r.tkr"), sampleRace(1), TailLines{}).ok);
    const RaceFolder races(folder.path());
    QVERIFY(races.present(QStringLiteral("r.tkr")).ok);
    QVERIFY(races.remove(QStringLiteral("r.tkr")).ok);
    QVERIFY(!QFile::exists(QStringLiteral("r.tkr")));

    for (const FileResult& vanished :
         {races.present(QStringLiteral("gone.tkr")), races.remove(QStringLiteral("gone.tkr"))}) {
        QVERIFY(!vanished.ok);
        QCOMPARE(vanished.error, QStringLiteral("レースファイル「gone.tkr」が見つかりません。"));
    }
}

TOKIRO_CORE_TEST_MAIN(RewriteTest)

#include "rewrite_test.moc"
