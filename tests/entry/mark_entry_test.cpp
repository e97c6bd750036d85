// The mark entry with a Japanese input method switched on, leaving the grid by keyboard, and the tipsters a new race
// starts with.
#include "core/tipster_grid.h"
#include "entry_helpers.h"
#include "racefile/race_file.h"
#include "racefile/race_folder.h"
#include "temp_folder.h"
#include "test_main.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>

#include <algorithm>

using entry::settle;

namespace {

// Whether a widget tells the input method it takes text: Qt hands keys to the input method only then.
bool acceptsInputMethod(QObject* widget)
{
    QInputMethodQueryEvent query(Qt::ImEnabled);
    QCoreApplication::sendEvent(widget, &query);
    return query.value(Qt::ImEnabled).toBool();
}

void sendInputMethod(QObject* to, const QString& preedit, const QString& commit)
{
    QInputMethodEvent event(preedit, {});
    event.setCommitString(commit);
    QCoreApplication::sendEvent(to, &event);
}

// A Japanese input method (mozc on fcitx5) switched on, as Qt routes keys to it. A control that takes text gets the
// keys composed: a digit or a letter goes into the composition, shown as preedit, and Enter commits it and is used up.
// A control that says it takes none gets the keys themselves. Every press is counted.
class InputMethodOn {
public:
    int presses = 0;

    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        ++presses;
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        if (!acceptsInputMethod(focus)) {
            QTest::keyClick(focus, static_cast<Qt::Key>(key), modifiers);
        } else if (key >= Qt::Key_0 && key <= Qt::Key_9 && modifiers == Qt::NoModifier) {
            composition += QChar(u'０' + (key - Qt::Key_0)); // mozc's digits in kana mode: full-width
            sendInputMethod(focus, composition, {});
        } else if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !composition.isEmpty()) {
            sendInputMethod(focus, {}, composition);
            composition.clear();
        } else {
            QTest::keyClick(focus, static_cast<Qt::Key>(key), modifiers);
        }
        QCoreApplication::processEvents();
    }

    // A word typed by its reading (one press a kana, as with kana input), converted with Space and committed with
    // Enter: what the control gets is the preedit of each step and the word.
    void word(const QString& reading, const QString& converted)
    {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus && acceptsInputMethod(focus));
        for (qsizetype i = 1; i <= reading.size(); ++i) {
            ++presses;
            sendInputMethod(QApplication::focusWidget(), reading.left(i), {});
        }
        presses += 2;
        sendInputMethod(QApplication::focusWidget(), converted, {});
        sendInputMethod(QApplication::focusWidget(), {}, converted);
        QCoreApplication::processEvents();
    }

private:
    QString composition;
};

constexpr int runners = 16;
constexpr int tipsterCount = 6;
struct Tipster {
    const char16_t* reading;
    const char16_t* name;
};
constexpr Tipster tipsters[tipsterCount] = {{u"ほんし", u"本紙"},     {u"きしゃＡ", u"記者Ａ"},
                                            {u"きしゃＢ", u"記者Ｂ"}, {u"よそうや", u"予想屋"},
                                            {u"えーあい", u"ＡＩ"},   {u"けんきゅうかい", u"研究会"}};
// The reference race: each tipster gives ◎ ○ ▲ △ △ × to six runners (horse numbers).
constexpr int given[tipsterCount][6] = {{3, 7, 1, 5, 12, 9},  {7, 3, 12, 1, 16, 4}, {3, 12, 7, 9, 2, 14},
                                        {1, 3, 7, 12, 5, 10}, {12, 7, 3, 6, 1, 15}, {3, 1, 7, 8, 12, 11}};
constexpr int givenKinds[6] = {0, 1, 3, 2, 2, 4}; // ◎ ○ ▲ △ △ ×

std::vector<int> columnOf(int t)
{
    std::vector<int> marks(runners, noMark);
    for (int m = 0; m < 6; ++m)
        marks[static_cast<std::size_t>(given[t][m] - 1)] = givenKinds[m];
    return marks;
}

} // namespace

class MarkEntryTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempFolder> folder;
    std::unique_ptr<AppHarness> app;

    template <typename Widget = QWidget>
    Widget* onGrid(const QString& name)
    {
        return app->find<Widget>(ScreenId::TipsterGrid, name);
    }
    template <typename Widget = QWidget>
    Widget* onSheet(const QString& name)
    {
        return app->find<Widget>(ScreenId::Form4, name);
    }
    QTableView* grid() { return onGrid<QTableView>(QStringLiteral("grid")); }
    QLabel* markLabel(int i) { return onSheet<QLabel>(QStringLiteral("Label8(%1)").arg(i)); }
    QWidget* focused() { return QApplication::focusWidget(); }

    void openSheet(int count)
    {
        app->module.race.runnerCount = static_cast<std::int16_t>(count);
        app->nav().show(ScreenId::Form4);
        QVERIFY(app->nav().isLoaded(ScreenId::Form4));
    }

    // The grid of a race of count runners with the tipsters named, the focus on a cell.
    void openGrid(int count, const QStringList& names, int row, int column)
    {
        openSheet(count);
        for (const QString& name : names)
            addTipster(app->module.race, name);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("tipsterGridButton")));
        grid()->setCurrentIndex(grid()->model()->index(row, column));
        grid()->setFocus();
    }

