#include "saved_races.h"

#include "app_harness.h"
#include "temp_folder.h"
#include "test_main.h"

#include "prediction/prediction.h"

namespace {
// The figures of the screen in their order on it: races, hits, misses, strike rate, stake, payout, return rate.
const char* const figureLabels[] = {"Label6", "Label7", "Label8", "Label9", "Label12", "Label13", "Label15"};

bool proposes(const RaceState& race, int firstHorse, int secondHorse)
{
    const PredictionResult p = runPrediction(race.markSheet, race.runnerCount, race.ticketCount);
    for (int t = 0; t < p.ticketTotal; ++t) {
        if (p.ticketFirst[t] + 1 == firstHorse && p.ticketSecond[t] + 1 == secondHorse)
            return true;
    }
    return false;
}

int ticketsOf(const RaceState& race)
{
    return runPrediction(race.markSheet, race.runnerCount, race.ticketCount).ticketTotal;
}
} // namespace

class RecordTest : public QObject {
    Q_OBJECT

private:
    static QStringList figures(AppHarness& app)
    {
        QStringList texts;
        for (const char* name : figureLabels) {
            auto* label = app.find<QLabel>(ScreenId::Form7, name);
            texts.append(label ? label->text() : QStringLiteral("<missing>"));
        }
        return texts;
    }
    static QListWidget* open(AppHarness& app)
    {
        app.nav().show(ScreenId::Form7);
        return app.find<QListWidget>(ScreenId::Form7, "List1");
    }

private slots:
    void hit_comparesTheOrderedPairWithEveryTicket_data()
    {
        QTest::addColumn<TailLines>("tail");
        QTest::addColumn<bool>("hit");
        QTest::addColumn<QString>("pair");
        QTest::addColumn<QString>("payout");
        QTest::newRow("result in ticket order") << results(num(3), num(8), num(870)) << true << "03 - 08"
                                                << "870円";
        QTest::newRow("result typed 8 then 3") << results(num(8), num(3), num(870)) << true << "03 - 08"
                                               << "870円";
        QTest::newRow("a later ticket") << results(num(8), num(2), num(450)) << true << "02 - 08"
                                        << "450円";
        QTest::newRow("result lines as text")
            << results(TailValue::ofText("08"), TailValue::ofText("3"), num(870)) << true << "03 - 08"
            << "870円";
        // Hand-written lines show as the text they hold, and still count by their number.
        QTest::newRow("result lines hand-written as +8 and 3.0")
            << results(TailValue::ofText("+8"), TailValue::ofText("3.0"), num(870)) << true << ".0 - +8"
            << "870円";
        QTest::newRow("same horse twice") << results(num(3), num(3), num(870)) << false << "03 - 03"
                                          << "0円";
        QTest::newRow("pair not proposed") << results(num(18), num(1), num(870)) << false << "01 - 18"
                                           << "0円";
        QTest::newRow("no result yet") << results({}, {}, {}) << false << "00 - 00"
                                       << "0円";
        // A payout no box would take, already in a file, is counted as it stands.
        QTest::newRow("a payout of 2^63") << results(num(3), num(8), num(9223372036854775808.0)) << true << "03 - 08"
                                          << "9223372036854775808円";
    }
    void hit_comparesTheOrderedPairWithEveryTicket()
    {
        QFETCH(TailLines, tail);
        QFETCH(bool, hit);
        const RaceState race = sampleRace("99/05/16", 7, "ダービー");
        QVERIFY(proposes(race, 3, 8));
        QVERIFY(proposes(race, 2, 8));
        QVERIFY(!proposes(race, 1, 18));
        TempFolder folder;
        WRITE_RACE(QStringLiteral("r.tkr"), race, tail);
        AppHarness app;
        QListWidget* list = open(app);
        QCOMPARE(list->count(), 1);
        const QString line = list->item(0)->text();
        QCOMPARE(line.left(7), hit ? QStringLiteral("［あたり！］　") : QStringLiteral("［はずれ！］　"));
        QTEST(line.mid(33, 7), "pair");
        const QStringList shown = figures(app);
        QCOMPARE(shown[1], hit ? QStringLiteral("1") : QStringLiteral("0"));
        QCOMPARE(shown[2], hit ? QStringLiteral("0") : QStringLiteral("1"));
        QTEST(shown[5], "payout");
    }

    void line_isBuiltPieceByPiece()
    {
        TempFolder folder;
        WRITE_RACE(QStringLiteral("r.tkr"), sampleRace("99/05/16", 7, "ダービー"), results(num(8), num(3), num(870)));
        WRITE_RACE(QStringLiteral("s.tkr"), sampleRace("99/05/17", 123, "二十文字の長い長い長い長いレース名前です"),
                   results({}, {}, TailValue::ofText("1234567")));
        writeFillerRaces(30);
        AppHarness app;
        QListWidget* list = open(app);
        QCOMPARE(list->count(), 32);
        QCOMPARE(list->item(0)->text(), QStringLiteral("［あたり！］　99/05/16    第07ﾚｰｽ　　馬連結果： 03 - 08     "
                                                       "配当金：000870円    ダービー        "));
        QCOMPARE(list->item(1)->text(), QStringLiteral("［はずれ！］　99/05/17    第23ﾚｰｽ　　馬連結果： 00 - 00     "
                                                       "配当金：1234567円   二十文字の長い長い長い長"));
        QCOMPARE(list->item(0)->text().size(), 72);
        QCOMPARE(list->item(1)->text().size(), 72);
        verifyLinesFit(list);
    }

