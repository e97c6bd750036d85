#include "core_test_main.h"
#include "fuzz/race_file_checks.h"
#include "racefile/cp932.h"
#include "racefile/race_bytes.h"
#include "racefile/race_file.h"
#include "racefile/race_lines.h"
#include "samples.h"
#include "temp_folder.h"

#include <QDir>
#include <QtTest>

#include <cstring>
#include <memory>

// Writing and reading one race file: the bytes of each kind of line, what readers accept, what they refuse.
class FormatTest : public QObject {
    Q_OBJECT

private slots:
    void lineCount_data();
    void lineCount();
    void storedBytes_data();
    void storedBytes();
    void freshRaceFileByteForByte();
    void roundTrip();
    void readAccepts_data();
    void readAccepts();
    void shortFileUsesLoadFallbacks();
    void refusesBadFile_data();
    void refusesBadFile();
    void ignoresLinesAfterTheRace();
    void tipsterBlockWritten();
    void tipsterBlockRead_data();
    void tipsterBlockRead();
    void afterRaceKeptBySave();
    void foreignLinesKeepTheirPlace_data();
    void foreignLinesKeepTheirPlace();
    void namesReadAsTheyAreWritten_data();
    void namesReadAsTheyAreWritten();
    void largeFiles();
    void writeRefusesWhatReadersRefuse_data();
    void writeRefusesWhatReadersRefuse();
    void writeRefusesUnwritableText_data();
    void writeRefusesUnwritableText();
    void writeRefusesCountsOutsideTables_data();
    void writeRefusesCountsOutsideTables();
    void readerStaysInsideItsBuffer_data();
    void readerStaysInsideItsBuffer();
    void fuzzRegressionsRead();
};

void FormatTest::lineCount_data()
{
    QTest::addColumn<int>("runners");
    QTest::addColumn<int>("lines");
    QTest::newRow("none") << 0 << 14;
    QTest::newRow("1 runner") << 1 << 21;
    QTest::newRow("2 runners") << 2 << 28;
    QTest::newRow("18 runners") << 18 << 140;
    QTest::newRow("21 runners") << 21 << 161;
}

void FormatTest::lineCount()
{
    QFETCH(int, runners);
    QFETCH(int, lines);
    TempFolder folder;
    const FileResult written = writeRaceFile(QStringLiteral("r.tkr"), sampleRace(runners), TailLines{});
    QVERIFY2(written.ok, qPrintable(written.error));
    const QByteArray bytes = fileBytes(QStringLiteral("r.tkr"));
    QCOMPARE(bytes.count("\r\n"), lines);
    QCOMPARE(bytes.count('\n'), lines); // no LF without its CR
    QCOMPARE(bytes.count('\r'), lines);
    QVERIFY(bytes.endsWith("\r\n"));
}

// One field of a race and the line it must be stored as.
void FormatTest::storedBytes_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<std::function<void(RaceState&, TailLines&)>>("change");
    using Change = std::function<void(RaceState&, TailLines&)>;
    QTest::newRow("race 7") << 2 << QByteArray(" 7 ") << Change([](RaceState& r, TailLines&) { r.raceNumber = 7; });
    QTest::newRow("race 12") << 2 << QByteArray(" 12 ") << Change([](RaceState& r, TailLines&) { r.raceNumber = 12; });
    QTest::newRow("race 0") << 2 << QByteArray(" 0 ") << Change([](RaceState& r, TailLines&) { r.raceNumber = 0; });
    QTest::newRow("negative tickets") << 7 << QByteArray("-3 ")
                                      << Change([](RaceState& r, TailLines&) { r.ticketCount = -3; });
    QTest::newRow("empty race name") << 3 << QByteArray()
                                     << Change([](RaceState& r, TailLines&) { r.raceName.clear(); });
    QTest::newRow("long vowel stored as bar")
        << 10 << QByteArray("\x83\x45\x83\x7D\x81\x62\x81\x62", 8)
        << Change([](RaceState& r, TailLines&) { r.runnerNames[0] = QStringLiteral("ウマ｜｜"); });
    // Look-alikes that code page 932 holds under another code point.
    const std::pair<const char*, QChar> lookAlikes[] = {
        {"\x81\x60", QChar(0x301C)}, {"\x81\x7C", QChar(0x2212)}, {"\x81\x61", QChar(0x2016)},
        {"\x81\x5C", QChar(0x2014)}, {"\x81\x91", QChar(0x00A2)}, {"\x81\x92", QChar(0x00A3)},
        {"\x81\xCA", QChar(0x00AC)},
    };
    for (const auto& [bytes, c] : lookAlikes) {
        QTest::addRow("look-alike U+%04X", c.unicode())
            << 3 << QByteArray("A") + bytes + "B"
            << Change([c](RaceState& r, TailLines&) { r.raceName = QStringLiteral("A") + c + QStringLiteral("B"); });
    }
    // A line break in a text would split the field over two lines: it is dropped.
    QTest::newRow("LF in a name") << 10 << sjis(QStringLiteral("ディープインパクト"))
                                  << Change([](RaceState& r, TailLines&) {
                                         r.runnerNames[0] = QStringLiteral("ディープ\nインパクト");
                                     });
    QTest::newRow("CR LF and U+2028 in the race name")
        << 3 << QByteArray("Japan Cup")
        << Change([](RaceState& r, TailLines&) { r.raceName = QStringLiteral("Japan \r\nCup\u2028"); });
    QTest::newRow("2 ◎ 1 △ 1 ★") << 11 << QByteArray(" 2 ")
                                 << Change([](RaceState& r, TailLines&) { r.markSheet[0] = {2, 0, 1, 0, 0, 1}; });
    QTest::newRow("◎ count first, ★ count sixth")
        << 16 << QByteArray(" 1 ") << Change([](RaceState& r, TailLines&) { r.markSheet[0] = {2, 0, 1, 0, 0, 1}; });
    QTest::newRow("first place number") << 17 << QByteArray(" 5 ") << Change([](RaceState&, TailLines& t) {
        t.firstPlace = TailValue::ofNumber(5);
    });
    QTest::newRow("second place text") << 18 << QByteArray("abc") << Change([](RaceState&, TailLines& t) {
        t.secondPlace = TailValue::ofText("abc");
    });
    QTest::newRow("payout number as text line")
        << 19 << QByteArray("870") << Change([](RaceState&, TailLines& t) { t.payout = TailValue::ofNumber(870); });
    QTest::newRow("stake with fraction") << 20 << QByteArray(" 2.5 ") << Change([](RaceState&, TailLines& t) {
        t.stake = TailValue::ofNumber(2.5);
    });
    QTest::newRow("negative income") << 21 << QByteArray("-500 ")
                                     << Change([](RaceState&, TailLines& t) { t.income = TailValue::ofNumber(-500); });
    QTest::newRow("unset income") << 21 << QByteArray(" 0 ")
                                  << Change([](RaceState&, TailLines& t) { t.income = TailValue::unset(); });
}

