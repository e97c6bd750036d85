#include "core/race_date.h"
#include "entry_helpers.h"
#include "racefile/cp932.h"
#include "racefile/race_file.h"
#include "screens/race_conditions_screen.h"
#include "temp_folder.h"
#include "test_main.h"

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QFile>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>

using entry::settle;

class RaceConditionsScreenTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<AppHarness> app;

    QLineEdit* box(const char* name) { return app->find<QLineEdit>(ScreenId::Form3, QString::fromUtf8(name)); }
    QListWidget* list(const char* name) { return app->find<QListWidget>(ScreenId::Form3, QString::fromUtf8(name)); }
    QWidget* focused() const { return QApplication::focusWidget(); }

    // Types into whatever has the focus, then Enter, as a user without a mouse does.
    void typeHere(const QString& text) { entry::typeAndEnter(focused(), text); }

    void openForm3()
    {
        app->nav().show(ScreenId::Form3);
        QVERIFY(app->nav().isLoaded(ScreenId::Form3));
    }

private slots:
    void init()
    {
        app = std::make_unique<AppHarness>();
        app->module.race.ticketCount = 4;
    }
    void cleanup()
    {
        app.reset();
        settle();
    }

    void wholeFormByEnterAlone()
    {
        openForm3();
        QCOMPARE(focused(), box("Text1"));
        typeHere(QStringLiteral("99/7/5"));
        QCOMPARE(box("Text1")->text(), QStringLiteral("99/07/05"));
        QCOMPARE(focused(), box("Text2"));
        typeHere(QStringLiteral("11"));
        QCOMPARE(focused(), box("Text3"));
        typeHere(QStringLiteral("有馬記念"));
        QCOMPARE(focused(), box("Text4"));
        QVERIFY(list("List1")->isVisible());
        typeHere(QStringLiteral("ＧⅠ"));
        QVERIFY(!list("List1")->isVisible());
        QCOMPARE(focused(), box("Text5"));
        QVERIFY(list("List2")->isVisible());
        typeHere(QStringLiteral("中山競馬場"));
        QVERIFY(!list("List2")->isVisible());
        QCOMPARE(focused(), box("Text6"));
        QVERIFY(list("List3")->isVisible());
        typeHere(QStringLiteral("2500m"));
        QVERIFY(!list("List3")->isVisible());
        QCOMPARE(focused(), box("Text7"));
        typeHere(QStringLiteral("16頭"));
        QCOMPARE(focused(), app->find<QWidget>(ScreenId::Form3, QStringLiteral("Command2")));
        QTest::keyClick(focused(), Qt::Key_Enter);
        settle();

        const RaceState& race = app->module.race;
        QCOMPARE(race.raceDate, QStringLiteral("99/07/05"));
        QCOMPARE(race.raceNumber, std::int16_t(11));
        QCOMPARE(race.raceName, QStringLiteral("有馬記念"));
        QCOMPARE(race.gradedText, QStringLiteral("ＧⅠ"));
        QCOMPARE(race.courseName, QStringLiteral("中山競馬場"));
        QCOMPARE(race.distanceText, QStringLiteral("2500m"));
        QCOMPARE(race.runnerCount, std::int16_t(16));
        QVERIFY(!app->nav().isLoaded(ScreenId::Form3));
        QCOMPARE(app->nav().front()->screenId(), ScreenId::Form4);
    }

    // Enter in the date box: a date in any form is shown as YY/MM/DD and the focus moves on; anything else is named
    // in a message and stays as typed, with the focus in the box to mend it; an empty box moves on. (Every form is
    // in the date reader's own test.) Today is 9 December 2026: two-digit years are read in 1947..2046.
    void dateBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("problem"); // empty: no message
        const QString thisYear = QStringLiteral("26");
        QTest::newRow("short parts") << "99/7/5"
                                     << "99/07/05"
                                     << "";
        QTest::newRow("和暦 with full-width digits") << "令和６年５月２６日"
                                                     << "24/05/26"
                                                     << "";
        QTest::newRow("six digits") << "240526"
                                    << "24/05/26"
                                    << "";
        QTest::newRow("month and day only") << "5月26日" << thisYear + "/05/26"
                                            << "";
        QTest::newRow("29 Feb 1999 does not exist") << "99/2/29"
                                                    << "99/2/29"
                                                    << "「レース日付は？」の「99/2/29」は日付にできません。"
                                                       "1999年2月29日という日はありません。";
        QTest::newRow("平成32年") << "平成32年5月1日"
                                  << "平成32年5月1日"
                                  << "「レース日付は？」の「平成32年5月1日」は日付にできません。"
                                     "平成は2019年4月30日までです。";
        QTest::newRow("after 2029") << "2030/1/5"
                                    << "30/01/05"
                                    << "";
        QTest::newRow("after 2029 in 令和") << "R12.1.5"
                                            << "30/01/05"
                                            << "";
        QTest::newRow("after the window") << "2047/1/1"
                                          << "2047/1/1"
                                          << "「レース日付は？」の「2047/1/1」は日付にできません。"
                                             "年は下二けたで保存するので、1947年から2046年までの日付にしてください。";
        QTest::newRow("not a date") << "あした"
                                    << "あした"
                                    << "「レース日付は？」の「あした」は日付にできません。日付は";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
    }
    void dateBox()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, problem);
        const RaceDateTodayForTests today(QDate(2026, 12, 9));
        openForm3();
        entry::typeAndEnter(box("Text1"), typed);
        QCOMPARE(box("Text1")->text(), shown);
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), problem.isEmpty() ? 0 : 1);
        if (!problem.isEmpty()) {
            QVERIFY2(app->dialogs.asked.back().text.startsWith(problem), qPrintable(app->dialogs.asked.back().text));
            QCOMPARE(app->dialogs.asked.back().title, QStringLiteral("入力の確認"));
        }
        QCOMPARE(focused(), box(problem.isEmpty() ? "Text2" : "Text1"));
        // The date reaches the race only through "次のデータ入力へ".
        QCOMPARE(app->module.race.raceDate, QString());
    }

    // "次のデータ入力へ" reads a date typed without Enter as Enter does, so that a typo is not stored; a date the race
    // already had goes on unread, as older races were saved.
    void nextReadsTheDate_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("raceDate"); // empty: refused, the race keeps its date
        QTest::newRow("a new date") << ""
                                    << "R6.5.26"
                                    << "24/05/26";
        QTest::newRow("a typo") << ""
                                << "24/2/30"
                                << "";
        QTest::newRow("an older race's text, untouched") << "ダービーの日"
                                                         << "ダービーの日"
                                                         << "ダービーの日";
        QTest::newRow("an empty box") << "24/05/26"
                                      << ""
                                      << "";
    }
    void nextReadsTheDate()
    {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(QString, raceDate);
        app->module.race.raceDate = stored;
        openForm3();
        box("Text1")->setText(typed);
        QVERIFY(app->click(ScreenId::Form3, QStringLiteral("Command2")));
        settle();
        const bool refused = raceDate.isEmpty() && !typed.isEmpty();
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), refused ? 1 : 0);
        QCOMPARE(app->nav().front()->screenId(), refused ? ScreenId::Form3 : ScreenId::Form4);
        QCOMPARE(app->module.race.raceDate, refused ? stored : raceDate);
        if (refused)
            QCOMPARE(focused(), box("Text1"));
    }

    void pickLists_data()
    {
        QTest::addColumn<QString>("boxName");
        QTest::addColumn<QString>("listName");
        QTest::addColumn<QString>("nextName");
        QTest::addColumn<QRect>("place"); // in pixels
        QTest::addColumn<int>("items");
        QTest::addColumn<QString>("picked");
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("graded, double click") << "Text4"
                                              << "List1"
                                              << "Text5" << QRect(587, 167, 100, 60) << 3 << "ＧⅢ" << false;
        QTest::newRow("course, double click") << "Text5"
                                              << "List2"
                                              << "Text6" << QRect(587, 167, 120, 173) << 10 << "阪神競馬場" << false;
        QTest::newRow("course, Enter") << "Text5"
                                       << "List2"
                                       << "Text6" << QRect(587, 167, 120, 173) << 10 << "小倉競馬場" << true;
        QTest::newRow("distance, Enter") << "Text6"
                                         << "List3"
                                         << "Text7" << QRect(587, 167, 100, 187) << 11 << "1200m" << true;
    }
    void pickLists()
    {
        QFETCH(QString, boxName);
        QFETCH(QString, listName);
        QFETCH(QString, nextName);
        QFETCH(QRect, place);
        QFETCH(int, items);
        QFETCH(QString, picked);
        QFETCH(bool, byEnter);
        openForm3();
        auto* pick = app->find<QListWidget>(ScreenId::Form3, listName);
        auto* target = app->find<QLineEdit>(ScreenId::Form3, boxName);
        QVERIFY(!pick->isVisible());
        QCOMPARE(pick->count(), items);

        target->setFocus();
        QVERIFY(pick->isVisible());
        // At its place and width, and tall enough to show every item without a scroll bar.
        const QRect given = place;
        QCOMPARE(pick->geometry().topLeft(), given.topLeft());
        QCOMPARE(pick->width(), given.width());
        QVERIFY(pick->height() >= given.height());
        QVERIFY(!pick->verticalScrollBar()->isVisible());
        QVERIFY(!pick->horizontalScrollBar()->isVisible());
        for (int row = 0; row < pick->count(); ++row)
            QVERIFY2(pick->viewport()->rect().contains(pick->visualItemRect(pick->item(row))),
                     qPrintable(pick->item(row)->text()));

        QListWidgetItem* item = pick->findItems(picked, Qt::MatchExactly).value(0);
        QVERIFY(item);
        if (byEnter) {
            // Into the list with the mouse, down to the item with the arrow keys, then Enter.
            pick->setFocus();
            // The first item is only current until an arrow key selects it.
            QTest::keyClick(pick, Qt::Key_End);
            QTest::keyClick(pick, Qt::Key_Home);
            for (int row = 0; row < pick->row(item); ++row)
                QTest::keyClick(pick, Qt::Key_Down);
            QTest::keyClick(pick, Qt::Key_Return);
        } else {
            pick->scrollToItem(item);
            // A double click is a press and release followed by the double-click press.
            const QPoint at = pick->visualItemRect(item).center();
            QTest::mouseClick(pick->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(pick->viewport(), Qt::LeftButton, {}, at);
        }
        QCOMPARE(target->text(), picked);
        QVERIFY(!pick->isVisible());
        QCOMPARE(focused(), app->find<QWidget>(ScreenId::Form3, nextName));
    }

    void enterInListWithoutSelection()
    {
        openForm3();
        box("Text5")->setText(QStringLiteral("大井"));
        box("Text5")->setFocus();
        list("List2")->setFocus();
        list("List2")->clearSelection();
        QTest::keyClick(list("List2"), Qt::Key_Return);
        QCOMPARE(box("Text5")->text(), QStringLiteral("大井"));
        QVERIFY(list("List2")->isVisible());
    }

    void refusedNumbers_data()
    {
        QTest::addColumn<QString>("raceNumber");
        QTest::addColumn<QString>("runners");
        QTest::addColumn<QString>("backTo");
        QTest::addColumn<QString>("messagePart");
        QTest::newRow("race number beyond 16 bits") << "40000"
                                                    << "8"
                                                    << "Text2"
                                                    << "1から12までのレース番号";
        QTest::newRow("race number below 16 bits") << "-32769"
                                                   << "8"
                                                   << "Text2"
                                                   << "1から12までのレース番号";
        QTest::newRow("race number without a number") << "第七"
                                                      << "8"
                                                      << "Text2"
                                                      << "「何レースですか？」";
        QTest::newRow("22 runners") << "11"
                                    << "22"
                                    << "Text7"
                                    << "競争馬は";
        QTest::newRow("21.5 runners rounds to 22") << "11"
                                                   << "21.5"
                                                   << "Text7"
                                                   << "競争馬は";
        QTest::newRow("negative runners") << "11"
                                          << "-1"
                                          << "Text7"
                                          << "競争馬は";
        QTest::newRow("runners beyond 16 bits") << "11"
                                                << "99999"
                                                << "Text7"
                                                << "競争馬は";
        QTest::newRow("runners in kanji") << "11"
                                          << "十八頭"
                                          << "Text7"
                                          << "競争馬は";
    }
    void refusedNumbers()
    {
        QFETCH(QString, raceNumber);
        QFETCH(QString, runners);
        QFETCH(QString, backTo);
        QFETCH(QString, messagePart);
        app->module.race.raceName = QStringLiteral("前のレース");
        app->module.race.runnerCount = 5;
        openForm3();
        box("Text3")->setText(QStringLiteral("新しいレース"));
        box("Text2")->setText(raceNumber);
        box("Text7")->setText(runners);
        QVERIFY(app->click(ScreenId::Form3, QStringLiteral("Command2")));
        settle();
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 1);
        QVERIFY2(app->dialogs.asked.back().text.contains(messagePart), qPrintable(app->dialogs.asked.back().text));
        QVERIFY(!app->dialogs.asked.back().text.contains(QStringLiteral("32767")));
        QVERIFY(app->nav().isLoaded(ScreenId::Form3));
        QCOMPARE(app->nav().front()->screenId(), ScreenId::Form3);
        QCOMPARE(focused(), app->find<QWidget>(ScreenId::Form3, backTo));
        QCOMPARE(app->module.race.raceName, QStringLiteral("前のレース"));
        QCOMPARE(app->module.race.runnerCount, std::int16_t(5));
    }

    // Numbers as typed with the input method still on, or with separators and units.
    void numbersAsTyped_data()
    {
        QTest::addColumn<QString>("raceNumber");
        QTest::addColumn<QString>("runners");
        QTest::addColumn<int>("storedNumber");
        QTest::addColumn<int>("storedRunners");
        QTest::newRow("full-width digits") << "１１"
                                           << "１８" << 11 << 18;
        QTest::newRow("leading zero and a unit") << "０７"
                                                 << "16頭" << 7 << 16;
        QTest::newRow("ideographic space and full-width plus") << "\u3000＋３"
                                                               << "２１" << 3 << 21;
        QTest::newRow("empty boxes") << ""
                                     << "" << 0 << 0;
    }
    void numbersAsTyped()
    {
        QFETCH(QString, raceNumber);
        QFETCH(QString, runners);
        openForm3();
        entry::type(box("Text2"), raceNumber);
        entry::type(box("Text7"), runners);
        QVERIFY(app->click(ScreenId::Form3, QStringLiteral("Command2")));
        settle();
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 0);
        QTEST(int(app->module.race.raceNumber), "storedNumber");
        QTEST(int(app->module.race.runnerCount), "storedRunners");
        QCOMPARE(app->nav().front()->screenId(), ScreenId::Form4);
    }

    // The runner count is compared as typed: 3.4 over 3 is a change and opens a fresh sheet, although it rounds to 3.
    void runnerCountComparedBeforeRounding_data()
    {
        QTest::addColumn<QString>("runners");
        QTest::addColumn<bool>("fresh");
        QTest::newRow("3 again") << "3" << false;
        QTest::newRow("full-width 3 again") << "３" << false;
        QTest::newRow("3.4") << "3.4" << true;
        QTest::newRow("4") << "4" << true;
    }
    void runnerCountComparedBeforeRounding()
    {
        QFETCH(QString, runners);
        QFETCH(bool, fresh);
        app->module.race.runnerCount = 3;
        app->nav().show(ScreenId::Form4);
        app->module.race.markSheet[0][0] = 2;
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command1")));
        box("Text7")->setText(runners);
        QVERIFY(app->click(ScreenId::Form3, QStringLiteral("Command2")));
        settle();
        QCOMPARE(app->module.race.markSheet[0][0], std::int16_t(fresh ? 0 : 2));
        QCOMPARE(app->nav().front()->screenId(), ScreenId::Form4);
    }

    // A loaded race given another day or race number is another race: the sheet keeps its marks, but the result and
    // money of the loaded race are not saved with it. Corrections of the other answers keep them.
    void changedRaceDropsTheOldResult_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("dropped");
        QTest::newRow("another date") << "Text1"
                                      << "99/05/23" << true;
        QTest::newRow("the same date written otherwise") << "Text1"
                                                         << "99/5/16" << false;
        QTest::newRow("another race number") << "Text2"
                                             << "8" << true;
        QTest::newRow("the same race number in full width") << "Text2"
                                                            << "０７" << false;
        QTest::newRow("another name") << "Text3"
                                      << "日本ダービー" << false;
        QTest::newRow("another class") << "Text4"
                                       << "ＧⅡ" << false;
        QTest::newRow("another course") << "Text5"
                                        << "京都競馬場" << false;
        QTest::newRow("another distance") << "Text6"
                                          << "2000m" << false;
    }
    void changedRaceDropsTheOldResult()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(bool, dropped);
        TempFolder folder;
        RaceState race;
        race.raceDate = QStringLiteral("99/05/16");
        race.raceNumber = 7;
        race.runnerCount = 2;
        race.ticketCount = 4;
        race.markSheet[1][0] = 3;
        const TailLines tail{TailValue::ofNumber(2), TailValue::ofNumber(1), TailValue::ofText("450"),
                             TailValue::ofNumber(1000), TailValue::ofNumber(2500000000.0)};
        QVERIFY(writeRaceFile(QStringLiteral("old.tkr"), race, tail).ok);
        // The dialog's bare names are in the race folder.
        app->module.raceFolder = folder.path();

        app->nav().show(ScreenId::Form4);
        app->dialogs.fileAnswers = {QStringLiteral("old.tkr")};
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command8")));
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command1")));
        app->find<QLineEdit>(ScreenId::Form3, box)->setText(typed);
        QVERIFY(app->click(ScreenId::Form3, QStringLiteral("Command2")));
        settle();
        QCOMPARE(app->module.race.markSheet[1][0], std::int16_t(3));
        app->dialogs.fileAnswers = {QStringLiteral("new.tkr")};
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command9")));

        QList<QByteArray> lines = fileBytes(QStringLiteral("new.tkr")).split('\n');
        QCOMPARE(lines.size(), 14 + 7 * 2 + 1);
        const QList<QByteArray> tailLines = lines.mid(9 + 7 * 2, 5);
        const QList<QByteArray> expected =
            dropped ? QList<QByteArray>{"\r", "\r", "\r", "\r", " 0 \r"}
                    : QList<QByteArray>{" 2 \r", " 1 \r", "450\r", " 1000 \r", " 2500000000 \r"};
        QCOMPARE(tailLines, expected);
    }

    void acceptedEdgeNumbers()
    {
        openForm3();
        box("Text2")->setText(QStringLiteral("-32768"));
        box("Text7")->setText(QStringLiteral("21"));
        QVERIFY(app->click(ScreenId::Form3, QStringLiteral("Command2")));
        settle();
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 0);
        QCOMPARE(app->module.race.raceNumber, std::int16_t(-32768));
        QCOMPARE(app->module.race.runnerCount, std::int16_t(21));
    }

    void opensWithRaceState_data()
    {
        QTest::addColumn<int>("raceNumber");
        QTest::addColumn<int>("runners");
        QTest::addColumn<QString>("numberShown");
        QTest::addColumn<QString>("runnersShown");
        QTest::newRow("zeros show as empty boxes") << 0 << 0 << ""
                                                   << "";
        QTest::newRow("numbers") << 7 << 18 << "7"
                                 << "18";
    }
    void opensWithRaceState()
    {
        QFETCH(int, raceNumber);
        QFETCH(int, runners);
        QFETCH(QString, numberShown);
        QFETCH(QString, runnersShown);
        app->module.race.raceDate = QStringLiteral("24/12/22");
        app->module.race.raceNumber = static_cast<std::int16_t>(raceNumber);
        app->module.race.runnerCount = static_cast<std::int16_t>(runners);
        app->module.race.courseName = QStringLiteral("中山競馬場");
        openForm3();
        QCOMPARE(box("Text1")->text(), QStringLiteral("24/12/22"));
        QCOMPARE(box("Text2")->text(), numberShown);
        QCOMPARE(box("Text5")->text(), QStringLiteral("中山競馬場"));
        QCOMPARE(box("Text7")->text(), runnersShown);
        QCOMPARE(box("Text2")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        QCOMPARE(box("Text2")->geometry(), QRect(368, 224, 33, 24));
        QCOMPARE(box("Text4")->geometry(), QRect(368, 303, 49, 24));
        QVERIFY(box("Text1")->testAttribute(Qt::WA_InputMethodEnabled));
        QVERIFY(box("Text3")->testAttribute(Qt::WA_InputMethodEnabled));
        // What an input method asks the box decides whether it converts keys for it: a QLineEdit answers yes on its
        // own, so the boxes of numbers must answer no; the date is typed in kanji too.
        auto acceptsInputMethod = [](QWidget* widget) {
            QInputMethodQueryEvent query(Qt::ImEnabled | Qt::ImHints);
            QCoreApplication::sendEvent(widget, &query);
            return query.value(Qt::ImEnabled).toBool();
        };
        for (const char* off : {"Text2", "Text6", "Text7"})
            QVERIFY2(!acceptsInputMethod(box(off)), off);
        for (const char* on : {"Text1", "Text3", "Text4", "Text5"})
            QVERIFY2(acceptsInputMethod(box(on)), on);
    }

    void clearAsksFirst_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void clearAsksFirst()
    {
        QFETCH(bool, ok);
        RaceState& race = app->module.race;
        race.raceName = QStringLiteral("有馬記念");
        race.raceNumber = 11;
        race.runnerCount = 3;
        race.ticketCount = 7;
        race.aimMode = 1;
        app->nav().show(ScreenId::Form4);
        app->nav().show(ScreenId::Form5);
        openForm3();
        box("Text6")->setFocus();
        app->dialogs.confirmAnswers.push_back(ok);
        QTest::mouseClick(app->find<QPushButton>(ScreenId::Form3, QStringLiteral("Command3")), Qt::LeftButton);
        settle();

        QCOMPARE(app->dialogs.count(QStringLiteral("confirm")), 1);
        QCOMPARE(app->dialogs.asked.back().text, QStringLiteral("データをクリアしますがよろしいですか？"));
        QCOMPARE(app->dialogs.asked.back().title, QStringLiteral("データのクリア"));
        QCOMPARE(race.raceName, ok ? QString() : QStringLiteral("有馬記念"));
        QCOMPARE(race.raceNumber, std::int16_t(ok ? 0 : 11));
        QCOMPARE(race.runnerCount, std::int16_t(ok ? 0 : 3));
        QCOMPARE(race.ticketCount, std::int16_t(ok ? 4 : 7));
        QCOMPARE(race.aimMode, std::int16_t(ok ? 0 : 1));
        QCOMPARE(box("Text3")->text(), ok ? QString() : QStringLiteral("有馬記念"));
        QCOMPARE(box("Text7")->text(), ok ? QString() : QStringLiteral("3"));
        QCOMPARE(app->nav().isLoaded(ScreenId::Form4), !ok);
        QCOMPARE(app->nav().isLoaded(ScreenId::Form5), !ok);
        QCOMPARE(list("List2")->count(), 10);
        QCOMPARE(app->nav().front()->screenId(), ScreenId::Form3);
    }

    // A race card pasted: what was read is shown first, and goes into the boxes only on OK, as if typed and confirmed
    // with Enter; "次のデータ入力へ" then takes the answers, the surface and the names as it takes typed ones.
    void raceCardPaste_data()
    {
        QTest::addColumn<QString>("how"); // the button, or Ctrl+V on a button or in a box
        QTest::addColumn<bool>("ok");
        QTest::newRow("button, OK") << "button" << true;
        QTest::newRow("button, cancel") << "button" << false;
        QTest::newRow("Ctrl+V on a button, OK") << "Command2" << true;
        QTest::newRow("Ctrl+V in a box, OK") << "Text3" << true;
    }
    void raceCardPaste()
    {
        QFETCH(QString, how);
        QFETCH(bool, ok);
        const RaceDateTodayForTests today(QDate(2024, 6, 1));
        TempFolder folder;
        openForm3();
        QApplication::clipboard()->setText(QStringLiteral(
            "トップ > 出馬表\n2024年5月26日(日) 2回東京12日\n東京11R 東京優駿(GⅠ) 芝2400m 3頭 15:40発走\n"
            "枠\t馬番\t馬名\t性齢\t騎手\tオッズ\t人気\n1\t1\tダノンデサイル\t牡3\t横山典\t46.6\t9\n"
            "2\t2\tシンエンペラー\t牡3\t坂井\t6.0\t3\n3\t3\tサンプルホース\t牡3\t松山\t取消\t\n広告\n"));
        app->dialogs.confirmAnswers.push_back(ok);
        if (how == u"button") {
            QVERIFY(app->click(ScreenId::Form3, QStringLiteral("cardPasteButton")));
        } else {
            QWidget* widget = app->find<QWidget>(ScreenId::Form3, how);
            widget->setFocus();
            QTest::keyClick(widget, Qt::Key_V, Qt::ControlModifier);
        }
        settle();
        QCOMPARE(app->dialogs.count(QStringLiteral("confirm")), 1);
        const QString shown = app->dialogs.asked.back().text;
        QCOMPARE(app->dialogs.asked.back().title, QStringLiteral("出馬表の貼り付け"));
        for (const char* line :
             {"日付：2024年5月26日", "レース：11R", "レース名：東京優駿", "重賞：ＧⅠ", "競馬場：東京競馬場",
              "距離：芝 2400m", "頭数：3頭",
              "馬名（3頭）：1 ダノンデサイル、2 シンエンペラー、3 サンプルホース（取消）", "3番は出走しない馬です。"})
            QVERIFY2(shown.contains(QString::fromUtf8(line)), qPrintable(shown));
        QVERIFY(!shown.contains(QStringLiteral("読めなかった")));

        const QStringList filled{"24/05/26", "11", "東京優駿", "ＧⅠ", "東京競馬場", "2400m", "3"};
        for (int i = 0; i < 7; ++i)
            QCOMPARE(box(qPrintable(QStringLiteral("Text%1").arg(i + 1)))->text(), ok ? filled[i] : QString());
        QLabel* surface = app->find<QLabel>(ScreenId::Form3, QStringLiteral("surfaceLabel"));
        QCOMPARE(surface->isVisible(), ok);
        QCOMPARE(app->module.race.raceName, QString()); // nothing is taken before "次のデータ入力へ"
        QCOMPARE(app->module.race.surface, RaceSurface::Unknown);
        if (!ok)
            return;
        QCOMPARE(surface->text(), QStringLiteral("芝"));
        QCOMPARE(focused(), app->find<QWidget>(ScreenId::Form3, QStringLiteral("Command2")));

        QTest::keyClick(focused(), Qt::Key_Return);
        settle();
        const RaceState& race = app->module.race;
        QCOMPARE(race.raceDate, QStringLiteral("24/05/26"));
        QCOMPARE(race.raceNumber, std::int16_t(11));
        QCOMPARE(race.gradedText, QStringLiteral("ＧⅠ"));
        QCOMPARE(race.runnerCount, std::int16_t(3));
        QCOMPARE(race.surface, RaceSurface::Turf);
        QCOMPARE(app->nav().front()->screenId(), ScreenId::Form4);
        // The names as the mark sheet keeps pasted ones: ー as ｜; the scratched runner marked.
        const QStringList names{"ダノンデサイル", "シンエンペラ｜", "サンプルホ｜ス（取消）"};
        for (int r = 0; r < 3; ++r) {
            QCOMPARE(race.runnerNames[r], names[r]);
            QCOMPARE(app->find<QPlainTextEdit>(ScreenId::Form4, QStringLiteral("Text1(%1)").arg(r))->toPlainText(),
                     names[r]);
        }
        QVERIFY(app->module.cardNames.empty());

        // The save carries the surface in its block after the income line.
        const QString path = folder.filePath(QStringLiteral("24052611.tkr"));
        app->dialogs.fileAnswers.push_back(path);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command9")));
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 0);
        LoadedRace saved;
        QVERIFY(readRaceFile(path, saved).ok);
        QCOMPARE(saved.race.surface, RaceSurface::Turf);
        QVERIFY(
            fileBytes(path).endsWith(QByteArray("\r\n 0 \r\n") + *encodeCp932(u"[コース] 1\r\n芝\r\n[/コース]\r\n")));
        QCOMPARE(saved.race.runnerNames[1], QStringLiteral("シンエンペラ｜"));
    }

    // What the card does not say is left for typing: the focus goes to the first such box, and what was typed there
    // stays. A name typed through the input method afterwards is taken as any typed name.
    void raceCardLeavesUnreadForTyping()
    {
        openForm3();
        box("Text5")->setText(QStringLiteral("阪神競馬場"));
        QApplication::clipboard()->setText(QStringLiteral("11R\n1 1 アアアアア 牡4\n2 2 イイイイイ 牝5\n"));
        QTest::keyClick(app->find<QWidget>(ScreenId::Form3, QStringLiteral("Command1")), Qt::Key_V,
                        Qt::ControlModifier);
        settle();
        const QString shown = app->dialogs.asked.back().text;
        QVERIFY2(shown.contains(
                     QStringLiteral("読めなかった日付・レース名・重賞・競馬場・距離は、入力欄に入力してください。")),
                 qPrintable(shown));
        QCOMPARE(box("Text2")->text(), QStringLiteral("11"));
        QCOMPARE(box("Text7")->text(), QStringLiteral("2"));
        QCOMPARE(box("Text5")->text(), QStringLiteral("阪神競馬場"));
        QCOMPARE(focused(), box("Text1"));
        QVERIFY(!app->find<QLabel>(ScreenId::Form3, QStringLiteral("surfaceLabel"))->isVisible());

        box("Text3")->setFocus();
        QInputMethodEvent preedit(QStringLiteral("たからづかきねん"), {});
        QCoreApplication::sendEvent(box("Text3"), &preedit);
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("宝塚記念"));
        QCoreApplication::sendEvent(box("Text3"), &commit);
        QTest::keyClick(box("Text3"), Qt::Key_Return);
        QCOMPARE(focused(), box("Text4"));
        QVERIFY(app->click(ScreenId::Form3, QStringLiteral("Command2")));
        settle();
        QCOMPARE(app->module.race.raceName, QStringLiteral("宝塚記念"));
        QCOMPARE(app->module.race.courseName, QStringLiteral("阪神競馬場"));
        QCOMPARE(app->module.race.runnerNames[1], QStringLiteral("イイイイイ"));
    }

    // A paste that is no race card is refused with the reason and changes nothing; one line pasted into a box is the
    // box's own paste.
    void raceCardRefusedOrBoxPaste()
    {
        openForm3();
        QApplication::clipboard()->setText(QStringLiteral("今日はいい天気です。\n"));
        QVERIFY(app->click(ScreenId::Form3, QStringLiteral("cardPasteButton")));
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 1);
        QVERIFY(app->dialogs.asked.back().text.contains(QStringLiteral("出馬表のレースも出走馬も読めませんでした")));
        QCOMPARE(app->dialogs.count(QStringLiteral("confirm")), 0);
        QCOMPARE(box("Text3")->text(), QString());

        QApplication::clipboard()->setText(QStringLiteral("東京優駿"));
        box("Text3")->setFocus();
        QTest::keyClick(box("Text3"), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box("Text3")->text(), QStringLiteral("東京優駿"));
        QCOMPARE(app->dialogs.asked.size(), std::size_t(1));
    }

    void backToMenuDiscardsTyping()
    {
        openForm3();
        box("Text3")->setText(QStringLiteral("打ちかけ"));
        QVERIFY(app->click(ScreenId::Form3, QStringLiteral("Command1")));
        settle();
        QVERIFY(!app->nav().isLoaded(ScreenId::Form3));
        QCOMPARE(app->nav().front()->screenId(), ScreenId::Form2);
        QCOMPARE(app->module.race.raceName, QString());
    }
};

TOKIRO_TEST_MAIN(RaceConditionsScreenTest)
#include "race_conditions_screen_test.moc"
