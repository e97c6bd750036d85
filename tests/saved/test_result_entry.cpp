#include "saved_races.h"

#include "app_harness.h"
#include "temp_folder.h"
#include "test_main.h"
#include "typing.h"

#include "core/numbers.h"

#include <QClipboard>
#include <QLineEdit>

namespace {
const QString raceFile = QStringLiteral("99051607.tkr");
// 18 runners: the result lines are lines 10+7N .. 12+7N, 0-based 135 .. 137.
constexpr int firstResultLine = 9 + 7 * 18;
} // namespace

class ResultEntryTest : public QObject {
    Q_OBJECT

private:
    struct Screen6 {
        QListWidget* list;
        QLabel* picked;
        QLineEdit* first;
        QLineEdit* second;
        QLineEdit* payout;
        QPushButton* write;
        QPushButton* remove;
        QPushButton* back;
    };

    static Screen6 open(AppHarness& app)
    {
        app.nav().show(ScreenId::Form6);
        return {app.find<QListWidget>(ScreenId::Form6, "List1"),    app.find<QLabel>(ScreenId::Form6, "Label5"),
                app.find<QLineEdit>(ScreenId::Form6, "Text1"),      app.find<QLineEdit>(ScreenId::Form6, "Text2"),
                app.find<QLineEdit>(ScreenId::Form6, "Text3"),      app.find<QPushButton>(ScreenId::Form6, "Command2"),
                app.find<QPushButton>(ScreenId::Form6, "Command3"), app.find<QPushButton>(ScreenId::Form6, "Command1")};
    }

    static void verifyListing(const Screen6& s)
    {
        QVERIFY(!s.write->isVisible());
        QVERIFY(!s.remove->isVisible());
        QVERIFY(s.first->text().isEmpty());
        QVERIFY(s.second->text().isEmpty());
        QVERIFY(s.payout->text().isEmpty());
        QVERIFY(s.picked->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), s.back);
    }