void FormatTest::storedBytes()
{
    QFETCH(int, line);
    QFETCH(QByteArray, expected);
    QFETCH(std::function<void(RaceState&, TailLines&)>, change);
    RaceState race = sampleRace(1);
    TailLines tail;
    change(race, tail);
    QByteArray bytes;
    const FileResult built = raceFileBytes(race, tail, bytes);
    QVERIFY2(built.ok, qPrintable(built.error));
    const QList<QByteArray> lines = bytes.split('\n');
    QCOMPARE(lines.size(), 21 + 1); // 21 lines and what follows the last line end
    QCOMPARE(lines[line - 1], expected + "\r");
}

void FormatTest::freshRaceFileByteForByte()
{
    TempFolder folder;
    RaceState race = sampleRace(1);
    race.runnerNames[0] = QStringLiteral("アイ");
    race.markSheet[0] = {2, 0, 1, 0, 0, 1};
    QVERIFY(writeRaceFile(QStringLiteral("r.tkr"), race, TailLines{}).ok);
    const QByteArray expected = crlfLines({
        "99/05/16",
        " 7 ",
        "\x83\x65\x83\x58\x83\x67\x8B\x4C\x94\x4F", // テスト記念
        "\x82\x66\x87\x56",                         // ＧⅢ
        "\x93\x8C\x8B\x9E\x8B\xA3\x94\x6E\x8F\xEA", // 東京競馬場
        "1600m",
        " 4 ",
        " 1 ",
        " 1 ",
        "\x83\x41\x83\x43", // アイ
        " 2 ",
        " 0 ",
        " 1 ",
        " 0 ",
        " 0 ",
        " 1 ",
        "",
        "",
        "",
        "",
        " 0 ", // a fresh race: four empty tail lines and an income of 0
    });
    QCOMPARE(fileBytes(QStringLiteral("r.tkr")), expected);
}

void FormatTest::roundTrip()
{
    TempFolder folder;
    RaceState race = sampleRace(18);
    race.runnerNames[17] = QStringLiteral("髙ノ｜ナ〜"); // the wave dash comes back as its full-width look-alike
    TailLines tail{TailValue::ofNumber(3), TailValue::ofText(QStringLiteral("取消")), TailValue::ofText("1230"),
                   TailValue::ofNumber(1500), TailValue::ofNumber(-20)};
    QVERIFY(writeRaceFile(QStringLiteral("r.tkr"), race, tail).ok);

    LoadedRace loaded;
    const FileResult read = readRaceFile(QStringLiteral("r.tkr"), loaded);
    QVERIFY2(read.ok, qPrintable(read.error));
    race.runnerNames[17] = QStringLiteral("髙ノ｜ナ～");
    QCOMPARE(loaded.race.raceDate, race.raceDate);
    QCOMPARE(loaded.race.raceNumber, race.raceNumber);
    QCOMPARE(loaded.race.raceName, race.raceName);
    QCOMPARE(loaded.race.gradedText, race.gradedText);
    QCOMPARE(loaded.race.courseName, race.courseName);
    QCOMPARE(loaded.race.distanceText, race.distanceText);
    QCOMPARE(loaded.race.ticketCount, race.ticketCount);
    QCOMPARE(loaded.race.runnerCount, race.runnerCount);
    QCOMPARE(loaded.race.aimMode, race.aimMode);
    QVERIFY(loaded.race.runnerNames == race.runnerNames);
    QVERIFY(loaded.race.markSheet == race.markSheet);
    QVERIFY(loaded.tail == tail);

    // Read only through the results, the balance lines keep their unset values.
    LoadedRace results;
    QVERIFY(readRaceFile(QStringLiteral("r.tkr"), results, ReadScope::ThroughResults).ok);
    QCOMPARE(results.tail.firstPlace, tail.firstPlace);
    QCOMPARE(results.tail.payout, tail.payout);
    QVERIFY(results.tail.stake.isUnset());
    QCOMPARE(results.tail.income, TailValue::ofNumber(0));
}

