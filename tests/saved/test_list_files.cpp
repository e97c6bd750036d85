// The lists of saved races tell apart two files of one race, and the record screen's keys.
#include "saved_races.h"

#include "app_harness.h"
#include "temp_folder.h"
#include "test_main.h"
#include "typing.h"

#include <QHelpEvent>
#include <QPushButton>
#include <QToolTip>

class ListFilesTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        QToolTip::hideText();
        settle();
    }

    // One race saved under two names gives two lines alike; the tooltip of each names its file.
    void twoFilesOfOneRace_data()
    {
        QTest::addColumn<int>("screen");
        QTest::newRow("result entry") << int(ScreenId::Form6);
        QTest::newRow("record") << int(ScreenId::Form7);
        QTest::newRow("balance") << int(ScreenId::Form8);
    }
    void twoFilesOfOneRace()
    {
        QFETCH(int, screen);
        const auto id = static_cast<ScreenId>(screen);
        TempFolder folder;
        const RaceState race = sampleRace(QStringLiteral("24/05/26"), 11, QStringLiteral("日本ダービー"));
        WRITE_RACE(folder.filePath(QStringLiteral("24052611.tkr")), race, results(num(3), num(8), num(870)));
        WRITE_RACE(folder.filePath(QStringLiteral("derby.tkr")), race, results(num(3), num(8), num(870)));
        AppHarness app;
        app.nav().show(id);
        auto* list = app.find<QListWidget>(id, QStringLiteral("List1"));
        QVERIFY(list);
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), list->item(1)->text());
        QStringList tips;
        for (int row = 0; row < 2; ++row) {
            const QPoint at = list->visualItemRect(list->item(row)).center();
            QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
            QCoreApplication::sendEvent(list->viewport(), &help);
            tips += QToolTip::text();
        }
        QCOMPARE(tips, (QStringList{QStringLiteral("ファイル：24052611.tkr"), QStringLiteral("ファイル：derby.tkr")}));
        // Below the last line there is no file to tell.
        const QPoint below(4, list->viewport()->height() - 2);
        QHelpEvent none(QEvent::ToolTip, below, list->viewport()->mapToGlobal(below));
        QCoreApplication::sendEvent(list->viewport(), &none);
        QTRY_COMPARE(QToolTip::text(), QString());
    }

    // The record screen: the focus starts on 「戻ります」; Tab goes round top to bottom, left to right.
    void recordTabOrder()
    {
        TempFolder folder;
        WRITE_RACE(folder.filePath(QStringLiteral("a.tkr")), sampleRace(QStringLiteral("24/05/26"), 11, "a"),
                   TailLines{});
        AppHarness app;
        app.nav().show(ScreenId::Form7);
        auto focusName = [] {
            return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
        };
        QCOMPARE(focusName(), QStringLiteral("Command1"));
        QStringList order;
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order += focusName();
        }
        QCOMPARE(order, (QStringList{"List1", "pageExport", "Command2", "Command1"}));
    }
};

TOKIRO_TEST_MAIN(ListFilesTest)
#include "test_list_files.moc"