private slots:
    void pick_showsTheStoredResult_data()
    {
        QTest::addColumn<TailLines>("tail");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("payout");
        QTest::newRow("never given a result") << results({}, {}, {}) << "00"
                                              << "00"
                                              << "000000";
        QTest::newRow("one-digit horses") << results(num(7), num(3), num(870)) << "07"
                                          << "03"
                                          << "000870";
        QTest::newRow("two-digit horses") << results(num(12), num(18), num(123456)) << "12"
                                          << "18"
                                          << "123456";
        QTest::newRow("payout typed as text") << results(num(1), num(2), TailValue::ofText("1200円")) << "01"
                                              << "02"
                                              << "01200円";
        QTest::newRow("hand-written lines and a seven-digit payout")
            << results(TailValue::ofText(".0"), TailValue::ofText("+4"), TailValue::ofText("1234560")) << ".0"
            << "+4"
            << "1234560";
    }
    void pick_showsTheStoredResult()
    {
        QFETCH(TailLines, tail);
        TempFolder folder;
        WRITE_RACE(raceFile, sampleRace("99/05/16", 7, "テスト"), tail);
        AppHarness app;
        const Screen6 s = open(app);
        QCOMPARE(s.list->count(), 1);
        QVERIFY(!s.write->isVisible());
        QVERIFY(!s.remove->isVisible());

        clickRow(s.list, 0);
        QTEST(s.first->text(), "first");
        QTEST(s.second->text(), "second");
        QTEST(s.payout->text(), "payout");
        QCOMPARE(s.picked->text(), s.list->item(0)->text());
        QCOMPARE(app.module.selectedRaceFile, raceFile);
        QVERIFY(s.write->isVisible());
        QVERIFY(s.remove->isVisible());
        QCOMPARE(QApplication::focusWidget(), s.first);
    }

    void typing_firstDigitReplaces_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two digits over 07") << "12"
                                            << "12";
        QTest::newRow("letter first keeps the value") << "a1"
                                                      << "07a1";
        QTest::newRow("no limit while typing") << "12345"
                                               << "12345";
    }
    void typing_firstDigitReplaces()
    {
        QFETCH(QString, keys);
        TempFolder folder;
        WRITE_RACE(raceFile, sampleRace("99/05/16", 7, "テスト"), results(num(7), num(3), num(870)));
        AppHarness app;
        const Screen6 s = open(app);
        clickRow(s.list, 0);
        QCOMPARE(s.first->text(), QStringLiteral("07"));
        QTest::keyClicks(s.first, keys);
        QTEST(s.first->text(), "expected");
    }

    void typing_countRestartsWhenTheBoxIsFocusedAgain()
    {
        TempFolder folder;
        WRITE_RACE(raceFile, sampleRace("99/05/16", 7, "テスト"), results(num(7), num(3), num(870)));
        AppHarness app;
        const Screen6 s = open(app);
        clickRow(s.list, 0);
        QTest::keyClicks(s.first, "1");
        QTest::keyClick(s.first, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), s.second);
        QTest::keyClicks(s.second, "9");
        QCOMPARE(s.second->text(), QStringLiteral("9"));
        // Back into the first box with the mouse (no select-all): the first digit replaces again.
        QTest::mouseClick(s.first, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), s.first);
        QTest::keyClicks(s.first, "5");
        QCOMPARE(s.first->text(), QStringLiteral("5"));
    }

    void enter_padsAndMovesOn_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("next");
        QTest::newRow("four digits keep the last two") << "Text1"
                                                       << "1234"
                                                       << "34"
                                                       << "Text2";
        QTest::newRow("one digit gets a zero") << "Text1"
                                               << "5"
                                               << "05"
                                               << "Text2";
        QTest::newRow("second box") << "Text2"
                                    << "123"
                                    << "23"
                                    << "Text3";
        QTest::newRow("payout to six") << "Text3"
                                       << "500"
                                       << "000500"
                                       << "Command2";
        QTest::newRow("payout of seven digits kept whole") << "Text3"
                                                           << "1234560"
                                                           << "1234560"
                                                           << "Command2";
        QTest::newRow("payout with separators") << "Text3"
                                                << "1,230"
                                                << "001230"
                                                << "Command2";
    }
    void enter_padsAndMovesOn()
    {
        QFETCH(QString, box);
        QFETCH(QString, keys);
        QFETCH(QString, next);
        TempFolder folder;
        WRITE_RACE(raceFile, sampleRace("99/05/16", 7, "テスト"), results({}, {}, {}));
        AppHarness app;
        const Screen6 s = open(app);
        clickRow(s.list, 0);
        auto* edit = app.find<QLineEdit>(ScreenId::Form6, box);
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClicks(edit, keys);
        QTest::keyClick(edit, Qt::Key_Enter);
        QTEST(edit->text(), "expected");
        QCOMPARE(QApplication::focusWidget(), app.find<QWidget>(ScreenId::Form6, next));
    }

    void write_replacesOnlyTheResultLines_data()
    {
        QTest::addColumn<TailLines>("stored");
        QTest::addColumn<QString>("keys"); // what is typed into the three boxes, each confirmed with Enter
        QTest::addColumn<QByteArrayList>("written");
        const TailLines none = results({}, {}, {}, num(1200), num(300));
        const TailLines old = results(num(2), num(5), num(300), num(1200), num(300));
        QTest::newRow("a result") << none << "8\n3\n870\n" << QByteArrayList{" 8 ", " 3 ", " 870 "};
        QTest::newRow("nothing typed writes zeros") << none << "\n\n\n" << QByteArrayList{" 0 ", " 0 ", " 0 "};
        QTest::newRow("nothing typed keeps the old result") << old << "\n\n\n" << QByteArrayList{" 2 ", " 5 ", " 300 "};
        QTest::newRow("over an old result") << old << "12\n1\n45600\n" << QByteArrayList{" 12 ", " 1 ", " 45600 "};
    }
    void write_replacesOnlyTheResultLines()
    {
        QFETCH(TailLines, stored);
        QFETCH(QString, keys);
        QFETCH(QByteArrayList, written);
        TempFolder folder;
        WRITE_RACE(QStringLiteral("99051601.tkr"), sampleRace("99/05/16", 1, "前のレース"), results({}, {}, {}));
        const QByteArray otherBefore = fileBytes(QStringLiteral("99051601.tkr"));
        // A race with a tipster's marks: their block after the income line is kept as it stands.
        RaceState race = sampleRace("99/05/16", 7, "テスト");
        QVERIFY(addTipster(race, QStringLiteral("本紙")));
        setTipsterMark(race, 0, 2, 0);
        WRITE_RACE(raceFile, race, stored);
        const QList<QByteArray> before = fileLines(raceFile);
        QVERIFY(before.size() > 14 + 7 * 18);
        AppHarness app;
        const Screen6 s = open(app);
        QCOMPARE(s.list->count(), 2);

        // Keyboard only: the list, Enter, the three boxes with Enter, then Enter on 書き込み.
        s.list->setFocus();
        s.list->setCurrentRow(1);
        QTest::keyClick(s.list, Qt::Key_Return);
        const QStringList typed = keys.split(u'\n');
        QLineEdit* boxes[] = {s.first, s.second, s.payout};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(QApplication::focusWidget(), boxes[i]);
            QTest::keyClicks(boxes[i], typed[i]);
            QTest::keyClick(boxes[i], Qt::Key_Return);
        }
        QCOMPARE(QApplication::focusWidget(), s.write);
        QTest::keyClick(s.write, Qt::Key_Return);

        QCOMPARE(app.dialogs.count("confirm"), 1);
        QCOMPARE(app.dialogs.asked.back().text, QStringLiteral("データを書き換えますがよろしいですか？"));
        QCOMPARE(app.dialogs.asked.back().title, QStringLiteral("データの書き換え"));
        QCOMPARE(app.dialogs.count("error"), 0);

        const QList<QByteArray> after = fileLines(raceFile);
        QCOMPARE(after.size(), before.size());
        for (int i = 0; i < after.size(); ++i) {
            if (i >= firstResultLine && i < firstResultLine + 3)
                QCOMPARE(after[i], written[i - firstResultLine]);
            else if (i == 1) // the race number comes back without its blanks; its value stays
                QCOMPARE(after[i].trimmed(), before[i].trimmed());
            else
                QCOMPARE(after[i], before[i]);
        }
        QCOMPARE(fileBytes(QStringLiteral("99051601.tkr")), otherBefore);
        verifyListing(s);
        QCOMPARE(s.list->count(), 2);
        QVERIFY(s.list->item(1)->text().contains(
            QStringLiteral("一着：%1番").arg(QString::fromLatin1(written[0].trimmed()).rightJustified(2, u'0'))));
    }

    // A result page pasted with Ctrl+V fills the three boxes (nothing is written until 書き込み); a page of another
    // race is named and can be refused; a dead heat asks which pair; a page without a result is refused.
    void paste_fillsTheBoxes_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QList<bool>>("answers"); // the confirmations, in turn
        QTest::addColumn<QString>("boxes");       // the three boxes after the paste
        QTest::addColumn<QString>("asked");       // a word of the question or message, empty for none
        const QString table = QStringLiteral("着順\t枠番\t馬番\t馬名\n1\t4\t8\tウマ8\n2\t2\t3\tウマ3\n");
        QTest::newRow("this race") << QStringLiteral("1999年5月16日 2回東京8日\n7R テスト\n") + table
                                          + QStringLiteral("馬連\t3-8\t1,230円\t5番人気\n")
                                   << QList<bool>{} << "08 03 001230"
                                   << "";
        QTest::newRow("table alone keeps the payout box") << table << QList<bool>{} << "08 03 000300"
                                                          << "";
        QTest::newRow("another race, refused")
            << QStringLiteral("東京 9R\n") + table << QList<bool>{false} << "02 05 000300"
            << "9R";
        QTest::newRow("another race, taken")
            << QStringLiteral("1999年5月23日\n") + table << QList<bool>{true} << "08 03 000300"
            << "1999年5月23日";
        QTest::newRow("dead heat, the second pair")
            << QStringLiteral("1 1 1 アア\n2 2 2 イイ\n2 3 3 ウウ\n馬連 1-2 500円 1-3 800円")
            << QList<bool>{false, true} << "01 03 000800"
            << "同着";
        QTest::newRow("no result") << QStringLiteral("出馬表\n1 アア") << QList<bool>{} << "02 05 000300"
                                   << "読めませんでした";
    }
    void paste_fillsTheBoxes()
    {
        QFETCH(QString, page);
        QFETCH(QList<bool>, answers);
        TempFolder folder;
        WRITE_RACE(raceFile, sampleRace("99/05/16", 7, "テスト"), results(num(2), num(5), num(300)));
        const QByteArray before = fileBytes(raceFile);
        AppHarness app;
        const Screen6 s = open(app);
        clickRow(s.list, 0);
        app.dialogs.confirmAnswers.assign(answers.begin(), answers.end());
        QApplication::clipboard()->setText(page);
        QTest::keyClick(s.first, Qt::Key_V, Qt::ControlModifier);

        const QString shown = QStringList{s.first->text(), s.second->text(), s.payout->text()}.join(u' ');
        QTEST(shown, "boxes");
        QFETCH(QString, asked);
        QCOMPARE(app.dialogs.asked.size(), asked.isEmpty() ? 0 : std::size_t(answers.size() + answers.isEmpty()));
        if (!asked.isEmpty())
            QVERIFY2(app.dialogs.asked.front().text.contains(asked), qPrintable(app.dialogs.asked.front().text));
        QCOMPARE(fileBytes(raceFile), before);
        QVERIFY(app.dialogs.confirmAnswers.empty());
    }

    // Numbers as typed with the input method on, with separators and 円, from the boxes to the file, the list line
    // and back into the box when the race is picked again.
    void write_takesNumbersAsTyped_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("confirmed"); // the boxes after Enter
        QTest::addColumn<QByteArrayList>("written");
        QTest::addColumn<QString>("linePiece");
        QTest::newRow("full-width digits") << QStringList{"１８", "０３", "８７０"} << QStringList{"18", "03", "000870"}
                                           << QByteArrayList{" 18 ", " 3 ", " 870 "} << "配当金：000870円";
        QTest::newRow("seven-digit payout with separators and yen")
            << QStringList{"8", "3", "1,234,560円"} << QStringList{"08", "03", "1234560"}
            << QByteArrayList{" 8 ", " 3 ", " 1234560 "} << "配当金：1234560円";
        QTest::newRow("nine-digit payout in full width")
            << QStringList{"5", "12", "１２３，４５６，７８９円"} << QStringList{"05", "12", "123456789"}
            << QByteArrayList{" 5 ", " 12 ", " 123456789 "} << "配当金：123456789円";
        QTest::newRow("largest payout") << QStringList{"5", "12", "999,999,999,999"}
                                        << QStringList{"05", "12", "999999999999"}
                                        << QByteArrayList{" 5 ", " 12 ", " 999999999999 "} << "配当金：999999999999円";
    }
    void write_takesNumbersAsTyped()
    {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, confirmed);
        QFETCH(QByteArrayList, written);
        QFETCH(QString, linePiece);
        TempFolder folder;
        WRITE_RACE(raceFile, sampleRace("99/05/16", 7, "テスト"), results({}, {}, {}));
        AppHarness app;
        const Screen6 s = open(app);
        clickRow(s.list, 0);
        QLineEdit* boxes[] = {s.first, s.second, s.payout};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(QApplication::focusWidget(), boxes[i]);
            typeText(boxes[i], typed[i]);
            QTest::keyClick(boxes[i], Qt::Key_Return);
            QCOMPARE(boxes[i]->text(), confirmed[i]);
        }
        QTest::keyClick(s.write, Qt::Key_Return);
        QCOMPARE(app.dialogs.count("error"), 0);
        QCOMPARE(fileLines(raceFile).mid(firstResultLine, 3), written);
        QVERIFY2(s.list->item(0)->text().contains(linePiece), qPrintable(s.list->item(0)->text()));
        clickRow(s.list, 0);
        QCOMPARE(s.payout->text(), confirmed[2]);
    }

    // A box that holds something but no number is refused before anything is asked or written; what was typed stays.
    void write_refusesABoxItCannotTake_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("first place in kanji") << "Text1"
                                              << "一"
                                              << "「一着」には馬番を数で入力してください。";
        QTest::newRow("second place letters") << "Text2"
                                              << "x"
                                              << "「二着」には馬番を数で入力してください。";
        QTest::newRow("payout in words") << "Text3"
                                         << "千円"
                                         << "「配当金」には金額を数で入力してください。";
        // A payout the totals could not count exactly.
        const QString range = QStringLiteral("「配当金」には0～999,999,999,999円の整数を入力してください。");
        QTest::newRow("payout one more than the largest") << "Text3"
                                                          << "1000000000000" << range;
        QTest::newRow("payout -1") << "Text3"
                                   << "-1" << range;
        QTest::newRow("payout 2^63") << "Text3"
                                     << "9223372036854775808" << range;
    }
    void write_refusesABoxItCannotTake()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        TempFolder folder;
        WRITE_RACE(raceFile, sampleRace("99/05/16", 7, "テスト"), results(num(2), num(5), num(300)));
        const QByteArray before = fileBytes(raceFile);
        AppHarness app;
        const Screen6 s = open(app);
        clickRow(s.list, 0);
        auto* edit = app.find<QLineEdit>(ScreenId::Form6, box);
        edit->setText(typed);
        QTest::mouseClick(s.write, Qt::LeftButton);
        QCOMPARE(app.dialogs.count("confirm"), 0);
        QCOMPARE(app.dialogs.count("error"), 1);
        QTEST(app.dialogs.asked.back().text, "message");
        QCOMPARE(fileBytes(raceFile), before);
        QCOMPARE(edit->text(), typed);
        QCOMPARE(QApplication::focusWidget(), edit);
        QVERIFY(s.write->isVisible());
    }

    // A result that cannot be is named in the question; OK still writes it.
    void write_namesImpossibleResults_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QStringList>("warnings");
        QTest::newRow("a possible result") << "3"
                                           << "8" << QStringList{};
        QTest::newRow("no result") << "00"
                                   << "00" << QStringList{};
        QTest::newRow("the last horse of 18 runners") << "18"
                                                      << "3" << QStringList{};
        QTest::newRow("first beyond 18 runners")
            << "19"
            << "3" << QStringList{"一着の馬番19は、このレースの出走頭数（18頭）より大きい数です。"};
        QTest::newRow("the same horse twice") << "5"
                                              << "5" << QStringList{"一着と二着が同じ馬番5です。"};
        QTest::newRow("both beyond, and the same")
            << "２０"
            << "20"
            << QStringList{"一着の馬番20は、このレースの出走頭数（18頭）より大きい数です。",
                           "二着の馬番20は、このレースの出走頭数（18頭）より大きい数です。",
                           "一着と二着が同じ馬番20です。"};
    }
    void write_namesImpossibleResults()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QStringList, warnings);
        TempFolder folder;
        WRITE_RACE(raceFile, sampleRace("99/05/16", 7, "テスト"), results({}, {}, {}));
        AppHarness app;
        const Screen6 s = open(app);
        clickRow(s.list, 0);
        s.first->setText(first);
        s.second->setText(second);
        s.payout->setText(QStringLiteral("000000"));
        QTest::mouseClick(s.write, Qt::LeftButton);
        QCOMPARE(app.dialogs.count("confirm"), 1);
        QCOMPARE(app.dialogs.asked.back().text,
                 (warnings + QStringList{QStringLiteral("データを書き換えますがよろしいですか？")}).join(u'\n'));
        const QList<QByteArray> lines = fileLines(raceFile);
        QCOMPARE(lines[firstResultLine].trimmed(), QString::number(numberValue(first)).toLatin1());
        QCOMPARE(lines[firstResultLine + 1].trimmed(), QString::number(numberValue(second)).toLatin1());
    }

    void write_cancelLeavesTheFileButStillRelists()
    {
        TempFolder folder;
        WRITE_RACE(raceFile, sampleRace("99/05/16", 7, "テスト"), results(num(2), num(5), num(300)));
        const QByteArray before = fileBytes(raceFile);
        AppHarness app;
        app.dialogs.confirmAnswers = {false};
        const Screen6 s = open(app);
        clickRow(s.list, 0);
        QTest::keyClicks(s.first, "9");
        QTest::mouseClick(s.write, Qt::LeftButton);
        QCOMPARE(app.dialogs.count("confirm"), 1);
        QCOMPARE(fileBytes(raceFile), before);
        verifyListing(s);
        QCOMPARE(s.list->count(), 1);
        QVERIFY(s.list->item(0)->text().contains(QStringLiteral("一着：02番")));
    }

    void delete_removesTheFileOnlyOnOk_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void delete_removesTheFileOnlyOnOk()
    {
        QFETCH(bool, answer);
        TempFolder folder;
        WRITE_RACE(QStringLiteral("a.tkr"), sampleRace("99/05/16", 1, "一つ目"), results({}, {}, {}));
        WRITE_RACE(QStringLiteral("b.tkr"), sampleRace("99/05/16", 2, "二つ目"), results({}, {}, {}));
        const QByteArray before = fileBytes(QStringLiteral("b.tkr"));
        AppHarness app;
        app.dialogs.confirmAnswers = {answer};
        const Screen6 s = open(app);
        clickRow(s.list, 1);
        QTest::mouseClick(s.remove, Qt::LeftButton);
        QCOMPARE(app.dialogs.asked.back().text, QStringLiteral("データを削除しますがよろしいですか？"));
        QCOMPARE(app.dialogs.asked.back().title, QStringLiteral("データの削除"));
        QCOMPARE(QFile::exists(QStringLiteral("b.tkr")), !answer);
        if (!answer)
            QCOMPARE(fileBytes(QStringLiteral("b.tkr")), before);
        QVERIFY(QFile::exists(QStringLiteral("a.tkr")));
        verifyListing(s);
        QCOMPARE(s.list->count(), answer ? 1 : 2);
    }

    void write_toAVanishedFileSaysSoAndRelists()
    {
        TempFolder folder;
        WRITE_RACE(QStringLiteral("a.tkr"), sampleRace("99/05/16", 1, "一つ目"), results({}, {}, {}));
        WRITE_RACE(raceFile, sampleRace("99/05/16", 7, "テスト"), results({}, {}, {}));
        AppHarness app;
        const Screen6 s = open(app);
        clickRow(s.list, 1);
        QVERIFY(QFile::remove(raceFile));
        QTest::mouseClick(s.write, Qt::LeftButton);
        QCOMPARE(app.dialogs.count("error"), 1);
        QVERIFY(!QFile::exists(raceFile));
        verifyListing(s);
        QCOMPARE(s.list->count(), 1);
    }

    void write_thatCannotMakeItsTemporaryFileChangesNothing()
    {
        TempFolder folder;
        WRITE_RACE(raceFile, sampleRace("99/05/16", 7, "テスト"), results(num(2), num(5), num(300)));
        const QByteArray before = fileBytes(raceFile);
        // A folder where the temporary file belongs: it cannot be created, even by an administrator.
        QVERIFY(QDir().mkdir(QStringLiteral("TKR.tmp")));
        AppHarness app;
        const Screen6 s = open(app);
        clickRow(s.list, 0);
        QTest::keyClicks(s.first, "9");
        QTest::mouseClick(s.write, Qt::LeftButton);
        QCOMPARE(app.dialogs.count("error"), 1);
        QCOMPARE(fileBytes(raceFile), before);
        verifyListing(s);
        QCOMPARE(s.list->count(), 1);
    }

    void pick_ofADamagedFileSaysSoAndOffersOnlyDeletion()
    {
        TempFolder folder;
        {
            QFile junk(QStringLiteral("junk.tkr"));
            QVERIFY(junk.open(QIODevice::WriteOnly));
            junk.write("99/05/16\r\n 7 \r\nname\r\n\r\n\r\n\r\n 4 \r\n 99 \r\n 0 \r\n");
        }
        AppHarness app;
        const Screen6 s = open(app);
        QCOMPARE(s.list->count(), 1);
        clickRow(s.list, 0);
        QCOMPARE(app.dialogs.count("error"), 1);
        QVERIFY(!s.write->isVisible());
        QVERIFY(s.remove->isVisible());
        QTest::mouseClick(s.remove, Qt::LeftButton);
        QVERIFY(!QFile::exists(QStringLiteral("junk.tkr")));
        QCOMPARE(s.list->count(), 0);
    }

    void write_goesToThePickedRaceEvenWhenTheListCursorMoved()
    {
        TempFolder folder;
        WRITE_RACE(QStringLiteral("a.tkr"), sampleRace("99/05/16", 1, "一つ目"), results({}, {}, {}));
        WRITE_RACE(QStringLiteral("b.tkr"), sampleRace("99/05/16", 2, "二つ目"), results({}, {}, {}));
        const QByteArray untouched = fileBytes(QStringLiteral("b.tkr"));
        AppHarness app;
        const Screen6 s = open(app);
        clickRow(s.list, 0);
        QTest::keyClicks(s.first, "4");
        s.list->setCurrentRow(1); // the arrow keys move the cursor without picking
        QTest::mouseClick(s.write, Qt::LeftButton);
        QCOMPARE(fileLines(QStringLiteral("a.tkr"))[firstResultLine], QByteArray(" 4 "));
        QCOMPARE(fileBytes(QStringLiteral("b.tkr")), untouched);
    }

    void back_closesAndClearsTheRace()
    {
        TempFolder folder;
        AppHarness app;
        const Screen6 s = open(app);
        app.module.race = sampleRace("99/05/16", 7, "テスト");
        app.module.race.ticketCount = 4;
        QTest::mouseClick(s.back, Qt::LeftButton);
        QVERIFY(!app.nav().isLoaded(ScreenId::Form6));
        QVERIFY(app.nav().isLoaded(ScreenId::Form2));
        QVERIFY(app.module.race.raceName.isEmpty());
        QVERIFY(app.module.race.raceDate.isEmpty());
        QCOMPARE(app.module.race.runnerCount, std::int16_t(0));
        // Marks are the mark sheet's to clear.
        QCOMPARE(app.module.race.markSheet[2][0], std::int16_t(10));
    }

    void unload_leavesTicketCountZero()
    {
        TempFolder folder;
        AppHarness app;
        app.nav().show(ScreenId::Form6);
        app.module.race.ticketCount = 4;
        app.nav().close(ScreenId::Form6);
        QCOMPARE(app.module.race.ticketCount, std::int16_t(0));
    }

    void list_showsWholeLines()
    {
        TempFolder folder;
        WRITE_RACE(QStringLiteral("a.tkr"), sampleRace("99/05/16", 1, "二十文字の長い長い長い長いレース名前です"),
                   results(num(12), num(18), num(999999)));
        WRITE_RACE(QStringLiteral("b.tkr"), sampleRace("99/05/16", 7, "short"), results({}, {}, {}));
        writeFillerRaces(30);
        AppHarness app;
        const Screen6 s = open(app);
        QCOMPARE(s.list->count(), 32);
        QCOMPARE(s.list->item(0)->text().size(), 74);
        verifyLinesFit(s.list);
        clickRow(s.list, 0);
        const QFontMetrics metrics(s.picked->font());
        QVERIFY(metrics.horizontalAdvance(s.picked->text()) <= s.picked->contentsRect().width());
    }
};

TOKIRO_TEST_MAIN(ResultEntryTest)
#include "test_result_entry.moc"
