#include "entry_helpers.h"
#include "screens/race_conditions_screen.h"
#include "test_main.h"

#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>

using entry::expectedGeometry;
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

    void dateBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        const QString thisYear = QDate::currentDate().toString(QStringLiteral("yy"));
        QTest::newRow("short parts") << "99/7/5"
                                     << "99/07/05";
        QTest::newRow("four-digit year") << "2024/2/29"
                                         << "24/02/29";
        QTest::newRow("dashes") << "1999-12-31"
                                << "99/12/31";
        QTest::newRow("blanks around") << " 03/1/2 "
                                       << "03/01/02";
        QTest::newRow("29 Feb 2000 by the window") << "00/2/29"
                                                   << "00/02/29";
        QTest::newRow("29 Feb 1999 does not exist") << "99/2/29"
                                                    << "99/2/29";
        QTest::newRow("29 Feb 1900 does not exist") << "1900/2/29"
                                                    << "1900/2/29";
        QTest::newRow("month and day only") << "7/5" << thisYear + "/07/05";
        QTest::newRow("month 13") << "99/13/1"
                                  << "99/13/1";
        QTest::newRow("not a date") << "あした"
                                    << "あした";
        QTest::newRow("empty") << ""
                               << "";
    }
    void dateBox()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        openForm3();
        entry::typeAndEnter(box("Text1"), typed);
        QCOMPARE(box("Text1")->text(), shown);
        QCOMPARE(focused(), box("Text2"));
        // The date reaches the race only through "次のデータ入力へ".
        QCOMPARE(app->module.race.raceDate, QString());
    }

    void pickLists_data()
    {
        QTest::addColumn<QString>("boxName");
        QTest::addColumn<QString>("listName");
        QTest::addColumn<QString>("nextName");
        QTest::addColumn<QRect>("place");
        QTest::addColumn<int>("items");
        QTest::addColumn<QString>("picked");
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("graded, double click") << "Text4"
                                              << "List1"
                                              << "Text5" << QRect(8800, 2500, 1500, 900) << 3 << "ＧⅢ" << false;
        QTest::newRow("course, double click")
            << "Text5"
            << "List2"
            << "Text6" << QRect(8800, 2500, 1800, 2600) << 10 << "阪神競馬場" << false;
        QTest::newRow("course, Enter") << "Text5"
                                       << "List2"
                                       << "Text6" << QRect(8800, 2500, 1800, 2600) << 10 << "小倉競馬場" << true;
        QTest::newRow("distance, Enter") << "Text6"
                                         << "List3"
                                         << "Text7" << QRect(8800, 2500, 1500, 2800) << 11 << "1200m" << true;
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
        const QRect given = expectedGeometry(place.x(), place.y(), place.width(), place.height());
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
        QTest::newRow("race number beyond 16 bits") << "40000"
                                                    << "8"
                                                    << "Text2";
        QTest::newRow("race number below 16 bits") << "-32769"
                                                   << "8"
                                                   << "Text2";
        QTest::newRow("22 runners") << "11"
                                    << "22"
                                    << "Text7";
        QTest::newRow("21.5 runners rounds to 22") << "11"
                                                   << "21.5"
                                                   << "Text7";
        QTest::newRow("negative runners") << "11"
                                          << "-1"
                                          << "Text7";
        QTest::newRow("runners beyond 16 bits") << "11"
                                                << "99999"
                                                << "Text7";
    }
    void refusedNumbers()
    {
        QFETCH(QString, raceNumber);
        QFETCH(QString, runners);
        QFETCH(QString, backTo);
        app->module.race.raceName = QStringLiteral("前のレース");
        app->module.race.runnerCount = 5;
        openForm3();
        box("Text3")->setText(QStringLiteral("新しいレース"));
        box("Text2")->setText(raceNumber);
        box("Text7")->setText(runners);
        QVERIFY(app->click(ScreenId::Form3, QStringLiteral("Command2")));
        settle();
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 1);
        QVERIFY(app->nav().isLoaded(ScreenId::Form3));
        QCOMPARE(app->nav().front()->screenId(), ScreenId::Form3);
        QCOMPARE(focused(), app->find<QWidget>(ScreenId::Form3, backTo));
        QCOMPARE(app->module.race.raceName, QStringLiteral("前のレース"));
        QCOMPARE(app->module.race.runnerCount, std::int16_t(5));
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
        QCOMPARE(box("Text2")->geometry(), expectedGeometry(5520, 3360, 495, 360));
        QCOMPARE(box("Text4")->geometry(), expectedGeometry(5520, 4545, 735, 360));
        QVERIFY(!box("Text1")->testAttribute(Qt::WA_InputMethodEnabled));
        QVERIFY(box("Text3")->testAttribute(Qt::WA_InputMethodEnabled));
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
