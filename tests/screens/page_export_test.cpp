#include "app_harness.h"
#include "temp_folder.h"
#include "test_files.h"
#include "test_main.h"
#include "tests/saved/saved_races.h"
#include "typing.h"

#include "screens/page_export.h"
#include "screens/screen.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>

#include <memory>

namespace {

// The text a PDF holds, as poppler's pdftotext reads it; pdfinfo's page size when info is set.
QString pdfText(const QString& path, bool info = false)
{
    const QString tool = QStandardPaths::findExecutable(info ? QStringLiteral("pdfinfo") : QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return QStringLiteral("<poppler-utils is not installed: scripts/deps.sh test>");
    QProcess reader;
    reader.start(tool, info ? QStringList{path} : QStringList{QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!reader.waitForFinished(30000))
        return QStringLiteral("<pdftotext did not finish>");
    return QString::fromUtf8(reader.readAllStandardOutput());
}

// Not a blank page: a good share of the pixels is not the black background, in a number of colours.
bool drawn(const QImage& image)
{
    qsizetype notBlack = 0;
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            const QRgb pixel = image.pixel(x, y) & 0xFFFFFF;
            notBlack += pixel != 0;
            colours.insert(pixel);
        }
    }
    return notBlack * 4 * 20 > qsizetype{image.width()} * image.height() && colours.size() >= 8;
}

} // namespace

// The result, the record and the analysis as a PNG at one or two times their size, and printed to PDF on A4 under a
// heading that names the race or the filter.
class PageExportTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempFolder> folder;
    std::unique_ptr<AppHarness> app;

    // Brings the screen to the front: "result" for a race just predicted, "record", or "analysis" over the record.
    Screen* open(const QString& which)
    {
        if (which == u"result") {
            app->module.race = sampleRace(QStringLiteral("26/12/27"), 11, QStringLiteral("有馬記念"));
            app->nav().show(ScreenId::Form5);
        } else {
            app->nav().show(ScreenId::Form7);
            if (which == u"analysis")
                app->click(ScreenId::Form7, QStringLiteral("Command2"));
        }
        settle();
        return app->nav().front();
    }

    static QAction* action(Screen* screen, const char* name)
    {
        auto* button = screen->findChild<QPushButton*>(QStringLiteral("pageExport"));
        return button && button->menu() ? button->menu()->findChild<QAction*>(QString::fromLatin1(name)) : nullptr;
    }