// Forms that earlier writes and rewrites left in files, and line ends of other systems.
void FormatTest::readAccepts_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("raceNumber");
    QTest::addColumn<QString>("secondName");
    QTest::addColumn<TailLines>("tail");
    const TailLines fresh;
    std::vector<QByteArray> lines = raceLines(2);
    QTest::newRow("as written") << crlfLines(lines) << 7 << "U2" << fresh;
    lines[1] = "7";
    QTest::newRow("race number without blanks") << crlfLines(lines) << 7 << "U2" << fresh;
    lines[1] = "";
    QTest::newRow("empty race number") << crlfLines(lines) << 0 << "U2" << fresh;
    lines = raceLines(2, " 5 ", "12", " 870 ", "", "");
    QTest::newRow("payout as number, empty income")
        << crlfLines(lines) << 7 << "U2"
        << TailLines{
               TailValue::ofNumber(5), TailValue::ofNumber(12), TailValue::ofText("870"), {}, TailValue::ofNumber(0)};
    lines = raceLines(2, "5", "", "870", " 300 ", "450");
    QTest::newRow("rewritten tail") << crlfLines(lines) << 7 << "U2"
                                    << TailLines{TailValue::ofNumber(5),
                                                 {},
                                                 TailValue::ofText("870"),
                                                 TailValue::ofNumber(300),
                                                 TailValue::ofNumber(450)};
    lines = raceLines(2, "  ", sjis(QStringLiteral(" 取消 ")), "", sjis(QStringLiteral("1200円")), " 99999999999 ");
    QTest::newRow("texts and an income beyond 32 bits") << crlfLines(lines) << 7 << "U2"
                                                        << TailLines{{},
                                                                     TailValue::ofText(QStringLiteral("取消")),
                                                                     {},
                                                                     TailValue::ofText(QStringLiteral("1200円")),
                                                                     TailValue::ofNumber(99999999999.0)};
    // Digits beyond what a number holds exactly are kept as they are, so that a save writes them back unchanged.
    lines = raceLines(2, " 3 ", " 8 ", "870", " 123456789012345678901 ", " 98765432109876543210 ");
    QTest::newRow("amounts of twenty digits")
        << crlfLines(lines) << 7 << "U2"
        << TailLines{TailValue::ofNumber(3), TailValue::ofNumber(8), TailValue::ofText("870"),
                     TailValue::ofText("123456789012345678901"), TailValue::ofText("98765432109876543210")};
    lines = raceLines(2);
    lines[10] = " U2\t ";
    QByteArray lf;
    for (const QByteArray& line : lines)
        lf += line + "\n";
    QTest::newRow("LF line ends, blanks around a name") << lf << 7 << "U2" << fresh;
    QByteArray mixed = crlfLines(lines);
    mixed.chop(2);
    QTest::newRow("no line end after the last line") << mixed << 7 << "U2" << fresh;
}

void FormatTest::readAccepts()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, raceNumber);
    QFETCH(QString, secondName);
    QFETCH(TailLines, tail);
    LoadedRace loaded;
    const FileResult read = parseRaceFile(bytes, loaded);
    QVERIFY2(read.ok, qPrintable(read.error));
    QCOMPARE(loaded.race.raceNumber, raceNumber);
    QCOMPARE(loaded.race.runnerCount, 2);
    QCOMPARE(loaded.race.runnerNames[1], secondName);
    QCOMPARE(loaded.race.raceName, QStringLiteral("テスト記念"));
    QVERIFY(loaded.tail == tail);
}

void FormatTest::shortFileUsesLoadFallbacks()
{
    // Cut after the first result line, with a race number that is no number: a failed number read keeps the number
    // read before it (none yet: 0), missing tail lines stay unset.
    std::vector<QByteArray> lines = raceLines(2, " 6 ");
    lines[1] = "R7";
    lines[13] = " 3 "; // runner 1, △
    lines.resize(9 + 2 + 12 + 1);
    LoadedRace loaded;
    const FileResult read = parseRaceFile(crlfLines(lines), loaded);
    QVERIFY2(read.ok, qPrintable(read.error));
    QCOMPARE(loaded.race.raceNumber, 0);
    QCOMPARE(loaded.race.markSheet[0][2], 3);
    QVERIFY(loaded.tail == (TailLines{TailValue::ofNumber(6), {}, {}, {}, TailValue::ofNumber(0)}));

    // Cut right after the marks: no result, no balance.
    lines.resize(9 + 2 + 12);
    QVERIFY(parseRaceFile(crlfLines(lines), loaded).ok);
    QVERIFY(loaded.tail == TailLines{});
}

void FormatTest::refusesBadFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("messagePart");
    auto withLine = [](int index, const QByteArray& line) {
        std::vector<QByteArray> lines = raceLines(2);
        lines[static_cast<std::size_t>(index)] = line;
        return crlfLines(lines);
    };
    QTest::newRow("empty file") << QByteArray() << "8行目";
    QTest::newRow("header only to line 7") << crlfLines({"99/05/16", " 7 ", "", "", "", "", " 4 "}) << "8行目";
    QTest::newRow("runner count 22") << withLine(7, " 22 ") << "出走頭数";
    QTest::newRow("runner count -1") << withLine(7, "-1 ") << "出走頭数";
    QTest::newRow("runner count 70000") << withLine(7, " 70000 ") << "出走頭数";
    QTest::newRow("runner count text") << withLine(7, "two") << "8行目";
    QTest::newRow("mark 26") << withLine(12, " 26 ") << "13行目";
    QTest::newRow("mark -1") << withLine(20, "-1 ") << "21行目";
    QTest::newRow("mark text") << withLine(9 + 2 + 11, "x") << "23行目";
    QTest::newRow("ticket count text") << withLine(6, "many") << "7行目";
    QTest::newRow("ticket count 40000") << withLine(6, " 40000 ") << "7行目";
    // A file that ends before its last mark line: every cut from line 9 to the last mark line is refused.
    for (int kept = 8; kept < 9 + 2 + 12; ++kept) {
        std::vector<QByteArray> lines = raceLines(2);
        lines.resize(static_cast<std::size_t>(kept));
        QTest::addRow("cut after line %d", kept) << crlfLines(lines) << "途中で切れて";
    }
    const std::pair<const char*, QByteArray> bytes[] = {
        {"cut-off lead byte at the end", QByteArray("\x82", 1)},
        {"lead byte before CR LF", QByteArray("A\x82", 2)},
        {"invalid second byte", QByteArray("\x82\x20", 2)},
        {"second byte 0x7F", QByteArray("\x82\x7F", 2)},
        {"unassigned pair", QByteArray("\x85\x40", 2)},
        {"byte 0x1A", QByteArray("A\x1A", 2)},
        {"byte 0x1C", QByteArray("A\x1C", 2)},
        {"byte 0x7F", QByteArray("A\x7F", 2)},
        {"byte 0x80", QByteArray("A\x80", 2)},
        {"byte 0xA0", QByteArray("A\xA0", 2)},
        {"byte 0xFD", QByteArray("A\xFD", 2)},
        {"byte 0xFE", QByteArray("A\xFE", 2)},
        {"byte 0xFF", QByteArray("A\xFF", 2)},
        {"NUL", QByteArray("A\0B", 3)},
    };
    for (const auto& [name, bad] : bytes) {
        QTest::addRow("%s in the race name", name) << withLine(2, bad) << "3行目";
        QTest::addRow("%s in the last line", name) << withLine(9 + 2 + 12 + 4, bad) << "28行目";
    }
    QTest::newRow("UTF-8 byte order mark") << QByteArray("\xEF\xBB\xBF") + crlfLines(raceLines(2)) << "1行目";
    QByteArray cutOff = crlfLines(raceLines(2));
    cutOff.chop(2);
    QTest::newRow("lead byte cut off at the end of the file") << cutOff + "\x82"
                                                              << "28行目";
}

