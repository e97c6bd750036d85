#include "saved_races.h"

#include "app_harness.h"
#include "odd_files.h"
#include "racefile/race_folder.h"
#include "racefile/save_file.h"
#include "screens/folder_wait.h"
#include "temp_folder.h"
#include "test_main.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QSysInfo>
#include <QTimer>

#include <optional>

// The saved-race screens on a folder that holds pipes, links to devices and names made of markup: every screen
// returns at once, shows names and race texts as they are, and tells the user what it could not do.
class OddFolderTest : public QObject {
    Q_OBJECT

private slots:
    void messageBoxesShowPlainText();
    void markupIsShownAsText();
    void colonNameIsPickedWrittenAndDeleted();
    void oddEntriesReturnAtOnce();
    void changeWhileAskingIsTold();
    void heldLockIsWaitedFor_data();
    void heldLockIsWaitedFor();
    void waitNoticeStopsTheWait();
};

namespace {

// Joined by hand: QDir::filePath takes a name starting with ":" for a path of its own.
QString inFolder(const TempFolder& folder, const QString& name) { return folder.path() + u'/' + name; }

QString notRegular(const QString& name)
{
    return QStringLiteral("「%1」はふつうのファイルではない（フォルダ、装置、パイプなど）ため、"
                          "レースファイルとして読めません。")
        .arg(name);
}

// Markup as a file name can hold it (no slash).
const QString markup = QStringLiteral("<h1>BIG <a href=\"https:example.com\">click here<br>");

} // namespace

void OddFolderTest::messageBoxesShowPlainText()
{
    QtDialogs dialogs;
    for (const bool question : {true, false}) {
        Qt::TextFormat format = Qt::RichText;
        QString shown;
        // The box is modal: look at it once it is up, then answer it.
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            format = box->textFormat();
            shown = box->text();
            box->buttons().constFirst()->click();
        });
        if (question)
            dialogs.confirm(markup, QStringLiteral("データの書き換え"));
        else
            dialogs.reportError(markup, QStringLiteral("データの書き換え"));
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(shown, markup);
    }
}

void OddFolderTest::markupIsShownAsText()
{
    TempFolder folder;
    WRITE_RACE(inFolder(folder, markup + QStringLiteral(".tkr")), sampleRace("99/05/16", 7, markup.left(20)),
               results(num(3), num(8), num(870)));
    const QString damaged = QStringLiteral("<i>壊れた<br>.tkr");
    QFile file(inFolder(folder, damaged));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("99/05/16\r\n 8 \r\n\r\n\r\n\r\n\r\n 4 \r\n 99 \r\n") > 0);
    file.close();
    AppHarness app;

    for (const ScreenId id : {ScreenId::Form6, ScreenId::Form8}) {
        app.nav().show(id);
        auto* list = app.find<QListWidget>(id, "List1");
        auto* picked = app.find<QLabel>(id, "Label5");
        QCOMPARE(list->count(), 2);
        QVERIFY(list->item(0)->text().endsWith(markup.left(20)));
        QVERIFY(list->item(1)->text().contains(damaged));
        for (int row = 0; row < 2; ++row) {
            clickRow(list, row);
            QCOMPARE(picked->textFormat(), Qt::PlainText);
            QCOMPARE(picked->text(), list->item(row)->text());
        }
        QCOMPARE(app.dialogs.asked.back().kind, QStringLiteral("error"));
        QVERIFY(app.dialogs.asked.back().text.contains(QStringLiteral("「<i>壊れた<br>.tkr」")));
        app.nav().close(id);
    }
    app.nav().show(ScreenId::Form7);
    auto* record = app.find<QListWidget>(ScreenId::Form7, "List1");
    QVERIFY(record->item(0)->text().contains(markup.left(12)));
    QVERIFY(record->item(1)->text().contains(damaged));
}

