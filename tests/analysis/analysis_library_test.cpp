#include "analysis_folder.h"
#include "app_harness.h"
#include "temp_folder.h"
#include "test_files.h"
#include "test_main.h"
#include "typing.h"

#include "screens/analysis_library.h"

#include <QTabWidget>
#include <QTableView>

// The analysis screen as the program gets it: from its own library beside the program, loaded when the record or
// balance screen's button first opens it. A library that is missing or not a library leaves the user where they were,
// told why.
class AnalysisLibraryTest : public QObject {
    Q_OBJECT

private slots:
    // Opened twice from the record screen: the second time after the first screen was destroyed, with the library
    // still loaded. The screen is whole: its pages, and its race table filled from the folder.
    void opensFromTheLibraryBesideTheProgram()
    {
        TempFolder folder;
        QVERIFY(writeRaces(folder.path(), handComputedRaces()));
        AppHarness app;
        app.nav().setAnalysisMaker(loadAnalysisScreen);
        app.nav().show(ScreenId::Form7);
        for (int round = 0; round < 2; ++round) {
            QVERIFY(app.click(ScreenId::Form7, QStringLiteral("Command2")));
            Screen* screen = app.nav().front();
            QVERIFY(screen);
            QCOMPARE(screen->screenId(), ScreenId::Analysis);
            QCOMPARE(screen->metaObject()->className(), "AnalysisScreen");
            QVERIFY(screen->findChild<QTabWidget*>(QStringLiteral("analysisPages")));
            auto* races = screen->findChild<QAbstractItemModel*>(QStringLiteral("analysisRaces"));
            QVERIFY(races);
            QCOMPARE(races->rowCount(), 7);
            QVERIFY(app.click(ScreenId::Analysis, QStringLiteral("backButton")));
            settle();
            QCOMPARE(app.nav().front(), app.nav().screen(ScreenId::Form7));
            QVERIFY(!app.nav().isLoaded(ScreenId::Analysis));
        }
        QCOMPARE(app.dialogs.count(QStringLiteral("error")), 0);
    }

    void unusableLibraryIsReported_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not a library") << QByteArray("トキロ");
    }

    void unusableLibraryIsReported()
    {
        QFETCH(QByteArray, content);
        TempFolder folder;
        QTemporaryDir programFolder;
        const QString library = programFolder.filePath(QString::fromLatin1(analysisLibraryFile));
        if (!content.isEmpty()) {
            QVERIFY(QDir().mkpath(QFileInfo(library).path()));
            putFile(library, content);
        }
        AppHarness app;
        app.nav().setAnalysisMaker(loadAnalysisScreen);
        app.module.appFolder = programFolder.path();
        app.nav().show(ScreenId::Form8);
        QVERIFY(app.click(ScreenId::Form8, QStringLiteral("Command3")));
        QVERIFY(!app.nav().isLoaded(ScreenId::Analysis));
        QCOMPARE(app.nav().front(), app.nav().screen(ScreenId::Form8));
        QCOMPARE(app.dialogs.count(QStringLiteral("error")), 1);
        const auto& asked = app.dialogs.asked.back();
        QCOMPARE(asked.title, QStringLiteral("分析とグラフ"));
        QCOMPARE(asked.text,
                 QStringLiteral("「分析とグラフ」の画面を開けません。この画面のプログラム（%1）が見つからないか、"
                                "読み込めませんでした。トキロを入れ直してください。")
                     .arg(library));
    }
};

TOKIRO_TEST_MAIN(AnalysisLibraryTest)
#include "analysis_library_test.moc"