    void stake_isHundredYenPerProposedTicket_data()
    {
        QTest::addColumn<QList<int>>("ticketCounts");
        QTest::addColumn<bool>("withResults");
        QTest::addColumn<QString>("stake");
        QTest::newRow("two races of four, no results") << QList<int>{4, 4} << false << "800円";
        QTest::newRow("two races of four, results") << QList<int>{4, 4} << true << "800円";
        QTest::newRow("four and six") << QList<int>{4, 6} << true << "1000円";
        QTest::newRow("one ticket") << QList<int>{1} << false << "100円";
    }
    void stake_isHundredYenPerProposedTicket()
    {
        QFETCH(QList<int>, ticketCounts);
        QFETCH(bool, withResults);
        TempFolder folder;
        for (int i = 0; i < ticketCounts.size(); ++i) {
            const RaceState race = sampleRace("99/05/16", i + 1, "レース", ticketCounts[i]);
            QCOMPARE(ticketsOf(race), ticketCounts[i]);
            WRITE_RACE(QStringLiteral("%1.tkr").arg(i), race,
                       withResults ? results(num(1), num(2), num(500)) : results({}, {}, {}));
        }
        AppHarness app;
        open(app);
        QTEST(figures(app)[4], "stake");
    }

    void list_isOldestFirst()
    {
        TempFolder folder;
        WRITE_RACE(QStringLiteral("a.tkr"), sampleRace("99/12/26", 1, "年末"), results({}, {}, {}));
        WRITE_RACE(QStringLiteral("b.tkr"), sampleRace("00/01/05", 12, "十二"), results({}, {}, {}));
        WRITE_RACE(QStringLiteral("c.tkr"), sampleRace("00/01/05", 7, "七"), results({}, {}, {}));
        AppHarness app;
        QListWidget* list = open(app);
        QCOMPARE(list->count(), 3);
        QStringList order;
        for (int row = 0; row < list->count(); ++row)
            order.append(list->item(row)->text().mid(7, 18).simplified());
        QCOMPARE(order, (QStringList{"00/01/05 第07ﾚｰｽ", "00/01/05 第12ﾚｰｽ", "99/12/26 第01ﾚｰｽ"}));
    }

    void figures_overAFolder_data()
    {
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("emptyFolder");
        QTest::addColumn<bool>("noTickets");
        // Rates divided by nothing stay empty.
        QTest::newRow("no race files") << QStringList{"0", "0", "0", "", "0円", "0円", ""} << true << false;
        QTest::newRow("races without tickets") << QStringList{"2", "0", "2", "00.0", "0円", "0円", ""} << false << true;
    }
    void figures_overAFolder()
    {
        QFETCH(bool, emptyFolder);
        QFETCH(bool, noTickets);
        TempFolder folder;
        if (!emptyFolder) {
            for (int i = 0; i < 2; ++i) {
                RaceState race = sampleRace("99/05/16", i + 1, "印なし");
                if (noTickets)
                    race.markSheet = {};
                QCOMPARE(ticketsOf(race), 0);
                WRITE_RACE(QStringLiteral("%1.tkr").arg(i), race, results(num(3), num(8), num(870)));
            }
        }
        AppHarness app;
        open(app);
        QTEST(figures(app), "expected");
    }

    void figures_ofMixedHitsAndMisses()
    {
        TempFolder folder;
        struct Race {
            int tickets;
            TailLines tail;
        };
        const Race races[] = {
            {4, results(num(3), num(8), num(870))},   // hit
            {6, results(num(14), num(8), num(2300))}, // hit on the fifth ticket
            {4, results(num(5), num(5), num(1000))},  // miss: one horse twice
            {4, results({}, {}, {})},                 // miss: no result
            {1, results(num(2), num(3), num(500))},   // miss: only 3-8 proposed
        };
        for (int i = 0; i < 5; ++i) {
            const RaceState race = sampleRace("99/06/01", i + 1, "混合", races[i].tickets);
            QCOMPARE(ticketsOf(race), races[i].tickets);
            WRITE_RACE(QStringLiteral("m%1.tkr").arg(i), race, races[i].tail);
        }
        QVERIFY(proposes(sampleRace("", 0, "", 6), 8, 14));
        QVERIFY(!proposes(sampleRace("", 0, "", 1), 2, 3));
        AppHarness app;
        open(app);
        // Stake (4 + 6 + 4 + 4 + 1) x 100 = 1900; payout 870 + 2300 = 3170; return 3170 / 1900 = 166.84 %.
        QCOMPARE(figures(app), (QStringList{"5", "2", "3", "40.0", "1900円", "3170円", "166.8"}));
    }