void FormatTest::refusesBadFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, messagePart);
    LoadedRace loaded;
    loaded.race.raceName = QStringLiteral("元のまま");
    const FileResult read = parseRaceFile(bytes, loaded, ReadScope::Whole, QStringLiteral("bad.tkr"));
    QVERIFY(!read.ok);
    QVERIFY2(read.error.contains(QStringLiteral("bad.tkr")) && read.error.contains(messagePart),
             qPrintable(read.error));
    QCOMPARE(loaded.race.raceName, QStringLiteral("元のまま"));
}

void FormatTest::ignoresLinesAfterTheRace()
{
    const QByteArray race = crlfLines(raceLines(1, " 1 ", " 2 ", "870", " 100 ", " 870 "));
    LoadedRace plain;
    QVERIFY(parseRaceFile(race, plain).ok);
    for (const QByteArray& extra : {QByteArray("more\r\nlines\r\n"), QByteArray("\xFF\x82", 2)}) {
        LoadedRace longer;
        const FileResult read = parseRaceFile(race + extra, longer);
        QVERIFY2(read.ok, qPrintable(read.error));
        QVERIFY(longer.tail == plain.tail);
        QCOMPARE(longer.race.runnerNames[0], plain.race.runnerNames[0]);
    }
    // Read through the results only, a broken balance line is never looked at.
    QByteArray brokenBalance = crlfLines(raceLines(1, " 1 ", " 2 ", "870", "\xFF", " 870 "));
    LoadedRace results;
    QVERIFY(parseRaceFile(brokenBalance, results, ReadScope::ThroughResults).ok);
    QVERIFY(!parseRaceFile(brokenBalance, results, ReadScope::Whole).ok);
}

namespace {
// Two runners; 本紙 gives ◎ to horse 2, 記者A gives ○ to horse 1 and ★ to horse 2.
RaceState gridRace()
{
    RaceState race = sampleRace(2);
    for (auto& row : race.markSheet)
        row.fill(0);
    addTipster(race, QStringLiteral("本紙"));
    addTipster(race, QStringLiteral("記者A"));
    setTipsterMark(race, 0, 1, 0);
    setTipsterMark(race, 1, 0, 1);
    setTipsterMark(race, 1, 1, 5);
    return race;
}

// The block of gridRace as it stands in the file.
QByteArray gridBlock(const QByteArray& version = "1")
{
    return crlfLines({sjis(QStringLiteral("[予想家ごとの印] ")) + version, " 2 ", sjis(QStringLiteral("本紙")),
                      sjis(QStringLiteral("・◎")), sjis(QStringLiteral("記者A")), sjis(QStringLiteral("○★")),
                      sjis(QStringLiteral("[/予想家ごとの印]"))});
}

QByteArray bytesOf(const RaceState& race, const AfterRace& after = {})
{
    QByteArray bytes;
    const FileResult built = raceFileBytes(race, TailLines{}, bytes, after);
    if (!built.ok)
        qWarning() << built.error;
    return bytes;
}
} // namespace

void FormatTest::tipsterBlockWritten()
{
    // Without tipster columns nothing follows the income line; with them, the race's own lines stay as they were and
    // the block follows.
    const RaceState race = gridRace();
    RaceState plain = race;
    plain.tipsters = {};
    const QByteArray withoutGrid = bytesOf(plain);
    QCOMPARE(withoutGrid.count("\r\n"), 14 + 7 * 2);
    QCOMPARE(bytesOf(race), withoutGrid + gridBlock());

    // It reads back as written, and the counts with it.
    LoadedRace loaded;
    QVERIFY(parseRaceFile(bytesOf(race), loaded).ok);
    QCOMPARE(loaded.after.block, GridBlock::Read);
    QVERIFY(loaded.race.tipsters == race.tipsters);
    QVERIFY(loaded.race.markSheet == race.markSheet);
    QCOMPARE(loaded.gridMarksTaken, 0);

    // A name that the code page cannot hold is refused, naming the tipster.
    RaceState unwritable = race;
    unwritable.tipsters.columns[1].name = QStringLiteral("記者😀");
    QByteArray out;
    const FileResult refused = raceFileBytes(unwritable, TailLines{}, out);
    QVERIFY(!refused.ok);
    QVERIFY(refused.error.contains(QStringLiteral("記者😀")));
}

