#include "core/race_state.h"
#include "core/tipster_grid.h"
#include "core/tipster_paste.h"
#include "core_test_main.h"

#include <QtTest>

namespace {

// A race of n runners with the named tipster columns, no marks.
RaceState raceWith(int runners, const QStringList& tipsters)
{
    RaceState race;
    race.runnerCount = static_cast<std::int16_t>(runners);
    for (const QString& name : tipsters)
        addTipster(race, name);
    return race;
}

int count(const RaceState& race, int runner, MarkKind kind)
{
    return race.markSheet[static_cast<std::size_t>(runner)][static_cast<std::size_t>(kind)];
}

// Marks of a column as a list, -1 for none, for comparing with the parsers' results.
QList<int> marksOf(const std::vector<int>& marks) { return QList<int>(marks.begin(), marks.end()); }

// n runners without a mark, then the given (runner number, kind) pairs.
QList<int> column(int runners, std::initializer_list<std::pair<int, int>> given)
{
    QList<int> marks(runners, -1);
    for (const auto& [number, kind] : given)
        marks[number - 1] = kind;
    return marks;
}

using Names = QList<std::pair<int, QString>>;

} // namespace

Q_DECLARE_METATYPE(Names)

// The tipster grid beside the counts, and the parsers of pasted marks and runner lists.
class TipsterTest : public QObject {
    Q_OBJECT

private slots:
    void tipsterMarksMoveTheCounts()
    {
        RaceState race = raceWith(3, {QStringLiteral("本紙"), QStringLiteral("記者A")});
        QCOMPARE(setTipsterMark(race, 0, 1, 0), MarkChange::Done);
        QCOMPARE(setTipsterMark(race, 1, 1, 0), MarkChange::Done);
        QCOMPARE(count(race, 1, MarkKind::DoubleCircle), 2);
        // Another mark in the same cell takes the old one's place.
        QCOMPARE(setTipsterMark(race, 1, 1, 3), MarkChange::Done);
        QCOMPARE(count(race, 1, MarkKind::DoubleCircle), 1);
        QCOMPARE(count(race, 1, MarkKind::BlackTriangle), 1);
        QCOMPARE(setTipsterMark(race, 1, 1, 3), MarkChange::Unchanged);
        QCOMPARE(setTipsterMark(race, 1, 1, noMark), MarkChange::Done);
        QCOMPARE(runnerMarkTotal(race, 1), 1);
        QCOMPARE(setTipsterMark(race, 2, 0, 0), MarkChange::Refused);
        QCOMPARE(setTipsterMark(race, 0, 3, 0), MarkChange::Refused);
        // Removing a column takes its marks off the counts.
        QVERIFY(removeTipster(race, 0));
        QCOMPARE(runnerMarkTotal(race, 1), 0);
        QCOMPARE(race.tipsters.columns.size(), std::size_t(1));
    }

    void limitOfTwentyFiveHolds()
    {
        RaceState race = raceWith(2, {QStringLiteral("本紙")});
        for (int i = 0; i < 24; ++i)
            QCOMPARE(addMarkWithoutTipster(race, 0, 4), MarkChange::Done);
        QCOMPARE(setTipsterMark(race, 0, 0, 0), MarkChange::Done);
        QCOMPARE(addMarkWithoutTipster(race, 0, 4), MarkChange::Full);
        // At 25 a tipster's mark can still change kind, but a new one cannot come.
        QCOMPARE(setTipsterMark(race, 0, 0, 1), MarkChange::Done);
        QCOMPARE(runnerMarkTotal(race, 0), 25);
        // The column moves its mark to runner 2: runner 1 is back at 24, and one more without a tipster fills it.
        QVERIFY(setTipsterColumn(race, 0, {noMark, 2}));
        QCOMPARE(runnerMarkTotal(race, 0), 24);
        QCOMPARE(addMarkWithoutTipster(race, 0, 4), MarkChange::Done);
        QCOMPARE(setTipsterMark(race, 0, 0, 0), MarkChange::Full);
        // A whole column that would pass the limit changes nothing.
        const RaceState full = race;
        QVERIFY(!setTipsterColumn(race, 0, {0, 0}));
        QCOMPARE(race.markSheet, full.markSheet);
        QCOMPARE(race.tipsters, full.tipsters);
    }

