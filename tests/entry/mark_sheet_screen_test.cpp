#include "core/name_text.h"
#include "entry_helpers.h"
#include "odd_files.h"
#include "racefile/race_folder.h"
#include "racefile/race_lines.h"
#include "racefile/save_file.h"
#include "screens/mark_sheet_screen.h"
#include "temp_folder.h"
#include "test_main.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>

#include <optional>

using entry::settle;

namespace {
// Lines of a race file: CR LF after each, Japanese text already in code page 932.
QByteArray fileLines(const QList<QByteArray>& lines)
{
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

const QByteArray grade1Sjis = QByteArray::fromHex("82668754");               // ＧⅠ
const QByteArray nakayamaSjis = QByteArray::fromHex("92868e528ba3946e8fea"); // 中山競馬場
const QByteArray nameSjis = QByteArray::fromHex("83548162837481628393");     // サ｜フ｜ン

// A saved race of five runners with a result and an empty balance, as the other screens leave it.
QByteArray fiveRunnerRace()
{
    QList<QByteArray> lines = {"24/12/22", "11",  "Arima", grade1Sjis, nakayamaSjis, "2500m", " 7 ",
                               " 5 ",      " 1 ", "Alpha", "Bravo",    "",           "Delta", "Echo"};
    const int marks[5][6] = {
        {2, 1, 0, 0, 0, 0}, {0, 0, 1, 0, 0, 1}, {0, 0, 0, 0, 0, 0}, {0, 3, 0, 2, 0, 0}, {25, 0, 0, 0, 0, 0}};
    for (const auto& runner : marks)
        for (int count : runner)
            lines.push_back(" " + QByteArray::number(count) + " ");
    lines += {" 3 ", "7", " 1230 ", "", ""};
    return fileLines(lines);
}
} // namespace

class MarkSheetScreenTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<AppHarness> app;

    template <typename Widget = QWidget>
    Widget* control(const QString& name)
    {
        return app->find<Widget>(ScreenId::Form4, name);
    }
    QLabel* numberLabel(int i) { return control<QLabel>(QStringLiteral("Label7(%1)").arg(i)); }
    QPlainTextEdit* nameBox(int i) { return control<QPlainTextEdit>(QStringLiteral("Text1(%1)").arg(i)); }
    QLabel* markLabel(int i) { return control<QLabel>(QStringLiteral("Label8(%1)").arg(i)); }
    QLineEdit* ticketBox() { return control<QLineEdit>(QStringLiteral("Text2")); }

    void openSheet(int runners)
    {
        app->module.race.runnerCount = static_cast<std::int16_t>(runners);
        app->nav().show(ScreenId::Form4);
        QVERIFY(app->nav().isLoaded(ScreenId::Form4));
    }

    void pressMark(const QString& symbol)
    {
        static const QStringList symbols = {"◎", "○", "△", "▲", "×", "★"};
        const int kind = static_cast<int>(symbols.indexOf(symbol));
        QVERIFY(kind >= 0);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command%1").arg(kind + 2)));
    }

    void clickMarks(int runner, Qt::MouseButton button, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            QTest::mouseClick(markLabel(runner), button, {}, QPoint(5, 200 + i % 50));
    }