void FormatTest::tipsterBlockRead_data()
{
    QTest::addColumn<QByteArray>("after");  // the bytes after the income line
    QTest::addColumn<int>("doubleCircles"); // horse 2's ◎ count in the file
    QTest::addColumn<int>("block");         // GridBlock
    QTest::addColumn<int>("tipsters");      // columns read
    QTest::addColumn<int>("taken");         // tipster marks the counts did not hold
    QTest::addColumn<int>("problemLine");   // the line named for a damaged block
    QTest::addColumn<QByteArray>("kept");   // the other lines kept
    const QByteArray block = gridBlock();
    const QByteArray note = crlfLines({"note from another program"});
    QTest::newRow("none") << QByteArray() << 1 << int(GridBlock::None) << 0 << 0 << 0 << QByteArray();
    QTest::newRow("block") << block << 1 << int(GridBlock::Read) << 2 << 0 << 0 << QByteArray();
    QTest::newRow("block between other lines")
        << note + block + note << 1 << int(GridBlock::Read) << 2 << 0 << 0 << note + note;
    QTest::newRow("counts above the grid stay as marks without a tipster")
        << block << 3 << int(GridBlock::Read) << 2 << 0 << 0 << QByteArray();
    QTest::newRow("counts below the grid win") << block << 0 << int(GridBlock::Read) << 2 << 1 << 0 << QByteArray();
    QTest::newRow("unknown version") << gridBlock("2") << 1 << int(GridBlock::UnknownVersion) << 0 << 0 << 0
                                     << QByteArray();
    QByteArray shortMarks = block;
    shortMarks.replace(sjis(QStringLiteral("○★")), sjis(QStringLiteral("○")));
    QTest::newRow("marks line of one runner")
        << shortMarks << 1 << int(GridBlock::Damaged) << 0 << 0 << 34 << QByteArray();
    QByteArray strangeMark = block;
    strangeMark.replace(sjis(QStringLiteral("○★")), sjis(QStringLiteral("○□")));
    QTest::newRow("a mark that is none") << strangeMark << 1 << int(GridBlock::Damaged) << 0 << 0 << 34 << QByteArray();
    QByteArray badCount = block;
    badCount.replace(" 2 ", " 17 ");
    QTest::newRow("seventeen tipsters") << badCount << 1 << int(GridBlock::Damaged) << 0 << 0 << 30 << QByteArray();
    QTest::newRow("cut before its end line") << block.first(block.lastIndexOf(sjis(QStringLiteral("[/予想家")))) << 1
                                             << int(GridBlock::Damaged) << 0 << 0 << 35 << QByteArray();
    QByteArray endLikeName = block;
    endLikeName.replace(sjis(QStringLiteral("記者A")), sjis(QStringLiteral("[/予想家ごとの印]")));
    QTest::newRow("a tipster named like the end line")
        << endLikeName + note << 1 << int(GridBlock::Read) << 2 << 0 << 0 << note;
    QTest::newRow("no version") << sjis(QStringLiteral("[予想家ごとの印]\r\n")) << 1 << int(GridBlock::Damaged) << 0
                                << 0 << 29 << QByteArray();
}

void FormatTest::tipsterBlockRead()
{
    QFETCH(QByteArray, after);
    QFETCH(int, doubleCircles);
    QFETCH(int, block);
    QFETCH(int, tipsters);
    QFETCH(int, taken);
    QFETCH(int, problemLine);
    QFETCH(QByteArray, kept);
    RaceState race = gridRace();
    race.tipsters = {};
    race.markSheet[1][0] = static_cast<std::int16_t>(doubleCircles);
    const QByteArray raceBytes = bytesOf(race);

    // A block, read or not, never keeps the race from loading, nor changes what it holds.
    LoadedRace loaded;
    const FileResult read = parseRaceFile(raceBytes + after, loaded, ReadScope::Whole, QStringLiteral("g.tkr"));
    QVERIFY2(read.ok, qPrintable(read.error));
    QCOMPARE(int(loaded.after.block), block);
    QCOMPARE(int(loaded.race.tipsters.columns.size()), tipsters);
    QCOMPARE(loaded.gridMarksTaken, taken);
    QCOMPARE(loaded.race.markSheet[1][0], std::int16_t(doubleCircles));
    QCOMPARE(loaded.after.problemLine, problemLine);
    QCOMPARE(loaded.after.linesBefore + loaded.after.otherLines, kept);
    // The grid and the counts agree: every count holds the tipsters' marks.
    for (int r = 0; r < 2; ++r)
        for (int k = 0; k < markKindCount; ++k)
            QVERIFY(tipsterMarks(loaded.race.tipsters, r, k) <= loaded.race.markSheet[r][k]);
    const bool unread = block == int(GridBlock::Damaged) || block == int(GridBlock::UnknownVersion);
    QCOMPARE(!loaded.after.unreadBlock.isEmpty(), unread);
    QCOMPARE(gridBlockProblem(loaded.after).isEmpty(), !unread);

    // The reader of many races finds the same.
    TipsterGrid grid;
    QCOMPARE(int(readTipsterGrid(after, 2, grid)), block);

    // A save with nothing changed gives back every byte that was there, each line where it stood.
    if (taken == 0)
        QCOMPARE(bytesOf(loaded.race, loaded.after), raceBytes + after);
}

void FormatTest::afterRaceKeptBySave()
{
    // An unreadable block stays as it was found while the race has no grid of its own, and gives way to one.
    RaceState race = gridRace();
    race.tipsters = {};
    const QByteArray unknown = gridBlock("9");
    const QByteArray other = crlfLines({"other"});
    LoadedRace loaded;
    QVERIFY(parseRaceFile(bytesOf(race) + unknown + other, loaded).ok);
    QCOMPARE(bytesOf(loaded.race, loaded.after), bytesOf(race) + unknown + other);
    RaceState withGrid = gridRace();
    QCOMPARE(bytesOf(withGrid, loaded.after), bytesOf(withGrid) + other);
}