void OddFolderTest::colonNameIsPickedWrittenAndDeleted()
{
    TempFolder folder;
    const QString name = QStringLiteral(":colon.tkr");
    WRITE_RACE(inFolder(folder, name), sampleRace("99/05/16", 7, "コロン"), results(num(2), num(5), num(300)));
    AppHarness app;
    app.nav().show(ScreenId::Form6);
    auto* list = app.find<QListWidget>(ScreenId::Form6, "List1");
    QCOMPARE(list->count(), 1);
    clickRow(list, 0);
    QCOMPARE(app.find<QLineEdit>(ScreenId::Form6, "Text1")->text(), QStringLiteral("02"));
    QTest::keyClicks(app.find<QLineEdit>(ScreenId::Form6, "Text1"), "9");
    QVERIFY(app.click(ScreenId::Form6, "Command2"));
    QCOMPARE(app.dialogs.count("error"), 0);
    QVERIFY(fileBytes(inFolder(folder, name)).endsWith(" 9 \r\n 5 \r\n 300 \r\n\r\n 0 \r\n"));

    clickRow(list, 0);
    QVERIFY(app.click(ScreenId::Form6, "Command3"));
    QCOMPARE(app.dialogs.count("error"), 0);
    QVERIFY(!QFile::exists(inFolder(folder, name)));
    QCOMPARE(list->count(), 0);
}

void OddFolderTest::oddEntriesReturnAtOnce()
{
    TempFolder folder;
    WRITE_RACE(inFolder(folder, QStringLiteral("99051607.tkr")), sampleRace("99/05/16", 7, "テスト"),
               results(num(3), num(8), num(870)));
    QVERIFY(odd::makeFifo(inFolder(folder, QStringLiteral("pipe.tkr"))));
    QVERIFY(odd::makeLink(QStringLiteral("/dev/zero"), inFolder(folder, QStringLiteral("zero.tkr"))));
    const odd::HangGuard guard("the saved-race screens on a folder with a pipe and a link to /dev/zero");
    AppHarness app;

    // The record counts the one race and shows the others as unreadable.
    app.nav().show(ScreenId::Form7);
    QCOMPARE(app.find<QLabel>(ScreenId::Form7, "Label6")->text(), QStringLiteral("1"));
    auto* record = app.find<QListWidget>(ScreenId::Form7, "List1");
    QCOMPARE(record->count(), 3);
    // With nothing read, they sort first.
    QVERIFY(record->item(0)->text().startsWith(QStringLiteral("［読めません］pipe.tkr")));
    QVERIFY(record->item(1)->text().startsWith(QStringLiteral("［読めません］zero.tkr")));

    // Picking one tells why; the balance screen offers nothing, the result screen still offers to delete it.
    for (const ScreenId id : {ScreenId::Form8, ScreenId::Form6}) {
        app.nav().show(id);
        auto* list = app.find<QListWidget>(id, "List1");
        QCOMPARE(list->count(), 3);
        for (int row : {0, 1}) {
            clickRow(list, row);
            const QString name = row == 0 ? QStringLiteral("pipe.tkr") : QStringLiteral("zero.tkr");
            QCOMPARE(app.dialogs.asked.back().text, notRegular(name));
            QVERIFY(!app.find<QPushButton>(id, "Command2")->isVisible());
        }
        if (id == ScreenId::Form6) {
            QVERIFY(app.find<QPushButton>(id, "Command3")->isVisible());
            QVERIFY(app.click(id, "Command3"));
            QVERIFY(!QFileInfo::exists(inFolder(folder, QStringLiteral("zero.tkr"))));
            QCOMPARE(list->count(), 2);
        }
        app.nav().close(id);
    }
}

void OddFolderTest::changeWhileAskingIsTold()
{
    TempFolder folder;
    const QString race = inFolder(folder, QStringLiteral("99051607.tkr"));
    WRITE_RACE(race, sampleRace("99/05/16", 7, "テスト"), results(num(2), num(5), num(300)));
    const QByteArray changed = fileBytes(race) + "added by another program\r\n";
    AppHarness app;
    app.dialogs.whileAsking = [&] {
        QFile file(race);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(changed) == changed.size());
    };
    app.nav().show(ScreenId::Form8);
    clickRow(app.find<QListWidget>(ScreenId::Form8, "List1"), 0);
    QVERIFY(app.click(ScreenId::Form8, "Command2"));
    QCOMPARE(app.dialogs.count("confirm"), 1);
    QCOMPARE(app.dialogs.asked.back().kind, QStringLiteral("error"));
    QCOMPARE(
        app.dialogs.asked.back().text,
        QStringLiteral("確認のあいだにレースファイル「99051607.tkr」がほかから変えられたため、書き換えをやめました。"
                       "変えられた内容はそのままです。"));
    QCOMPARE(fileBytes(race), changed);
}

