#include "saved_races.h"

#include "app_harness.h"
#include "core/race_date.h"
#include "temp_folder.h"
#include "test_main.h"
#include "typing.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QTableView>

namespace {

// Four saved races of one day: two with no result, one with a result, and one whose date and number another shares.
void writeDay()
{
    WRITE_RACE("r11.tkr", sampleRace("24/05/26", 11, "東京優駿"), TailLines{});
    WRITE_RACE("r12.tkr", sampleRace("24/05/26", 12, "目黒記念"), results(num(3), num(8), num(2450)));
    WRITE_RACE("r10.tkr", sampleRace("24/05/26", 10, "むらさき賞"), TailLines{});
    WRITE_RACE("r10b.tkr", sampleRace("24/05/26", 10, "むらさき賞"), TailLines{});
}

const QString daySheet = QStringLiteral("日付\t場\tR\t1着\t2着\t馬連\n"
                                        "2024/5/26\t東京\t11\t1\t5\t6,940\n"
                                        "2024/5/26\t東京\t12\t2\t9\t1,200\n"
                                        "2024/5/26\t東京\t10\t4\t6\t800\n"
                                        "2024/5/26\t東京\t9\t4\t6\t800\n");

// Whether a widget tells the input method it takes text: Qt hands keys to the input method only then.
bool acceptsInputMethod(QObject* widget)
{
    QInputMethodQueryEvent query(Qt::ImEnabled);
    QCoreApplication::sendEvent(widget, &query);
    return query.value(Qt::ImEnabled).toBool();
}

QString resultLines(const QString& file)
{
    const QList<QByteArray> lines = fileLines(file);
    constexpr int first = 9 + 7 * 18;
    return QString::fromLatin1(lines.mid(first, 3).join('|'));
}

} // namespace

class DayResultsScreenTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TempFolder> folder;
    std::unique_ptr<AppHarness> app;
    std::unique_ptr<QAbstractItemModelTester> tester;
    std::optional<RaceDateTodayForTests> today;

    QTableView* table() { return app->find<QTableView>(ScreenId::DayResults, QStringLiteral("table")); }
    QAbstractItemModel* rows() { return table()->model(); }
    QString shown(const char* name)
    {
        auto* label = app->find<QLabel>(ScreenId::DayResults, QString::fromLatin1(name));
        return label ? label->text() : QStringLiteral("(none)");
    }
    bool ticked(int row) { return rows()->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked; }

    // Opens the day screen from the result entry and pastes text with Ctrl+V.
    void openAndPaste(const QString& text)
    {
        app->nav().show(ScreenId::Form6);
        QVERIFY(app->click(ScreenId::Form6, QStringLiteral("dayResults")));
        QCOMPARE(app->nav().front()->screenId(), ScreenId::DayResults);
        tester =
            std::make_unique<QAbstractItemModelTester>(rows(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        QApplication::clipboard()->setText(text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        settle();
    }

private slots:
    void initTestCase() { today.emplace(QDate(2024, 6, 1)); }
    void init()
    {
        folder = std::make_unique<TempFolder>();
        writeDay();
        app = std::make_unique<AppHarness>();
    }
    void cleanup()
    {
        tester.reset();
        app.reset();
        folder.reset();
    }

    // A row per pasted race: the matched race ticked, the race with a result unticked, the two alike and the
    // missing one not tickable; the row's state is shown under the table.
    void pasteShowsARowPerRace()
    {
        openAndPaste(daySheet);
        QCOMPARE(rows()->rowCount(), 4);
        QVERIFY(ticked(0));
        QVERIFY(!ticked(1));
        QVERIFY(rows()->flags(rows()->index(1, 0)) & Qt::ItemIsUserCheckable);
        QVERIFY(!(rows()->flags(rows()->index(2, 0)) & Qt::ItemIsUserCheckable));
        QVERIFY(!(rows()->flags(rows()->index(3, 0)) & Qt::ItemIsUserCheckable));
        QCOMPARE(shown("status"),
                 QStringLiteral("4レースを読みました。保存したレースが決まったもの 2、チェックしたもの 1。"));
        QCOMPARE(shown("rowNote"), QStringLiteral("書き込みます。"));
        QCOMPARE(QApplication::focusWidget(), table());
        QTest::keyClick(table(), Qt::Key_Down);
        QVERIFY(shown("rowNote").startsWith(QStringLiteral("別の結果が入っています（一着 3、二着 8")));
    }

    // キャンセル writes nothing; OK writes the ticked races (Space ticks, by key or as an input method commits it)
    // and says which were not written and why; back on the result entry, the list shows the new results.
    void writeAfterOneConfirmation()
    {
        openAndPaste(daySheet);
        QVERIFY(!acceptsInputMethod(table()));
        QTest::keyClick(table(), Qt::Key_Down);
        QTest::keyClick(table(), Qt::Key_Space);
        QVERIFY(ticked(1));
        QTest::keyClick(table(), Qt::Key_Space);
        QVERIFY(!ticked(1));
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("　"));
        QCoreApplication::sendEvent(table(), &commit);
        QVERIFY(ticked(1));

        const QByteArray before11 = fileBytes("r11.tkr");
        const QByteArray before12 = fileBytes("r12.tkr");
        app->dialogs.confirmAnswers = {false};
        QVERIFY(app->click(ScreenId::DayResults, QStringLiteral("writeDay")));
        QCOMPARE(app->dialogs.asked.back().text,
                 QStringLiteral("チェックした2レースの結果を書き込みますがよろしいですか？"));
        QCOMPARE(fileBytes("r11.tkr"), before11);
        QCOMPARE(fileBytes("r12.tkr"), before12);

        QVERIFY(app->click(ScreenId::DayResults, QStringLiteral("writeDay")));
        QCOMPARE(resultLines("r11.tkr"), QStringLiteral(" 1 | 5 | 6940 "));
        QCOMPARE(resultLines("r12.tkr"), QStringLiteral(" 2 | 9 | 1200 "));
        QCOMPARE(shown("status"), QStringLiteral("2レースの結果を書き込みました。"));
        const QString report = app->dialogs.asked.back().text;
        QVERIFY2(report.contains(QStringLiteral("2024年5月26日 東京 10R：あてはまる保存したレースが2件あり")),
                 qPrintable(report));
        QVERIFY(report.contains(
            QStringLiteral("2024年5月26日 東京 9R：この日付・競馬場・レース番号の保存したレースがありません。")));

        QVERIFY(app->click(ScreenId::DayResults, QStringLiteral("back")));
        settle();
        QCOMPARE(app->nav().front()->screenId(), ScreenId::Form6);
        auto* list = app->find<QListWidget>(ScreenId::Form6, "List1");
        QVERIFY(list->item(2)->text().contains(QStringLiteral("一着：01番")));
    }

    // A dead heat: the row cannot be ticked until the pair is chosen (Enter on the row asks), and only that pair is
    // written.
    void deadHeatIsChosen()
    {
        openAndPaste(QStringLiteral("2024/5/26\t東京\t11\t1\t5\t6940\n2024/5/26\t東京\t11\t1\t7\t3100\n"));
        QCOMPARE(rows()->rowCount(), 1);
        QVERIFY(!ticked(0));
        app->dialogs.confirmAnswers = {false, false};
        QTest::keyClick(table(), Qt::Key_Space);    // Space on a dead heat asks for the pair too
        QCOMPARE(app->dialogs.count("confirm"), 2); // each pair offered in turn, neither taken
        QVERIFY(!ticked(0));
        app->dialogs.confirmAnswers = {false, true};
        QTest::keyClick(table(), Qt::Key_Return);
        QVERIFY(ticked(0));
        QVERIFY(shown("rowNote").startsWith(QStringLiteral("同着：選んだ組だけを書き込みます（1-5 は残りません）。")));
        QVERIFY(app->click(ScreenId::DayResults, QStringLiteral("writeDay")));
        QCOMPARE(resultLines("r11.tkr"), QStringLiteral(" 1 | 7 | 3100 "));
    }

    // The whole day without the mouse, from the result entry as it opens (on its list): back to the button, open,
    // paste, on to 書き込み, write, OK; eight presses.
    void keyboardOnly()
    {
        app->nav().show(ScreenId::Form6);
        settle();
        int presses = 0;
        auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            QTest::keyClick(QApplication::focusWidget(), key, modifiers);
            settle();
            ++presses;
        };
        QApplication::clipboard()->setText(QStringLiteral("2024/5/26\t東京\t11\t1\t5\t6,940\n"));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("List1"));
        press(Qt::Key_Tab, Qt::ShiftModifier);
        press(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("dayResults"));
        press(Qt::Key_Return);
        QCOMPARE(app->nav().front()->screenId(), ScreenId::DayResults);
        press(Qt::Key_V, Qt::ControlModifier);
        press(Qt::Key_Tab);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("writeDay"));
        press(Qt::Key_Return);
        ++presses; // the OK of the question, which the scripted dialogs answer
        QCOMPARE(app->dialogs.count("confirm"), 1);
        QCOMPARE(presses, 8);
        QCOMPARE(resultLines("r11.tkr"), QStringLiteral(" 1 | 5 | 6940 "));
    }

    void refusedPasteChangesNothing()
    {
        openAndPaste(daySheet);
        QCOMPARE(rows()->rowCount(), 4);
        QApplication::clipboard()->setText(QStringLiteral("今日は晴れ"));
        QVERIFY(app->click(ScreenId::DayResults, QStringLiteral("pasteDay")));
        QCOMPARE(app->dialogs.asked.back().kind, QStringLiteral("error"));
        QCOMPARE(rows()->rowCount(), 4);
    }
};

TOKIRO_TEST_MAIN(DayResultsScreenTest)
#include "test_day_results.moc"
