#include "app/open_race.h"
#include "app/startup.h"
#include "app_harness.h"
#include "screens/focus_marker.h"
#include "screens/help_window.h"
#include "temp_folder.h"
#include "test_files.h"
#include "test_main.h"
#include "tests/saved/saved_races.h"

#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QTextBrowser>
#include <QTimer>
#include <QXmlStreamReader>

#include <functional>

#include <sys/stat.h>

namespace {
// What `read` finds in whatever modal dialog `open` shows, read while it is up; the dialog is then closed.
QStringList readModal(const std::function<void()>& open, const std::function<QStringList(QWidget*)>& read)
{
    QStringList texts;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        texts = read(modal);
        poll.stop();
        modal->close();
    });
    poll.start();
    open();
    return texts;
}

// The texts of the buttons and actions of whatever modal dialog `open` shows.
QStringList textsOfModal(const std::function<void()>& open)
{
    return readModal(open, [](QWidget* modal) {
        QStringList texts;
        for (const QPushButton* button : modal->findChildren<QPushButton*>())
            texts << button->text();
        return texts;
    });
}

// The program as a user starts it from a terminal, in the folder startedIn.
struct Program {
    QProcess process;

    Program(const QStringList& arguments, const QString& startedIn, const QProcessEnvironment& environment)
    {
        process.setWorkingDirectory(startedIn);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TOKIRO_PROGRAM), arguments);
    }
    ~Program()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(10000);
        }
    }
    // The folder the running program works in, as Linux tells it.
    QString currentFolder() const
    {
        return QFileInfo(QStringLiteral("/proc/%1/cwd").arg(process.processId())).canonicalFilePath();
    }
};

QString sourceFile(const QString& relative) { return QStringLiteral(TOKIRO_SOURCE_DIR "/") + relative; }

