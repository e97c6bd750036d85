// A user's whole path through the program in one process: predict a race, save it, record its result, see it in
// the record and the balance. Everything goes through the real widgets and the scripted dialogs.
#include "app_harness.h"
#include "temp_folder.h"
#include "test_files.h"
#include "test_main.h"
#include "typing.h"

#include <QApplication>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

// The marks of the example race: per horse ◎ ○ △ ▲ × ★.
constexpr int exampleMarks[8][6] = {
    {2, 1, 0, 0, 0, 0}, {1, 2, 1, 0, 0, 0}, {1, 0, 2, 1, 0, 0}, {0, 2, 1, 1, 0, 0},
    {0, 1, 0, 1, 1, 0}, {0, 0, 1, 0, 1, 1}, {0, 0, 0, 1, 0, 1}, {0, 0, 0, 0, 0, 0},
};

QWidget* focused() { return QApplication::focusWidget(); }

void press(Qt::Key key)
{
    QTest::keyClick(focused(), key);
    QCoreApplication::processEvents();
}

void typeAndEnter(const QString& text)
{
    typeText(focused(), text);
    press(Qt::Key_Return);
}

QByteArray cp932(const QStringList& lines)
{
    QStringEncoder encoder("CP932");
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += encoder.encode(line) + "\r\n";
    return bytes;
}

} // namespace

class JourneyTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<AppHarness> app;
    std::unique_ptr<TempFolder> folder;

    ScreenId frontId() const
    {
        Screen* front = app->nav().front();
        return front ? front->screenId() : ScreenId::Form1;
    }

    template <typename Widget = QWidget>
    Widget* on(ScreenId id, const QString& name)
    {
        auto* widget = app->find<Widget>(id, name);
        if (!widget)
            qWarning("no control %s", qPrintable(name));
        return widget;
    }

    QString caption(ScreenId id, const QString& name)
    {
        auto* label = on<QLabel>(id, name);
        return label ? label->text() : QStringLiteral("<missing>");
    }

    bool click(ScreenId id, const QString& name)
    {
        const bool clicked = app->click(id, name);
        settle();
        return clicked;
    }

    // Title, then the menu, then one of its jobs.
    void toMenu()
    {
        if (!app->nav().isLoaded(ScreenId::Form2)) {
            app->nav().show(ScreenId::Form1);
            QVERIFY(click(ScreenId::Form1, QStringLiteral("Command1")));
        }
        QCOMPARE(frontId(), ScreenId::Form2);
        QCOMPARE(app->module.race.ticketCount, std::int16_t(4));
    }

    // The race conditions with the keyboard alone: the pick lists are entered with the down arrow.
    void fillConditions(const QString& date, const QString& number, const QString& name, int courseDowns,
                        int distanceDowns, const QString& runners)
    {
        QCOMPARE(frontId(), ScreenId::Form3);
        QCOMPARE(focused(), on(ScreenId::Form3, QStringLiteral("Text1")));
        typeAndEnter(date);
        QCOMPARE(focused(), on(ScreenId::Form3, QStringLiteral("Text2")));
        typeAndEnter(number);
        typeAndEnter(name);
        QCOMPARE(focused(), on(ScreenId::Form3, QStringLiteral("Text4")));
        QVERIFY(on(ScreenId::Form3, QStringLiteral("List1"))->isVisible());
        press(Qt::Key_Down); // into the list, on "ＧⅠ"
        QCOMPARE(focused(), on(ScreenId::Form3, QStringLiteral("List1")));
        press(Qt::Key_Return);
        QCOMPARE(focused(), on(ScreenId::Form3, QStringLiteral("Text5")));
        press(Qt::Key_Down);
        for (int i = 0; i < courseDowns; ++i)
            press(Qt::Key_Down);
        press(Qt::Key_Return);
        QCOMPARE(focused(), on(ScreenId::Form3, QStringLiteral("Text6")));
        press(Qt::Key_Down);
        for (int i = 0; i < distanceDowns; ++i)
            press(Qt::Key_Down);
        press(Qt::Key_Return);
        QCOMPARE(focused(), on(ScreenId::Form3, QStringLiteral("Text7")));
        typeAndEnter(runners);
        QCOMPARE(focused(), on(ScreenId::Form3, QStringLiteral("Command2")));
        press(Qt::Key_Return); // "次のデータ入力へ"
        settle();
        QCOMPARE(frontId(), ScreenId::Form4);
    }

    // Marks by mouse: the mark buttons choose, a left click adds and a right click removes.
    void markExampleRace()
    {
        static const char* markButtons[] = {"Command2", "Command3", "Command4", "Command5", "Command6", "Command7"};
        for (int k = 0; k < 6; ++k) {
            QVERIFY(click(ScreenId::Form4, QString::fromUtf8(markButtons[k])));
            for (int r = 0; r < 8; ++r) {
                auto* marks = on(ScreenId::Form4, QStringLiteral("Label8(%1)").arg(r));
                QVERIFY(marks);
                for (int n = 0; n < exampleMarks[r][k]; ++n)
                    QTest::mouseClick(marks, Qt::LeftButton);
            }
        }
        // One mark too many on horse 8, taken back with the right button.
        auto* last = on(ScreenId::Form4, QStringLiteral("Label8(7)"));
        QTest::mouseClick(last, Qt::LeftButton);
        QCOMPARE(caption(ScreenId::Form4, QStringLiteral("Label8(7)")), QStringLiteral("★"));
        QTest::mouseClick(last, Qt::RightButton);
        QCOMPARE(caption(ScreenId::Form4, QStringLiteral("Label8(7)")), QString());
        QCOMPARE(caption(ScreenId::Form4, QStringLiteral("Label8(0)")), QStringLiteral("◎◎○"));
        QCOMPARE(caption(ScreenId::Form4, QStringLiteral("Label9")), QStringLiteral("★"));
    }

    void nameRunners(const QStringList& names)
    {
        auto* first = on(ScreenId::Form4, QStringLiteral("Text1(0)"));
        QVERIFY(first);
        first->setFocus();
        for (const QString& name : names)
            typeAndEnter(name);
        QCOMPARE(focused(), on(ScreenId::Form4, QStringLiteral("Command10")));
    }

    void predictAndCheck(const QStringList& tickets, const QString& axis)
    {
        QVERIFY(click(ScreenId::Form4, QStringLiteral("Command10")));
        QCOMPARE(frontId(), ScreenId::Form5);
        for (int t = 0; t < tickets.size(); ++t) {
            auto* ticket = on<QLabel>(ScreenId::Form5, QStringLiteral("Label49(%1)").arg(t));
            QVERIFY(ticket);
            QVERIFY(ticket->isVisible());
            QCOMPARE(ticket->text(), tickets[t]);
        }
        QCOMPARE(caption(ScreenId::Form5, QStringLiteral("Label47")), axis);
        QVERIFY(click(ScreenId::Form5, QStringLiteral("Command1")));
        QCOMPARE(frontId(), ScreenId::Form4);
    }

    // From the mark sheet back through the conditions to the menu.
    void backToMenu()
    {
        QVERIFY(click(ScreenId::Form4, QStringLiteral("Command1")));
        QCOMPARE(frontId(), ScreenId::Form3);
        QVERIFY(click(ScreenId::Form3, QStringLiteral("Command1")));
        QCOMPARE(frontId(), ScreenId::Form2);
        QVERIFY(!app->nav().isLoaded(ScreenId::Form4));
    }

    void pickOnlyRace(ScreenId id)
    {
        auto* list = on<QListWidget>(id, QStringLiteral("List1"));
        QVERIFY(list);
        QCOMPARE(list->count(), 1);
        QVERIFY(!on(id, QStringLiteral("Command2"))->isVisible());
        const QRect item = list->visualItemRect(list->item(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
        settle();
        QVERIFY(on(id, QStringLiteral("Command2"))->isVisible());
        QCOMPARE(focused(), on(id, QStringLiteral("Text1")));
    }

private slots:
    void init()
    {
        folder = std::make_unique<TempFolder>();
        app = std::make_unique<AppHarness>();
    }

    void cleanup()
    {
        app.reset();
        settle();
        folder.reset();
    }

    void hitFromEntryToRecord()
    {
        toMenu();
        QVERIFY(click(ScreenId::Form2, QStringLiteral("Command1")));
        fillConditions(QStringLiteral("2026/12/27"), QStringLiteral("11"), QStringLiteral("有馬記念"), 1, 8,
                       QStringLiteral("8"));
        const RaceState& race = app->module.race;
        QCOMPARE(race.raceDate, QStringLiteral("26/12/27"));
        QCOMPARE(race.raceNumber, std::int16_t(11));
        QCOMPARE(race.gradedText, QStringLiteral("ＧⅠ"));
        QCOMPARE(race.courseName, QStringLiteral("中山競馬場"));
        QCOMPARE(race.distanceText, QStringLiteral("2500m"));
        QCOMPARE(race.runnerCount, std::int16_t(8));
        QCOMPARE(caption(ScreenId::Form4, QStringLiteral("Label3")), QStringLiteral("第11レース"));

        markExampleRace();
        const QStringList names = {QStringLiteral("イクイノックス"),     QStringLiteral("ドウデュース"),
                                   QStringLiteral("タイトルホルダー"),   QStringLiteral("スターズオンアース"),
                                   QStringLiteral("ジャスティンパレス"), QStringLiteral("ソールオリエンス"),
                                   QStringLiteral("タスティエーラ"),     QStringLiteral("シャフリヤール")};
        nameRunners(names);
        QCOMPARE(race.runnerNames[2], QStringLiteral("タイトルホルダ｜"));

        // Four tickets wanted (the menu's default): the example race proposes 1-4, 2-4, 3-4 and 1-2.
        predictAndCheck(
            {QStringLiteral("1 － 4"), QStringLiteral("2 － 4"), QStringLiteral("3 － 4"), QStringLiteral("1 － 2")},
            QStringLiteral("3本軸"));

        // Saved under a name typed without the extension: it is listed later because ".tkr" is added.
        app->dialogs.fileAnswers.push_back(folder->filePath(QStringLiteral("26122711")));
        QVERIFY(click(ScreenId::Form4, QStringLiteral("Command9")));
        const QString file = folder->filePath(QStringLiteral("26122711.tkr"));
        QVERIFY(QFile::exists(file));
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 0);
        backToMenu();

        // The result, typed second-placed horse first: 4 then 1 is the proposed ticket 1-4.
        QVERIFY(click(ScreenId::Form2, QStringLiteral("Command2")));
        QCOMPARE(frontId(), ScreenId::Form6);
        pickOnlyRace(ScreenId::Form6);
        QCOMPARE(on<QLineEdit>(ScreenId::Form6, QStringLiteral("Text1"))->text(), QStringLiteral("00"));
        typeAndEnter(QStringLiteral("4"));
        QCOMPARE(on<QLineEdit>(ScreenId::Form6, QStringLiteral("Text1"))->text(), QStringLiteral("04"));
        typeAndEnter(QStringLiteral("1"));
        typeAndEnter(QStringLiteral("1230"));
        QCOMPARE(on<QLineEdit>(ScreenId::Form6, QStringLiteral("Text3"))->text(), QStringLiteral("001230"));
        QCOMPARE(focused(), on(ScreenId::Form6, QStringLiteral("Command2")));
        press(Qt::Key_Return); // "書き込み", confirmed with OK
        settle();
        QCOMPARE(app->dialogs.asked.back().title, QStringLiteral("データの書き換え"));
        QVERIFY(!on(ScreenId::Form6, QStringLiteral("Command2"))->isVisible());
        QVERIFY(on<QListWidget>(ScreenId::Form6, QStringLiteral("List1"))
                    ->item(0)
                    ->text()
                    .contains(QStringLiteral("一着：04番  二着：01番   配当金：001230円")));
        QVERIFY(click(ScreenId::Form6, QStringLiteral("Command1")));
        QCOMPARE(app->module.race.ticketCount, std::int16_t(4));

        // The record: one race, one hit, four tickets at 100 yen, the payout once.
        QVERIFY(click(ScreenId::Form2, QStringLiteral("Command3")));
        QCOMPARE(frontId(), ScreenId::Form7);
        auto* record = on<QListWidget>(ScreenId::Form7, QStringLiteral("List1"));
        QCOMPARE(record->count(), 1);
        QVERIFY(record->item(0)->text().startsWith(QStringLiteral("［あたり！］　26/12/27")));
        QVERIFY(record->item(0)->text().contains(QStringLiteral("01 - 04")));
        QCOMPARE(caption(ScreenId::Form7, QStringLiteral("Label6")), QStringLiteral("1"));
        QCOMPARE(caption(ScreenId::Form7, QStringLiteral("Label7")), QStringLiteral("1"));
        QCOMPARE(caption(ScreenId::Form7, QStringLiteral("Label8")), QStringLiteral("0"));
        QCOMPARE(caption(ScreenId::Form7, QStringLiteral("Label9")), QStringLiteral("100.0"));
        QCOMPARE(caption(ScreenId::Form7, QStringLiteral("Label12")), QStringLiteral("400円"));
        QCOMPARE(caption(ScreenId::Form7, QStringLiteral("Label13")), QStringLiteral("1230円"));
        QCOMPARE(caption(ScreenId::Form7, QStringLiteral("Label15")), QStringLiteral("307.5"));
        QVERIFY(click(ScreenId::Form7, QStringLiteral("Command1")));

        // The balance: 400 staked, 1230 received.
        QVERIFY(click(ScreenId::Form2, QStringLiteral("Command4")));
        QCOMPARE(frontId(), ScreenId::Form8);
        QCOMPARE(on<QLineEdit>(ScreenId::Form8, QStringLiteral("Text4"))->text(), QStringLiteral("0円"));
        pickOnlyRace(ScreenId::Form8);
        QCOMPARE(on<QLineEdit>(ScreenId::Form8, QStringLiteral("Text1"))->text(), QStringLiteral("0円"));
        typeAndEnter(QStringLiteral("400"));
        typeAndEnter(QStringLiteral("1230"));
        QCOMPARE(on<QLineEdit>(ScreenId::Form8, QStringLiteral("Text3"))->text(), QStringLiteral("830"));
        QCOMPARE(focused(), on(ScreenId::Form8, QStringLiteral("Command2")));
        press(Qt::Key_Return);
        settle();
        QCOMPARE(on<QLineEdit>(ScreenId::Form8, QStringLiteral("Text4"))->text(), QStringLiteral("830円"));
        QVERIFY(on<QListWidget>(ScreenId::Form8, QStringLiteral("List1"))
                    ->item(0)
                    ->text()
                    .contains(QStringLiteral("支出：000400円  収入：001230円   差額：000830円")));
        QVERIFY(click(ScreenId::Form8, QStringLiteral("Command1")));
        QCOMPARE(frontId(), ScreenId::Form2);

        // The file after both rewrites: line 2 and the copied result lines have lost their blanks, every other
        // number line keeps them.
        QStringList lines = {QStringLiteral("26/12/27"), QStringLiteral("11"),         QStringLiteral("有馬記念"),
                             QStringLiteral("ＧⅠ"),      QStringLiteral("中山競馬場"), QStringLiteral("2500m"),
                             QStringLiteral(" 4 "),      QStringLiteral(" 8 "),        QStringLiteral(" 0 ")};
        for (QString name : names)
            lines << name.replace(QStringLiteral("ー"), QStringLiteral("｜"));
        for (const auto& horse : exampleMarks)
            for (int count : horse)
                lines << QStringLiteral(" %1 ").arg(count);
        lines << QStringLiteral("4") << QStringLiteral("1") << QStringLiteral("1230") << QStringLiteral(" 400 ")
              << QStringLiteral(" 1230 ");
        QCOMPARE(fileBytes(file), cp932(lines));
        QCOMPARE(app->endCalls, 0);
    }

    void missWithCancelsAndReload()
    {
        toMenu();
        QVERIFY(click(ScreenId::Form2, QStringLiteral("Command1")));
        // "クリア" answered with キャンセル keeps what was typed.
        auto* date = on<QLineEdit>(ScreenId::Form3, QStringLiteral("Text1"));
        typeText(date, QStringLiteral("26/12/28"));
        app->dialogs.confirmAnswers.push_back(false);
        QVERIFY(click(ScreenId::Form3, QStringLiteral("Command3")));
        QCOMPARE(date->text(), QStringLiteral("26/12/28"));
        date->clear();
        date->setFocus();
        fillConditions(QStringLiteral("26/12/28"), QStringLiteral("5"), QStringLiteral("ホープフルＳ"), 0, 5,
                       QStringLiteral("8"));
        markExampleRace();

        const QString file = folder->filePath(QStringLiteral("26122805.tkr"));
        app->dialogs.fileAnswers.push_back(file);
        QVERIFY(click(ScreenId::Form4, QStringLiteral("Command9")));
        const QByteArray saved = fileBytes(file);
        QVERIFY(!saved.isEmpty());
        // Saving again over it, answered with キャンセル, leaves the file as it was.
        QVERIFY(click(ScreenId::Form4, QStringLiteral("Command3"))); // ○ as the current mark
        QTest::mouseClick(on(ScreenId::Form4, QStringLiteral("Label8(7)")), Qt::LeftButton);
        app->dialogs.fileAnswers.push_back(file);
        app->dialogs.confirmAnswers.push_back(false);
        QVERIFY(click(ScreenId::Form4, QStringLiteral("Command9")));
        QCOMPARE(app->dialogs.asked.back().text, QStringLiteral("データを上書きしますがよろしいですか？"));
        QCOMPARE(fileBytes(file), saved);
        backToMenu();

        // A result that misses every ticket, first cancelled, then written.
        QVERIFY(click(ScreenId::Form2, QStringLiteral("Command2")));
        pickOnlyRace(ScreenId::Form6);
        typeAndEnter(QStringLiteral("6"));
        typeAndEnter(QStringLiteral("7"));
        typeAndEnter(QStringLiteral("5400"));
        app->dialogs.confirmAnswers.push_back(false);
        press(Qt::Key_Return);
        settle();
        QCOMPARE(fileBytes(file), saved);
        QVERIFY(QFile::exists(folder->filePath(QStringLiteral("TKR.tmp"))));
        QVERIFY(!on(ScreenId::Form6, QStringLiteral("Command2"))->isVisible());
        QVERIFY(on<QLineEdit>(ScreenId::Form6, QStringLiteral("Text1"))->text().isEmpty());
        pickOnlyRace(ScreenId::Form6);
        typeAndEnter(QStringLiteral("6"));
        typeAndEnter(QStringLiteral("7"));
        typeAndEnter(QStringLiteral("5400"));
        press(Qt::Key_Return);
        settle();
        // Deleting it, answered with キャンセル, keeps it.
        pickOnlyRace(ScreenId::Form6);
        app->dialogs.confirmAnswers.push_back(false);
        QVERIFY(click(ScreenId::Form6, QStringLiteral("Command3")));
        QCOMPARE(app->dialogs.asked.back().title, QStringLiteral("データの削除"));
        QVERIFY(QFile::exists(file));
        QVERIFY(click(ScreenId::Form6, QStringLiteral("Command1")));

        QVERIFY(click(ScreenId::Form2, QStringLiteral("Command3")));
        auto* record = on<QListWidget>(ScreenId::Form7, QStringLiteral("List1"));
        QCOMPARE(record->count(), 1);
        QVERIFY(record->item(0)->text().startsWith(QStringLiteral("［はずれ！］　26/12/28")));
        QCOMPARE(caption(ScreenId::Form7, QStringLiteral("Label7")), QStringLiteral("0"));
        QCOMPARE(caption(ScreenId::Form7, QStringLiteral("Label9")), QStringLiteral("00.0"));
        QCOMPARE(caption(ScreenId::Form7, QStringLiteral("Label12")), QStringLiteral("400円"));
        QCOMPARE(caption(ScreenId::Form7, QStringLiteral("Label13")), QStringLiteral("0円"));
        QCOMPARE(caption(ScreenId::Form7, QStringLiteral("Label15")), QStringLiteral("00.0"));
        QVERIFY(click(ScreenId::Form7, QStringLiteral("Command1")));

        // Amounts typed and cancelled: the balance stays at nothing.
        QVERIFY(click(ScreenId::Form2, QStringLiteral("Command4")));
        pickOnlyRace(ScreenId::Form8);
        const QByteArray beforeBalance = fileBytes(file);
        typeAndEnter(QStringLiteral("1000"));
        typeAndEnter(QStringLiteral("0"));
        app->dialogs.confirmAnswers.push_back(false);
        press(Qt::Key_Return);
        settle();
        QCOMPARE(fileBytes(file), beforeBalance);
        QCOMPARE(on<QLineEdit>(ScreenId::Form8, QStringLiteral("Text4"))->text(), QStringLiteral("0円"));
        QVERIFY(click(ScreenId::Form8, QStringLiteral("Command1")));

        // The saved race loaded again on an empty mark sheet: its columns, marks and header come back.
        QVERIFY(click(ScreenId::Form2, QStringLiteral("Command1")));
        QVERIFY(click(ScreenId::Form3, QStringLiteral("Command2")));
        QCOMPARE(frontId(), ScreenId::Form4);
        QVERIFY(!app->find(ScreenId::Form4, QStringLiteral("Label8(1)")));
        app->dialogs.fileAnswers.push_back(file);
        QVERIFY(click(ScreenId::Form4, QStringLiteral("Command8")));
        QCOMPARE(app->module.race.runnerCount, std::int16_t(8));
        QCOMPARE(caption(ScreenId::Form4, QStringLiteral("Label1")), QStringLiteral("26/12/28"));
        QCOMPARE(caption(ScreenId::Form4, QStringLiteral("Label4")), QStringLiteral("ホープフルＳ"));
        QCOMPARE(caption(ScreenId::Form4, QStringLiteral("Label8(0)")), QStringLiteral("◎◎○"));
        QVERIFY(on(ScreenId::Form4, QStringLiteral("Label8(7)"))->isVisible());
        QCOMPARE(app->module.keptTailLines.firstPlace, TailValue::ofNumber(6));
        predictAndCheck(
            {QStringLiteral("1 － 4"), QStringLiteral("2 － 4"), QStringLiteral("3 － 4"), QStringLiteral("1 － 2")},
            QStringLiteral("3本軸"));
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 0);
    }
};

TOKIRO_TEST_MAIN(JourneyTest)
#include "journey_test.moc"