    void unreadableFile_isShownButNotCounted()
    {
        TempFolder folder;
        WRITE_RACE(QStringLiteral("a.tkr"), sampleRace("99/05/16", 7, "ダービー"), results(num(8), num(3), num(870)));
        {
            QFile junk(QStringLiteral("b.tkr"));
            QVERIFY(junk.open(QIODevice::WriteOnly));
            junk.write("not a race\r\n");
        }
        AppHarness app;
        QListWidget* list = open(app);
        QCOMPARE(list->count(), 2);
        QStringList markers;
        for (int row = 0; row < list->count(); ++row)
            markers.append(list->item(row)->text().left(7));
        QVERIFY(markers.contains(QStringLiteral("［読めません］")));
        QVERIFY(markers.contains(QStringLiteral("［あたり！］　")));
        QCOMPARE(figures(app).mid(0, 3), (QStringList{"1", "1", "0"}));
    }

    // A race file cut before its last mark line is shown as unreadable and not counted, wherever it was cut; a file
    // cut after its marks is a race without a result.
    void cutFiles_areShownButNotCounted()
    {
        TempFolder folder;
        RaceState race = sampleRace("99/05/16", 7, "ダービー");
        race.runnerCount = 2; // 9 header lines, 2 names, 12 mark lines, then the tail
        WRITE_RACE(QStringLiteral("whole.tkr"), race, results(num(1), num(2), num(870)));
        const QList<QByteArray> lines = fileLines(QStringLiteral("whole.tkr"));
        const int lastMarkLine = 9 + 2 + 12;
        for (int kept = 1; kept <= lastMarkLine; ++kept) {
            QByteArray bytes;
            for (const QByteArray& line : lines.mid(0, kept))
                bytes += line + "\r\n";
            QFile cut(QStringLiteral("cut%1.tkr").arg(kept, 2, 10, QLatin1Char('0')));
            QVERIFY(cut.open(QIODevice::WriteOnly));
            QCOMPARE(cut.write(bytes), bytes.size());
        }
        AppHarness app;
        QListWidget* list = open(app);
        QCOMPARE(list->count(), lastMarkLine + 1);
        QStringList unreadable;
        for (int row = 0; row < list->count(); ++row) {
            const QString line = list->item(row)->text();
            if (line.startsWith(QStringLiteral("［読めません］")))
                unreadable << line.mid(7).trimmed();
        }
        QStringList expected;
        for (int kept = 1; kept < lastMarkLine; ++kept)
            expected << QStringLiteral("cut%1.tkr").arg(kept, 2, 10, QLatin1Char('0'));
        unreadable.sort();
        QCOMPARE(unreadable, expected);
        // Counted: the whole race and the one cut right after its marks.
        QCOMPARE(figures(app).mid(0, 3), (QStringList{"2", "0", "2"}));
    }

    // The product label of the three saved-race screens is the bare name.
    void productLabel_isTheBareName()
    {
        TempFolder folder;
        AppHarness app;
        const std::pair<ScreenId, const char*> labels[] = {
            {ScreenId::Form6, "Label10"}, {ScreenId::Form7, "Label17"}, {ScreenId::Form8, "Label10"}};
        for (const auto& [id, name] : labels) {
            app.nav().show(id);
            auto* label = app.find<QLabel>(id, name);
            QVERIFY(label);
            QCOMPARE(label->text(), QStringLiteral("トキロ"));
        }
    }

    void unload_clearsTheRaceButKeepsTheLastMarks()
    {
        TempFolder folder;
        RaceState last = sampleRace("99/05/17", 1, "最後");
        last.markSheet[0][4] = 7;
        WRITE_RACE(QStringLiteral("a.tkr"), sampleRace("99/05/16", 7, "前"), results({}, {}, {}));
        WRITE_RACE(QStringLiteral("b.tkr"), last, results({}, {}, {}));
        AppHarness app;
        open(app);
        QCOMPARE(QApplication::focusWidget(), app.find<QWidget>(ScreenId::Form7, "Command1"));
        QCOMPARE(app.module.race.raceName, QStringLiteral("最後"));
        QVERIFY(app.click(ScreenId::Form7, "Command1"));
        QVERIFY(!app.nav().isLoaded(ScreenId::Form7));
        QVERIFY(app.nav().isLoaded(ScreenId::Form2));

        open(app);
        app.nav().close(ScreenId::Form7);
        QVERIFY(app.module.race.raceName.isEmpty());
        QVERIFY(app.module.race.raceDate.isEmpty());
        QCOMPARE(app.module.race.ticketCount, std::int16_t(0));
        QCOMPARE(app.module.race.markSheet[0][4], std::int16_t(7));
    }
};

TOKIRO_TEST_MAIN(RecordTest)
#include "test_record.moc"