void FormatTest::foreignLinesKeepTheirPlace_data()
{
    // Each case once lost or changed lines over two saves: the lines before the block were written after it, where a
    // block without an end line took them in, or a line was glued onto a marker left without a line end.
    QTest::addColumn<int>("runners");
    QTest::addColumn<QByteArray>("after"); // the bytes after the income line
    QTest::addColumn<int>("block");        // GridBlock as first read
    const QByteArray note = crlfLines({"note from another program"});
    const QByteArray block = gridBlock();
    const QByteArray marker = sjis(QStringLiteral("[予想家ごとの印]"));
    const QByteArray end = sjis(QStringLiteral("[/予想家ごとの印]"));
    // With no runners a marks line is empty: a count, names and empty lines before a marker read as a grid once the
    // marker stands above them.
    auto tipsterLike = [&end](int tipsters) {
        QByteArray lines = ' ' + QByteArray::number(tipsters) + " \r\n";
        for (int t = 0; t < tipsters; ++t)
            lines += "T" + QByteArray::number(t) + "\r\n\r\n";
        return lines + end + "\r\n";
    };
    QTest::newRow("lines before a block without its end line")
        << 2 << note + block.first(block.lastIndexOf(end)) << int(GridBlock::Damaged);
    QTest::newRow("a newer marker at the end without a line end")
        << 2 << note + marker + " 2" << int(GridBlock::UnknownVersion);
    QTest::newRow("a lone CR ending an empty line before the marker")
        << 2 << QByteArray("note\r\r") + marker + " 9" << int(GridBlock::UnknownVersion);
    QTest::newRow("no runners: lines like 4 tipsters before a marker") << 0 << tipsterLike(4) + marker + " 1\r\n"
                                                                       << int(GridBlock::Damaged);
    QTest::newRow("no runners: lines like 8 tipsters before a marker")
        << 0 << tipsterLike(8) + marker + " 1" << int(GridBlock::Damaged);
    QTest::newRow("lines on both sides of a read block") << 2 << note + block + note << int(GridBlock::Read);
    QTest::newRow("lines on both sides of an unknown block")
        << 2 << note + gridBlock("3") + note << int(GridBlock::UnknownVersion);
}

void FormatTest::foreignLinesKeepTheirPlace()
{
    QFETCH(int, runners);
    QFETCH(QByteArray, after);
    QFETCH(int, block);
    RaceState plain = runners == 0 ? sampleRace(0) : gridRace();
    plain.tipsters = {};
    RaceState withGrid = plain;
    addTipster(withGrid, QStringLiteral("本紙"));
    if (runners > 0)
        setTipsterMark(withGrid, 0, 0, 0);
    const QByteArray original = bytesOf(plain) + after;

    LoadedRace loaded;
    QVERIFY(parseRaceFile(original, loaded).ok);
    QCOMPARE(int(loaded.after.block), block);
    const QByteArray foreign = loaded.after.linesBefore + loaded.after.otherLines;
    QVERIFY(!foreign.isEmpty());

    // Saved twice without a grid of its own, every byte stays and the block reads as before.
    QByteArray saved = bytesOf(loaded.race, loaded.after);
    QCOMPARE(saved, original);
    LoadedRace again;
    QVERIFY(parseRaceFile(saved, again).ok);
    QCOMPARE(int(again.after.block), block);
    QCOMPARE(bytesOf(again.race, again.after), original);

    // Given a grid, the block takes its place among the other lines, and they all stay, in their order, save after
    // save.
    saved = bytesOf(withGrid, loaded.after);
    QVERIFY(parseRaceFile(saved, again).ok);
    QCOMPARE(int(again.after.block), int(GridBlock::Read));
    QCOMPARE(again.race.tipsters, withGrid.tipsters);
    QCOMPARE(again.after.linesBefore + again.after.otherLines, foreign);
    QCOMPARE(again.after.linesBefore, loaded.after.linesBefore);
    QCOMPARE(bytesOf(again.race, again.after), saved);
}

void FormatTest::namesReadAsTheyAreWritten_data()
{
    QTest::addColumn<QByteArray>("stored"); // a name as another program wrote it
    QTest::addColumn<QString>("name");      // as it is read, shown and written back
    QTest::newRow("plain") << sjis(QStringLiteral("ドウデュース")) << QStringLiteral("ドウデュース");
    QTest::newRow("tab inside") << sjis(QStringLiteral("記者\tＡ")) << QStringLiteral("記者 Ａ");
    QTest::newRow("controls inside and at the ends") << QByteArray("\x01\tA\x1B\x1F"
                                                                   "B\x08 ")
                                                     << QStringLiteral("A  B");
    QTest::newRow("blanks at the ends") << sjis(QStringLiteral(" \t本紙　")) << QStringLiteral("本紙　");
    QTest::newRow("only a control") << QByteArray("\x07") << QString();
}

