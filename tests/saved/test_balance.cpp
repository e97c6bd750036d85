#include "saved_races.h"

#include "app_harness.h"
#include "temp_folder.h"
#include "test_main.h"
#include "typing.h"

#include <QLineEdit>

namespace {
// 18 runners: 0-based lines of the result lines and the balance lines.
constexpr int firstResultLine = 9 + 7 * 18;
constexpr int stakeLine = firstResultLine + 3;
constexpr int incomeLine = firstResultLine + 4;
} // namespace

class BalanceTest : public QObject {
    Q_OBJECT

private:
    struct Screen8 {
        QListWidget* list;
        QLabel* picked;
        QLineEdit* stake;
        QLineEdit* income;
        QLineEdit* difference;
        QLineEdit* overall;
        QPushButton* write;
        QPushButton* back;
    };

    static Screen8 open(AppHarness& app)
    {
        app.nav().show(ScreenId::Form8);
        return {app.find<QListWidget>(ScreenId::Form8, "List1"),    app.find<QLabel>(ScreenId::Form8, "Label5"),
                app.find<QLineEdit>(ScreenId::Form8, "Text1"),      app.find<QLineEdit>(ScreenId::Form8, "Text2"),
                app.find<QLineEdit>(ScreenId::Form8, "Text3"),      app.find<QLineEdit>(ScreenId::Form8, "Text4"),
                app.find<QPushButton>(ScreenId::Form8, "Command2"), app.find<QPushButton>(ScreenId::Form8, "Command1")};
    }

    static void verifyListing(const Screen8& s)
    {
        QVERIFY(!s.write->isVisible());
        QVERIFY(s.stake->text().isEmpty());
        QVERIFY(s.income->text().isEmpty());
        QVERIFY(s.difference->text().isEmpty());
        QVERIFY(s.picked->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), s.back);
    }