    int markSum(int runner) const
    {
        int sum = 0;
        for (int k = 0; k < markKindCount; ++k)
            sum += app->module.race.markSheet[runner][k];
        return sum;
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

    void columnsRunFromRightToLeft()
    {
        app->module.race.markSheet[1][2] = 5;
        app->module.race.runnerNames[0] = QStringLiteral("前のレース");
        app->module.keptTailLines.income = TailValue::ofNumber(300);
        openSheet(3);
        // Runner 1 on the right, then every 400 twips (26 2/3 pixels) to the left.
        const int lefts[] = {567, 540, 513};
        for (int i = 0; i < 3; ++i) {
            const int x = lefts[i];
            QVERIFY(numberLabel(i)->isVisible());
            QCOMPARE(numberLabel(i)->text(), QString::number(i + 1));
            QCOMPARE(numberLabel(i)->geometry(), QRect(x, 43, 27, 23));
            QCOMPARE(nameBox(i)->geometry(), QRect(x, 67, 27, 167));
            QCOMPARE(markLabel(i)->geometry(), QRect(x, 233, 27, 267));
            QVERIFY(nameBox(i)->isVisible() && nameBox(i)->toPlainText().isEmpty());
            QVERIFY(markLabel(i)->isVisible() && markLabel(i)->text().isEmpty());
        }
        QVERIFY(!numberLabel(3));
        QCOMPARE(control<QLabel>(QStringLiteral("Label9"))->text(), QStringLiteral("◎"));
        // Opening starts a clean sheet.
        QCOMPARE(app->module.race.markSheet[1][2], std::int16_t(0));
        QCOMPARE(app->module.race.runnerNames[0], QString());
        QCOMPARE(app->module.keptTailLines, TailLines{});
        QCOMPARE(QApplication::focusWidget(), nameBox(0));
    }

    void noRunnersNoColumns()
    {
        app->module.race.markSheet[0][0] = 3;
        openSheet(0);
        QVERIFY(numberLabel(0) && !numberLabel(0)->isVisible());
        QVERIFY(!markLabel(0)->isVisible());
        QVERIFY(!numberLabel(1));
        QCOMPARE(app->module.race.markSheet[0][0], std::int16_t(3));
    }

    void marking_data()
    {
        QTest::addColumn<QStringList>("steps"); // symbol pressed, then L (left) or R (right) clicks on runner 2
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QList<int>>("counts");
        QTest::newRow("three ○ then one removed")
            << QStringList{"○", "L", "L", "L", "R"} << "○○" << QList<int>{0, 2, 0, 0, 0, 0};
        QTest::newRow("right click on nothing") << QStringList{"△", "R"} << "" << QList<int>{0, 0, 0, 0, 0, 0};
        QTest::newRow("grouped in fixed order")
            << QStringList{"★", "L", "◎", "L", "△", "L"} << "◎△★" << QList<int>{1, 0, 1, 0, 0, 1};
        QTest::newRow("removes only the current kind")
            << QStringList{"▲", "L", "L", "×", "L", "▲", "R"} << "▲×" << QList<int>{0, 0, 0, 1, 1, 0};
        QTest::newRow("middle button removes")
            << QStringList{"◎", "L", "L", "M"} << "◎" << QList<int>{1, 0, 0, 0, 0, 0};
    }
    void marking()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, caption);
        QFETCH(QList<int>, counts);
        openSheet(3);
        for (const QString& step : steps) {
            if (step == "L" || step == "R" || step == "M")
                clickMarks(1, step == "L" ? Qt::LeftButton : step == "R" ? Qt::RightButton : Qt::MiddleButton);
            else
                pressMark(step);
        }
        QCOMPARE(markLabel(1)->text(), caption);
        for (int k = 0; k < markKindCount; ++k)
            QCOMPARE(int(app->module.race.markSheet[1][k]), counts[k]);
        QCOMPARE(markLabel(0)->text(), QString());
        QCOMPARE(markSum(0) + markSum(2), 0);
    }

    void markButtonsShowCurrentMarkAndMoveOn()
    {
        openSheet(2);
        pressMark(QStringLiteral("▲"));
        QCOMPARE(control<QLabel>(QStringLiteral("Label9"))->text(), QStringLiteral("▲"));
        QCOMPARE(QApplication::focusWidget(), control(QStringLiteral("Command10")));
    }

    void twentyFiveMarksAtMost()
    {
        openSheet(2);
        clickMarks(0, Qt::LeftButton, 25);
        QCOMPARE(app->module.race.markSheet[0][0], std::int16_t(25));
        clickMarks(0, Qt::LeftButton);
        QCOMPARE(app->module.race.markSheet[0][0], std::int16_t(25));
        QCOMPARE(markLabel(0)->text(), QStringLiteral("◎").repeated(25));

        // A kind the runner does not hold cannot be taken away, nor added while the runner is full.
        pressMark(QStringLiteral("○"));
        clickMarks(0, Qt::RightButton);
        clickMarks(0, Qt::LeftButton);
        QCOMPARE(markSum(0), 25);
        QCOMPARE(app->module.race.markSheet[0][1], std::int16_t(0));

        pressMark(QStringLiteral("◎"));
        clickMarks(0, Qt::RightButton);
        pressMark(QStringLiteral("○"));
        clickMarks(0, Qt::LeftButton);
        QCOMPARE(app->module.race.markSheet[0][0], std::int16_t(24));
        QCOMPARE(app->module.race.markSheet[0][1], std::int16_t(1));
        QCOMPARE(markLabel(0)->text(), QStringLiteral("◎").repeated(24) + QStringLiteral("○"));
        QCOMPARE(markSum(1), 0);
    }

    // The second press of a quick double click counts like any other press.
    void quickClicksAllCount_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("doubleClicks");
        QTest::addColumn<int>("after");
        QTest::newRow("double click adds two") << 0 << int(Qt::LeftButton) << 1 << 2;
        QTest::newRow("four quick clicks add four") << 0 << int(Qt::LeftButton) << 2 << 4;
        QTest::newRow("right double click removes two") << 3 << int(Qt::RightButton) << 1 << 1;
    }
    void quickClicksAllCount()
    {
        QFETCH(int, before);
        QFETCH(int, button);
        QFETCH(int, doubleClicks);
        openSheet(2);
        clickMarks(0, Qt::LeftButton, before);
        // What a widget receives of a double click: press, release, double click (the second press), release.
        const Qt::MouseButton pressed = Qt::MouseButton(button);
        for (int i = 0; i < doubleClicks; ++i) {
            QTest::mouseClick(markLabel(0), pressed, {}, QPoint(5, 200));
            QTest::mouseDClick(markLabel(0), pressed, {}, QPoint(5, 200));
            QTest::mouseRelease(markLabel(0), pressed, {}, QPoint(5, 200));
        }
        QTEST(int(app->module.race.markSheet[0][0]), "after");
        QCOMPARE(markLabel(0)->text(), QStringLiteral("◎").repeated(app->module.race.markSheet[0][0]));
    }

    void namesAreConfirmedByEnter()
    {
        openSheet(2);
        entry::typeAndEnter(nameBox(0), QStringLiteral("サーフーン"));
        QCOMPARE(nameBox(0)->toPlainText(), QStringLiteral("サ｜フ｜ン"));
        QCOMPARE(app->module.race.runnerNames[0], QStringLiteral("サ｜フ｜ン"));
        QCOMPARE(QApplication::focusWidget(), nameBox(1));

        entry::type(nameBox(1), QStringLiteral("ゴールド"));
        QCOMPARE(app->module.race.runnerNames[1], QString());
        nameBox(1)->appendPlainText(QStringLiteral("シップ"));
        QTest::keyClick(nameBox(1), Qt::Key_Enter);
        // A pasted line break would split the race file's name line; the name stays one line.
        QCOMPARE(app->module.race.runnerNames[1], QStringLiteral("ゴ｜ルドシップ"));
        QCOMPARE(nameBox(1)->toPlainText(), QStringLiteral("ゴ｜ルドシップ"));
        QCOMPARE(QApplication::focusWidget(), control(QStringLiteral("Command10")));
    }

    // Tab and Shift+Tab leave a name box as they leave any other box. No tab or other control character is stored in
    // a name: one that a file already holds is read as a blank (at the ends, dropped), and the name stays so.
    void namesHoldNoControlCharacters_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<bool>("backwards");
        QTest::addColumn<int>("to");
        QTest::newRow("Tab") << 0 << false << 1;
        QTest::newRow("Shift+Tab") << 1 << true << 0;
    }
    void namesHoldNoControlCharacters()
    {
        QFETCH(int, from);
        QFETCH(bool, backwards);
        QFETCH(int, to);
        TempFolder folder;
        const QString path = folder.filePath(QStringLiteral("tab.tkr"));
        putFile(path, fiveRunnerRace().replace("Alpha", "Al\tpha\x07"));
        openSheet(5);
        app->dialogs.fileAnswers.push_back(path);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command8")));
        QCOMPARE(nameBox(0)->toPlainText(), QStringLiteral("Al pha"));

        nameBox(from)->setFocus();
        const QString before = nameBox(from)->toPlainText();
        QTest::keyClick(nameBox(from), backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                        backwards ? Qt::ShiftModifier : Qt::NoModifier);
        QCOMPARE(QApplication::focusWidget(), nameBox(to));
        QCOMPARE(nameBox(from)->toPlainText(), before);

        QTest::keyClick(nameBox(0), Qt::Key_Return);
        QCOMPARE(nameBox(0)->toPlainText(), QStringLiteral("Al pha"));
        QCOMPARE(app->module.race.runnerNames[0], QStringLiteral("Al pha"));
        app->dialogs.fileAnswers.push_back(path);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command9")));
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 0);
        QVERIFY(fileBytes(path).contains("\r\nAl pha\r\nBravo\r\n"));
    }

    // The mark sheet's load keeps a file whole, as the result and balance screens do: a save with no change writes
    // back every byte of another program's lines. A file too large to be read whole is never saved over.
    void loadKeepsTheWholeFile()
    {
        TempFolder folder;
        const QString path = folder.filePath(QStringLiteral("long.tkr"));
        const QByteArray foreign = QByteArray(2 << 20, 'x') + "\r\n";
        putFile(path, fiveRunnerRace() + foreign);
        openSheet(5);
        app->dialogs.fileAnswers.push_back(path);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command8")));
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 0);
        app->dialogs.fileAnswers.push_back(path);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command9")));
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 0);
        const QByteArray saved = fileBytes(path);
        QVERIFY(saved.endsWith("\r\n 0 \r\n" + foreign));
        QCOMPARE(saved.count('x'), qsizetype(2 << 20));

        const QString hugePath = folder.filePath(QStringLiteral("huge.tkr"));
        const QByteArray huge = fiveRunnerRace() + QByteArray(racelines::maxRewriteBytes, 'x');
        putFile(hugePath, huge);
        app->dialogs.fileAnswers.push_back(hugePath);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command8")));
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 1);
        QVERIFY2(app->dialogs.asked.back().text.contains(QStringLiteral("セーブできません")),
                 qPrintable(app->dialogs.asked.back().text));
        QVERIFY(!app->dialogs.asked.back().text.contains(QStringLiteral("そのまま残します")));
        app->dialogs.fileAnswers.push_back(hugePath);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command9")));
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 2);
        QVERIFY(fileBytes(hugePath) == huge);
    }

    // A name box takes no more than a name's length, typed by keys or committed by the input method.
    void nameBoxesKeepToANamesLength()
    {
        openSheet(2);
        entry::type(nameBox(0), QString(maxNameLength + 5, u'A'));
        QCOMPARE(nameBox(0)->toPlainText(), QString(maxNameLength, u'A'));
        nameBox(1)->setFocus();
        QInputMethodEvent commit;
        commit.setCommitString(QString(maxNameLength + 20, u'ア'));
        QCoreApplication::sendEvent(nameBox(1), &commit);
        QCOMPARE(nameBox(1)->toPlainText(), QString(maxNameLength, u'ア'));
        QTest::keyClick(nameBox(1), Qt::Key_Return);
        QCOMPARE(app->module.race.runnerNames[1], QString(maxNameLength, u'ア'));
    }

    void ticketBoxNumber_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("refused");
        QTest::newRow("3.5 to even") << "3.5" << 4 << false;
        QTest::newRow("2.5 to even") << "2.5" << 2 << false;
        QTest::newRow("empty") << "" << 0 << false;
        QTest::newRow("with a unit") << "6点" << 6 << false;
        QTest::newRow("leading blanks") << "  9" << 9 << false;
        QTest::newRow("beyond 16 bits") << "40000" << 4 << true;
        QTest::newRow("full-width digits") << "１２" << 12 << false;
        QTest::newRow("full-width point") << "３．５" << 4 << false;
        QTest::newRow("no number") << "たくさん" << 4 << true;
    }
    void ticketBoxNumber()
    {
        QFETCH(QString, typed);
        QFETCH(int, count);
        QFETCH(bool, refused);
        openSheet(2);
        ticketBox()->clear();
        entry::typeAndEnter(ticketBox(), typed);
        QCOMPARE(int(app->module.race.ticketCount), count);
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), refused ? 1 : 0);
        QCOMPARE(QApplication::focusWidget(),
                 refused ? static_cast<QWidget*>(ticketBox()) : control(QStringLiteral("Command10")));
    }

    void spinner_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("shown");   // spinner value before the click
        QTest::addColumn<QString>("box"); // box before the click
        QTest::addColumn<int>("after");
        QTest::newRow("up from 4") << 4 << true << 4 << "4" << 5;
        QTest::newRow("down from 4") << 4 << false << 4 << "4" << 3;
        QTest::newRow("up stops at 12") << 12 << true << 12 << "12" << 12;
        QTest::newRow("down stops at 1") << 1 << false << 1 << "1" << 1;
        QTest::newRow("20 waits at the top") << 20 << false << 12 << "20" << 11;
        QTest::newRow("0 waits at the bottom") << 0 << true << 1 << "0" << 2;
    }
    void spinner()
    {
        QFETCH(int, start);
        QFETCH(bool, up);
        QFETCH(int, shown);
        QFETCH(QString, box);
        QFETCH(int, after);
        app->module.race.ticketCount = static_cast<std::int16_t>(start);
        openSheet(2);
        auto* spin = control<QScrollBar>(QStringLiteral("VScroll1"));
        QCOMPARE(spin->value(), shown);
        QCOMPARE(ticketBox()->text(), box);
        QCOMPARE(int(app->module.race.ticketCount), start);
        QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(spin->width() / 2, up ? 2 : spin->height() - 3));
        if (after != start || shown != start) {
            QCOMPARE(ticketBox()->text(), QString::number(after));
            QCOMPARE(int(app->module.race.ticketCount), after);
        }
        QCOMPARE(spin->value(), after);
    }

    void aimOptions()
    {
        app->module.race.aimMode = 1;
        openSheet(2);
        auto* solid = control<QRadioButton>(QStringLiteral("Option1"));
        auto* longShot = control<QRadioButton>(QStringLiteral("Option2"));
        QVERIFY(longShot->isChecked() && !solid->isChecked());
        QTest::mouseClick(solid, Qt::LeftButton);
        QVERIFY(solid->isChecked() && !longShot->isChecked());
        QCOMPARE(app->module.race.aimMode, std::int16_t(0));
        QTest::mouseClick(longShot, Qt::LeftButton);
        QCOMPARE(app->module.race.aimMode, std::int16_t(1));
    }

    void predictTakesTheBoxAsTyped()
    {
        openSheet(3);
        ticketBox()->setText(QStringLiteral("6"));
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command10")));
        QCOMPARE(app->module.race.ticketCount, std::int16_t(6));
        QCOMPARE(app->nav().front()->screenId(), ScreenId::Form5);
        QVERIFY(app->nav().isLoaded(ScreenId::Form4));
    }

    void backAndOnAgain_data()
    {
        QTest::addColumn<QString>("runnersTyped");
        QTest::addColumn<bool>("kept");
        QTest::newRow("same count keeps the marks") << "3" << true;
        QTest::newRow("another count clears them") << "4" << false;
    }
    void backAndOnAgain()
    {
        QFETCH(QString, runnersTyped);
        QFETCH(bool, kept);
        app->nav().show(ScreenId::Form3);
        app->find<QLineEdit>(ScreenId::Form3, QStringLiteral("Text7"))->setText(QStringLiteral("3"));
        QVERIFY(app->click(ScreenId::Form3, QStringLiteral("Command2")));
        settle();
        QCOMPARE(app->nav().front()->screenId(), ScreenId::Form4);
        clickMarks(2, Qt::LeftButton, 2);
        entry::typeAndEnter(nameBox(2), QStringLiteral("Z"));
        ticketBox()->setText(QStringLiteral("9")); // typed, never confirmed

        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command1")));
        QCOMPARE(app->nav().front()->screenId(), ScreenId::Form3);
        QVERIFY(app->nav().isLoaded(ScreenId::Form4));
        QCOMPARE(app->find<QLineEdit>(ScreenId::Form3, QStringLiteral("Text7"))->text(), QStringLiteral("3"));
        app->find<QLineEdit>(ScreenId::Form3, QStringLiteral("Text3"))->setText(QStringLiteral("Arima"));
        app->find<QLineEdit>(ScreenId::Form3, QStringLiteral("Text7"))->setText(runnersTyped);
        QVERIFY(app->click(ScreenId::Form3, QStringLiteral("Command2")));
        settle();

        QCOMPARE(app->nav().front()->screenId(), ScreenId::Form4);
        QCOMPARE(control<QLabel>(QStringLiteral("Label4"))->text(), QStringLiteral("Arima"));
        QCOMPARE(ticketBox()->text(), QStringLiteral("4"));
        QCOMPARE(app->module.race.markSheet[2][0], std::int16_t(kept ? 2 : 0));
        QCOMPARE(markLabel(2)->text(), kept ? QStringLiteral("◎◎") : QString());
        QCOMPARE(app->module.race.runnerNames[2], kept ? QStringLiteral("Z") : QString());
        QCOMPARE(nameBox(3) != nullptr, !kept);
    }

    void headerShowsTheRace_data()
    {
        QTest::addColumn<int>("raceNumber");
        QTest::addColumn<QString>("shown");
        QTest::newRow("race 11") << 11 << "第11レース";
        QTest::newRow("no race number") << 0 << "";
    }
    void headerShowsTheRace()
    {
        QFETCH(int, raceNumber);
        QFETCH(QString, shown);
        RaceState& race = app->module.race;
        race.raceDate = QStringLiteral("24/12/22");
        race.raceNumber = static_cast<std::int16_t>(raceNumber);
        race.raceName = QStringLiteral("有馬記念");
        race.gradedText = QStringLiteral("ＧⅠ");
        race.courseName = QStringLiteral("中山競馬場");
        race.distanceText = QStringLiteral("2500m");
        openSheet(1);
        QCOMPARE(control<QLabel>(QStringLiteral("Label1"))->text(), race.raceDate);
        QCOMPARE(control<QLabel>(QStringLiteral("Label3"))->text(), shown);
        QCOMPARE(control<QLabel>(QStringLiteral("Label4"))->text(), race.raceName);
        QCOMPARE(control<QLabel>(QStringLiteral("Label5"))->text(), race.gradedText);
        QCOMPARE(control<QLabel>(QStringLiteral("Label2"))->text(), race.courseName);
        QCOMPARE(control<QLabel>(QStringLiteral("Label6"))->text(), race.distanceText);
    }

    // ---- saving and loading ----

    void saveFreshRaceByteForByte()
    {
        TempFolder folder;
        app->module.raceFolder = folder.path();
        RaceState& race = app->module.race;
        race.raceDate = QStringLiteral("24/12/22");
        race.raceNumber = 11;
        race.raceName = QStringLiteral("Arima");
        race.gradedText = QStringLiteral("ＧⅠ");
        race.courseName = QStringLiteral("中山競馬場");
        race.distanceText = QStringLiteral("2500m");
        openSheet(2);
        entry::typeAndEnter(nameBox(0), QStringLiteral("サーフーン"));
        clickMarks(0, Qt::LeftButton, 2);
        pressMark(QStringLiteral("△"));
        clickMarks(0, Qt::LeftButton);
        pressMark(QStringLiteral("★"));
        clickMarks(0, Qt::LeftButton);
        pressMark(QStringLiteral("○"));
        clickMarks(1, Qt::LeftButton);
        QTest::mouseClick(control(QStringLiteral("Option2")), Qt::LeftButton);
        ticketBox()->setText(QStringLiteral("6"));

        app->dialogs.fileAnswers.push_back(folder.filePath(QStringLiteral("24122211")));
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command9")));

        QCOMPARE(app->dialogs.asked.size(), std::size_t(1));
        const ScriptedDialogs::Asked& asked = app->dialogs.asked.front();
        QCOMPARE(asked.kind, QStringLiteral("save"));
        QCOMPARE(asked.title, QStringLiteral("トキロレースデータセーブ"));
        QCOMPARE(asked.filter, QStringLiteral("(*.TKR)|*.tkr"));
        QCOMPARE(asked.proposedName, QStringLiteral("24122211"));
        QCOMPARE(app->module.race.ticketCount, std::int16_t(6));

        const QByteArray expected =
            fileLines({"24/12/22", " 11 ", "Arima", grade1Sjis, nakayamaSjis, "2500m", " 6 ", " 2 ", " 1 ", nameSjis,
                       "",         " 2 ",  " 0 ",   " 1 ",      " 0 ",        " 0 ",   " 1 ", " 0 ", " 1 ", " 0 ",
                       " 0 ",      " 0 ",  " 0 ",   "",         "",           "",      "",    " 0 "});
        QCOMPARE(expected.count("\r\n"), 28);
        QCOMPARE(fileBytes(folder.filePath(QStringLiteral("24122211.tkr"))), expected);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("24122211.tkr")});
    }

    // The save dialog proposes the race's own name from its date and race number.
    void proposedName_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("race 11 on 24/05/26") << "24/05/26" << 11 << "24052611";
        QTest::newRow("one-digit race number") << "99/05/16" << 7 << "99051607";
        QTest::newRow("a date kept as typed in an older race") << "R6.5.26" << 12 << "24052612";
        QTest::newRow("no race number yet") << "24/05/26" << 0 << "YYMMDDRR";
        QTest::newRow("a race number of three digits") << "24/05/26" << 100 << "YYMMDDRR";
        QTest::newRow("no date yet") << "" << 11 << "YYMMDDRR";
        QTest::newRow("a date that does not exist") << "24/2/30" << 11 << "YYMMDDRR";
    }
    void proposedName()
    {
        QFETCH(QString, date);
        QFETCH(int, number);
        TempFolder folder;
        app->module.raceFolder = folder.path();
        app->module.race.raceDate = date;
        app->module.race.raceNumber = static_cast<std::int16_t>(number);
        openSheet(2);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command9")));
        QCOMPARE(app->dialogs.count(QStringLiteral("save")), 1);
        QTEST(app->dialogs.asked.front().proposedName, "proposed");
    }

    // Where a race goes: ".tkr" is added to a name without it, and a race that the lists would not find is saved
    // only after the user has been told so.
    void savePlace_data()
    {
        QTest::addColumn<QString>("chosen"); // OUT/: a folder elsewhere; RACES/: the race folder by its full path
        QTest::addColumn<bool>("answer");    // to the question, if asked
        QTest::addColumn<QString>("saved");  // where the race is then; empty: nowhere
        QTest::addColumn<QString>("asked");  // the start of the question; empty: none
        QTest::newRow("a name without extension") << "有馬記念" << true << "有馬記念.tkr"
                                                  << "";
        QTest::newRow("the extension in capitals") << "race.TKR" << true << "race.TKR"
                                                   << "";
        QTest::newRow("dots in the name") << "24.05.26" << true << "24.05.26.tkr"
                                          << "";
        QTest::newRow("another extension") << "race.txt" << true << "race.txt.tkr"
                                           << "";
        QTest::newRow("the race folder by its full path") << "RACES/race" << true << "race.tkr"
                                                          << "";
        QTest::newRow("another folder, OK") << "OUT/race" << true << "OUT/race.tkr"
                                            << "「OUT」はレースフォルダ（「RACES」）ではありません。";
        QTest::newRow("another folder, Cancel") << "OUT/race" << false << ""
                                                << "「OUT」はレースフォルダ（「RACES」）ではありません。";
        QTest::newRow("a sub-folder") << "sub/race" << true << "sub/race.tkr"
                                      << "「RACES/sub」はレースフォルダ（「RACES」）ではありません。";
        QTest::newRow("a hidden name") << ".race" << true << ".race.tkr"
                                       << "「.race.tkr」のように「.」で始まる名前のファイルは";
    }
    void savePlace()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, answer);
        QFETCH(QString, saved);
        QFETCH(QString, asked);
        TempFolder folder;
        QTemporaryDir outside;
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("sub")));
        app->module.raceFolder = folder.path();
        auto place = [&](QString text) {
            return text.replace(QStringLiteral("OUT"), outside.path()).replace(QStringLiteral("RACES"), folder.path());
        };
        openSheet(2);
        app->dialogs.fileAnswers.push_back(place(chosen));
        app->dialogs.confirmAnswers.push_back(answer);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command9")));

        QCOMPARE(app->dialogs.count(QStringLiteral("confirm")), asked.isEmpty() ? 0 : 1);
        if (!asked.isEmpty()) {
            const ScriptedDialogs::Asked& question = app->dialogs.asked.back();
            QVERIFY2(question.text.startsWith(place(asked)), qPrintable(question.text));
            QVERIFY(question.text.endsWith(QStringLiteral("一覧に出ません。保存しますか？")));
            QCOMPARE(question.title, QStringLiteral("データの保存"));
        }
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 0);
        QStringList written = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden)
                              + QDir(folder.filePath(QStringLiteral("sub"))).entryList(QDir::Files)
                              + QDir(outside.path()).entryList(QDir::Files);
        // The folder remembers the race saved last among its lists (for the tipsters of the next race), and only that.
        const bool listed = !saved.isEmpty() && !saved.contains(u'/') && !saved.startsWith(u'.');
        QCOMPARE(written.removeAll(RaceFolder::lastSavedFileName), qsizetype(listed ? 1 : 0));
        QCOMPARE(written.size(), saved.isEmpty() ? 0 : 1);
        if (!saved.isEmpty())
            QVERIFY2(QFileInfo(QDir(folder.path()).filePath(place(saved))).isFile(), qPrintable(place(saved)));
    }

    void saveCancelledWritesNothing()
    {
        TempFolder folder;
        app->module.raceFolder = folder.path();
        openSheet(2);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command9")));
        QCOMPARE(app->dialogs.count(QStringLiteral("save")), 1);
        QCOMPARE(app->dialogs.asked.size(), std::size_t(1));
        QVERIFY(QDir(folder.path()).entryList(QDir::Files).isEmpty());
    }

    void overwriteAsksFirst_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("Cancel keeps the old file") << false;
        QTest::newRow("OK replaces it") << true;
    }
    void overwriteAsksFirst()
    {
        QFETCH(bool, ok);
        TempFolder folder;
        app->module.raceFolder = folder.path();
        const QString path = folder.filePath(QStringLiteral("old.tkr"));
        const QByteArray old = fiveRunnerRace();
        putFile(path, old);
        openSheet(1);
        app->dialogs.fileAnswers.push_back(path);
        app->dialogs.confirmAnswers.push_back(ok);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command9")));
        QCOMPARE(app->dialogs.count(QStringLiteral("confirm")), 1);
        QCOMPARE(app->dialogs.asked.back().text, QStringLiteral("データを上書きしますがよろしいですか？"));
        QCOMPARE(app->dialogs.asked.back().title, QStringLiteral("データの保存"));
        const QByteArray now = fileBytes(path);
        if (ok)
            QCOMPARE(now.count("\r\n"), 21);
        else
            QCOMPARE(now, old);
    }

    // Another program holding the folder's lock: the save waits with a notice; stopping it keeps the old file and
    // says so, the lock let go lets the save go ahead.
    void saveWaitsForAHeldLock_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::newRow("stopped") << true;
        QTest::newRow("let go") << false;
    }
    void saveWaitsForAHeldLock()
    {
        QFETCH(bool, stop);
        TempFolder folder;
        app->module.raceFolder = folder.path();
        const QString path = folder.filePath(QStringLiteral("old.tkr"));
        const QByteArray old = fiveRunnerRace();
        putFile(path, old);
        std::optional<FolderLock> held(std::in_place, folder.path(), std::chrono::milliseconds(0));
        QVERIFY(held->held());
        openSheet(1);
        app->dialogs.fileAnswers.push_back(path);
        app->dialogs.folderWaitAnswer = [&](int pass) {
            if (!stop && pass == 2)
                held.reset();
            return !stop;
        };
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command9")));
        app->dialogs.folderWaitAnswer = {};
        QCOMPARE(app->dialogs.count(QStringLiteral("wait")), 1);
        QCOMPARE(app->dialogs.folderWaitsOver, 1);
        const QByteArray now = fileBytes(path);
        if (stop) {
            QCOMPARE(now, old);
            QCOMPARE(app->dialogs.asked.back().kind, QStringLiteral("error"));
            QCOMPARE(app->dialogs.asked.back().text,
                     QStringLiteral("待つのをやめたため、レースファイル「old.tkr」は保存しませんでした。"
                                    "元のファイルはそのままです。"));
        } else {
            QCOMPARE(now.count("\r\n"), 21);
            QCOMPARE(app->dialogs.count(QStringLiteral("error")), 0);
        }
    }

    void saveRefusesWhatIsNoFile_data()
    {
        QTest::addColumn<bool>("throughLink");
        QTest::newRow("pipe") << false;
        QTest::newRow("link to a pipe outside") << true;
    }
    void saveRefusesWhatIsNoFile()
    {
        QFETCH(bool, throughLink);
        TempFolder folder;
        app->module.raceFolder = folder.path();
        QTemporaryDir outside;
        const QString pipe = throughLink ? outside.filePath(QStringLiteral("pipe")) : folder.filePath("race.tkr");
        QVERIFY(odd::makeFifo(pipe));
        if (throughLink)
            QVERIFY(odd::makeLink(pipe, folder.filePath(QStringLiteral("race.tkr"))));
        openSheet(2);
        app->dialogs.fileAnswers.push_back(folder.filePath(QStringLiteral("race.tkr")));
        const odd::HangGuard guard("saving over a pipe");
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command9")));
        QCOMPARE(app->dialogs.asked.back().kind, QStringLiteral("error"));
        QCOMPARE(
            app->dialogs.asked.back().text,
            QStringLiteral("「race.tkr」はふつうのファイルではない（装置やパイプなど）ため、そこには保存できません。"));
        QVERIFY(odd::isFifo(pipe));
        QCOMPARE(QDir(outside.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size(),
                 throughLink ? 1 : 0);
    }

    void failedSaveIsReported()
    {
        TempFolder folder;
        app->module.raceFolder = folder.path();
        openSheet(2);
        app->dialogs.fileAnswers.push_back(folder.filePath(QStringLiteral("missing/race.tkr")));
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command9")));
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 1);
        QVERIFY(!app->dialogs.asked.back().text.isEmpty());
        QVERIFY(QDir(folder.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    }

    void loadReplacesTheSheet()
    {
        TempFolder folder;
        const QString path = folder.filePath(QStringLiteral("24122211.tkr"));
        putFile(path, fiveRunnerRace());
        openSheet(12);
        clickMarks(8, Qt::LeftButton, 3);
        app->dialogs.fileAnswers.push_back(path);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command8")));

        QCOMPARE(app->dialogs.asked.front().kind, QStringLiteral("open"));
        QCOMPARE(app->dialogs.asked.front().title, QStringLiteral("トキロレースデータロード"));
        QCOMPARE(app->dialogs.asked.front().filter, QStringLiteral("(*.TKR)|*.tkr"));
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 0);

        const RaceState& race = app->module.race;
        QCOMPARE(race.runnerCount, std::int16_t(5));
        QCOMPARE(race.ticketCount, std::int16_t(7));
        QCOMPARE(race.raceNumber, std::int16_t(11));
        QCOMPARE(race.courseName, QStringLiteral("中山競馬場"));
        const int lefts[] = {567, 540, 513, 487, 460};
        for (int i = 0; i < 5; ++i) {
            QVERIFY(numberLabel(i)->isVisible());
            QCOMPARE(numberLabel(i)->geometry().x(), lefts[i]);
        }
        QVERIFY(!numberLabel(5) && !nameBox(5) && !markLabel(5));
        const QStringList names = {"Alpha", "Bravo", "", "Delta", "Echo"};
        const QStringList captions = {"◎◎○", "△★", "", "○○○▲▲", QStringLiteral("◎").repeated(25)};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(nameBox(i)->toPlainText(), names[i]);
            QCOMPARE(race.runnerNames[i], names[i]);
            QCOMPARE(markLabel(i)->text(), captions[i]);
        }
        QCOMPARE(race.markSheet[3][1], std::int16_t(3));
        QCOMPARE(ticketBox()->text(), QStringLiteral("7"));
        QVERIFY(control<QRadioButton>(QStringLiteral("Option2"))->isChecked());
        QCOMPARE(control<QLabel>(QStringLiteral("Label3"))->text(), QStringLiteral("第11レース"));
        QCOMPARE(control<QLabel>(QStringLiteral("Label5"))->text(), QStringLiteral("ＧⅠ"));
        QCOMPARE(app->module.keptTailLines.firstPlace, TailValue::ofNumber(3));
        QCOMPARE(app->module.keptTailLines.payout, TailValue::ofText(QStringLiteral("1230")));
    }

    void loadThenSaveKeepsTheTail()
    {
        TempFolder folder;
        app->module.raceFolder = folder.path();
        const QString source = folder.filePath(QStringLiteral("24122211.tkr"));
        putFile(source, fiveRunnerRace());
        openSheet(2);
        app->dialogs.fileAnswers.push_back(source);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command8")));
        const QString copy = folder.filePath(QStringLiteral("copy.tkr"));
        app->dialogs.fileAnswers.push_back(copy);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command9")));
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 0);

        // Line 2 and a second place kept as bare digits become number lines, the payout a text line and the empty
        // income 0; all else is as loaded.
        QList<QByteArray> lines = fileBytes(source).split('\n');
        lines.removeLast();
        for (QByteArray& line : lines)
            line.chop(1);
        lines[1] = " 11 ";
        lines[lines.size() - 4] = " 7 ";
        lines[lines.size() - 3] = "1230";
        lines[lines.size() - 1] = " 0 ";
        QCOMPARE(fileBytes(copy), fileLines(lines));
    }

    void unsoundFileChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("odd");  // what takes the file's place instead
        QTest::addColumn<QString>("told"); // part of the message, when the case says what it must be
        QTest::newRow("30 runners") << fileLines({"24/12/22", " 1 ", "", "", "", "", " 4 ", " 30 ", " 0 "}) << ""
                                    << "出走頭数";
        QTest::newRow("missing file") << QByteArray() << ""
                                      << "見つかりません";
        QTest::newRow("pipe") << QByteArray() << "pipe"
                              << "ふつうのファイルではない";
        QTest::newRow("link to /dev/zero") << QByteArray() << "zero"
                                           << "ふつうのファイルではない";
        QList<QByteArray> lines = fiveRunnerRace().split('\n');
        for (QByteArray& line : lines)
            line.chop(1);
        QList<QByteArray> noTickets = lines.mid(0, 44);
        noTickets[6] = "四点";
        QTest::newRow("ticket count without a number") << fileLines(noTickets) << ""
                                                       << "";
        // Cut anywhere before its last mark line (line 44), the race would take made-up names and marks.
        for (int kept = 1; kept < 44; ++kept)
            QTest::addRow("cut after line %d", kept) << fileLines(lines.mid(0, kept)) << ""
                                                     << "";
    }
    void unsoundFileChangesNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, odd);
        QFETCH(QString, told);
        TempFolder folder;
        const QString path = folder.filePath(QStringLiteral("bad.tkr"));
        if (!bytes.isEmpty())
            putFile(path, bytes);
        if (odd == QStringLiteral("pipe"))
            QVERIFY(odd::makeFifo(path));
        else if (odd == QStringLiteral("zero"))
            QVERIFY(odd::makeLink(QStringLiteral("/dev/zero"), path));
        const odd::HangGuard guard("loading something that is not a file");
        app->module.race.raceName = QStringLiteral("今のレース");
        openSheet(3);
        clickMarks(1, Qt::LeftButton, 2);
        app->dialogs.fileAnswers.push_back(path);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command8")));
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 1);
        QVERIFY2(app->dialogs.asked.back().text.contains(told), qPrintable(app->dialogs.asked.back().text));
        QCOMPARE(app->module.race.runnerCount, std::int16_t(3));
        QCOMPARE(app->module.race.raceName, QStringLiteral("今のレース"));
        QCOMPARE(app->module.race.markSheet[1][0], std::int16_t(2));
        QCOMPARE(markLabel(1)->text(), QStringLiteral("◎◎"));
        QVERIFY(numberLabel(2)->isVisible());
        QVERIFY(!numberLabel(3));
    }

    // A load over marks not yet saved asks first; キャンセル keeps the sheet as it was.
    void loadOverUnsavedWorkAsks_data()
    {
        QTest::addColumn<bool>("unsaved");
        QTest::addColumn<bool>("answer");
        QTest::newRow("saved sheet") << false << false;
        QTest::newRow("unsaved, OK") << true << true;
        QTest::newRow("unsaved, cancel") << true << false;
    }
    void loadOverUnsavedWorkAsks()
    {
        QFETCH(bool, unsaved);
        QFETCH(bool, answer);
        TempFolder folder;
        const QString path = folder.filePath(QStringLiteral("24122211.tkr"));
        putFile(path, fiveRunnerRace());
        openSheet(3);
        if (unsaved)
            clickMarks(1, Qt::LeftButton, 2);
        app->dialogs.confirmAnswers.push_back(answer);
        app->dialogs.fileAnswers.push_back(path);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command8")));
        QCOMPARE(app->dialogs.count(QStringLiteral("confirm")), unsaved ? 1 : 0);
        const bool replaced = !unsaved || answer;
        QCOMPARE(app->module.race.runnerCount, std::int16_t(replaced ? 5 : 3));
        QCOMPARE(markLabel(1)->text(), replaced ? QStringLiteral("△★") : QStringLiteral("◎◎"));
    }

    // Amounts of any length, a fraction and hand-written result texts come back from a load and a save unchanged.
    void loadThenSaveKeepsEveryValue()
    {
        TempFolder folder;
        QList<QByteArray> lines = fiveRunnerRace().split('\n');
        lines.removeLast();
        for (QByteArray& line : lines)
            line.chop(1);
        const QList<QByteArray> tail = {"+4", " .0 ", "123456789", " 2.5 ", " 98765432109 "};
        lines = lines.mid(0, 44) + tail;
        putFile(QStringLiteral("big.tkr"), fileLines(lines));
        // The dialog's bare names are in the race folder.
        app->module.raceFolder = folder.path();
        openSheet(2);
        app->dialogs.fileAnswers = {QStringLiteral("big.tkr"), QStringLiteral("copy.tkr")};
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command8")));
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command9")));
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 0);
        const QList<QByteArray> saved = fileBytes(QStringLiteral("copy.tkr")).split('\n').mid(44, 5);
        QCOMPARE(saved, (QList<QByteArray>{" 4 \r", " 0 \r", "123456789\r", " 2.5 \r", " 98765432109 \r"}));
    }

    // Leaving a race with unsaved work asks first, whichever way it is left; a race as opened, loaded or saved does
    // not. Closing the screen in front of the sheet only reveals it and asks nothing.
    void leavingAsksOnlyWithUnsavedWork_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("asks");
        const QStringList ways = {"menu", "close box"};
        for (const QString& way : ways) {
            auto row = [&way](const char* change, bool asks) {
                QTest::addRow("%s, %s", change, qPrintable(way)) << QString::fromUtf8(change) << way << asks;
            };
            row("nothing", false);
            row("a mark", true);
            row("a mark given and taken back", false);
            row("a name", true);
            row("the ticket count", true);
            row("the aim", true);
            row("marks saved", false);
            row("loaded", false);
            row("loaded, then a mark", true);
        }
        QTest::newRow("a mark, close box on the race conditions screen") << "a mark"
                                                                         << "close box on Form3" << false;
        QTest::newRow("a mark, close box on the prediction") << "a mark"
                                                             << "close box on Form5" << false;
    }
    void leavingAsksOnlyWithUnsavedWork()
    {
        QFETCH(QString, change);
        QFETCH(QString, way);
        QFETCH(bool, asks);
        TempFolder folder;
        putFile(QStringLiteral("race.tkr"), fiveRunnerRace());
        openSheet(3);
        if (change.startsWith(u"loaded")) {
            app->dialogs.fileAnswers = {folder.filePath(QStringLiteral("race.tkr"))};
            QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command8")));
            QCOMPARE(app->dialogs.count(QStringLiteral("error")), 0);
            QCOMPARE(app->module.race.runnerCount, std::int16_t(5));
        }
        if (change.contains(u"a mark") || change == u"marks saved")
            clickMarks(1, Qt::LeftButton);
        if (change == u"a mark given and taken back")
            clickMarks(1, Qt::RightButton);
        if (change == u"a name")
            entry::typeAndEnter(nameBox(0), QStringLiteral("アオイホシ"));
        if (change == u"the ticket count")
            entry::typeAndEnter(ticketBox(), QStringLiteral("6"));
        if (change == u"the aim")
            QTest::mouseClick(control(QStringLiteral("Option2")), Qt::LeftButton);
        if (change == u"marks saved") {
            app->dialogs.fileAnswers = {folder.filePath(QStringLiteral("saved.tkr"))};
            QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command9")));
            QCOMPARE(app->dialogs.count(QStringLiteral("error")), 0);
            QVERIFY(QFile::exists(folder.filePath(QStringLiteral("saved.tkr"))));
        }
        const int marks = markSum(1);
        app->dialogs.confirmAnswers = {false};
        app->dialogs.asked.clear();

        if (way == u"menu") {
            QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command1")));
            QVERIFY(app->click(ScreenId::Form3, QStringLiteral("Command1")));
        } else {
            if (way == u"close box on Form3")
                QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command1")));
            if (way == u"close box on Form5")
                QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command10")));
            app->window->close();
        }
        settle();
        QCOMPARE(app->dialogs.count(QStringLiteral("confirm")), asks ? 1 : 0);
        if (asks) {
            QCOMPARE(app->dialogs.asked.back().text,
                     QStringLiteral("印や馬名などをセーブしていません。セーブせずに閉じますがよろしいですか？"));
            QCOMPARE(app->dialogs.asked.back().title, QStringLiteral("データの破棄"));
            // Cancel: the race stays, marks and all.
            QVERIFY(app->nav().isLoaded(ScreenId::Form4));
            QCOMPARE(markSum(1), marks);
            QCOMPARE(app->endCalls, 0);
        } else if (way.startsWith(u"close box on")) {
            QCOMPARE(app->nav().front()->screenId(), ScreenId::Form4);
            QCOMPARE(markSum(1), marks);
        } else {
            QVERIFY(!app->nav().isLoaded(ScreenId::Form4));
        }
    }

    void leavingUnsavedWorkWithOk_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("menu") << "menu";
        QTest::newRow("close box") << "close box";
    }
    void leavingUnsavedWorkWithOk()
    {
        QFETCH(QString, way);
        openSheet(3);
        clickMarks(1, Qt::LeftButton);
        app->dialogs.confirmAnswers = {true};
        if (way == u"menu") {
            QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command1")));
            QVERIFY(app->click(ScreenId::Form3, QStringLiteral("Command1")));
            settle();
            QCOMPARE(app->nav().front()->screenId(), ScreenId::Form2);
        } else {
            app->window->close();
            settle();
            QCOMPARE(app->endCalls, 1);
        }
        QCOMPARE(app->dialogs.count(QStringLiteral("confirm")), 1);
        QVERIFY(!app->nav().isLoaded(ScreenId::Form4));
    }
};

TOKIRO_TEST_MAIN(MarkSheetScreenTest)
#include "mark_sheet_screen_test.moc"