void FormatTest::namesReadAsTheyAreWritten()
{
    // A runner's and a tipster's name read from another program's file: the same rule on reading and on writing, so
    // that the first save neither renames nor merges anyone.
    QFETCH(QByteArray, stored);
    QFETCH(QString, name);
    std::vector<QByteArray> lines = raceLines(2);
    lines[racelines::firstNameLine - 1] = stored;
    QByteArray block = gridBlock();
    block.replace(sjis(QStringLiteral("本紙")), stored);
    const QByteArray bytes = crlfLines(lines) + block;
    LoadedRace loaded;
    QVERIFY(parseRaceFile(bytes, loaded).ok);
    QCOMPARE(loaded.race.runnerNames[0], name);
    QCOMPARE(int(loaded.after.block), int(GridBlock::Read));
    QCOMPARE(loaded.race.tipsters.columns[0].name, name);
    QByteArray saved;
    QVERIFY(raceFileBytes(loaded.race, loaded.tail, saved, loaded.after).ok);
    LoadedRace again;
    QVERIFY(parseRaceFile(saved, again).ok);
    QCOMPARE(again.race.runnerNames[0], name);
    QCOMPARE(again.race.tipsters.columns[0].name, name);
    for (const QString& held : {again.race.runnerNames[0], again.race.tipsters.columns[0].name})
        QVERIFY(std::ranges::none_of(held, [](QChar c) { return isControlCharacter(c.unicode()); }));
    QByteArray savedAgain;
    QVERIFY(raceFileBytes(again.race, again.tail, savedAgain, again.after).ok);
    QCOMPARE(savedAgain, saved);
}

void FormatTest::largeFiles()
{
    TempFolder folder;
    // Two megabytes after a whole race are never looked at; a race name of two megabytes is no race file.
    const QByteArray race = crlfLines(raceLines(1, " 1 ", " 2 ", "870", "", " 0 "));
    putFile(QStringLiteral("long.tkr"), race + QByteArray(2 << 20, 'x'));
    LoadedRace loaded;
    const FileResult read = readRaceFile(QStringLiteral("long.tkr"), loaded);
    QVERIFY2(read.ok, qPrintable(read.error));
    QCOMPARE(loaded.tail.payout, TailValue::ofText("870"));

    std::vector<QByteArray> lines = raceLines(1);
    lines[2] = QByteArray(2 << 20, 'x');
    putFile(QStringLiteral("huge.tkr"), crlfLines(lines));
    const FileResult huge = readRaceFile(QStringLiteral("huge.tkr"), loaded);
    QVERIFY(!huge.ok);
    QVERIFY2(huge.error.contains(QStringLiteral("大きすぎて")), qPrintable(huge.error));

    // The mark sheet's load keeps what follows a race whole, as a rewrite does, and its save writes it all back.
    QVERIFY(readRaceFile(QStringLiteral("long.tkr"), loaded).ok);
    QVERIFY(!loaded.after.readInPart);
    QCOMPARE(loaded.after.otherLines, QByteArray(2 << 20, 'x'));
    QVERIFY(writeRaceFile(QStringLiteral("saved.tkr"), loaded.race, loaded.tail, loaded.after).ok);
    QVERIFY(fileBytes(QStringLiteral("saved.tkr")).endsWith(race.last(5) + QByteArray(2 << 20, 'x')));
    // Beyond what a rewrite reads, the race still loads, known to be read in part.
    QVERIFY(parseRaceFile(race + QByteArray(racelines::maxRewriteBytes, 'x'), loaded).ok);
    QVERIFY(loaded.after.readInPart);
}

void FormatTest::writeRefusesWhatReadersRefuse_data()
{
    QTest::addColumn<std::function<void(RaceState&, AfterRace&)>>("change");
    QTest::addColumn<QString>("why");
    using Change = std::function<void(RaceState&, AfterRace&)>;
    QTest::newRow("a pasted name of 600,000 characters")
        << Change([](RaceState& r, AfterRace&) { r.runnerNames[1] = QString(600000, u'ア'); })
        << QStringLiteral("レースの行が1MBを超えます");
    QTest::newRow("a tipster's name past the first megabyte")
        << Change([](RaceState& r, AfterRace&) { r.tipsters.columns[0].name = QString(600000, u'ア'); })
        << QStringLiteral("先頭から1MBのうちに収まりません");
    QTest::newRow("other lines before the block past the first megabyte") << Change([](RaceState&, AfterRace& a) {
        a.linesBefore = QByteArray(1 << 20, 'x') + "\r\n";
        a.unreadBlock = sjis(QStringLiteral("[予想家ごとの印] 2\r\n"));
    }) << QStringLiteral("先頭から1MBのうちに収まりません");
    QTest::newRow("other lines past 64 MB")
        << Change([](RaceState&, AfterRace& a) { a.otherLines = QByteArray(64 << 20, 'x'); })
        << QStringLiteral("64MBを超えます");
    QTest::newRow("a file read in part") << Change([](RaceState&, AfterRace& a) { a.readInPart = true; })
                                         << QStringLiteral("残りが失われる");
}

void FormatTest::writeRefusesWhatReadersRefuse()
{
    QFETCH(std::function<void(RaceState&, AfterRace&)>, change);
    QFETCH(QString, why);
    TempFolder folder;
    QVERIFY(writeRaceFile(QStringLiteral("r.tkr"), gridRace(), TailLines{}).ok);
    const QByteArray before = fileBytes(QStringLiteral("r.tkr"));
    RaceState race = gridRace();
    AfterRace after;
    change(race, after);
    const FileResult written = writeRaceFile(QStringLiteral("r.tkr"), race, TailLines{}, after);
    QVERIFY(!written.ok);
    QVERIFY2(written.error.contains(why), qPrintable(written.error));
    QCOMPARE(fileBytes(QStringLiteral("r.tkr")), before);
}