// Another program holding the folder's lock: the write waits with a notice naming the holder; stopping the wait
// changes nothing (not even "TKR.tmp") and says so, the lock let go lets the write go ahead.
void OddFolderTest::heldLockIsWaitedFor_data()
{
    QTest::addColumn<int>("screenNumber");
    QTest::addColumn<bool>("stop");
    for (const ScreenId screen : {ScreenId::Form6, ScreenId::Form8}) {
        for (const bool stop : {true, false}) {
            QTest::addRow("%s, %s", screen == ScreenId::Form6 ? "result" : "balance", stop ? "stopped" : "let go")
                << static_cast<int>(screen) << stop;
        }
    }
}

void OddFolderTest::heldLockIsWaitedFor()
{
    QFETCH(int, screenNumber);
    QFETCH(bool, stop);
    const auto screen = static_cast<ScreenId>(screenNumber);
    TempFolder folder;
    const QString race = inFolder(folder, QStringLiteral("99051607.tkr"));
    WRITE_RACE(race, sampleRace("99/05/16", 7, "テスト"), results(num(2), num(5), num(300), num(1200), num(300)));
    const QByteArray before = fileBytes(race);
    std::optional<FolderLock> held(std::in_place, folder.path(), std::chrono::milliseconds(0));
    QVERIFY(held->held());
    AppHarness app;
    app.dialogs.folderWaitAnswer = [&](int pass) {
        if (!stop && pass == 2)
            held.reset();
        return !stop;
    };
    app.nav().show(screen);
    clickRow(app.find<QListWidget>(screen, "List1"), 0);
    QTest::keyClicks(app.find<QLineEdit>(screen, "Text1"), "9");
    QVERIFY(app.click(screen, "Command2"));
    app.dialogs.folderWaitAnswer = {};

    QCOMPARE(app.dialogs.count("wait"), 1);
    QCOMPARE(app.dialogs.folderWaitsOver, 1);
    const auto wait = std::find_if(app.dialogs.asked.begin(), app.dialogs.asked.end(),
                                   [](const ScriptedDialogs::Asked& a) { return a.kind == QStringLiteral("wait"); });
    QCOMPARE(wait->text,
             QStringLiteral(
                 "ほかのプログラム（このコンピューターのプロセス番号 %1）がこのフォルダーに書き込み中のため、"
                 "終わるのを待っています。\n「待つのをやめる」を押すと書き込みをやめ、ファイルは何も変わりません。")
                 .arg(QCoreApplication::applicationPid()));
    if (stop) {
        QCOMPARE(app.dialogs.count("confirm"), 0);
        QCOMPARE(app.dialogs.asked.back().text,
                 QStringLiteral("待つのをやめたため、書き換えをやめました。レースファイルはそのままです。"));
        QCOMPARE(fileBytes(race), before);
        QVERIFY(!QFile::exists(inFolder(folder, RaceFolder::tempFileName)));
    } else {
        QCOMPARE(app.dialogs.count("confirm"), 1);
        QCOMPARE(app.dialogs.count("error"), 0);
        QVERIFY(fileBytes(race) != before);
    }
}

// The real notice: the holder in plain text, and its button stops the wait at once; shown again for the next wait.
void OddFolderTest::waitNoticeStopsTheWait()
{
    QtDialogs dialogs;
    const QString text = FolderWait::text({4242, markup});
    QVERIFY(text.contains(QStringLiteral("コンピューター「%1」のプロセス番号 4242").arg(markup)));
    for (int round = 0; round < 2; ++round) {
        QVERIFY(dialogs.waitForFolder(text, std::chrono::milliseconds(1)));
        auto* notice = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(notice && notice->isVisible());
        auto* label = notice->findChild<QLabel*>();
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->text(), text);
        auto* button = notice->findChild<QDialogButtonBox*>()->buttons().constFirst();
        QCOMPARE(button->text(), QStringLiteral("待つのをやめる"));
        // Pressed while the wait runs: the wait ends before its pause has gone by.
        QTimer::singleShot(0, button, [button] { button->click(); });
        QVERIFY(!dialogs.waitForFolder(text, std::chrono::hours(1)));
        QVERIFY(!dialogs.waitForFolder(text, std::chrono::hours(1)));
        dialogs.folderWaitOver();
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }
}

TOKIRO_TEST_MAIN(OddFolderTest)
#include "test_odd_folder.moc"