// The arguments the desktop entry's Exec line gives the program for a file opened with it (%f), as a desktop
// expands the field code; without the program's own name.
QStringList desktopArguments(const QString& file)
{
    QFile entry(sourceFile(QStringLiteral("assets/tokiro.desktop")));
    if (!entry.open(QIODevice::ReadOnly | QIODevice::Text))
        return {QStringLiteral("<no desktop entry>")};
    for (const QString& line : QString::fromUtf8(entry.readAll()).split(u'\n')) {
        if (!line.startsWith(QStringLiteral("Exec=")))
            continue;
        QStringList arguments = line.mid(5).split(u' ', Qt::SkipEmptyParts).mid(1);
        arguments.replaceInStrings(QStringLiteral("%f"), file);
        // Without a file, %f gives no argument at all.
        arguments.removeAll(QString());
        return arguments;
    }
    return {QStringLiteral("<no Exec line>")};
}
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
        QTest::newRow("print dialog") << "print" << QStringList{"印刷(&P)", "キャンセル"};
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
        } else if (where == "print") {
            QPrinter printer;
            texts = textsOfModal([&] { dialogs.choosePrinter(printer, QStringLiteral("印刷")); });
        } else {
            QLineEdit box;
            std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
            for (const QAction* action : menu->actions())
                texts << action->text().section(u'\t', 0, 0);
        }
        for (const QString& text : expected)
            QVERIFY2(texts.contains(text), qPrintable(texts.join(u' ')));
    }

    // A name typed into the load dialog without its extension opens the race the save dialog saved under it.
    void loadFindsANameWithoutItsExtension_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("opened"); // empty: the dialog stays open (no such file)
        QTest::newRow("without .tkr") << "24052611"
                                      << "24052611.tkr";
        QTest::newRow("with .tkr") << "24052611.tkr"
                                   << "24052611.tkr";
        QTest::newRow("another name") << "24052612"
                                      << "";
    }
    void loadFindsANameWithoutItsExtension()
    {
        QFETCH(QString, typed);
        QFETCH(QString, opened);
        TempFolder folder;
        putFile(QStringLiteral("24052611.tkr"), QByteArray("x"));
        QWidget window;
        QtDialogs dialogs(&window);
        bool stayed = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll.stop();
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(typed);
            // A name that is not there leaves the dialog open, with Qt's message over it, which is closed here.
            QTimer closer;
            closer.setInterval(10);
            QObject::connect(&closer, &QTimer::timeout, [&] {
                if (auto* message = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                    message->close();
            });
            closer.start();
            static_cast<QDialog*>(dialog)->accept(); // as the 開く button does
            stayed = dialog->isVisible();
            if (stayed)
                dialog->reject();
        });
        poll.start();
        const QString chosen =
            dialogs.openFile(QStringLiteral("トキロレースデータロード"), QStringLiteral("(*.TKR)|*.tkr"));
        QCOMPARE(QFileInfo(chosen).fileName(), opened);
        QCOMPARE(stayed, opened.isEmpty());
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

        const StartFolder folder = enterRaceFolder(readCommandLine(arguments), home.path());
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

    // The command line, by running the program: what it prints, how it ends, and for a start the folder it works in.
    // Help, version and refusals need no display (the test gives it none that works).
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments"); // FOLDER: an existing folder; FILE: a file; MISSING: nothing
        QTest::addColumn<int>("exitCode");          // -1: the program starts and keeps running
        QTest::addColumn<QString>("out");           // a line printed on standard output
        QTest::addColumn<QString>("err");           // the start of what it prints on standard error
        QTest::addColumn<QString>("worksIn");       // for a start: its race folder (HOME: the home folder)
        const QString refused = QStringLiteral("使い方は tokiro --help で表示します。");
        QTest::newRow("--help") << QStringList{"--help"} << 0
                                << "使い方: tokiro [オプション] [フォルダ | レースのファイル]"
                                << ""
                                << "";
        QTest::newRow("-h") << QStringList{"-h"} << 0
                            << "  --own-folder      プログラム専用のレースフォルダ "
                               "~/トキロ を使います（なければ作ります）。"
                            << ""
                            << "";
        QTest::newRow("--version") << QStringList{"--version"} << 0 << "tokiro 2.0.0"
                                   << ""
                                   << "";
        QTest::newRow("help before a folder that is missing") << QStringList{"MISSING", "-v"} << 0 << "tokiro 2.0.0"
                                                              << ""
                                                              << "";
        QTest::newRow("an unknown option") << QStringList{"--bogus"} << 2 << ""
                                           << "tokiro: 「--bogus」というオプションはありません。\n" + refused << "";
        QTest::newRow("an unknown letter") << QStringList{"-x", "FOLDER"} << 2 << ""
                                           << "tokiro: 「-x」というオプションはありません。"
                                           << "";
        QTest::newRow("a value to an option that takes none")
            << QStringList{"--own-folder=x"} << 2 << ""
            << "tokiro: 「--own-folder」には値をつけられません（「--own-folder=x」）。\n" + refused << "";
        QTest::newRow("a value to help") << QStringList{"-h=1"} << 2 << ""
                                         << "tokiro: 「-h」には値をつけられません（「-h=1」）。"
                                         << "";
        QTest::newRow("a missing folder") << QStringList{"MISSING"} << 2 << ""
                                          << "tokiro: フォルダ「MISSING」がありません。\n" + refused << "";
        QTest::newRow("a pipe") << QStringList{"PIPE"} << 2 << ""
                                << "tokiro: 「PIPE」はフォルダでもレースのファイルでもありません。"
                                << "";
        QTest::newRow("two folders") << QStringList{"FOLDER", "FOLDER"} << 2 << ""
                                     << "tokiro: レースフォルダかレースのファイルは一つだけ指定できます。"
                                     << "";
        // A race file: its folder is the race folder. Anything else about a file is said in the window, where the
        // program then works as it would have without it.
        QTest::newRow("a race file") << QStringList{"FILE"} << -1 << ""
                                     << ""
                                     << "FOLDER";
        QTest::newRow("a race file through the desktop entry") << desktopArguments("FILE") << -1 << ""
                                                               << ""
                                                               << "FOLDER";
        QTest::newRow("a race file that is missing") << QStringList{"MISSING.tkr"} << -1 << ""
                                                     << ""
                                                     << "STARTED";
        QTest::newRow("a file that is no race, from the menu") << desktopArguments("FOLDER/notes.txt") << -1 << ""
                                                               << ""
                                                               << "HOME/トキロ";
        QTest::newRow("a folder") << QStringList{"FOLDER"} << -1 << ""
                                  << ""
                                  << "FOLDER";
        QTest::newRow("the own folder") << QStringList{"--own-folder"} << -1 << ""
                                        << ""
                                        << "HOME/トキロ";
        QTest::newRow("a folder before the own folder") << QStringList{"--own-folder", "FOLDER"} << -1 << ""
                                                        << ""
                                                        << "FOLDER";
        QTest::newRow("Qt's own options pass") << QStringList{"-style", "Fusion", "FOLDER"} << -1 << ""
                                               << ""
                                               << "FOLDER";
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QString, worksIn);
        QTemporaryDir startedIn;
        QTemporaryDir home;
        QTemporaryDir races;
        const QString file = QDir(races.path()).filePath(QStringLiteral("race.tkr"));
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        QVERIFY(QFile(QDir(races.path()).filePath(QStringLiteral("notes.txt"))).open(QIODevice::WriteOnly));
        const QString pipe = QDir(races.path()).filePath(QStringLiteral("pipe"));
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        const QString missing = QDir(races.path()).filePath(QStringLiteral("no-such-folder"));
        auto place = [&](QString text) {
            return text.replace(QStringLiteral("FOLDER"), races.path())
                .replace(QStringLiteral("FILE"), file)
                .replace(QStringLiteral("PIPE"), pipe)
                .replace(QStringLiteral("MISSING"), missing)
                .replace(QStringLiteral("STARTED"), startedIn.path())
                .replace(QStringLiteral("HOME"), home.path());
        };
        for (QString& argument : arguments)
            argument = place(argument);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.path());
        if (exitCode >= 0)
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-display-here"));

        Program program(arguments, startedIn.path(), environment);
        QVERIFY(program.process.waitForStarted(10000));
        if (exitCode >= 0) {
            QVERIFY(program.process.waitForFinished(30000));
            QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.process.exitCode(), exitCode);
            const QString printed = QString::fromUtf8(program.process.readAllStandardOutput());
            const QString complained = QString::fromUtf8(program.process.readAllStandardError());
            QCOMPARE(printed.isEmpty(), out.isEmpty());
            if (!out.isEmpty())
                QVERIFY2(printed.split(u'\n').contains(out), qPrintable(printed));
            if (err.isEmpty())
                QVERIFY2(complained.isEmpty(), qPrintable(complained));
            else
                QVERIFY2(complained.startsWith(place(err)), qPrintable(complained));
            return;
        }
        // The own folder is made by the program: its canonical path is known once it is there.
        auto expected = [&] { return QFileInfo(place(worksIn)).canonicalFilePath(); };
        QDeadlineTimer deadline(30000);
        while ((expected().isEmpty() || program.currentFolder() != expected())
               && program.process.state() == QProcess::Running && !deadline.hasExpired())
            QTest::qWait(50);
        QCOMPARE(program.process.state(), QProcess::Running);
        QVERIFY(!expected().isEmpty());
        QCOMPARE(program.currentFolder(), expected());
    }

    // The manual pages list every option the program knows, and name the version it reports.
    void manualPagesListTheOptions_data()
    {
        QTest::addColumn<QString>("page");
        QTest::newRow("English") << "packaging/tokiro.1";
        QTest::newRow("Japanese") << "packaging/tokiro.ja.1";
    }
    void manualPagesListTheOptions()
    {
        QFETCH(QString, page);
        QFile manual(sourceFile(page));
        QVERIFY(manual.open(QIODevice::ReadOnly | QIODevice::Text));
        // In roff a dash in an option is written "\-".
        const QString text = QString::fromUtf8(manual.readAll()).replace(QStringLiteral("\\-"), QStringLiteral("-"));
        for (const char* option : {"--own-folder", "-h", "--help", "-v", "--version"}) {
            const QRegularExpression word(QStringLiteral("^\\.BR? (.*[\" ])?%1([\" ,].*)?$")
                                              .arg(QRegularExpression::escape(QString::fromLatin1(option))),
                                          QRegularExpression::MultilineOption);
            QVERIFY2(text.contains(word), option);
        }
        QVERIFY(text.contains(QStringLiteral("\"tokiro 2.0.0\"")));
        QVERIFY(text.contains(QStringLiteral(".SH EXIT STATUS"))
                || text.contains(QStringLiteral(".SH 終了ステータス")));
    }

    // The file-type line each file dialog shows: the race files' as it has always read, the CSV file's with its
    // pattern once.
    void fileTypeLines_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("race save") << int(ScreenId::Form4) << "Command9" << QStringList{"(*.TKR) (*.tkr)"};
        QTest::newRow("race load") << int(ScreenId::Form4) << "Command8" << QStringList{"(*.TKR) (*.tkr)"};
        QTest::newRow("CSV") << int(ScreenId::Analysis) << "saveCsvButton" << QStringList{"CSVファイル (*.csv)"};
    }
    void fileTypeLines()
    {
        QFETCH(int, screen);
        QFETCH(QString, button);
        TempFolder folder;
        AppHarness app;
        app.nav().show(static_cast<ScreenId>(screen));
        QVERIFY(app.click(static_cast<ScreenId>(screen), button));
        QCOMPARE(app.dialogs.asked.size(), std::size_t(1));
        const ScriptedDialogs::Asked asked = app.dialogs.asked.front();

        QWidget window;
        QtDialogs dialogs(&window);
        const QStringList shown = readModal(
            [&] {
                if (asked.kind == QStringLiteral("open"))
                    dialogs.openFile(asked.title, asked.filter);
                else
                    dialogs.saveFile(asked.title, asked.filter, asked.proposedName);
            },
            [](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                return dialog ? dialog->nameFilters() : QStringList{};
            });
        QTEST(shown, "shown");
    }

    // The desktop menu starts the program with its own race folder; a race file opened with it is handed over.
    void desktopEntryStartsWithTheOwnFolder()
    {
        QCOMPARE(desktopArguments(QStringLiteral("/races/a b.tkr")),
                 (QStringList{QString::fromLatin1(ownFolderOption), QStringLiteral("/races/a b.tkr")}));
        QCOMPARE(desktopArguments(QString()), QStringList{QString::fromLatin1(ownFolderOption)});
    }

    // A race file the program was started with is picked on the result entry, over the menu; what cannot be shown is
    // said in a message window.
    void raceFileShown_data()
    {
        QTest::addColumn<QString>("file");     // in the race folder, unless it starts with "/"
        QTest::addColumn<QByteArray>("bytes"); // empty: not made
        QTest::addColumn<bool>("picked");
        QTest::addColumn<QString>("error"); // the start of the message, if any
        const QByteArray race = "RACE";     // a saved race
        QTest::newRow("a race") << "26122711.tkr" << race << true << "";
        QTest::newRow("a race that is no longer there") << "gone.tkr" << QByteArray() << false << "レースのファイル「";
        QTest::newRow("a file that is no race file") << "notes.txt" << QByteArray("memo") << false << "「";
        QTest::newRow("a race file that cannot be read") << "broken.tkr" << QByteArray("\xFF\xFE\r\n") << true << "";
        QTest::newRow("a race outside the race folder") << "/elsewhere.tkr" << race << false << "レースのファイル「";
    }
    void raceFileShown()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, picked);
        QFETCH(QString, error);
        TempFolder folder;
        QTemporaryDir elsewhere;
        const QString path = file.startsWith(u'/') ? elsewhere.filePath(file.mid(1)) : folder.filePath(file);
        if (bytes == "RACE")
            WRITE_RACE(path, sampleRace(QStringLiteral("26/12/27"), 11, QStringLiteral("有馬記念")), TailLines{});
        else if (!bytes.isEmpty())
            putFile(path, bytes);
        AppHarness app;
        app.nav().show(ScreenId::Form1);
        QCOMPARE(showRaceFile(app.nav(), app.dialogs, app.module.raceFolder, path), picked);
        const std::size_t errors = static_cast<std::size_t>(app.dialogs.count(QStringLiteral("error")));
        if (!picked) {
            QCOMPARE(app.nav().front()->screenId(), ScreenId::Form1);
            QCOMPARE(errors, std::size_t(1));
            QVERIFY2(app.dialogs.asked.back().text.startsWith(error), qPrintable(app.dialogs.asked.back().text));
            return;
        }
        QCOMPARE(app.nav().front()->screenId(), ScreenId::Form6);
        QVERIFY(app.nav().isLoaded(ScreenId::Form2));
        QCOMPARE(app.module.selectedRaceFile, file);
        auto* list = app.find<QListWidget>(ScreenId::Form6, QStringLiteral("List1"));
        QVERIFY(list && list->currentItem());
        QCOMPARE(app.find<QLabel>(ScreenId::Form6, QStringLiteral("Label5"))->text(), list->currentItem()->text());
        // A race that cannot be read is told by the screen, as when its line is clicked.
        QCOMPARE(errors, std::size_t(file == u"broken.tkr" ? 1 : 0));
        // 戻ります leads to the menu.
        QVERIFY(app.click(ScreenId::Form6, QStringLiteral("Command1")));
        QCOMPARE(app.nav().front()->screenId(), ScreenId::Form2);
    }

    // A software centre shows the README's screenshots: every one the AppStream file names is one of ours, at its size.
    void metainfoScreenshotsAreOurs()
    {
        QFile metainfo(sourceFile(QStringLiteral("assets/io.github.tokiro.metainfo.xml")));
        QVERIFY(metainfo.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&metainfo);
        int images = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"image")
                continue;
            const QString width = xml.attributes().value(QStringLiteral("width")).toString();
            const QString url = xml.readElementText();
            const QImage shot(sourceFile(QStringLiteral("docs/screens/") + url.section(u'/', -1)));
            QVERIFY2(!shot.isNull(), qPrintable(url));
            QCOMPARE(QString::number(shot.width()), width);
            ++images;
        }
        QVERIFY(!xml.hasError());
        QVERIFY(images >= 3);
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
        QTest::newRow("day results") << int(ScreenId::DayResults) << "dayresults";
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