void FormatTest::writeRefusesUnwritableText_data()
{
    QTest::addColumn<std::function<void(RaceState&, TailLines&)>>("change");
    QTest::addColumn<QString>("field");
    using Change = std::function<void(RaceState&, TailLines&)>;
    QTest::newRow("emoji in the race name") << Change([](RaceState& r, TailLines&) { r.raceName = "ダービー😀"; })
                                            << "「レース名」に、レースファイルに書けない文字「😀」";
    QTest::newRow("yen sign in runner 3") << Change([](RaceState& r, TailLines&) { r.runnerNames[2] = "A¥B"; })
                                          << "「3番の馬名」に、レースファイルに書けない文字「¥」";
    QTest::newRow("accent in the course")
        << Change([](RaceState& r, TailLines&) { r.courseName = "Longchamp é"; }) << "「競馬場」";
    QTest::newRow("lone surrogate in the date")
        << Change([](RaceState& r, TailLines&) { r.raceDate = QChar(0xD800); }) << "「レース日付」";
    QTest::newRow("replacement char in the payout")
        << Change([](RaceState&, TailLines& t) { t.payout = TailValue::ofText(QString(QChar(0xFFFD))); })
        << "「配当金」";
}

void FormatTest::writeRefusesUnwritableText()
{
    QFETCH(std::function<void(RaceState&, TailLines&)>, change);
    QFETCH(QString, field);
    TempFolder folder;
    QVERIFY(writeRaceFile(QStringLiteral("r.tkr"), sampleRace(3), TailLines{}).ok);
    const QByteArray before = fileBytes(QStringLiteral("r.tkr"));
    RaceState race = sampleRace(3);
    TailLines tail;
    change(race, tail);
    const FileResult written = writeRaceFile(QStringLiteral("r.tkr"), race, tail);
    QVERIFY(!written.ok);
    QVERIFY2(written.error.contains(field), qPrintable(written.error));
    QCOMPARE(fileBytes(QStringLiteral("r.tkr")), before);
    QVERIFY(!writeRaceFile(QStringLiteral("new.tkr"), race, tail).ok);
    QVERIFY(!QFile::exists(QStringLiteral("new.tkr")));
}

void FormatTest::writeRefusesCountsOutsideTables_data()
{
    QTest::addColumn<int>("runners");
    QTest::addColumn<int>("mark");
    QTest::newRow("22 runners") << 22 << 0;
    QTest::newRow("-1 runners") << -1 << 0;
    QTest::newRow("mark 26") << 2 << 26;
    QTest::newRow("mark -1") << 2 << -1;
}

void FormatTest::writeRefusesCountsOutsideTables()
{
    QFETCH(int, runners);
    QFETCH(int, mark);
    RaceState race = sampleRace(2);
    race.runnerCount = static_cast<std::int16_t>(runners);
    race.markSheet[1][3] = static_cast<std::int16_t>(mark);
    QByteArray bytes = "untouched";
    QVERIFY(!raceFileBytes(race, TailLines{}, bytes).ok);
    QCOMPARE(bytes, QByteArray("untouched"));
}

void FormatTest::readerStaysInsideItsBuffer_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("lastText"); // the text of the last line, which runs up to the buffer's end
    QByteArray race = crlfLines(raceLines(1, " 1 ", " 2 ", "870", "", " 0 "));
    race.chop(2);
    QTest::newRow("race without its last line end") << race << "0";
    QTest::newRow("header cut in a name") << sjis(QStringLiteral("99/05/16\r\n 7 \r\nテスト")) << "テスト";
    QTest::newRow("lone CR at the end") << QByteArray("99/05/16\r") << "99/05/16";
    QTest::newRow("cut-off lead byte") << QByteArray("99/05/16\r\n 7 \r\nab\x82") << "";
    QTest::newRow("blanks only") << QByteArray(" \t ") << "";
    QTest::newRow("one byte") << QByteArray("9") << "9";
}

void FormatTest::readerStaysInsideItsBuffer()
{
    // A buffer with nothing after its last byte, not even the NUL a QByteArray keeps: a read past its end is a
    // heap overflow that the sanitized run reports.
    QFETCH(QByteArray, bytes);
    QFETCH(QString, lastText);
    const auto storage = std::make_unique<char[]>(static_cast<std::size_t>(bytes.size()));
    std::memcpy(storage.get(), bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const QByteArray raw = QByteArray::fromRawData(storage.get(), bytes.size());

    const racelines::RaceFileLines lines = racelines::RaceFileLines::parse(raw);
    QVERIFY(lines.count() >= 1);
    QCOMPARE(lines.trimmedText(lines.count()), lastText);
    // Every reader gives what it gives for the same bytes in an ordinary buffer.
    LoadedRace fromRaw;
    LoadedRace fromCopy;
    QCOMPARE(parseRaceFile(raw, fromRaw).error, parseRaceFile(bytes, fromCopy).error);
    QCOMPARE(catalogueEntryFromBytes(raw, QStringLiteral("r.tkr")).raceDate,
             catalogueEntryFromBytes(bytes, QStringLiteral("r.tkr")).raceDate);
    QByteArray rewrittenRaw;
    QByteArray rewrittenCopy;
    QCOMPARE(
        rewrittenRaceBytes(raw, QStringLiteral("r.tkr"), RewrittenLines::Results, {1, 2, 3}, rewrittenRaw).error,
        rewrittenRaceBytes(bytes, QStringLiteral("r.tkr"), RewrittenLines::Results, {1, 2, 3}, rewrittenCopy).error);
    QCOMPARE(rewrittenRaw, rewrittenCopy);
}

// Inputs of the fuzz target, replayed with its checks: its minimised corpus (a ".hex" file, one input per line) and
// any input that once failed (a file of its own).
void FormatTest::fuzzRegressionsRead()
{
    const std::vector<FuzzInput> inputs = fuzzInputs(QStringLiteral(TOKIRO_FUZZ_REGRESSIONS));
    for (const FuzzInput& input : inputs) {
        const QString failure = raceFileCheckFailure(input.bytes);
        QVERIFY2(failure.isEmpty(), qPrintable(input.name + QStringLiteral(": ") + failure));
    }
    QVERIFY(inputs.size() > 100);
}

TOKIRO_CORE_TEST_MAIN(FormatTest)

#include "format_test.moc"
