#include "app/startup.h"
#include "app_harness.h"
#include "screens/focus_marker.h"
#include "screens/help_window.h"
#include "temp_folder.h"
#include "test_main.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTextBrowser>
#include <QTimer>

#include <functional>

namespace {
// The texts of the buttons and actions of whatever modal dialog `open` shows, read while it is up, then closed.
QStringList textsOfModal(const std::function<void()>& open)
{
    QStringList texts;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        for (const QPushButton* button : modal->findChildren<QPushButton*>())
            texts << button->text();
        poll.stop();
        modal->close();
    });
    poll.start();
    open();
    return texts;
}

QString sourceFile(const QString& relative) { return QStringLiteral(TOKIRO_SOURCE_DIR "/") + relative; }
} // namespace

// The program as a desktop program: Qt's texts in Japanese, its own race folder, help from every screen, a focus
// that shows, and sharp pictures at any scale.
class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // An English session: Qt's Japanese must come from the program, not from the locale.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY2(installQtJapanese(*qApp), "qtbase_ja not found: install qt6-translations-l10n");
        QCOMPARE(QLocale().language(), QLocale::Japanese);
    }

    void qtTextsInJapanese_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("open dialog") << "open" << QStringList{"開く(&O)", "キャンセル"};
        QTest::newRow("save dialog") << "save" << QStringList{"保存(&S)", "キャンセル"};
        QTest::newRow("message box buttons") << "box" << QStringList{"はい(&Y)", "いいえ(&N)", "キャンセル"};
        QTest::newRow("context menu of a box") << "menu" << QStringList{"元に戻す(&U)", "貼り付け(&P)", "すべてを選択"};
    }

    void qtTextsInJapanese()
    {
        QFETCH(QString, where);
        QFETCH(QStringList, expected);
        TempFolder folder;
        QWidget window;
        QtDialogs dialogs(&window); // the program's own dialogs, as the screens call them
        QStringList texts;
        if (where == "open") {
            texts = textsOfModal([&] { dialogs.openFile(QStringLiteral("ロード"), QStringLiteral("(*.TKR)|*.tkr")); });
        } else if (where == "save") {
            texts = textsOfModal(
                [&] { dialogs.saveFile(QStringLiteral("セーブ"), QStringLiteral("(*.TKR)|*.tkr"), "r.tkr"); });
        } else if (where == "box") {
            QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("t"),
                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            texts = textsOfModal([&] { box.exec(); });
        } else {
            QLineEdit box;
            std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
            for (const QAction* action : menu->actions())
                texts << action->text().section(u'\t', 0, 0);
        }
        for (const QString& text : expected)
            QVERIFY2(texts.contains(text), qPrintable(texts.join(u' ')));
    }

    void raceFolder_data()
    {
        QTest::addColumn<bool>("fromMenu");
        QTest::addColumn<QString>("before"); // what the home folder holds as "トキロ" beforehand
        QTest::addColumn<bool>("ownFolder");
        QTest::newRow("from a terminal") << false << "" << false;
        QTest::newRow("from the menu, first start") << true << "" << true;
        QTest::newRow("from the menu, again") << true << "folder" << true;
        QTest::newRow("from the menu, a file in the way") << true << "file" << false;
    }

    void raceFolder()
    {
        QFETCH(bool, fromMenu);
        QFETCH(QString, before);
        QFETCH(bool, ownFolder);
        TempFolder startedIn;
        QTemporaryDir home;
        const QString own = QDir(home.path()).filePath(ownRaceFolderName());
        if (before == "folder") {
            QVERIFY(QDir().mkpath(own));
            QFile race(QDir(own).filePath(QStringLiteral("99051611.tkr")));
            QVERIFY(race.open(QIODevice::WriteOnly));
        } else if (before == "file") {
            QFile inTheWay(own);
            QVERIFY(inTheWay.open(QIODevice::WriteOnly));
        }
        QStringList arguments{QStringLiteral("tokiro")};
        if (fromMenu)
            arguments << QString::fromLatin1(ownFolderOption);

        const StartFolder folder = enterRaceFolder(arguments, home.path());
        const QString current = QDir::currentPath();
        if (ownFolder) {
            QCOMPARE(folder.path, own);
            QCOMPARE(QFileInfo(current).canonicalFilePath(), QFileInfo(own).canonicalFilePath());
            QVERIFY(folder.error.isEmpty());
            QCOMPARE(QFile::exists(QStringLiteral("99051611.tkr")), before == "folder"); // earlier races stay
        } else {
            QVERIFY(folder.path.isEmpty());
            QCOMPARE(QFileInfo(current).canonicalFilePath(), QFileInfo(startedIn.path()).canonicalFilePath());
            QCOMPARE(folder.error.isEmpty(), !fromMenu);
            if (fromMenu)
                QVERIFY2(folder.error.contains(QStringLiteral("同じ名前のファイルがあります")),
                         qPrintable(folder.error));
        }
    }

    // The desktop menu starts the program with its own race folder.
    void desktopEntryStartsWithTheOwnFolder()
    {
        QFile entry(sourceFile(QStringLiteral("assets/tokiro.desktop")));
        QVERIFY(entry.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(entry.readAll()).split(u'\n');
        QVERIFY(lines.contains(QStringLiteral("Exec=tokiro ") + QString::fromLatin1(ownFolderOption)));
    }

    void helpFromEveryScreen_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<QString>("anchor");
        QTest::newRow("title") << int(ScreenId::Form1) << "title";
        QTest::newRow("menu") << int(ScreenId::Form2) << "menu";
        QTest::newRow("race conditions") << int(ScreenId::Form3) << "conditions";
        QTest::newRow("mark sheet") << int(ScreenId::Form4) << "marksheet";
        QTest::newRow("prediction result") << int(ScreenId::Form5) << "result";
        QTest::newRow("result entry") << int(ScreenId::Form6) << "resultentry";
        QTest::newRow("record") << int(ScreenId::Form7) << "record";
        QTest::newRow("balance") << int(ScreenId::Form8) << "balance";
        QTest::newRow("analysis") << int(ScreenId::Analysis) << "analysis";
        QTest::newRow("tipster grid") << int(ScreenId::TipsterGrid) << "tipsters";
    }

    // F1 on the focused control of the screen in front opens the help at that screen's section, centred over
    // the program; the section exists in the help document.
    void helpFromEveryScreen()
    {
        QFETCH(int, screen);
        QFETCH(QString, anchor);
        TempFolder folder;
        AppHarness app;
        app.nav().show(ScreenId::Form1);
        app.nav().show(static_cast<ScreenId>(screen));
        QCoreApplication::processEvents();
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(focused && app.nav().front()->isAncestorOf(focused));
        QTest::keyClick(focused, Qt::Key_F1);

        auto* help = app.window->findChild<HelpWindow*>(QStringLiteral("HelpWindow"));
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->browser()->source().fragment(), anchor);
        QVERIFY(help->browser()->toHtml().contains(QStringLiteral("name=\"%1\"").arg(anchor)));
        const QPoint offCentre = help->geometry().center() - app.window->geometry().center();
        QVERIFY2(std::abs(offCentre.x()) <= 4 && std::abs(offCentre.y()) <= 4,
                 qPrintable(QStringLiteral("%1, %2 off centre").arg(offCentre.x()).arg(offCentre.y())));
        // The title's own ヘルプ button still opens the contents.
        if (screen == int(ScreenId::Form1)) {
            help->close();
            QVERIFY(app.click(ScreenId::Form1, QStringLiteral("Command3")));
            QCOMPARE(help->browser()->source().fragment(), QStringLiteral("contents"));
        }
    }

    void focusIsMarked_data() { helpFromEveryScreen_data(); }

    // On every screen the focused control has a bright frame around it on the black, and the frame follows Tab.
    void focusIsMarked()
    {
        QFETCH(int, screen);
        TempFolder folder;
        AppHarness app;
        app.nav().show(static_cast<ScreenId>(screen));
        Screen* shown = app.nav().front();
        QCoreApplication::processEvents();
        for (int step = 0; step < 2; ++step) {
            QWidget* focused = QApplication::focusWidget();
            QVERIFY(focused && shown->isAncestorOf(focused));
            auto* marker = shown->findChild<FocusMarker*>();
            QVERIFY(marker && marker->isVisible());
            QCOMPARE(marker->target(), focused);
            const QRect box(focused->mapTo(shown, QPoint(0, 0)), focused->size());
            QVERIFY(marker->geometry().contains(box));
            // Seen in the screen's picture: the frame's colour just outside the control's left edge.
            const QImage picture = shown->grab().toImage();
            const qreal scale = picture.devicePixelRatio();
            const QPoint outside(box.left() - FocusMarker::gap - 1, box.center().y());
            QCOMPARE(QColor(picture.pixel((QPointF(outside) * scale).toPoint())), FocusMarker::colour);
            // Tab moves the focus and the frame with it.
            QWidget* before = focused;
            QTest::keyClick(focused, Qt::Key_Tab);
            QCoreApplication::processEvents();
            if (QApplication::focusWidget() == before)
                break;
        }
    }

    // At any scale the title picture is drawn from the picture's own pixels: at twice the scale it shows them all,
    // not a half-size copy blown up (which differs from the picture by about 6 per pixel; the real drawing by 0).
    void titlePictureAtDevicePixels()
    {
        AppHarness app;
        app.nav().show(ScreenId::Form1);
        auto* image = app.find<QLabel>(ScreenId::Form1, QStringLiteral("Image1"));
        QVERIFY(image);
        const QImage shown = image->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage source = QImage(QDir(QCoreApplication::applicationDirPath()).filePath("uma01.jpg"))
                                  .scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                  .convertToFormat(QImage::Format_RGB32);
        QVERIFY(!source.isNull());
        long difference = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const QRgb a = shown.pixel(x, y);
                const QRgb b = source.pixel(x, y);
                difference +=
                    std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
            }
        }
        const double perPixel = double(difference) / (shown.width() * shown.height());
        QVERIFY2(perPixel < 2, qPrintable(QString::number(perPixel)));
    }
};

TOKIRO_TEST_MAIN(DesktopTest)

#include "desktop_test.moc"
