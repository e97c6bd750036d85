#include "core/name_text.h"
#include "entry_helpers.h"
#include "racefile/cp932.h"
#include "racefile/race_bytes.h"
#include "screens/mark_sheet_screen.h"
#include "temp_folder.h"
#include "test_main.h"

#include <QAbstractItemModel>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableView>
#include <QTextDocument>

using entry::settle;

namespace {

QByteArray sjis(const QString& text) { return encodeCp932(text).value_or(QByteArray()); }

constexpr int runners = 16;
const QStringList tipsterNames = {"本紙", "記者Ａ", "記者Ｂ", "記者Ｃ", "予想屋", "ＡＩ", "研究会", "トラックマン"};

// The reference race: 16 runners, 8 tipsters each giving ◎ ○ ▲ △ △ × to six runners (horse numbers), spread as
// papers spread them.
constexpr int given[8][6] = {{3, 7, 1, 5, 12, 9},  {7, 3, 12, 1, 16, 4}, {3, 12, 7, 9, 2, 14}, {1, 3, 7, 12, 5, 10},
                             {12, 7, 3, 6, 1, 15}, {3, 1, 7, 8, 12, 11}, {7, 3, 9, 1, 12, 6},  {16, 3, 7, 12, 1, 5}};
constexpr int givenKinds[6] = {0, 1, 3, 2, 2, 4}; // ◎ ○ ▲ △ △ ×

// The marks of tipster t as a column: kind per runner, -1 for none.
std::vector<int> columnOf(int t)
{
    std::vector<int> marks(runners, -1);
    for (int m = 0; m < 6; ++m)
        marks[static_cast<std::size_t>(given[t][m] - 1)] = givenKinds[m];
    return marks;
}

// The same marks as a paper prints them: 「◎3 ○7 ▲1 △5 △12 ×9」.
QString pairsOf(int t)
{
    QStringList pairs;
    for (int m = 0; m < 6; ++m)
        pairs += markSymbol(givenKinds[m]) + QString::number(given[t][m]);
    return pairs.join(u' ');
}

// Counts of the reference race, as the grid's column sums.
MarkSheet referenceCounts()
{
    MarkSheet counts{};
    for (int t = 0; t < 8; ++t)
        for (int m = 0; m < 6; ++m)
            ++counts[static_cast<std::size_t>(given[t][m] - 1)][static_cast<std::size_t>(givenKinds[m])];
    return counts;
}

} // namespace

class TipsterGridScreenTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempFolder> folder;
    std::unique_ptr<AppHarness> app;
    int presses = 0;

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
    // The grid, its model under Qt's model tester from the first look on (a grid screen makes a model of its own).
    QTableView* grid()
    {
        auto* view = onGrid<QTableView>(QStringLiteral("grid"));
        QAbstractItemModel* model = view ? view->model() : nullptr;
        if (model && !model->findChild<QAbstractItemModelTester*>())
            new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::QtTest, model);
        return view;
    }
    QLabel* markLabel(int i) { return onSheet<QLabel>(QStringLiteral("Label8(%1)").arg(i)); }

    // One key pressed where the focus is, counted.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(focused);
        QTest::keyClick(focused, static_cast<Qt::Key>(key), modifiers);
        QCoreApplication::processEvents();
        ++presses;
    }

    void openSheet(int count)
    {
        app->module.race.runnerCount = static_cast<std::int16_t>(count);
        app->nav().show(ScreenId::Form4);
        QVERIFY(app->nav().isLoaded(ScreenId::Form4));
    }

    void newApp()
    {
        app.reset();
        settle();
        app = std::make_unique<AppHarness>();
        app->module.race.ticketCount = 4;
    }

    QByteArray saveAs(const QString& name)
    {
        app->dialogs.fileAnswers.push_back(name);
        [&] { QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command9"))); }();
        return fileBytes(folder->filePath(name));
    }

    void loadRace(const QString& name)
    {
        app->dialogs.fileAnswers.push_back(name);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command8")));
    }

    // The reference race entered from the keyboard alone, from the sheet's first name box; returns the presses
    // spent on the marks themselves.
    int enterReferenceRace()
    {
        presses = 0;
        // Enter through the name boxes to 「予想します」, back three to 「予想家ごとの印」, and in.
        for (int r = 0; r < runners; ++r)
            press(Qt::Key_Return);
        for (int i = 0; i < 3; ++i)
            press(Qt::Key_Tab, Qt::ShiftModifier);
        if (QApplication::focusWidget() != onSheet(QStringLiteral("tipsterGridButton")))
            return -1;
        press(Qt::Key_Return);
        if (!app->nav().isLoaded(ScreenId::TipsterGrid) || !grid())
            return -1;
        const int reached = presses;
        // The tipsters named in the name box, each with Enter; an empty Enter goes on to the marks.
        auto* name = onGrid<QLineEdit>(QStringLiteral("tipsterName"));
        if (QApplication::focusWidget() != name)
            return -1;
        for (const QString& tipster : tipsterNames) {
            entry::type(name, tipster);
            press(Qt::Key_Return);
        }
        press(Qt::Key_Return);
        const int named = presses;
        // Column by column down the runners: the mark's key where a mark is, Enter where none is.
        for (int t = 0; t < 8; ++t) {
            const std::vector<int> marks = columnOf(t);
            for (int r = 0; r < runners; ++r) {
                press(marks[static_cast<std::size_t>(r)] >= 0 ? Qt::Key_1 + marks[static_cast<std::size_t>(r)]
                                                              : Qt::Key_Return);
            }
        }
        const int marked = presses - named;
        qInfo("reference race by keyboard: %d presses to the grid, %d for 8 tipster names (besides typing them), "
              "%d for 48 marks",
              reached, named - reached, marked);
        return marked;
    }

private slots:
    void init()
    {
        folder = std::make_unique<TempFolder>();
        newApp();
    }
    void cleanup()
    {
        app.reset();
        settle();
        folder.reset();
    }

    void referenceRaceByKeyboard()
    {
        openSheet(runners);
        const int marks = enterReferenceRace();
        QVERIFY(marks > 0);
        // One press a cell: 16 runners by 8 tipsters.
        QCOMPARE(marks, runners * 8);
        QCOMPARE(app->module.race.markSheet, referenceCounts());
        QCOMPARE(int(app->module.race.tipsters.columns.size()), 8);
        for (int t = 0; t < 8; ++t) {
            QCOMPARE(app->module.race.tipsters.columns[t].name, tipsterNames[t]);
            for (int r = 0; r < runners; ++r)
                QCOMPARE(int(app->module.race.tipsters.columns[t].marks[r]), columnOf(t)[r]);
        }
        // The grid shows it as the counts hold it; back on the sheet the labels show the sums.
        QCOMPARE(grid()->model()->index(2, 2).data().toString(), QStringLiteral("◎"));
        QVERIFY(app->click(ScreenId::TipsterGrid, QStringLiteral("back")));
        settle();
        QVERIFY(!app->nav().isLoaded(ScreenId::TipsterGrid));
        QCOMPARE(markLabel(2)->text(), QStringLiteral("◎◎◎○○○○▲"));
        QCOMPARE(markLabel(2)->toolTip(), QStringLiteral("◎3 ○4 ▲1"));
    }

    void sameRaceByPasteAndByClicks()
    {
        openSheet(runners);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("tipsterGridButton")));
        auto* name = onGrid<QLineEdit>(QStringLiteral("tipsterName"));
        for (const QString& tipster : tipsterNames)
            entry::typeAndEnter(name, tipster);
        for (int t = 0; t < 8; ++t) {
            grid()->setCurrentIndex(grid()->model()->index(0, t + 2));
            grid()->setFocus();
            QApplication::clipboard()->setText(pairsOf(t));
            QTest::keyClick(grid(), Qt::Key_V, Qt::ControlModifier);
        }
        QCOMPARE(app->module.race.markSheet, referenceCounts());
        // Pasting over a column asks first; キャンセル keeps it.
        app->dialogs.confirmAnswers = {false};
        QApplication::clipboard()->setText(QStringLiteral("◎1"));
        QTest::keyClick(grid(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(app->module.race.markSheet, referenceCounts());
        // The runner list pasted into the names.
        grid()->setCurrentIndex(grid()->model()->index(0, 1));
        QApplication::clipboard()->setText(QStringLiteral("1\t1\tドウデュース\t牡5\n2\t3\tイクイノックス\t牡4\n"));
        QTest::keyClick(grid(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(app->module.race.runnerNames[2], QStringLiteral("イクイノックス"));
        QCOMPARE(app->module.race.runnerNames[0], QStringLiteral("ドウデュ｜ス"));

        // The same marks clicked on the mark sheet of another race give the same counts.
        const MarkSheet pasted = app->module.race.markSheet;
        newApp();
        openSheet(runners);
        for (int t = 0; t < 8; ++t) {
            for (int m = 0; m < 6; ++m) {
                QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command%1").arg(givenKinds[m] + 2)));
                QTest::mouseClick(markLabel(given[t][m] - 1), Qt::LeftButton);
            }
        }
        QCOMPARE(app->module.race.markSheet, pasted);
        // Those marks belong to no tipster: the grid shows them under その他.
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("tipsterGridButton")));
        QCOMPARE(grid()->model()->columnCount(), 3);
        QCOMPARE(grid()->model()->index(2, 2).data().toString(), QStringLiteral("◎◎◎○○○○▲"));
    }

    void savedAndLoadedWithTheRace()
    {
        openSheet(runners);
        QVERIFY(enterReferenceRace() > 0);
        QVERIFY(app->click(ScreenId::TipsterGrid, QStringLiteral("back")));
        const QByteArray saved = saveAs(QStringLiteral("ref.tkr"));
        // The race's own lines are those of the same race without a grid; the block follows them.
        RaceState plain = app->module.race;
        plain.tipsters = {};
        QByteArray withoutGrid;
        QVERIFY(raceFileBytes(plain, TailLines{}, withoutGrid).ok);
        QVERIFY(saved.startsWith(withoutGrid));
        QVERIFY(saved.sliced(withoutGrid.size()).startsWith(sjis(QStringLiteral("[予想家ごとの印] 1\r\n"))));

        // A race without tipsters is written as ever: nothing after the income line.
        newApp();
        openSheet(3);
        QVERIFY(app->module.race.tipsters.empty() == false); // the columns carried over from ref.tkr
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("tipsterGridButton")));
        for (int t = 0; t < 8; ++t) {
            grid()->setCurrentIndex(grid()->model()->index(0, 2));
            app->click(ScreenId::TipsterGrid, QStringLiteral("removeTipster"));
        }
        QVERIFY(app->module.race.tipsters.empty());
        QVERIFY(app->click(ScreenId::TipsterGrid, QStringLiteral("back")));
        plain = app->module.race;
        QByteArray fresh;
        QVERIFY(raceFileBytes(plain, TailLines{}, fresh).ok);
        QCOMPARE(saveAs(QStringLiteral("plain.tkr")), fresh);
        QCOMPARE(fresh.count("\r\n"), 14 + 7 * 3);

        // Loaded again, the grid is back as it was entered.
        newApp();
        openSheet(2);
        loadRace(QStringLiteral("ref.tkr"));
        QCOMPARE(app->module.race.markSheet, referenceCounts());
        QCOMPARE(int(app->module.race.tipsters.columns.size()), 8);
        QCOMPARE(app->module.race.tipsters.columns[7].name, tipsterNames[7]);
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 0);
        QVERIFY(!app->nav().screen(ScreenId::Form4)->hasUnsavedWork());
    }

    void newRaceStartsWithTheLastTipsters()
    {
        RaceState race;
        race.runnerCount = 5;
        addTipster(race, QStringLiteral("本紙"));
        addTipster(race, QStringLiteral("記者Ａ"));
        setTipsterMark(race, 1, 4, 0);
        QVERIFY(writeRaceFile(folder->filePath(QStringLiteral("old.tkr")), race, TailLines{}).ok);
        QTest::qWait(20);
        std::swap(race.tipsters.columns[0].name, race.tipsters.columns[1].name);
        QVERIFY(writeRaceFile(folder->filePath(QStringLiteral("newer.tkr")), race, TailLines{}).ok);
        openSheet(8);
        const TipsterGrid& carried = app->module.race.tipsters;
        QCOMPARE(int(carried.columns.size()), 2);
        QCOMPARE(carried.columns[0].name, QStringLiteral("記者Ａ"));
        QCOMPARE(carried.columns[1].name, QStringLiteral("本紙"));
        QCOMPARE(marksOfTipster(carried, 0, 8) + marksOfTipster(carried, 1, 8), 0);
        // The sheet opens clean: nothing to save yet.
        QVERIFY(!app->nav().screen(ScreenId::Form4)->hasUnsavedWork());
        // Columns are added, renamed and moved on the grid.
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("tipsterGridButton")));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(grid()));
        entry::type(onGrid(QStringLiteral("tipsterName")), QStringLiteral("研究会"));
        QVERIFY(app->click(ScreenId::TipsterGrid, QStringLiteral("renameTipster")) == true);
        QVERIFY(app->click(ScreenId::TipsterGrid, QStringLiteral("moveRight")));
        QCOMPARE(carried.columns[0].name, QStringLiteral("本紙"));
        QCOMPARE(carried.columns[1].name, QStringLiteral("研究会"));
    }

    void unreadableBlocks_data()
    {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<int>("tipsters");
        const QByteArray good =
            sjis(QStringLiteral("[予想家ごとの印] 1\r\n 1 \r\n本紙\r\n◎・\r\n[/予想家ごとの印]\r\n"));
        QByteArray damaged = good;
        damaged.replace(sjis(QStringLiteral("◎・")), sjis(QStringLiteral("◎")));
        QTest::newRow("damaged") << damaged << QStringLiteral("こわれている") << 0;
        QByteArray unknown = good;
        unknown.replace(" 1\r\n 1 ", " 3\r\n 1 ");
        QTest::newRow("unknown version") << unknown << QStringLiteral("知らない形") << 0;
        QTest::newRow("counts below the block") << good << QStringLiteral("1個はずしました") << 1;
    }
    void unreadableBlocks()
    {
        QFETCH(QByteArray, block);
        QFETCH(QString, notice);
        QFETCH(int, tipsters);
        // Two runners; the file's counts hold no ◎ at all, while the block gives horse 1 one.
        RaceState race;
        race.runnerCount = 2;
        race.markSheet[1][2] = 1;
        QByteArray bytes;
        QVERIFY(raceFileBytes(race, TailLines{}, bytes).ok);
        putFile(folder->filePath(QStringLiteral("odd.tkr")), bytes + block);
        openSheet(4);
        loadRace(QStringLiteral("odd.tkr"));
        // The race loads from its counts, and the user is told.
        QCOMPARE(app->module.race.runnerCount, std::int16_t(2));
        QCOMPARE(app->module.race.markSheet[0][0], std::int16_t(0));
        QCOMPARE(app->module.race.markSheet[1][2], std::int16_t(1));
        QCOMPARE(int(app->module.race.tipsters.columns.size()), tipsters);
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 1);
        QVERIFY2(app->dialogs.asked.back().text.contains(notice), qPrintable(app->dialogs.asked.back().text));
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("tipsterGridButton")));
        QVERIFY(onGrid<QLabel>(QStringLiteral("status"))->text().contains(notice));
        QVERIFY(app->click(ScreenId::TipsterGrid, QStringLiteral("back")));
        // Nothing is overwritten until a save; a save without a grid of its own keeps the block as it was.
        QCOMPARE(fileBytes(folder->filePath(QStringLiteral("odd.tkr"))), bytes + block);
        if (tipsters == 0)
            QCOMPARE(saveAs(QStringLiteral("odd.tkr")), bytes + block);
    }

    void markSheetByKeyboard()
    {
        openSheet(3);
        addTipster(app->module.race, QStringLiteral("本紙"));
        setTipsterMark(app->module.race, 0, 1, 0);
        // The mark labels follow the name boxes in the tab order.
        onSheet(QStringLiteral("Text1(2)"))->setFocus();
        QWidget* next = onSheet(QStringLiteral("Text1(2)"))->nextInFocusChain();
        while (next && next->focusPolicy() == Qt::NoFocus)
            next = next->nextInFocusChain();
        QCOMPARE(next, static_cast<QWidget*>(markLabel(0)));
        markLabel(0)->setFocus(Qt::TabFocusReason);
        presses = 0;
        press(Qt::Key_1);
        press(Qt::Key_1);
        press(Qt::Key_3);
        QCOMPARE(markLabel(0)->text(), QStringLiteral("◎◎△"));
        QCOMPARE(markLabel(0)->toolTip(), QStringLiteral("◎2 △1"));
        press(Qt::Key_1, Qt::ShiftModifier);
        QCOMPARE(markLabel(0)->text(), QStringLiteral("◎△"));
        press(Qt::Key_Delete); // the mark in use: ◎, the last one pressed
        QCOMPARE(markLabel(0)->text(), QStringLiteral("△"));
        // A mark typed through the input method counts as its key.
        entry::type(markLabel(0), QStringLiteral("★"));
        QCOMPARE(markLabel(0)->text(), QStringLiteral("△★"));
        // Runner 1 stands at the right: the left arrow goes on to runner 2, whose ◎ is 本紙's.
        press(Qt::Key_Left);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(markLabel(1)));
        app->dialogs.confirmAnswers = {false};
        press(Qt::Key_1, Qt::ShiftModifier);
        QCOMPARE(app->module.race.markSheet[1][0], std::int16_t(1));
        QVERIFY(app->dialogs.asked.back().text.contains(QStringLiteral("本紙")));
        press(Qt::Key_1, Qt::ShiftModifier); // OK this time: the mark leaves the grid too
        QCOMPARE(app->module.race.markSheet[1][0], std::int16_t(0));
        QCOMPARE(app->module.race.tipsters.columns[0].marks[1], noMark);
        press(Qt::Key_Right);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(markLabel(0)));
        QCOMPARE(presses, 9);
    }

    // A name is no longer than a person uses, however it comes in; a paste says which names it shortened. A name
    // shows as its characters in a tooltip, never as markup.
    void namesKeepToANamesLength()
    {
        openSheet(3);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("tipsterGridButton")));
        auto* name = onGrid<QLineEdit>(QStringLiteral("tipsterName"));
        entry::typeAndEnter(name, QStringLiteral("<b>x</b>") + QString(maxNameLength, u'y'));
        const QString kept = app->module.race.tipsters.columns.at(0).name;
        QCOMPARE(kept, (QStringLiteral("<b>x</b>") + QString(maxNameLength, u'y')).first(maxNameLength));

        grid()->setCurrentIndex(grid()->model()->index(0, 1));
        grid()->setFocus();
        QApplication::clipboard()->setText(QStringLiteral("1 ") + QString(600000, u'ア')
                                           + QStringLiteral("\n2 イクイノックス\n3 ") + QString(maxNameLength, u'ド'));
        QTest::keyClick(grid(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(app->module.race.runnerNames[0], QString(maxNameLength, u'ア'));
        QCOMPARE(app->module.race.runnerNames[1], QStringLiteral("イクイノックス"));
        QCOMPARE(app->module.race.runnerNames[2], QString(maxNameLength, u'ド'));
        QCOMPARE(onGrid<QLabel>(QStringLiteral("status"))->text(),
                 QStringLiteral("3頭の馬名を貼り付けました（1～3番）。1番の馬名は長すぎるため、%1文字までにしました。")
                     .arg(maxNameLength));

        grid()->edit(grid()->model()->index(1, 1));
        auto* editor = grid()->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        QCOMPARE(editor->maxLength(), maxNameLength);

        // The same mark given twice by one tipster: the cell's tooltip names the tipster in plain text.
        grid()->setCurrentIndex(grid()->model()->index(0, 2));
        grid()->setFocus();
        press(Qt::Key_1);
        press(Qt::Key_1);
        QTextDocument shown;
        shown.setHtml(grid()->model()->index(0, 2).data(Qt::ToolTipRole).toString());
        QCOMPARE(shown.toPlainText(), kept + QStringLiteral("は◎を二頭以上につけています"));
    }

    void namesThroughTheRace()
    {
        openSheet(4);
        for (int r = 0; r < 4; ++r)
            entry::typeAndEnter(onSheet(QStringLiteral("Text1(%1)").arg(r)), QStringLiteral("ウマ%1").arg(r + 1));
        for (const auto& [button, runner] : {std::pair{2, 0}, {2, 0}, {3, 1}, {2, 1}, {3, 2}, {4, 3}}) {
            QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command%1").arg(button)));
            QTest::mouseClick(markLabel(runner), Qt::LeftButton);
        }
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command10")));
        auto* names = app->find<QLabel>(ScreenId::Form5, QStringLiteral("ticketNames"));
        QVERIFY(names && names->isVisible());
        QVERIFY2(names->text().contains(QStringLiteral(" 1 ウマ1"))
                     && names->text().contains(QStringLiteral(" 2 ウマ2")),
                 qPrintable(names->text()));
        QVERIFY(names->geometry().top() > app->find<QLabel>(ScreenId::Form5, QStringLiteral("Label49(0)"))->y());
        QVERIFY(app->click(ScreenId::Form5, QStringLiteral("Command1")));
        saveAs(QStringLiteral("names.tkr"));

        app->nav().show(ScreenId::Form6);
        auto* list = app->find<QListWidget>(ScreenId::Form6, QStringLiteral("List1"));
        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_Return);
        auto* first = app->find<QLineEdit>(ScreenId::Form6, QStringLiteral("Text1"));
        entry::typeAndEnter(first, QStringLiteral("3"));
        QCOMPARE(app->find<QLabel>(ScreenId::Form6, QStringLiteral("firstName"))->text(), QStringLiteral("ウマ3"));
        entry::typeAndEnter(app->find<QLineEdit>(ScreenId::Form6, QStringLiteral("Text2")), QStringLiteral("9"));
        QCOMPARE(app->find<QLabel>(ScreenId::Form6, QStringLiteral("secondName"))->text(), QString());
    }

    // Pastes through Ctrl+V as a user makes them: what was read is said, a whole mark table fills a column per
    // tipster (matched by who the tipster is, however spelt; new ones added; asked before marks are replaced), and a
    // paste refused changes nothing.
    void pastesSayWhatTheyRead()
    {
        openSheet(4);
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("tipsterGridButton")));
        entry::typeAndEnter(onGrid<QLineEdit>(QStringLiteral("tipsterName")), QStringLiteral("記者Ｂ"));
        auto* status = onGrid<QLabel>(QStringLiteral("status"));
        const auto pasteAt = [this](int row, int column, const QString& text) {
            grid()->setCurrentIndex(grid()->model()->index(row, column));
            grid()->setFocus();
            QApplication::clipboard()->setText(text);
            QTest::keyClick(grid(), Qt::Key_V, Qt::ControlModifier);
        };
        pasteAt(0, 2, QStringLiteral("◎②ドウデュース ▽④"));
        QCOMPARE(status->text(), QStringLiteral("予想家「記者Ｂ」の印を貼り付けました：◎2 △4"));

        const QString table = QStringLiteral("予想印\n馬番\t馬名\t本紙\t記者B\n1\tドウデュース\t◎\t\n"
                                             "2\tイクイノックス\t\t○\n3\tリバティアイランド\t○\t◎\n");
        const MarkSheet before = app->module.race.markSheet;
        app->dialogs.confirmAnswers = {false};
        pasteAt(0, 2, table);
        QVERIFY(app->dialogs.asked.back().text.contains(QStringLiteral("「記者Ｂ」")));
        QCOMPARE(app->module.race.tipsters.columns.size(), std::size_t(1));
        QCOMPARE(app->module.race.markSheet, before);

        pasteAt(0, 2, table);
        const auto& columns = app->module.race.tipsters.columns;
        QCOMPARE(columns.size(), std::size_t(2));
        QCOMPARE(columns[0].name, QStringLiteral("記者Ｂ"));
        QCOMPARE(columns[1].name, QStringLiteral("本紙"));
        QCOMPARE(grid()->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("本紙"));
        for (const auto& [tipster, runner, kind] : {std::tuple{0, 1, 1}, {0, 2, 0}, {1, 0, 0}, {1, 2, 1}})
            QCOMPARE(int(columns[tipster].marks[runner]), kind);
        QCOMPARE(int(columns[0].marks[3]), -1); // the △ on 4 was replaced with the column
        QCOMPARE(app->module.race.markSheet[2][0], std::int16_t(1));
        QCOMPARE(app->module.race.markSheet[2][1], std::int16_t(1));
        QCOMPARE(app->module.race.markSheet[3][2], std::int16_t(0));
        QVERIFY2(status->text().contains(QStringLiteral("2人の予想家の印を貼り付けました"))
                     && status->text().contains(QStringLiteral("新しく加えた予想家：本紙")),
                 qPrintable(status->text()));

        // Refused: nothing changes, and the reason is shown.
        const MarkSheet pasted = app->module.race.markSheet;
        pasteAt(0, 3, QStringLiteral("◎3 ○9"));
        QVERIFY2(status->text().contains(QStringLiteral("馬番9")), qPrintable(status->text()));
        QCOMPARE(app->module.race.markSheet, pasted);

        // Names: a card of more runners than the race keeps nothing and says so; one that fits says what it took.
        pasteAt(0, 1, QStringLiteral("1 ドウデュース\n2 イクイノックス\n5 リバティアイランド\n"));
        QVERIFY2(status->text().contains(QStringLiteral("5番までありますが、このレースは4頭立て")),
                 qPrintable(status->text()));
        QCOMPARE(app->module.race.runnerNames[0], QString());
        pasteAt(0, 1,
                QStringLiteral("レース\t10\n馬番\t枠番\t馬名\t騎手\n1\t1\tドウデュース\t武豊\n3\t2\tｲｸｲﾉｯｸｽ\tルメール\n"
                               "4\t2\tリバティアイ"));
        QCOMPARE(app->module.race.runnerNames[0], QStringLiteral("ドウデュ｜ス"));
        QCOMPARE(app->module.race.runnerNames[2], QStringLiteral("イクイノックス"));
        QCOMPARE(app->module.race.runnerNames[3], QString());
        QVERIFY2(status->text().contains(QStringLiteral("2頭の馬名を貼り付けました"))
                     && status->text().contains(QStringLiteral("4番の「リバティアイ」は途中で切れている"))
                     && status->text().contains(QStringLiteral("2番の馬名はありませんでした")),
                 qPrintable(status->text()));
    }
};

TOKIRO_TEST_MAIN(TipsterGridScreenTest)
#include "tipster_grid_screen_test.moc"