    void removalTakesMarksWithoutTipsterFirst()
    {
        RaceState race = raceWith(2, {QStringLiteral("本紙"), QStringLiteral("記者A"), QStringLiteral("記者B")});
        setTipsterMark(race, 0, 0, 0);
        setTipsterMark(race, 2, 0, 0);
        addMarkWithoutTipster(race, 0, 0);
        QCOMPARE(marksWithoutTipster(race, 0, 0), 1);
        MarkRemoval removal = markToRemove(race, 0, 0);
        QCOMPARE(removal.kind, MarkRemoval::Kind::WithoutTipster);
        removeMark(race, 0, 0, removal);
        QCOMPARE(count(race, 0, MarkKind::DoubleCircle), 2);
        // Then the last column that gave it is named; the caller asks before it goes.
        removal = markToRemove(race, 0, 0);
        QCOMPARE(removal.kind, MarkRemoval::Kind::FromTipster);
        QCOMPARE(removal.tipster, 2);
        removeMark(race, 0, 0, removal);
        QCOMPARE(count(race, 0, MarkKind::DoubleCircle), 1);
        QCOMPARE(race.tipsters.columns[2].marks[0], noMark);
        QCOMPARE(markToRemove(race, 1, 0).kind, MarkRemoval::Kind::Nothing);
    }

    void countsWinOverTheGrid()
    {
        RaceState race = raceWith(2, {QStringLiteral("本紙"), QStringLiteral("記者A")});
        setTipsterMark(race, 0, 0, 0);
        setTipsterMark(race, 1, 0, 0);
        setTipsterMark(race, 1, 1, 1);
        // Another program lowered runner 1's ◎ to 1 and raised runner 2's ○ to 3.
        race.markSheet[0][0] = 1;
        race.markSheet[1][1] = 3;
        QCOMPARE(fitGridToCounts(race), 1);
        QCOMPARE(race.tipsters.columns[0].marks[0], std::int8_t(0));
        QCOMPARE(race.tipsters.columns[1].marks[0], noMark);
        QCOMPARE(marksWithoutTipster(race, 1, 1), 2);
        QCOMPARE(count(race, 0, MarkKind::DoubleCircle), 1);
    }

    void columnsMoveAndCarryOver()
    {
        RaceState race = raceWith(3, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        setTipsterMark(race, 0, 2, 5);
        QVERIFY(moveTipster(race, 0, 2));
        QCOMPARE(race.tipsters.columns[2].name, QStringLiteral("A"));
        QCOMPARE(race.tipsters.columns[2].marks[2], std::int8_t(5));
        QVERIFY(!moveTipster(race, 0, 3));
        const TipsterGrid carried = emptyColumnsOf(race.tipsters);
        QCOMPARE(carried.columns.size(), std::size_t(3));
        QCOMPARE(carried.columns[2].name, QStringLiteral("A"));
        QCOMPARE(marksOfTipster(carried, 2, 3), 0);
        for (int i = 0; i < maxTipsters - 3; ++i)
            QVERIFY(addTipster(race, QStringLiteral("X")));
        QVERIFY(!addTipster(race, QStringLiteral("17人目")));
    }

    void repeatedMarksAreFound()
    {
        RaceState race = raceWith(4, {QStringLiteral("本紙")});
        QVERIFY(setTipsterColumn(race, 0, {0, 0, 2, 2}));
        // Two ◎ is shown; two △ is how papers mark.
        QCOMPARE(repeatedKinds(race.tipsters, 0, 4), std::vector<int>{0});
    }

    void pastedMarks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("runners");
        QTest::addColumn<QList<int>>("marks");
        QTest::addColumn<QString>("error"); // part of the refusal; empty when read

        QTest::newRow("newspaper: mark then number")
            << "◎3 ○7 ▲1 △5 △12 ×9" << 16 << column(16, {{3, 0}, {7, 1}, {1, 3}, {5, 2}, {12, 2}, {9, 4}}) << "";
        QTest::newRow("web card: full-width numbers with 番")
            << "◎３番　○７番　▲１番　☆１６番" << 16 << column(16, {{3, 0}, {7, 1}, {1, 3}, {16, 5}}) << "";
        QTest::newRow("colon and comma") << "◎：3、○：10，注：4" << 10 << column(10, {{3, 0}, {10, 1}, {4, 4}}) << "";
        QTest::newRow("spreadsheet rows: number, tab, mark") << "3\t◎\r\n7\t○\r\n1\t▲\r\n"
                                                             << 8 << column(8, {{3, 0}, {7, 1}, {1, 3}}) << "";
        QTest::newRow("joined without blanks") << "◎3○7▲12" << 12 << column(12, {{3, 0}, {7, 1}, {12, 3}}) << "";
        QTest::newRow("column copied line by line, empty cells") << "\n\n◎\n\n\n○\n\n▲\n"
                                                                 << 10 << column(10, {{3, 0}, {6, 1}, {8, 3}}) << "";
        QTest::newRow("race card mark column with stand-ins")
            << "☆\n-\n注\n〇\n・\n◯\nx\n"
            << 8 << column(8, {{1, 5}, {3, 4}, {4, 1}, {6, 1}, {7, 4}}) << "";
        QTest::newRow("all empty lines of a short column") << "－\n－\n" << 4 << column(4, {}) << "";
        QTest::newRow("number beyond the runners") << "◎3 ○17" << 16 << QList<int>{} << "馬番17";
        QTest::newRow("one runner twice") << "◎3 ○3" << 16 << QList<int>{} << "3番に印が二つ";
        QTest::newRow("mark without its number") << "◎3 ○" << 16 << QList<int>{} << "組になっていません";
        QTest::newRow("more lines than runners") << "◎\n○\n▲\n△" << 3 << QList<int>{} << "4行あります";
        QTest::newRow("a name where a mark should be") << "◎\nドウデュース\n"
                                                       << 3 << QList<int>{} << "2行目の「ドウデュース」";
        QTest::newRow("nothing") << " \n\t\n" << 3 << QList<int>{} << "ありません";
    }
    void pastedMarks()
    {
        QFETCH(QString, text);
        QFETCH(int, runners);
        QFETCH(QList<int>, marks);
        QFETCH(QString, error);
        const PastedMarks pasted = parsePastedMarks(text, runners);
        QCOMPARE(pasted.ok, error.isEmpty());
        if (pasted.ok)
            QCOMPARE(marksOf(pasted.marks), marks);
        else
            QVERIFY2(pasted.error.contains(error), qPrintable(pasted.error));
    }