private slots:
    void init()
    {
        folder = std::make_unique<TempFolder>();
        WRITE_RACE(folder->filePath(QStringLiteral("26122711.tkr")),
                   sampleRace(QStringLiteral("26/12/27"), 11, QStringLiteral("有馬記念")),
                   results(num(3), num(8), num(1230)));
        WRITE_RACE(folder->filePath(QStringLiteral("26112911.tkr")),
                   sampleRace(QStringLiteral("26/11/29"), 11, QStringLiteral("ジャパンＣ")),
                   results(num(1), num(2), num(4560)));
        app = std::make_unique<AppHarness>();
    }
    void cleanup()
    {
        app.reset();
        folder.reset();
        settle();
    }

    void picture_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<int>("scale");
        QTest::addColumn<QString>("proposedName");
        QTest::newRow("result") << "result" << 1 << "26122711_予想.png";
        QTest::newRow("result twice") << "result" << 2 << "26122711_予想_2倍.png";
        QTest::newRow("record") << "record" << 1 << "これまでの勝敗.png";
        QTest::newRow("analysis twice") << "analysis" << 2 << "分析_概要_2倍.png";
    }
    void picture()
    {
        QFETCH(QString, screen);
        QFETCH(int, scale);
        QFETCH(QString, proposedName);
        Screen* shown = open(screen);
        QVERIFY(shown);
        // Named without an extension, the file gets .png.
        app->dialogs.fileAnswers.push_back(folder->filePath(QStringLiteral("picture")));
        QAction* save = action(shown, scale == 2 ? "savePictureTwice" : "savePicture");
        QVERIFY(save);
        save->trigger();
        QCOMPARE(app->dialogs.asked.back().proposedName, proposedName);
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 0);
        const QImage image(folder->filePath(QStringLiteral("picture.png")));
        QCOMPARE(image.size(), QSize(800, 600) * scale);
        QVERIFY(drawn(image));
    }

    // A picture already there is replaced only when the user agrees; cancelling the dialog writes nothing.
    void existingPictureKeptUnlessTold()
    {
        Screen* shown = open(QStringLiteral("record"));
        const QString path = folder->filePath(QStringLiteral("record.png"));
        putFile(path, "mine");
        app->dialogs.fileAnswers = {path, path};
        app->dialogs.confirmAnswers = {false, true};
        action(shown, "savePicture")->trigger();
        QCOMPARE(fileBytes(path), QByteArray("mine"));
        action(shown, "savePicture")->trigger();
        QCOMPARE(QImage(path).size(), QSize(800, 600));
        QCOMPARE(app->dialogs.count(QStringLiteral("confirm")), 2);
        action(shown, "savePicture")->trigger();
        QCOMPARE(QDir(folder->path()).entryList({QStringLiteral("*.png")}).size(), 1);
    }

    void printToPdf_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<bool>("byKey"); // Ctrl+P, else the menu
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("result by Ctrl+P")
            << "result" << true << QStringList{"予想結果", "2026年12月27日", "有馬記念", "東京", "11R"};
        QTest::newRow("record") << "record" << false << QStringList{"これまでの勝敗", "レースフォルダ", "（2レース）"};
        QTest::newRow("analysis filtered to a course")
            << "analysis" << true << QStringList{"分析とグラフ・概要", "競馬場 東京", "重賞 すべて"};
    }
    void printToPdf()
    {
        QFETCH(QString, screen);
        QFETCH(bool, byKey);
        QFETCH(QStringList, texts);
        Screen* shown = open(screen);
        if (screen == u"analysis") {
            auto* course = shown->findChild<QComboBox*>(QStringLiteral("courseFilter"));
            QVERIFY(course);
            course->setCurrentIndex(course->findText(QStringLiteral("東京")));
            QVERIFY(course->currentIndex() > 0);
        }
        // Cancelled, nothing is printed; then printed to a PDF file.
        action(shown, "printPage")->trigger();
        const QString path = folder->filePath(QStringLiteral("page.pdf"));
        QVERIFY(!QFile::exists(path));
        app->dialogs.printAnswers.push_back(path);
        if (byKey)
            QTest::keyClick(shown->focusWidget() ? shown->focusWidget() : shown, Qt::Key_P, Qt::ControlModifier);
        else
            action(shown, "printPage")->trigger();
        QCOMPARE(app->dialogs.count(QStringLiteral("print")), 2);
        QCOMPARE(app->dialogs.count(QStringLiteral("error")), 0);
        QVERIFY(QFile::exists(path));
        QVERIFY2(pdfText(path, true).contains(QStringLiteral("(A4)")), qPrintable(pdfText(path, true)));
        // The heading is the first line of the sheet.
        const QString heading = pdfText(path).trimmed().section(u'\n', 0, 0);
        for (const QString& expected : texts)
            QVERIFY2(heading.contains(expected), qPrintable(expected + QStringLiteral(" not in: ") + heading));
    }

    // A right click on the page where nothing else takes it opens the same menu.
    void rightClickOffersTheMenu()
    {
        Screen* shown = open(QStringLiteral("result"));
        QWidget* banner = shown->findChild<QWidget*>(QStringLiteral("Label50"));
        QVERIFY(banner);
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), banner->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(banner, &click);
        QTRY_VERIFY(QApplication::activePopupWidget());
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QCOMPARE(menu->objectName(), QStringLiteral("pageExportMenu"));
        menu->close();
    }
};

TOKIRO_TEST_MAIN(PageExportTest)
#include "page_export_test.moc"