private slots:
    void init()
    {
        folder = std::make_unique<TempFolder>();
        app = std::make_unique<AppHarness>();
        app->module.race.ticketCount = 4;
    }
    void cleanup()
    {
        app.reset();
        settle();
        folder.reset();
    }

    // The reference race typed with the input method on from start to end: names composed and committed, marks by
    // their keys, every mark on its horse.
    void referenceRaceWithInputMethodOn()
    {
        openSheet(runners);
        InputMethodOn keys;
        // Through the empty name boxes to 「予想します」, back three to 「予想家ごとの印」, and in.
        for (int r = 0; r < runners; ++r)
            keys.press(Qt::Key_Return);
        for (int i = 0; i < 3; ++i)
            keys.press(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(focused(), onSheet(QStringLiteral("tipsterGridButton")));
        keys.press(Qt::Key_Return);
        QVERIFY(app->nav().isLoaded(ScreenId::TipsterGrid));
        const int reached = keys.presses;
        // Each tipster's name composed in the name box (its Enter commits it), then Enter adds the column.
        QCOMPARE(focused(), onGrid(QStringLiteral("tipsterName")));
        for (const Tipster& tipster : tipsters) {
            keys.word(QString::fromUtf16(tipster.reading), QString::fromUtf16(tipster.name));
            keys.press(Qt::Key_Return);
        }
        keys.press(Qt::Key_Return); // an empty Enter: on to the marks
        const int named = keys.presses;
        QCOMPARE(focused(), static_cast<QWidget*>(grid()));
        // The input method is still on; the mark cells take the keys themselves.
        for (int t = 0; t < tipsterCount; ++t) {
            const std::vector<int> marks = columnOf(t);
            for (int r = 0; r < runners; ++r) {
                const int kind = marks[static_cast<std::size_t>(r)];
                keys.press(kind != noMark ? Qt::Key_1 + kind : Qt::Key_Return);
            }
        }
        const int marked = keys.presses - named;
        QCOMPARE(marked, runners * tipsterCount);
        const TipsterGrid& entered = app->module.race.tipsters;
        QCOMPARE(int(entered.columns.size()), tipsterCount);
        for (int t = 0; t < tipsterCount; ++t) {
            QCOMPARE(entered.columns[t].name, QString::fromUtf16(tipsters[t].name));
            for (int r = 0; r < runners; ++r)
                QCOMPARE(int(entered.columns[t].marks[r]), columnOf(t)[r]);
        }
        // A name typed into the grid's name column goes through the input method into the cell.
        for (int t = 0; t < tipsterCount; ++t) // from the last tipster's column to the names
            keys.press(Qt::Key_Left);
        QCOMPARE(grid()->currentIndex().column(), 1);
        keys.word(QStringLiteral("どうでゅーす"), QStringLiteral("ドウデュース"));
        keys.press(Qt::Key_Return);
        QCOMPARE(app->module.race.runnerNames[runners - 1], QStringLiteral("ドウデュ｜ス"));
        // Tab leaves the grid for the controls below it; Esc goes back to the sheet, which shows the marks.
        keys.press(Qt::Key_Tab);
        QCOMPARE(focused(), onGrid(QStringLiteral("tipsterName")));
        keys.press(Qt::Key_Escape);
        settle();
        QVERIFY(!app->nav().isLoaded(ScreenId::TipsterGrid));
        QCOMPARE(markLabel(2)->text(), QStringLiteral("◎◎◎○○▲"));
        qInfo("reference race with the input method on: %d presses to the grid, %d for %d tipster names (kana, "
              "Space, Enter, Enter), %d for the marks (one a cell)",
              reached, named - reached, tipsterCount, marked);
    }

    // What an input method may still send to a mark cell or a mark label: the mark goes where it was typed, once.
    void inputMethodEventsOnMarks_data()
    {
        QTest::addColumn<QStringList>("events"); // preedit|commit, one event each
        QTest::addColumn<QString>("marks");      // the marks given, in order from the cell typed on
        QTest::newRow("digit composed, committed by Enter") << QStringList{"４|", "|４"} << "▲";
        QTest::newRow("digit composed, dropped on reset") << QStringList{"４|", "|"} << "▲";
        QTest::newRow("two digits in one composition") << QStringList{"４|", "４５|", "|４５"} << "▲×";
        QTest::newRow("mark committed whole") << QStringList{"|◎"} << "◎";
        QTest::newRow("まる converted to ◎") << QStringList{"ま|", "まる|", "◎|", "|◎"} << "◎";
        QTest::newRow("composition given up") << QStringList{"ま|", "|"} << "";
        QTest::newRow("half-width digit committed") << QStringList{"|3"} << "△";
        QTest::newRow("commit and a new composition") << QStringList{"|◎", "|○"} << "◎○";
        QTest::newRow("text that is no mark") << QStringList{"|あ"} << "";
    }
    void inputMethodEventsOnMarks()
    {
        QFETCH(QStringList, events);
        QFETCH(QString, marks);
        auto send = [&](QObject* to) {
            for (const QString& event : events) {
                const QStringList parts = event.split(u'|');
                sendInputMethod(to, parts[0], parts[1]);
            }
        };
        // On the sheet the marks add up on the label typed on.
        openSheet(5);
        app->module.race.tipsters = {};
        markLabel(1)->setFocus(Qt::TabFocusReason);
        send(markLabel(1));
        QString sorted = marks;
        std::ranges::sort(sorted, [](QChar a, QChar b) {
            return QStringLiteral("◎○△▲×★").indexOf(a) < QStringLiteral("◎○△▲×★").indexOf(b);
        });
        QCOMPARE(markLabel(1)->text(), sorted);
        QCOMPARE(markLabel(0)->text(), QString());
        QCOMPARE(markLabel(2)->text(), QString());
        // On the grid each mark moves the cell down, as a key does.
        for (int r = 0; r < 5; ++r)
            std::ranges::fill(app->module.race.markSheet[r], std::int16_t(0));
        addTipster(app->module.race, QStringLiteral("本紙"));
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("tipsterGridButton")));
        grid()->setCurrentIndex(grid()->model()->index(1, 2));
        send(grid());
        QString onGrid;
        for (int r = 1; r < 5; ++r)
            onGrid += markSymbol(app->module.race.tipsters.columns[0].marks[r]);
        QCOMPARE(onGrid, marks);
        QCOMPARE(grid()->currentIndex(), grid()->model()->index(1 + marks.size(), 2));
        QCOMPARE(int(app->module.race.tipsters.columns[0].marks[0]), noMark);
    }

    // Which controls tell the input method they take text: marks and numbers never do, names and dates do.
    void inputMethodOnWhereTextIsTyped()
    {
        openGrid(3, {QStringLiteral("本紙")}, 0, 2);
        QVERIFY(!acceptsInputMethod(grid()));
        grid()->setCurrentIndex(grid()->model()->index(0, 1));
        QVERIFY(acceptsInputMethod(grid()));
        QVERIFY(acceptsInputMethod(onGrid(QStringLiteral("tipsterName"))));
        QVERIFY(app->click(ScreenId::TipsterGrid, QStringLiteral("back")));
        settle();
        QVERIFY(!acceptsInputMethod(markLabel(0)));
        QVERIFY(acceptsInputMethod(onSheet(QStringLiteral("Text1(0)"))));
        QVERIFY(!acceptsInputMethod(onSheet(QStringLiteral("Text2"))));
        // The date is typed through the input method: 令和6年5月26日, committed with Enter, taken with Enter.
        app->nav().show(ScreenId::Form3);
        auto* date = app->find<QLineEdit>(ScreenId::Form3, QStringLiteral("Text1"));
        date->setFocus();
        date->clear();
        InputMethodOn keys;
        keys.word(QStringLiteral("れいわ６ねん５がつ２６にち"), QStringLiteral("令和６年５月２６日"));
        QCOMPARE(date->text(), QStringLiteral("令和６年５月２６日"));
        keys.press(Qt::Key_Return);
        QCOMPARE(date->text(), QStringLiteral("24/05/26"));
        QCOMPARE(focused(), app->find<QWidget>(ScreenId::Form3, QStringLiteral("Text2")));
    }

    // Tab from any cell of the grid reaches 「戻ります」 in as many presses as there are controls below the grid, in
    // the order they are seen; Shift+Tab goes the other way round.
    void tabLeavesTheGrid()
    {
        const QStringList below = {"tipsterName", "addTipster", "renameTipster", "removeTipster", "moveLeft",
                                   "moveRight",   "pasteMarks", "pasteNames",    "back"};
        openGrid(4, {QStringLiteral("本紙"), QStringLiteral("記者Ａ")}, 0, 0);
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < grid()->model()->columnCount(); ++column) {
                grid()->setCurrentIndex(grid()->model()->index(row, column));
                grid()->setFocus(Qt::TabFocusReason);
                for (const QString& name : below) {
                    QTest::keyClick(focused(), Qt::Key_Tab);
                    QCOMPARE(focused()->objectName(), name);
                }
                QTest::keyClick(focused(), Qt::Key_Tab);
                QCOMPARE(focused(), static_cast<QWidget*>(grid()));
                QCOMPARE(grid()->currentIndex(), grid()->model()->index(row, column)); // the cell it left
                QTest::keyClick(focused(), Qt::Key_Tab, Qt::ShiftModifier);
                QCOMPARE(focused()->objectName(), QStringLiteral("back"));
            }
        }
        // Enter on 「戻ります」 goes back, as a click does.
        QTest::keyClick(focused(), Qt::Key_Return);
        settle();
        QVERIFY(!app->nav().isLoaded(ScreenId::TipsterGrid));
        QCOMPARE(app->nav().front(), app->nav().screen(ScreenId::Form4));
    }

    void escapeLeavesTheGrid_data()
    {
        QTest::addColumn<QString>("from");
        QTest::newRow("a mark cell") << "grid";
        QTest::newRow("the tipster name box") << "tipsterName";
        QTest::newRow("a button") << "pasteMarks";
    }
    void escapeLeavesTheGrid()
    {
        QFETCH(QString, from);
        openGrid(3, {QStringLiteral("本紙")}, 1, 2);
        QTest::keyClick(grid(), Qt::Key_1);
        onGrid(from)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(focused(), Qt::Key_Escape);
        settle();
        QVERIFY(!app->nav().isLoaded(ScreenId::TipsterGrid));
        QCOMPARE(app->nav().front(), app->nav().screen(ScreenId::Form4));
        QCOMPARE(markLabel(1)->text(), QStringLiteral("◎"));
        // Esc in a name cell being edited gives up the edit and stays.
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("tipsterGridButton")));
        grid()->setCurrentIndex(grid()->model()->index(0, 1));
        grid()->setFocus();
        QTest::keyClick(grid(), Qt::Key_A);
        QVERIFY(focused() != grid());
        QTest::keyClick(focused(), Qt::Key_Escape);
        QVERIFY(app->nav().isLoaded(ScreenId::TipsterGrid));
        QCOMPARE(app->module.race.runnerNames[0], QString());
    }

    // A new race starts with the tipsters of the race saved last from the mark sheet, whatever was written into the
    // folder's races since; while that race is not known, with those of the newest race that has a grid.
    void carryOver_data()
    {
        QTest::addColumn<bool>("forgotten");    // the remembered name is gone (a folder from an earlier version)
        QTest::addColumn<bool>("savedWithout"); // the race saved last has no grid
        QTest::addColumn<QStringList>("carried");
        const QStringList saved = {"本紙", "記者Ａ"};
        QTest::newRow("the race saved last") << false << false << saved;
        QTest::newRow("not known: the newest with a grid") << true << false << saved;
        QTest::newRow("the race saved last has none") << false << true << QStringList{};
    }
    void carryOver()
    {
        QFETCH(bool, forgotten);
        QFETCH(bool, savedWithout);
        QFETCH(QStringList, carried);
        // An older race without a grid, and one with other tipsters written by another program.
        RaceState other;
        other.runnerCount = 4;
        QVERIFY(writeRaceFile(folder->filePath(QStringLiteral("older.tkr")), other, TailLines{}).ok);
        addTipster(other, QStringLiteral("研究会"));
        QVERIFY(writeRaceFile(folder->filePath(QStringLiteral("oldest.tkr")), other, TailLines{}).ok);
        QTest::qWait(20);
        // This race saved from the sheet.
        openSheet(5);
        app->module.race.tipsters = {};
        if (!savedWithout) {
            for (const QString& name : {QStringLiteral("本紙"), QStringLiteral("記者Ａ")})
                addTipster(app->module.race, name);
        }
        app->dialogs.fileAnswers.push_back(QStringLiteral("saved"));
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command9")));
        QVERIFY(QFileInfo::exists(folder->filePath(QStringLiteral("saved.tkr"))));
        QTest::qWait(20);
        // Then a result written into the older race, which makes it the file changed last.
        const RaceFolder races(folder->path());
        PendingRewrite pending;
        QVERIFY(races
                    .prepareResults(QStringLiteral("older.tkr"), QStringLiteral("3"), QStringLiteral("1"),
                                    QStringLiteral("1230"), pending)
                    .ok);
        QVERIFY(races.commit(pending).ok);
        if (forgotten)
            QVERIFY(QFile::remove(folder->filePath(RaceFolder::lastSavedFileName)));
        // The result's file is no race of the lists, and the next race starts as told.
        QCOMPARE(int(races.catalogue().size()), 3);
        app.reset();
        settle();
        app = std::make_unique<AppHarness>();
        openSheet(8);
        QStringList names;
        for (const TipsterColumn& column : app->module.race.tipsters.columns)
            names += column.name;
        QCOMPARE(names, carried);
        QCOMPARE(marksOfTipster(app->module.race.tipsters, 0, 8), 0);
    }

    // On the mark sheet, Tab from every name box and mark label reaches 「戻ります」 within the count of its controls.
    void tabReachesBackOnTheSheet()
    {
        openSheet(runners);
        auto* back = onSheet(QStringLiteral("Command1"));
        const int controls = static_cast<int>(app->nav().screen(ScreenId::Form4)->findChildren<QWidget*>().size());
        for (int r = 0; r < runners; ++r) {
            for (QWidget* start : {onSheet(QStringLiteral("Text1(%1)").arg(r)), static_cast<QWidget*>(markLabel(r))}) {
                start->setFocus(Qt::TabFocusReason);
                int presses = 0;
                while (focused() != back && presses < controls) {
                    QTest::keyClick(focused(), Qt::Key_Tab);
                    ++presses;
                }
                QVERIFY2(focused() == back, qPrintable(start->objectName()));
            }
        }
    }
};

TOKIRO_TEST_MAIN(MarkEntryTest)
#include "mark_entry_test.moc"
