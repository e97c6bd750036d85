#include "app_harness.h"
#include "core/race_folder_choice.h"
#include "racefile/folder_backup.h"
#include "screens/control_table.h"
#include "screens/help_window.h"
#include "screens/title_screen.h"
#include "screens/twips.h"
#include "temp_folder.h"
#include "test_files.h"
#include "test_main.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QPointer>
#include <QStackedWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>

#include <set>

namespace {
QImage asShown(const QLabel* image) { return image->pixmap().toImage().convertToFormat(QImage::Format_RGB32); }

QImage pictureFile(const QString& name)
{
    return QImage(QDir(QCoreApplication::applicationDirPath()).filePath(name)).convertToFormat(QImage::Format_RGB32);
}

void fillRace(RaceState& race)
{
    race.raceDate = QStringLiteral("99/05/16");
    race.raceNumber = 11;
    race.raceName = QStringLiteral("日本ダービー");
    race.gradedText = QStringLiteral("ＧⅠ");
    race.courseName = QStringLiteral("東京競馬場");
    race.distanceText = QStringLiteral("2400m");
    race.runnerCount = 18;
    race.ticketCount = 9;
    race.aimMode = 1;
    race.markSheet[2][1] = 5;
    race.markSheet[17][5] = 3;
    race.runnerNames[2] = QStringLiteral("トキロ｜ド");
}

void verifyRaceCleared(const RaceState& race, int ticketCount)
{
    QVERIFY(race.raceDate.isEmpty());
    QVERIFY(race.raceName.isEmpty());
    QVERIFY(race.gradedText.isEmpty());
    QVERIFY(race.courseName.isEmpty());
    QVERIFY(race.distanceText.isEmpty());
    QCOMPARE(race.raceNumber, 0);
    QCOMPARE(race.runnerCount, 0);
    QCOMPARE(race.aimMode, 0);
    QCOMPARE(race.ticketCount, ticketCount);
}

// The size of the part of an image on black that holds any ink.
QSize inkExtent(const QImage& image)
{
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qRed(pixel) + qGreen(pixel) + qBlue(pixel) > 60)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink.size();
}

// The caption of a label drawn alone on black, aligned as the label is, in a box with room to spare all round.
QImage drawnWithRoom(const QLabel* label)
{
    QWidget page;
    setColours(&page, white, black);
    page.resize(label->width() + 300, label->height() + 300);
    QLabel copy(label->text(), &page);
    copy.setFont(label->font());
    copy.setPalette(label->palette());
    copy.setAlignment(label->alignment());
    copy.setContentsMargins(label->contentsMargins());
    copy.setGeometry(100, 100, label->width() + 100, label->height() + 100);
    return page.grab().toImage();
}

QString captionOf(QWidget* widget)
{
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    return {};
}
} // namespace

class TitleMenuTest : public QObject {
    Q_OBJECT

private:
    // Steps the title animation by one tick, as the timer would.
    // The title's animation step.
    static int& frame(AppHarness& app) { return static_cast<Form1*>(app.nav().screen(ScreenId::Form1))->frame; }