    void pastedNames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("runners");
        QTest::addColumn<Names>("names");

        // A web race card's table copied row by row: frame, number, mark, name, sex and age, weight, jockey, trainer,
        // body weight, odds, popularity.
        QTest::newRow("web race card rows")
            << "枠\t馬番\t印\t馬名\t性齢\t斤量\t騎手\t厩舎\t馬体重\tオッズ\t人気\n"
               "1\t1\t\tドウデュース\t牡5\t58.0\t武豊\t栗東友道\t506(+2)\t3.5\t2\n"
               "1\t2\t◎\tスターズオンアース\t牝5\t56.0\tＣ．ルメール\t美浦高柳瑞\t470(0)\t6.1\t3\n"
               "2\t3\t\tジャスティンパレス\t牡5\t58.0\tレーン\t栗東杉山晴\t460(-2)\t9.8\t5\n"
            << 16
            << Names{{1, QStringLiteral("ドウデュース")},
                     {2, QStringLiteral("スターズオンアース")},
                     {3, QStringLiteral("ジャスティンパレス")}};
        // The same card copied from a page that puts each cell on its own line.
        QTest::newRow("web race card, a cell to a line")
            << "1\n1\n--\nドウデュース\n牡5\n58.0\n武豊\n1\n2\n--\nスターズオンアース\n牝5\n56.0\nＣ．ルメール\n"
            << 16 << Names{{1, QStringLiteral("ドウデュース")}, {2, QStringLiteral("スターズオンアース")}};
        // A newspaper's runner list: number, name, sex and age, weight without decimals, jockey; full-width digits.
        QTest::newRow("newspaper list") << "１　ドウデュース　牡５　58　武豊\n２　ジャスティンパレス　牡５　58　ルメー"
                                           "ル\n１２　ブローザホーン　牡５　58　菅原明"
                                        << 12
                                        << Names{{1, QStringLiteral("ドウデュース")},
                                                 {2, QStringLiteral("ジャスティンパレス")},
                                                 {12, QStringLiteral("ブローザホーン")}};
        QTest::newRow("spreadsheet: number and name")
            << "5\tイクイノックス\r\n6\tEnable\r\n"
            << 8 << Names{{5, QStringLiteral("イクイノックス")}, {6, QStringLiteral("Enable")}};
        QTest::newRow("numbers beyond the runners pass")
            << "17\tドウデュース\n2\tリバティアイランド" << 16 << Names{{2, QStringLiteral("リバティアイランド")}};
        QTest::newRow("no numbers, no names") << "ドウデュース\nイクイノックス" << 16 << Names{};
    }
    void pastedNames()
    {
        QFETCH(QString, text);
        QFETCH(int, runners);
        QFETCH(Names, names);
        Names found;
        for (const PastedName& name : parsePastedNames(text, runners).names)
            found.push_back({name.number, name.name});
        QCOMPARE(found, names);
    }
};

TOKIRO_CORE_TEST_MAIN(TipsterTest)
#include "tipster_test.moc"