private slots:
    void noFiles_showsZeroOverall()
    {
        TempFolder folder;
        AppHarness app;
        const Screen8 s = open(app);
        QCOMPARE(s.list->count(), 0);
        QCOMPARE(s.overall->text(), QStringLiteral("0円"));
        QVERIFY(!s.write->isVisible());
    }

    void amounts_showInTheLineAndTheBoxes_data()
    {
        QTest::addColumn<TailValue>("stake");
        QTest::addColumn<TailValue>("income");
        QTest::addColumn<QString>("linePieces");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("overall");
        QTest::newRow("never given amounts")
            << TailValue::unset() << num(0) << "支出：000000円 収入：000000円 差額：000000円"
            << QStringList{"0円", "0円", "0円"} << "0円";
        QTest::newRow("a win") << num(300) << num(450) << "支出：000300円 収入：000450円 差額：000150円"
                               << QStringList{"300円", "450円", "150円"} << "150円";
        QTest::newRow("a loss") << num(1000) << num(200) << "支出：001000円 収入：000200円 差額：-000800円"
                                << QStringList{"1000円", "200円", "-800円"} << "-800円";
        // Amounts too long for their pieces widen the line; none is cut, in the line or the boxes.
        QTest::newRow("an income beyond 32 bits")
            << num(123456789) << num(98765432109.0)
            << "支出：123456789円収入：98765432109円 差額：98641975320円ダービー"
            << QStringList{"123456789円", "98765432109円", "98641975320円"} << "98641975320円";
        // Amounts that a box would refuse, already in a file, are shown and counted as they stand.
        QTest::newRow("a negative stake and an income of 2^63")
            << num(-500) << num(9223372036854775808.0)
            << "支出：-000500円 収入：9223372036854775808円 差額：9223372036854775808円"
            << QStringList{"-500円", "9223372036854775808円", "9223372036854775808円"} << "9223372036854775808円";
    }
    void amounts_showInTheLineAndTheBoxes()
    {
        QFETCH(TailValue, stake);
        QFETCH(TailValue, income);
        QFETCH(QString, linePieces);
        QFETCH(QStringList, boxes);
        TempFolder folder;
        WRITE_RACE(QStringLiteral("r.tkr"), sampleRace("99/05/16", 7, "ダービー"),
                   results(num(3), num(8), num(870), stake, income));
        AppHarness app;
        const Screen8 s = open(app);
        QCOMPARE(s.list->count(), 1);
        QVERIFY2(s.list->item(0)->text().simplified().contains(linePieces), qPrintable(s.list->item(0)->text()));
        QTEST(s.overall->text(), "overall");
        clickRow(s.list, 0);
        QCOMPARE((QStringList{s.stake->text(), s.income->text(), s.difference->text()}), boxes);
        QCOMPARE(s.picked->text(), s.list->item(0)->text());
        QVERIFY(s.write->isVisible());
        QCOMPARE(QApplication::focusWidget(), s.stake);
    }

    void write_storesTheTwoAmountsAndRaisesTheTotal()
    {
        TempFolder folder;
        WRITE_RACE(QStringLiteral("a.tkr"), sampleRace("99/05/16", 1, "負け"),
                   results({}, {}, {}, num(1000), num(200)));
        // A race with a tipster's marks: their block after the income line is kept as it stands.
        RaceState race = sampleRace("99/05/16", 2, "新しい");
        QVERIFY(addTipster(race, QStringLiteral("本紙")));
        setTipsterMark(race, 0, 7, 1);
        WRITE_RACE(QStringLiteral("b.tkr"), race, results(num(3), num(8), num(870)));
        const QList<QByteArray> before = fileLines(QStringLiteral("b.tkr"));
        QVERIFY(before.size() > incomeLine + 1);
        AppHarness app;
        const Screen8 s = open(app);
        QCOMPARE(s.overall->text(), QStringLiteral("-800円"));

        // Keyboard only: list, Enter, stake, Enter, income, Enter, then Enter on 書き込み.
        s.list->setFocus();
        s.list->setCurrentRow(1);
        QTest::keyClick(s.list, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), s.stake);
        QTest::keyClicks(s.stake, "300");
        QTest::keyClick(s.stake, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), s.income);
        QTest::keyClicks(s.income, "450");
        QTest::keyClick(s.income, Qt::Key_Return);
        QCOMPARE(s.difference->text(), QStringLiteral("150"));
        QCOMPARE(QApplication::focusWidget(), s.write);
        QTest::keyClick(s.write, Qt::Key_Return);
        QCOMPARE(app.dialogs.count("confirm"), 1);
        QCOMPARE(app.dialogs.asked.back().text, QStringLiteral("データを書き換えますがよろしいですか？"));
        QCOMPARE(app.dialogs.asked.back().title, QStringLiteral("データの書き換え"));

        const QList<QByteArray> after = fileLines(QStringLiteral("b.tkr"));
        QCOMPARE(after.size(), before.size());
        QCOMPARE(after[stakeLine], QByteArray(" 300 "));
        QCOMPARE(after[incomeLine], QByteArray(" 450 "));
        for (int i = 0; i < stakeLine; ++i)
            QCOMPARE(after[i].trimmed(), before[i].trimmed());
        for (int i = incomeLine + 1; i < after.size(); ++i)
            QCOMPARE(after[i], before[i]);
        verifyListing(s);
        QVERIFY(s.list->item(1)->text().simplified().contains(
            QStringLiteral("支出：000300円 収入：000450円 差額：000150円")));
        QCOMPARE(s.overall->text(), QStringLiteral("-650円"));
    }

    // Amounts as typed with separators, 円 and full-width digits are written as the numbers meant; a box that holds
    // no number is refused before anything is asked or written.
    void write_takesAmountsAsTyped_data()
    {
        QTest::addColumn<QString>("stake");
        QTest::addColumn<QString>("income");
        QTest::addColumn<QByteArrayList>("written"); // empty: refused
        QTest::addColumn<QString>("message");
        QTest::newRow("separators and yen") << "1,200円"
                                            << "12,345,678円" << QByteArrayList{" 1200 ", " 12345678 "} << "";
        QTest::newRow("full width") << "１，２００"
                                    << "３０００円" << QByteArrayList{" 1200 ", " 3000 "} << "";
        QTest::newRow("eleven digits") << "0"
                                       << "98765432109" << QByteArrayList{" 0 ", " 98765432109 "} << "";
        QTest::newRow("stake in words") << "千二百円"
                                        << "300" << QByteArrayList{}
                                        << "「馬券購入金額」には金額を数で入力してください。";
        QTest::newRow("income in words") << "300"
                                         << "なし" << QByteArrayList{}
                                         << "「このレースの収入」には金額を数で入力してください。";
        // Amounts are whole yen up to 999,999,999,999: anything the totals could not count exactly is refused.
        const QString range = QStringLiteral("には0～999,999,999,999円の整数を入力してください。");
        QTest::newRow("largest amount") << "999,999,999,999"
                                        << "999999999999" << QByteArrayList{" 999999999999 ", " 999999999999 "} << "";
        QTest::newRow("stake one more") << "1,000,000,000,000"
                                        << "0" << QByteArrayList{} << "「馬券購入金額」" + range;
        QTest::newRow("income one more") << "0"
                                         << "1000000000000" << QByteArrayList{} << "「このレースの収入」" + range;
        QTest::newRow("stake -1") << "-1"
                                  << "0" << QByteArrayList{} << "「馬券購入金額」" + range;
        QTest::newRow("income 2^63") << "0"
                                     << "9223372036854775808" << QByteArrayList{} << "「このレースの収入」" + range;
    }
    void write_takesAmountsAsTyped()
    {
        QFETCH(QString, stake);
        QFETCH(QString, income);
        QFETCH(QByteArrayList, written);
        QFETCH(QString, message);
        TempFolder folder;
        WRITE_RACE(QStringLiteral("r.tkr"), sampleRace("99/05/16", 7, "ダービー"), results(num(3), num(8), num(870)));
        const QByteArray before = fileBytes(QStringLiteral("r.tkr"));
        AppHarness app;
        const Screen8 s = open(app);
        clickRow(s.list, 0);
        s.stake->clear();
        typeText(s.stake, stake);
        s.income->clear();
        typeText(s.income, income);
        QTest::mouseClick(s.write, Qt::LeftButton);
        if (written.isEmpty()) {
            QCOMPARE(app.dialogs.count("confirm"), 0);
            QCOMPARE(app.dialogs.asked.back().text, message);
            QCOMPARE(fileBytes(QStringLiteral("r.tkr")), before);
            QCOMPARE(s.stake->text(), stake);
            QCOMPARE(s.income->text(), income);
        } else {
            QCOMPARE(app.dialogs.count("error"), 0);
            const QList<QByteArray> lines = fileLines(QStringLiteral("r.tkr"));
            QCOMPARE((QByteArrayList{lines[stakeLine], lines[incomeLine]}), written);
        }
    }

    void write_untouchedBoxesKeepTheAmounts()
    {
        TempFolder folder;
        WRITE_RACE(QStringLiteral("r.tkr"), sampleRace("99/05/16", 7, "ダービー"),
                   results(num(3), num(8), num(870), num(1200), num(300)));
        AppHarness app;
        const Screen8 s = open(app);
        clickRow(s.list, 0);
        QTest::mouseClick(s.write, Qt::LeftButton);
        const QList<QByteArray> lines = fileLines(QStringLiteral("r.tkr"));
        QCOMPARE(lines[stakeLine], QByteArray(" 1200 "));
        QCOMPARE(lines[incomeLine], QByteArray(" 300 "));
        QCOMPARE(lines[firstResultLine].trimmed(), QByteArray("3"));
        QCOMPARE(lines[firstResultLine + 1].trimmed(), QByteArray("8"));
        QCOMPARE(lines[firstResultLine + 2].trimmed(), QByteArray("870"));
        QCOMPARE(s.overall->text(), QStringLiteral("-900円"));
    }

    void write_cancelLeavesTheFileButStillRelists()
    {
        TempFolder folder;
        WRITE_RACE(QStringLiteral("r.tkr"), sampleRace("99/05/16", 7, "ダービー"),
                   results(num(3), num(8), num(870), num(1200), num(300)));
        const QByteArray before = fileBytes(QStringLiteral("r.tkr"));
        AppHarness app;
        app.dialogs.confirmAnswers = {false};
        const Screen8 s = open(app);
        clickRow(s.list, 0);
        QTest::keyClicks(s.stake, "5");
        QTest::mouseClick(s.write, Qt::LeftButton);
        QCOMPARE(fileBytes(QStringLiteral("r.tkr")), before);
        verifyListing(s);
        QCOMPARE(s.list->count(), 1);
        QCOMPARE(s.overall->text(), QStringLiteral("-900円"));
    }

    void write_toAVanishedFileSaysSoAndRelists()
    {
        TempFolder folder;
        WRITE_RACE(QStringLiteral("r.tkr"), sampleRace("99/05/16", 7, "ダービー"),
                   results({}, {}, {}, num(1200), num(300)));
        AppHarness app;
        const Screen8 s = open(app);
        clickRow(s.list, 0);
        QVERIFY(QFile::remove(QStringLiteral("r.tkr")));
        QTest::mouseClick(s.write, Qt::LeftButton);
        QCOMPARE(app.dialogs.count("error"), 1);
        QVERIFY(!QFile::exists(QStringLiteral("r.tkr")));
        verifyListing(s);
        QCOMPARE(s.list->count(), 0);
        QCOMPARE(s.overall->text(), QStringLiteral("0円"));
    }

    void pick_ofADamagedFileSaysSoAndOffersNoWrite()
    {
        TempFolder folder;
        {
            QFile junk(QStringLiteral("junk.tkr"));
            QVERIFY(junk.open(QIODevice::WriteOnly));
            junk.write("99/05/16\r\n 7 \r\nname\r\n\r\n\r\n\r\n 4 \r\n 99 \r\n 0 \r\n");
        }
        const QByteArray before = fileBytes(QStringLiteral("junk.tkr"));
        AppHarness app;
        const Screen8 s = open(app);
        QCOMPARE(s.list->count(), 1);
        QCOMPARE(s.overall->text(), QStringLiteral("0円"));
        clickRow(s.list, 0);
        QCOMPARE(app.dialogs.count("error"), 1);
        QVERIFY(!s.write->isVisible());
        QCOMPARE(fileBytes(QStringLiteral("junk.tkr")), before);
    }

    void typing_firstDigitReplaces_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("expected");
        QTest::newRow("digit over the amount") << "5"
                                               << "5";
        QTest::newRow("letter first keeps it") << "x5"
                                               << "1200円x5";
    }
    void typing_firstDigitReplaces()
    {
        QFETCH(QString, keys);
        TempFolder folder;
        WRITE_RACE(QStringLiteral("r.tkr"), sampleRace("99/05/16", 7, "ダービー"),
                   results({}, {}, {}, num(1200), num(300)));
        AppHarness app;
        const Screen8 s = open(app);
        clickRow(s.list, 0);
        QTest::keyClicks(s.stake, keys);
        QTEST(s.stake->text(), "expected");
    }

    void list_showsWholeLines()
    {
        TempFolder folder;
        WRITE_RACE(QStringLiteral("r.tkr"), sampleRace("99/05/16", 7, "二十文字の長い長い長い長いレース名前です"),
                   results({}, {}, {}, num(999999), num(1)));
        writeFillerRaces(30);
        AppHarness app;
        const Screen8 s = open(app);
        QCOMPARE(s.list->item(0)->text().size(), 77);
        verifyLinesFit(s.list);
    }

    void unload_leavesTicketCountZero()
    {
        TempFolder folder;
        AppHarness app;
        open(app);
        app.module.race.ticketCount = 4;
        app.module.race.raceName = QStringLiteral("何か");
        app.nav().close(ScreenId::Form8);
        QCOMPARE(app.module.race.ticketCount, std::int16_t(0));
        QVERIFY(app.module.race.raceName.isEmpty());
    }
};

TOKIRO_TEST_MAIN(BalanceTest)
#include "test_balance.moc"