    static void tick(AppHarness& app)
    {
        QVERIFY(QMetaObject::invokeMethod(app.nav().screen(ScreenId::Form1), "Timer1_Timer", Qt::DirectConnection));
    }

private slots:
    void init()
    {
        for (const char* name : {"uma01.jpg", "uma02.jpg", "uma03.jpg", "uma04.jpg", "tokiro.hlp"})
            QVERIFY2(QFile::exists(QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(name))),
                     name);
    }

    void controls_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("box"); // in pixels
        QTest::addColumn<int>("fore");
        QTest::addColumn<int>("back");
        QTest::addColumn<double>("points");

        auto row = [](const char* tag, ScreenId screen, const char* name, const char* caption, QRect box, int fore,
                      int back, double points) {
            QTest::newRow(tag) << static_cast<int>(screen) << QString::fromLatin1(name) << QString::fromUtf8(caption)
                               << box << fore << back << points;
        };
        row("title Label1", ScreenId::Form1, "Label1", "馬連専用馬券予想プログラム", {128, 24, 425, 25}, yellow,
            noColour, 20.25);
        row("title Label2", ScreenId::Form1, "Label2", "トキロ  Ver.2.0", {256, 72, 361, 41}, green, noColour, 27.75);
        row("title Command1", ScreenId::Form1, "Command1", "始めます", {344, 496, 121, 41}, noColour, noColour, 15.75);
        row("title Command3", ScreenId::Form1, "Command3", "ヘルプ", {80, 504, 73, 33}, noColour, noColour, 14.25);
        row("title Command2", ScreenId::Form1, "Command2", "終ります", {648, 504, 81, 33}, noColour, noColour, 12);
        row("menu Label1", ScreenId::Form2, "Label1", "馬連専用馬券予想プログラム", {80, 56, 377, 25}, yellow, noColour,
            20.25);
        row("menu Label2", ScreenId::Form2, "Label2", "トキロ ", {488, 48, 121, 33}, green, noColour, 26.25);
        row("menu Label4", ScreenId::Form2, "Label4", "Ver.2.0", {608, 56, 113, 25}, green, noColour, 20.25);
        row("menu Label3", ScreenId::Form2, "Label3", " おしながき", {280, 168, 201, 37}, black, lightBlue, 24);
        row("menu Command1", ScreenId::Form2, "Command1", "レースを予想します", {184, 232, 433, 40}, noColour, noColour,
            20.25);
        row("menu Command4", ScreenId::Form2, "Command4", "あなたの競馬収支を計算します", {184, 360, 433, 33}, noColour,
            noColour, 15.75);
        row("menu Command5", ScreenId::Form2, "Command5", "戻ります", {648, 504, 81, 33}, noColour, noColour, 12);
    }

    void controls()
    {
        QFETCH(int, screen);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QRect, box);
        QFETCH(int, fore);
        QFETCH(int, back);
        QFETCH(double, points);

        AppHarness app;
        app.nav().show(static_cast<ScreenId>(screen));
        auto* widget = app.find(static_cast<ScreenId>(screen), name);
        QVERIFY(widget);
        QCOMPARE(captionOf(widget), caption);
        const QRect expected = box;
        if (qobject_cast<QLabel*>(widget) && !widget->autoFillBackground()) {
            // A transparent caption may reach further down than its box when its font needs the room.
            QCOMPARE(widget->pos(), expected.topLeft());
            QCOMPARE(widget->width(), expected.width());
            QVERIFY(widget->height() >= expected.height());
            QVERIFY(widget->height() <= expected.height() + QFontMetrics(widget->font()).height() / 2);
        } else {
            QCOMPARE(widget->geometry(), expected);
        }
        QVERIFY(widget->font().bold());
        QCOMPARE(widget->font().pointSizeF(), points);
        if (fore != noColour)
            QCOMPARE(widget->palette().color(QPalette::WindowText), QColor::fromRgb(static_cast<QRgb>(fore)));
        if (back != noColour) {
            QVERIFY(widget->autoFillBackground());
            QCOMPARE(widget->palette().color(QPalette::Window), QColor::fromRgb(static_cast<QRgb>(back)));
        }
        // Buttons look like buttons, not like the black screen they sit on.
        if (auto* button = qobject_cast<QPushButton*>(widget))
            QVERIFY(button->palette().color(QPalette::Button) != QColor(Qt::black));
    }

    void makersNoticeAndCaptionsFit()
    {
        AppHarness app;
        app.nav().show(ScreenId::Form1);
        app.nav().show(ScreenId::Form2);
        auto* titleNotice = app.find<QLabel>(ScreenId::Form1, QStringLiteral("Label3"));
        auto* menuNotice = app.find<QLabel>(ScreenId::Form2, QStringLiteral("Label5"));
        QVERIFY(titleNotice && menuNotice);
        QVERIFY(!titleNotice->text().trimmed().isEmpty());
        QVERIFY(!titleNotice->text().contains(u'\n'));
        QCOMPARE(menuNotice->text(), titleNotice->text());
        QCOMPARE(titleNotice->geometry(), QRect(168, 448, 473, 25));
        QCOMPARE(menuNotice->geometry(), QRect(168, 448, 473, 25));
        QCOMPARE(titleNotice->palette().color(QPalette::WindowText), QColor(0, 255, 255));

        // No caption of either screen is cut off by its box: drawn in place, a caption leaves as much ink as the
        // same caption drawn with room to spare.
        for (ScreenId id : {ScreenId::Form1, ScreenId::Form2}) {
            Screen* screen = app.nav().screen(id);
            for (QWidget* widget : screen->findChildren<QWidget*>()) {
                const QString caption = captionOf(widget);
                if (caption.isEmpty())
                    continue;
                // A trailing blank draws nothing, so only the caption up to its last mark has to fit.
                QString visible = caption;
                while (visible.endsWith(u' '))
                    visible.chop(1);
                QVERIFY2(QFontMetrics(widget->font()).horizontalAdvance(visible) <= widget->width(),
                         qPrintable(caption));
                auto* label = qobject_cast<QLabel*>(widget);
                if (!label || label->autoFillBackground())
                    continue;
                const QSize inPlace = inkExtent(label->grab().toImage());
                const QSize alone = inkExtent(drawnWithRoom(label));
                QVERIFY2(inPlace == alone, qPrintable(QStringLiteral("%1 %2: %3x%4 of %5x%6 drawn")
                                                          .arg(label->objectName(), caption)
                                                          .arg(inPlace.width())
                                                          .arg(inPlace.height())
                                                          .arg(alone.width())
                                                          .arg(alone.height())));
            }
        }
    }

    void titleLoad()
    {
        AppHarness app;
        app.module.appFolder = QStringLiteral("/somewhere/else");
        app.nav().show(ScreenId::Form1);
        QCOMPARE(app.module.appFolder, QCoreApplication::applicationDirPath());
        QCOMPARE(frame(app), 0);
        auto* image = app.find<QLabel>(ScreenId::Form1, QStringLiteral("Image1"));
        QVERIFY(image);
        QVERIFY(image->isVisible());
        QCOMPARE(image->geometry(), QRect(167, 140, 467, 267));
        QCOMPARE(asShown(image), pictureFile(QStringLiteral("uma01.jpg")));
        auto* timer = app.find<QTimer>(ScreenId::Form1, QStringLiteral("Timer1"));
        QVERIFY(timer);
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 500);
        QCOMPARE(app.nav().front(), app.nav().screen(ScreenId::Form1));
        QTRY_COMPARE(QApplication::focusWidget(), app.find(ScreenId::Form1, QStringLiteral("Command1")));
    }

    void timerTick_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("picture"); // empty: the picture does not change
        QTest::addColumn<bool>("running");
        QTest::newRow("0 shows uma02") << 0 << 1 << "uma02.jpg" << true;
        QTest::newRow("1 shows uma03") << 1 << 2 << "uma03.jpg" << true;
        QTest::newRow("2 shows uma04") << 2 << 3 << "uma04.jpg" << true;
        QTest::newRow("3 stops the timer") << 3 << 3 << "" << false;
        QTest::newRow("4 does nothing") << 4 << 4 << "" << true;
        QTest::newRow("-1 does nothing") << -1 << -1 << "" << true;
    }

    void timerTick()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        QFETCH(QString, picture);
        QFETCH(bool, running);

        AppHarness app;
        app.nav().show(ScreenId::Form1);
        auto* image = app.find<QLabel>(ScreenId::Form1, QStringLiteral("Image1"));
        auto* timer = app.find<QTimer>(ScreenId::Form1, QStringLiteral("Timer1"));
        const QImage shownBefore = asShown(image);
        frame(app) = before;
        tick(app);
        QCOMPARE(frame(app), after);
        QCOMPARE(asShown(image), picture.isEmpty() ? shownBefore : pictureFile(picture));
        QCOMPARE(timer->isActive(), running);
    }

    void animationPlaysOnce()
    {
        AppHarness app;
        app.nav().show(ScreenId::Form1);
        auto* image = app.find<QLabel>(ScreenId::Form1, QStringLiteral("Image1"));
        auto* timer = app.find<QTimer>(ScreenId::Form1, QStringLiteral("Timer1"));
        QCOMPARE(asShown(image), pictureFile(QStringLiteral("uma01.jpg")));
        for (const char* next : {"uma02.jpg", "uma03.jpg", "uma04.jpg"}) {
            tick(app);
            QCOMPARE(asShown(image), pictureFile(QString::fromLatin1(next)));
            QVERIFY(timer->isActive());
        }
        tick(app);
        QVERIFY(!timer->isActive());
        QCOMPARE(frame(app), 3);
        // A late tick leaves the last picture up: the animation does not loop.
        tick(app);
        QCOMPARE(frame(app), 3);
        QCOMPARE(asShown(image), pictureFile(QStringLiteral("uma04.jpg")));
    }

    void animationRunsOnTheClock()
    {
        AppHarness app;
        app.nav().show(ScreenId::Form1);
        auto* image = app.find<QLabel>(ScreenId::Form1, QStringLiteral("Image1"));
        auto* timer = app.find<QTimer>(ScreenId::Form1, QStringLiteral("Timer1"));
        QTRY_VERIFY_WITH_TIMEOUT(!timer->isActive(), 10000);
        QCOMPARE(frame(app), 3);
        QCOMPARE(asShown(image), pictureFile(QStringLiteral("uma04.jpg")));
    }

    void startBeforeTheEndStopsTheAnimation()
    {
        AppHarness app;
        app.nav().show(ScreenId::Form1);
        tick(app);
        QCOMPARE(frame(app), 1);
        QPointer<Screen> title = app.nav().screen(ScreenId::Form1);
        QPointer<QTimer> timer = app.find<QTimer>(ScreenId::Form1, QStringLiteral("Timer1"));
        auto* start = app.find<QPushButton>(ScreenId::Form1, QStringLiteral("Command1"));
        start->click();
        // Checked before the closed screen is deleted: the close itself stopped the timer.
        QVERIFY(timer);
        QVERIFY(!timer->isActive());
        QVERIFY(!app.nav().isLoaded(ScreenId::Form1));
        QCOMPARE(app.nav().front(), app.nav().screen(ScreenId::Form2));
        QTest::qWait(1200);
        // The screen went with its animation.
        QVERIFY(!title);
        QCOMPARE(app.endCalls, 0);
    }

    void enterOnStartOpensTheMenu()
    {
        AppHarness app;
        app.nav().show(ScreenId::Form1);
        auto* start = app.find(ScreenId::Form1, QStringLiteral("Command1"));
        QTRY_COMPARE(QApplication::focusWidget(), start);
        QTest::keyClick(start, Qt::Key_Return);
        QVERIFY(!app.nav().isLoaded(ScreenId::Form1));
        QCOMPARE(app.nav().front(), app.nav().screen(ScreenId::Form2));
    }

    void backFromTheMenuReplays()
    {
        AppHarness app;
        app.nav().show(ScreenId::Form1);
        for (int i = 0; i < 4; ++i)
            tick(app);
        QCOMPARE(frame(app), 3);
        QVERIFY(app.click(ScreenId::Form1, QStringLiteral("Command1")));
        app.module.appFolder = QStringLiteral("/somewhere/else");
        QVERIFY(app.click(ScreenId::Form2, QStringLiteral("Command5")));
        QVERIFY(!app.nav().isLoaded(ScreenId::Form2));
        QCOMPARE(app.nav().front(), app.nav().screen(ScreenId::Form1));
        QCOMPARE(app.module.appFolder, QCoreApplication::applicationDirPath());
        QCOMPARE(frame(app), 0);
        QCOMPARE(asShown(app.find<QLabel>(ScreenId::Form1, QStringLiteral("Image1"))),
                 pictureFile(QStringLiteral("uma01.jpg")));
        QVERIFY(app.find<QTimer>(ScreenId::Form1, QStringLiteral("Timer1"))->isActive());
        QCOMPARE(app.endCalls, 0);
    }

    void quitEndsAtOnce()
    {
        AppHarness app;
        app.nav().show(ScreenId::Form1);
        fillRace(app.module.race);
        QVERIFY(app.click(ScreenId::Form1, QStringLiteral("Command2")));
        QCOMPARE(app.endCalls, 1);
        // Nothing was unloaded: the title is still loaded with its timer running, and nothing cleared the race.
        QVERIFY(app.nav().isLoaded(ScreenId::Form1));
        QVERIFY(app.find<QTimer>(ScreenId::Form1, QStringLiteral("Timer1"))->isActive());
        QCOMPARE(app.module.race.raceName, QStringLiteral("日本ダービー"));
        QCOMPARE(app.module.race.ticketCount, 9);
        // Once ended, no screen opens any more.
        app.nav().show(ScreenId::Form2);
        QVERIFY(!app.nav().isLoaded(ScreenId::Form2));
        QCOMPARE(app.endCalls, 1);
    }

    void missingPictures_data()
    {
        QTest::addColumn<bool>("broken");
        QTest::newRow("pictures missing") << false;
        QTest::newRow("pictures unreadable") << true;
    }

    void missingPictures()
    {
        QFETCH(bool, broken);
        TempFolder folder;
        if (broken) {
            for (const char* name : {"uma02.jpg", "uma03.jpg", "uma04.jpg"}) {
                QFile file(folder.filePath(QString::fromLatin1(name)));
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write("not a picture at all");
            }
        }
        AppHarness app;
        app.nav().show(ScreenId::Form1);
        app.module.appFolder = folder.path();
        auto* image = app.find<QLabel>(ScreenId::Form1, QStringLiteral("Image1"));
        auto* timer = app.find<QTimer>(ScreenId::Form1, QStringLiteral("Timer1"));
        for (int i = 0; i < 3; ++i) {
            tick(app);
            QVERIFY(image->pixmap().isNull());
            QVERIFY(image->isVisible());
        }
        tick(app);
        QVERIFY(!timer->isActive());
        QCOMPARE(frame(app), 3);
        QCOMPARE(app.nav().front(), app.nav().screen(ScreenId::Form1));
        QVERIFY(app.nav().screen(ScreenId::Form1)->isVisible());
        QVERIFY(app.click(ScreenId::Form1, QStringLiteral("Command1")));
        QCOMPARE(app.nav().front(), app.nav().screen(ScreenId::Form2));
    }

    void helpOpensAtItsContents()
    {
        AppHarness app;
        app.nav().show(ScreenId::Form1);
        QVERIFY(app.click(ScreenId::Form1, QStringLiteral("Command3")));
        auto* help = app.window->findChild<HelpWindow*>();
        QVERIFY(help);
        QVERIFY(help->isWindow());
        QVERIFY(help->isVisible());
        QCOMPARE(help->windowTitle(), QStringLiteral("トキロ　ヘルプ"));
        QTextBrowser* browser = help->browser();
        QCOMPARE(browser->source().fileName(), QStringLiteral("tokiro.hlp"));
        QCOMPARE(browser->source().fragment(), QStringLiteral("contents"));

        const QString text = browser->toPlainText();
        for (const char* topic :
             {"目次", "タイトル画面", "メニュー", "レース条件", "印の入力", "予想結果", "レース結果の入力",
              "これまでの勝敗", "競馬収支", "これだけで　ＯＫ", ".tkr", "Shift-JIS", "100 円", "25 個", "◎ ○ △ ▲ × ★"})
            QVERIFY2(text.contains(QString::fromUtf8(topic)), topic);

        // Every link of the document leads to a place in it.
        std::set<QString> anchors;
        std::set<QString> links;
        for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat format = it.fragment().charFormat();
                for (const QString& name : format.anchorNames())
                    anchors.insert(name);
                if (format.isAnchor() && !format.anchorHref().isEmpty())
                    links.insert(format.anchorHref());
            }
        }
        QVERIFY(anchors.contains(QStringLiteral("contents")));
        QVERIFY(links.size() >= 12);
        for (const QString& link : links) {
            QVERIFY2(link.startsWith(u'#'), qPrintable(link));
            QVERIFY2(anchors.contains(link.mid(1)), qPrintable(link));
        }

        // Asking again reuses the one help window; the title stays where it was.
        QVERIFY(app.click(ScreenId::Form1, QStringLiteral("Command3")));
        QCOMPARE(app.window->findChildren<HelpWindow*>().size(), 1);
        QCOMPARE(app.nav().front(), app.nav().screen(ScreenId::Form1));
    }

    void helpDocumentMissing()
    {
        TempFolder folder;
        AppHarness app;
        app.nav().show(ScreenId::Form1);
        app.module.appFolder = folder.path();
        QVERIFY(app.click(ScreenId::Form1, QStringLiteral("Command3")));
        auto* help = app.window->findChild<HelpWindow*>();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("開けませんでした")));
        QVERIFY(help->browser()->toPlainText().contains(folder.filePath(QStringLiteral("tokiro.hlp"))));
        QCOMPARE(app.nav().front(), app.nav().screen(ScreenId::Form1));
        QCOMPARE(app.endCalls, 0);
    }

    void menuLoadClearsTheRaceButKeepsMarks()
    {
        AppHarness app;
        app.nav().show(ScreenId::Form1);
        // Before the menu has ever loaded, the ticket count is still the start value.
        QCOMPARE(app.module.race.ticketCount, 0);
        fillRace(app.module.race);
        QVERIFY(app.click(ScreenId::Form1, QStringLiteral("Command1")));
        verifyRaceCleared(app.module.race, 4);
        QCOMPARE(app.module.race.markSheet[2][1], 5);
        QCOMPARE(app.module.race.markSheet[17][5], 3);
        QCOMPARE(app.module.race.runnerNames[2], QStringLiteral("トキロ｜ド"));
        QTRY_COMPARE(QApplication::focusWidget(), app.find(ScreenId::Form2, QStringLiteral("Command1")));
    }

    void menuJobs_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("job");
        QTest::newRow("レースを予想します") << "Command1" << static_cast<int>(ScreenId::Form3);
        QTest::newRow("レース結果を入力します") << "Command2" << static_cast<int>(ScreenId::Form6);
        QTest::newRow("これまでの勝敗を表示します") << "Command3" << static_cast<int>(ScreenId::Form7);
        QTest::newRow("あなたの競馬収支を計算します") << "Command4" << static_cast<int>(ScreenId::Form8);
    }

    void menuJobs()
    {
        QFETCH(QString, button);
        QFETCH(int, job);
        const auto jobId = static_cast<ScreenId>(job);
        TempFolder folder;
        AppHarness app;
        app.nav().show(ScreenId::Form2);
        QVERIFY(app.click(ScreenId::Form2, button));
        QVERIFY(!app.nav().isLoaded(ScreenId::Form2));
        QVERIFY(app.nav().isLoaded(jobId));
        QCOMPARE(app.nav().front(), app.nav().screen(jobId));
        QCOMPARE(app.endCalls, 0);

        // Coming back to the menu from the job closes it and starts the next job from an empty race.
        fillRace(app.module.race);
        app.nav().show(ScreenId::Form2);
        QVERIFY(!app.nav().isLoaded(jobId));
        QCOMPARE(app.nav().front(), app.nav().screen(ScreenId::Form2));
        verifyRaceCleared(app.module.race, 4);
        QCOMPARE(app.module.race.markSheet[2][1], 5);
    }

    void menuClosesEveryJobScreen()
    {
        TempFolder folder;
        AppHarness app;
        const std::vector<ScreenId> jobs = {ScreenId::Form3, ScreenId::Form4, ScreenId::Form5,   ScreenId::Form6,
                                            ScreenId::Form7, ScreenId::Form8, ScreenId::Analysis};
        for (ScreenId id : jobs)
            app.nav().show(id);
        for (ScreenId id : jobs)
            QVERIFY(app.nav().isLoaded(id));
        app.module.race.ticketCount = 7;
        app.nav().show(ScreenId::Form2);
        for (ScreenId id : jobs)
            QVERIFY(!app.nav().isLoaded(id));
        QCOMPARE(app.module.race.ticketCount, 4);
        QCOMPARE(app.nav().front(), app.nav().screen(ScreenId::Form2));
    }

    void menuTabOrder()
    {
        AppHarness app;
        app.nav().show(ScreenId::Form2);
        QTRY_COMPARE(QApplication::focusWidget(), app.find(ScreenId::Form2, QStringLiteral("Command1")));
        for (const char* next : {"Command2", "Command3", "Command5", "Command4", "chooseFolder", "backupButton",
                                 "restoreButton", "Command1"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(next));
        }
    }

    // The menu names the race folder and changes it: to one worked in before, or to one picked in a folder dialog;
    // the choice is remembered for the next start from the desktop menu.
    void menuChoosesTheRaceFolder()
    {
        TempFolder other;
        TempFolder first;
        AppHarness app;
        rememberRaceFolder(other.path(), false);
        app.nav().show(ScreenId::Form2);
        auto* shown = app.find<QLabel>(ScreenId::Form2, QStringLiteral("folderLabel"));
        QCOMPARE(shown->toolTip(), QDir::toNativeSeparators(first.path()));

        // Not the folder offered, but another one picked in the dialog.
        const TempFolder picked;
        QDir::setCurrent(first.path());
        app.dialogs.confirmAnswers = {false, true};
        app.dialogs.fileAnswers = {picked.path()};
        QVERIFY(app.click(ScreenId::Form2, QStringLiteral("chooseFolder")));
        QCOMPARE(app.module.raceFolder, QDir(picked.path()).canonicalPath());
        QCOMPARE(QDir::current(), QDir(picked.path()));
        QCOMPARE(shown->toolTip(), QDir::toNativeSeparators(app.module.raceFolder));
        QCOMPARE(chosenRaceFolder(), app.module.raceFolder);

        // The folder of before is offered first; a cancelled dialog changes nothing.
        app.dialogs.confirmAnswers = {true};
        QVERIFY(app.click(ScreenId::Form2, QStringLiteral("chooseFolder")));
        QCOMPARE(app.module.raceFolder, QDir(other.path()).canonicalPath());
        app.dialogs.confirmAnswers = {false, false};
        QVERIFY(app.click(ScreenId::Form2, QStringLiteral("chooseFolder")));
        QCOMPARE(app.module.raceFolder, QDir(other.path()).canonicalPath());
        QCOMPARE(chosenRaceFolder(), app.module.raceFolder);
    }

    // The menu backs the race folder up into a zip where the user says, and restores from one: new files are added,
    // a race that differs is asked about (here: kept both), and an archive that is cut short or not ours is refused
    // with nothing changed.
    void menuBacksUpAndRestores()
    {
        TempFolder races;
        const QTemporaryDir place; // not the race folder
        const QByteArray race = "99/05/16\r\n 7 \r\nDerby\r\n\r\n\r\n\r\n 4 \r\n 0 \r\n 0 \r\n\r\n\r\n\r\n\r\n 0 \r\n";
        putFile(QStringLiteral("race1.tkr"), race);
        putFile(QStringLiteral("メモ 1.txt"), "memo");
        AppHarness app;
        app.nav().show(ScreenId::Form2);

        app.dialogs.fileAnswers = {place.filePath(QStringLiteral("b"))};
        QVERIFY(app.click(ScreenId::Form2, QStringLiteral("backupButton")));
        QCOMPARE(app.dialogs.asked.front().kind, QStringLiteral("save"));
        QCOMPARE(app.dialogs.asked.front().proposedName,
                 QDir(QDir::homePath()).filePath(backupFileName(QDate::currentDate())));
        QCOMPARE(app.dialogs.asked.back().kind, QStringLiteral("inform"));
        const QString archive = place.filePath(QStringLiteral("b.zip"));
        QVERIFY(QFile::exists(archive));
        QCOMPARE(backupFolder(), place.path());

        // The race changed since, the memo gone.
        putFile(QStringLiteral("race1.tkr"), race + "mine");
        QVERIFY(QFile::remove(QStringLiteral("メモ 1.txt")));
        app.dialogs.asked.clear();
        app.dialogs.fileAnswers = {archive};
        app.dialogs.confirmAnswers = {false, true}; // not replaced: both kept
        int rows = 0;
        app.dialogs.whileReviewing = [&](QAbstractItemModel& model) {
            QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
            rows = model.rowCount();
        };
        QVERIFY(app.click(ScreenId::Form2, QStringLiteral("restoreButton")));
        QCOMPARE(app.dialogs.asked.front().kind, QStringLiteral("open"));
        QCOMPARE(app.dialogs.asked.front().text, place.path()); // where the backups were written
        QCOMPARE(app.dialogs.asked[1].kind, QStringLiteral("review"));
        QVERIFY2(app.dialogs.asked[1].text.contains(QStringLiteral("新しい 1 個、同じ 0 個、違う 1 個")),
                 qPrintable(app.dialogs.asked[1].text));
        QCOMPARE(rows, 2);
        QCOMPARE(app.dialogs.count(QStringLiteral("confirm")), 2);
        QVERIFY(app.dialogs.asked[2].text.contains(QStringLiteral("「race1.tkr」")));
        QCOMPARE(app.dialogs.asked.back().kind, QStringLiteral("inform"));
        QCOMPARE(fileBytes(QStringLiteral("race1.tkr")), race + "mine");
        QCOMPARE(fileBytes(QStringLiteral("race1 (バックアップ).tkr")), race);
        QCOMPARE(fileBytes(QStringLiteral("メモ 1.txt")), QByteArray("memo"));

        // Refused: nothing changes, and the message says so.
        const auto folder = [] {
            QStringList state;
            for (const QString& name : QDir().entryList(QDir::Files | QDir::Hidden, QDir::Name))
                state += name + u'=' + QString::fromLatin1(fileBytes(name).toHex());
            return state;
        };
        QVERIFY(QFile::remove(QStringLiteral("race1 (バックアップ).tkr")));
        const QStringList before = folder();
        const QByteArray whole = fileBytes(archive);
        putFile(place.filePath(QStringLiteral("cut.zip")), whole.left(whole.size() - 10));
        putFile(place.filePath(QStringLiteral("other.zip")), "PK\x03\x04 not a zip at all");
        for (const char* name : {"cut.zip", "other.zip"}) {
            app.dialogs.asked.clear();
            app.dialogs.fileAnswers = {place.filePath(QString::fromLatin1(name))};
            QVERIFY(app.click(ScreenId::Form2, QStringLiteral("restoreButton")));
            QCOMPARE(app.dialogs.asked.back().kind, QStringLiteral("error"));
            QVERIFY(app.dialogs.asked.back().text.contains(QStringLiteral("レースフォルダは何も変わっていません")));
            QCOMPARE(app.dialogs.count(QStringLiteral("review")), 0);
            QCOMPARE(folder(), before);
        }
        // The question about the differing race cancelled: nothing is written, not even the new files.
        QVERIFY(QFile::remove(QStringLiteral("メモ 1.txt")));
        const QStringList withoutMemo = folder();
        app.dialogs.fileAnswers = {archive};
        app.dialogs.confirmAnswers = {false, false, false};
        QVERIFY(app.click(ScreenId::Form2, QStringLiteral("restoreButton")));
        QCOMPARE(folder(), withoutMemo);
        QVERIFY(app.dialogs.asked.back().text.contains(QStringLiteral("戻すのをやめました")));
    }

    void navigatorShowAndClose()
    {
        AppHarness app;
        auto* pages = app.window->findChild<QStackedWidget*>();
        QVERIFY(pages);
        app.nav().show(ScreenId::Form1);
        app.nav().show(ScreenId::Form2);
        QCOMPARE(app.nav().front(), app.nav().screen(ScreenId::Form2));
        QCOMPARE(pages->currentWidget(), app.nav().screen(ScreenId::Form2));
        QVERIFY(app.nav().isLoaded(ScreenId::Form1));

        // Showing a loaded screen brings it to the front without loading it again.
        frame(app) = 2;
        app.nav().show(ScreenId::Form1);
        QCOMPARE(frame(app), 2);
        QCOMPARE(pages->currentWidget(), app.nav().screen(ScreenId::Form1));

        // Closing the front screen reveals the one shown before it.
        app.nav().close(ScreenId::Form1);
        QVERIFY(!app.nav().isLoaded(ScreenId::Form1));
        QCOMPARE(pages->currentWidget(), app.nav().screen(ScreenId::Form2));

        // Closing a screen that is not loaded does nothing.
        app.nav().close(ScreenId::Form3);
        QCoreApplication::processEvents();
        QCOMPARE(app.nav().front(), app.nav().screen(ScreenId::Form2));
        QCOMPARE(app.endCalls, 0);
    }

    void closeBoxClosesTheFrontScreen()
    {
        AppHarness app;
        app.nav().show(ScreenId::Form1);
        app.nav().show(ScreenId::Form2);
        app.window->close();
        QVERIFY(app.window->isVisible());
        QVERIFY(!app.nav().isLoaded(ScreenId::Form2));
        QCOMPARE(app.nav().front(), app.nav().screen(ScreenId::Form1));
        QCoreApplication::processEvents();
        QCOMPARE(app.endCalls, 0);

        app.window->close();
        QVERIFY(!app.nav().isLoaded(ScreenId::Form1));
        QVERIFY(!app.window->isVisible());
        QCoreApplication::processEvents();
        QCOMPARE(app.endCalls, 1);
    }

    void closingTheLastScreenEndsTheProgram()
    {
        AppHarness app;
        app.nav().show(ScreenId::Form1);
        app.nav().close(ScreenId::Form1);
        QTRY_COMPARE(app.endCalls, 1);
        QVERIFY(app.nav().front() == nullptr);
    }
};

TOKIRO_TEST_MAIN(TitleMenuTest)
#include "title_menu_test.moc"
