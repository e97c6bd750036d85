#include "core_test_main.h"
#include "fuzz/rewrite_checks.h"
#include "odd_files.h"
#include "racefile/file_bytes.h"
#include "racefile/file_names.h"
#include "racefile/race_folder.h"
#include "racefile/save_file.h"
#include "record/list_lines.h"
#include "record/race_record.h"
#include "samples.h"
#include "temp_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

// A race folder may hold anything: devices, pipes, sockets, links and odd names. Every call returns at once, nothing
// outside the folder is written, and the user is told what is wrong in Japanese.
class RaceFolderTest : public QObject {
    Q_OBJECT

private slots:
    void oddEntriesListedAsUnreadable_data();
    void oddEntriesListedAsUnreadable();
    void tempFileIsMadeAfresh_data();
    void tempFileIsMadeAfresh();
    void linkedRaceIsReadButNotRewritten();
    void anyNameWorks_data();
    void anyNameWorks();
    void changeWhileAskingIsKept_data();
    void changeWhileAskingIsKept();
    void onlyStaleCopiesAreRemoved_data();
    void onlyStaleCopiesAreRemoved();
    void twoWindowsOnOneFolder();
    void rewriteFuzzRegressions();
    void putInOrder_data();
    void putInOrder();
};

namespace {

const QString victimBytes = QStringLiteral("何のファイルでもない。そのまま残ること。\n");

// A folder beside the race folder, with a file that no rewrite may touch.
struct Outside {
    QTemporaryDir dir;
    QString victim = dir.filePath(QStringLiteral("victim.txt"));
    Outside() { putFile(victim, victimBytes.toUtf8()); }
    void verifyUntouched() const { QCOMPARE(fileBytes(victim), victimBytes.toUtf8()); }
};

// Joined by hand: QDir::filePath takes a name starting with ":" for a path of its own.
QString inFolder(const TempFolder& folder, const QString& name) { return folder.path() + u'/' + name; }

void saveRace(const QString& path, const TailLines& tail = {})
{
    const FileResult written = writeRaceFile(path, sampleRace(2), tail);
    QVERIFY2(written.ok, qPrintable(written.error));
}

QString notRegular(const QString& name)
{
    return QStringLiteral("「%1」はふつうのファイルではない（フォルダ、装置、パイプなど）ため、"
                          "レースファイルとして読めません。")
        .arg(name);
}

const CatalogueEntry* entryNamed(const std::vector<CatalogueEntry>& entries, const QString& name)
{
    for (const CatalogueEntry& entry : entries) {
        if (entry.fileName == name)
            return &entry;
    }
    return nullptr;
}

} // namespace

void RaceFolderTest::oddEntriesListedAsUnreadable_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("link to /dev/zero") << "zero";
    QTest::newRow("link to a pipe outside") << "pipe link";
    QTest::newRow("pipe") << "pipe";
    QTest::newRow("socket") << "socket";
}

void RaceFolderTest::oddEntriesListedAsUnreadable()
{
    QFETCH(QString, kind);
    TempFolder folder;
    Outside outside;
    const QString odd = QStringLiteral("odd.tkr");
    const QString oddPath = inFolder(folder, odd);
    const QString outsidePipe = outside.dir.filePath(QStringLiteral("pipe"));
    if (kind == QStringLiteral("zero"))
        QVERIFY(odd::makeLink(QStringLiteral("/dev/zero"), oddPath));
    else if (kind == QStringLiteral("pipe link"))
        QVERIFY(odd::makeFifo(outsidePipe) && odd::makeLink(outsidePipe, oddPath));
    else if (kind == QStringLiteral("pipe"))
        QVERIFY(odd::makeFifo(oddPath));
    else if (!odd::makeSocket(oddPath))
        QSKIP("cannot make a socket here");
    saveRace(inFolder(folder, QStringLiteral("good.tkr")));
    const RaceFolder races(folder.path());

    odd::HangGuard guard("an odd entry in the race folder");
    const std::vector<CatalogueEntry> entries = races.catalogue();
    QCOMPARE(entries.size(), std::size_t(2));
    const CatalogueEntry* listed = entryNamed(entries, odd);
    QVERIFY(listed && !listed->readable);
    QVERIFY(resultSummaryLine(*listed).contains(QStringLiteral("＊このファイルは読めません＊")));
    QVERIFY(balanceSummaryLine(*listed).contains(odd));

    // Every way of reading it says why, at once: the lists, a pick, a rewrite and a load alike.
    for (const ReadScope scope : {ReadScope::ThroughResults, ReadScope::Whole}) {
        for (const CataloguedRace& race : races.races(scope))
            QCOMPARE(race.read.ok, race.entry.fileName != odd);
    }
    LoadedRace loaded;
    QCOMPARE(races.read(odd, loaded, ReadScope::Whole).error, notRegular(odd));
    QCOMPARE(readRaceFile(oddPath, loaded).error, notRegular(odd));
    PendingRewrite pending;
    const bool link = kind == QStringLiteral("zero") || kind == QStringLiteral("pipe link");
    QCOMPARE(
        races.prepareResults(odd, "1", "2", "3", pending).error,
        link ? QStringLiteral("レースファイル「odd.tkr」はほかの場所のファイルへのリンクのため、書き換えられません。")
             : notRegular(odd));
    QVERIFY(!QFile::exists(inFolder(folder, RaceFolder::tempFileName)));

    // Deleting it removes the name in the folder, never what a link points to.
    QVERIFY(races.remove(odd).ok);
    QCOMPARE(races.catalogue().size(), std::size_t(1));
    if (kind == QStringLiteral("pipe link"))
        QVERIFY(odd::isFifo(outsidePipe));
    outside.verifyUntouched();
}

void RaceFolderTest::tempFileIsMadeAfresh_data()
{
    QTest::addColumn<QString>("inPlace");
    QTest::addColumn<QString>("error");
    QTest::newRow("link to a file outside") << "file link"
                                            << "";
    QTest::newRow("link to a pipe outside") << "pipe link"
                                            << "";
    QTest::newRow("link to nothing") << "dangling link"
                                     << "";
    QTest::newRow("pipe") << "pipe"
                          << "";
    QTest::newRow("folder") << "folder"
                            << "一時ファイル「TKR.tmp」を書き込めませんでした（ファイルではなくフォルダです）。"
                               "レースファイルはそのままです。";
}

void RaceFolderTest::tempFileIsMadeAfresh()
{
    QFETCH(QString, inPlace);
    QFETCH(QString, error);
    TempFolder folder;
    Outside outside;
    const QString temp = inFolder(folder, RaceFolder::tempFileName);
    const QString outsidePipe = outside.dir.filePath(QStringLiteral("pipe"));
    if (inPlace == QStringLiteral("file link"))
        QVERIFY(odd::makeLink(outside.victim, temp));
    else if (inPlace == QStringLiteral("pipe link"))
        QVERIFY(odd::makeFifo(outsidePipe) && odd::makeLink(outsidePipe, temp));
    else if (inPlace == QStringLiteral("dangling link"))
        QVERIFY(odd::makeLink(outside.dir.filePath(QStringLiteral("nothing")), temp));
    else if (inPlace == QStringLiteral("pipe"))
        QVERIFY(odd::makeFifo(temp));
    else
        QVERIFY(QDir().mkdir(temp));
    const QString race = inFolder(folder, QStringLiteral("r.tkr"));
    saveRace(race);
    const QByteArray before = fileBytes(race);
    const RaceFolder races(folder.path());

    odd::HangGuard guard("a rewrite with something in the place of TKR.tmp");
    for (const bool answer : {false, true}) {
        PendingRewrite pending;
        const FileResult prepared = races.prepareResults(QStringLiteral("r.tkr"), "2", "1", "870", pending);
        QCOMPARE(prepared.error, error);
        if (!prepared.ok) {
            QVERIFY(QFileInfo(temp).isDir());
            break;
        }
        // The link (or pipe) is replaced by a file of our own; what it pointed to stays as it was.
        QVERIFY(!odd::isLink(temp) && QFileInfo(temp).isFile());
        QCOMPARE(fileBytes(temp), pending.rewritten);
        if (answer)
            QVERIFY(races.commit(pending).ok);
        QCOMPARE(fileBytes(race), answer ? pending.rewritten : before);
    }
    if (inPlace == QStringLiteral("pipe link"))
        QVERIFY(odd::isFifo(outsidePipe));
    outside.verifyUntouched();
}

void RaceFolderTest::linkedRaceIsReadButNotRewritten()
{
    TempFolder folder;
    Outside outside;
    const QString elsewhere = outside.dir.filePath(QStringLiteral("elsewhere.tkr"));
    saveRace(elsewhere);
    const QByteArray before = fileBytes(elsewhere);
    QVERIFY(odd::makeLink(elsewhere, inFolder(folder, QStringLiteral("linked.tkr"))));
    const RaceFolder races(folder.path());

    const std::vector<CatalogueEntry> entries = races.catalogue();
    QCOMPARE(entries.size(), std::size_t(1));
    QVERIFY(entries[0].readable);
    PendingRewrite pending;
    QCOMPARE(
        races.prepareBalance(QStringLiteral("linked.tkr"), "100", "200", pending).error,
        QStringLiteral("レースファイル「linked.tkr」はほかの場所のファイルへのリンクのため、書き換えられません。"));
    QVERIFY(!QFile::exists(inFolder(folder, RaceFolder::tempFileName)));
    QVERIFY(races.remove(QStringLiteral("linked.tkr")).ok);
    QCOMPARE(fileBytes(elsewhere), before);
    outside.verifyUntouched();
}

void RaceFolderTest::anyNameWorks_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("leading colon") << QByteArray(":colon.tkr") << ":colon.tkr";
    QTest::newRow("markup") << QByteArray("<h1>BIG <a href=\"https:example.com\">click here.tkr")
                            << "<h1>BIG <a href=\"https:example.com\">click here.tkr";
    QTest::newRow("wildcards") << QByteArray("*?[a].TKR") << "*?[a].TKR";
    QTest::newRow("leading dash, spaces, full width")
        << QStringLiteral("-レース 一覧　２.tkr").toUtf8() << "-レース 一覧　２.tkr";
    QTest::newRow("backslash and quote") << QByteArray("a\\b'c\".tkr") << "a\\b'c\".tkr";
    // Names that are not UTF-8: a race copied from Windows, and bytes that are no text at all.
    QTest::newRow("code page 932 name") << sjis(QStringLiteral("日本ダービー.tkr")) << "日本ダービー.tkr";
    QTest::newRow("arbitrary bytes") << QByteArray("\xFF\xFE\x80r\xE3\x81.tkr") << "\\xFF\\xFE\\x80r\\xE3\\x81.tkr";
    QTest::newRow("UTF-8 and a stray byte") << QByteArray("ダービー\xA0.tkr") << "ダービー\\xA0.tkr";
}

void RaceFolderTest::anyNameWorks()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    TempFolder folder;
    const QString name = fileNameFromBytes(bytes);
    saveRace(inFolder(folder, name));
    // The file carries exactly those bytes as its name.
    const QByteArray path = QFile::encodeName(folder.path()) + '/' + bytes;
    QVERIFY(::access(path.constData(), F_OK) == 0);
    QCOMPARE(shownFileName(name), shown);
    const RaceFolder races(folder.path());

    const std::vector<CatalogueEntry> entries = races.catalogue();
    QCOMPARE(entries.size(), std::size_t(1));
    QCOMPARE(entries[0].fileName, name);
    QVERIFY(entries[0].readable);
    const FolderRecord record = tallyFolder(folder.path());
    QCOMPARE(record.record.races, 1);
    QVERIFY(resultSummaryLine(entries[0]).contains(QStringLiteral("一着：00番")));
    LoadedRace loaded;
    QVERIFY(races.read(name, loaded, ReadScope::ThroughResults).ok);
    QCOMPARE(loaded.race.runnerCount, std::int16_t(2));

    PendingRewrite pending;
    QVERIFY(races.prepareResults(name, "3", "1", "450", pending).ok);
    QVERIFY(races.commit(pending).ok);
    QVERIFY(readFileBytes(inFolder(folder, name), 1 << 16).bytes.endsWith(" 3 \r\n 1 \r\n 450 \r\n\r\n 0 \r\n"));
    QVERIFY(races.present(name).ok);
    QVERIFY(races.remove(name).ok);
    QVERIFY(races.catalogue().empty());
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{RaceFolder::tempFileName});
}

void RaceFolderTest::changeWhileAskingIsKept_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("error");
    const QString changed = QStringLiteral("確認のあいだにレースファイル「r.tkr」がほかから変えられたため、"
                                           "書き換えをやめました。変えられた内容はそのままです。");
    QTest::newRow("race saved again, unchanged") << "same"
                                                 << "";
    QTest::newRow("race changed") << "changed" << changed;
    QTest::newRow("race deleted") << "deleted"
                                  << "確認のあいだにレースファイル「r.tkr」が削除されたため、書き換えをやめました。";
    QTest::newRow("race replaced by a link") << "race link" << changed;
    // "TKR.tmp" is the folder's, not this rewrite's: another window may use it meanwhile.
    QTest::newRow("TKR.tmp replaced by a link") << "temp link"
                                                << "";
    QTest::newRow("TKR.tmp rewritten by another window") << "temp rewritten"
                                                         << "";
    QTest::newRow("TKR.tmp removed") << "temp removed"
                                     << "";
}

void RaceFolderTest::changeWhileAskingIsKept()
{
    QFETCH(QString, change);
    QFETCH(QString, error);
    TempFolder folder;
    Outside outside;
    const QString race = inFolder(folder, QStringLiteral("r.tkr"));
    const QString temp = inFolder(folder, RaceFolder::tempFileName);
    saveRace(race);
    const QByteArray before = fileBytes(race);
    const RaceFolder races(folder.path());
    PendingRewrite pending;
    QVERIFY(races.prepareResults(QStringLiteral("r.tkr"), "5", "6", "1000", pending).ok);

    // Another program, while the question is open:
    QByteArray expected = pending.rewritten;
    if (change == QStringLiteral("same")) {
        QVERIFY(QFile::remove(race));
        putFile(race, before);
    } else if (change == QStringLiteral("changed")) {
        expected = before + "extra\r\n";
        putFile(race, expected);
    } else if (change == QStringLiteral("deleted")) {
        QVERIFY(QFile::remove(race));
    } else if (change == QStringLiteral("race link")) {
        const QString copy = outside.dir.filePath(QStringLiteral("copy.tkr"));
        putFile(copy, before);
        QVERIFY(QFile::remove(race) && odd::makeLink(copy, race));
        expected = before;
    } else if (change == QStringLiteral("temp link")) {
        const QString decoy = outside.dir.filePath(QStringLiteral("decoy.tmp"));
        putFile(decoy, "decoy");
        QVERIFY(QFile::remove(temp) && odd::makeLink(decoy, temp));
    } else if (change == QStringLiteral("temp rewritten")) {
        putFile(temp, "another window's rewrite");
    } else {
        QVERIFY(QFile::remove(temp));
    }

    const FileResult committed = races.commit(pending);
    QCOMPARE(committed.error, error);
    QCOMPARE(committed.ok, error.isEmpty());
    if (change == QStringLiteral("deleted"))
        QVERIFY(!QFile::exists(race));
    else
        QCOMPARE(fileBytes(race), expected);
    outside.verifyUntouched();
}

void RaceFolderTest::onlyStaleCopiesAreRemoved_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("ageMinutes");
    QTest::addColumn<QString>("lock"); // "held": another トキロ is writing there; "left": one stopped while it did
    QTest::addColumn<bool>("removed");
    // The user's own files, however old and however named.
    QTest::newRow("race1.tkr.Backup") << QByteArray("race1.tkr.Backup") << 600 << "" << false;
    QTest::newRow("race1.TKR.BackUp") << QByteArray("race1.TKR.BackUp") << 600 << "" << false;
    QTest::newRow("notes.tkr.OLDCPY") << QByteArray("notes.tkr.OLDCPY") << 600 << "" << false;
    QTest::newRow("TKR.tmp.x") << QByteArray("TKR.tmp.x") << 600 << "" << false;
    QTest::newRow("TKR.tmp") << QByteArray("TKR.tmp") << 600 << "" << false;
    // Earlier versions' race-file copies cannot be told from a user's file named like a word: they stay.
    QTest::newRow("old race copy") << QByteArray("race1.tkr.HffGzk") << 600 << "" << false;
    // Earlier versions' rewrite copies, by their age alone (those versions took no lock).
    QTest::newRow("old rewrite copy, stale") << QByteArray("TKR.tmp.PZsOwK") << 61 << "" << true;
    QTest::newRow("old rewrite copy, stale, lower case") << QByteArray("TKR.tmp.pzsowk") << 61 << "" << true;
    QTest::newRow("old rewrite copy, stale, upper case") << QByteArray("TKR.tmp.PZSOWK") << 61 << "" << true;
    QTest::newRow("old rewrite copy, fresh") << QByteArray("TKR.tmp.PZsOwK") << 0 << "" << false;
    // Copies of the current form: gone when no トキロ holds the folder, or when too old for anyone to be writing.
    QTest::newRow("copy, folder free") << QByteArray(".tokiro-0a1b2c3d4e5f.tmp") << 0 << "" << true;
    QTest::newRow("copy, folder in use") << QByteArray(".tokiro-0a1b2c3d4e5f.tmp") << 0 << "held" << false;
    QTest::newRow("copy, folder in use, stale") << QByteArray(".tokiro-0a1b2c3d4e5f.tmp") << 61 << "held" << true;
    QTest::newRow("copy and lock of a stopped program")
        << QByteArray(".tokiro-0a1b2c3d4e5f.tmp") << 0 << "left" << true;
    QTest::newRow("not our form: upper case") << QByteArray(".tokiro-0A1B2C3D4E5F.tmp") << 600 << "" << false;
    QTest::newRow("not our form: short") << QByteArray(".tokiro-0a1b.tmp") << 600 << "" << false;
    QTest::newRow("not our form: no dot") << QByteArray("tokiro-0a1b2c3d4e5f.tmp") << 600 << "" << false;
}

void RaceFolderTest::onlyStaleCopiesAreRemoved()
{
    QFETCH(QByteArray, name);
    QFETCH(int, ageMinutes);
    QFETCH(QString, lock);
    QFETCH(bool, removed);
    TempFolder folder;
    Outside outside;
    saveRace(inFolder(folder, QStringLiteral("race1.tkr")));
    const QString path = inFolder(folder, QString::fromLatin1(name));
    putFile(path, fileBytes(inFolder(folder, QStringLiteral("race1.tkr"))));
    // A link is never ours, even with our name and old enough: what it points to is no copy of ours.
    const QString link = inFolder(folder, QStringLiteral(".tokiro-aaaaaaaaaaaa.tmp"));
    QVERIFY(odd::makeLink(outside.victim, link));
    for (const QString& file : {path, link})
        QVERIFY(odd::setAge(file, std::chrono::minutes(ageMinutes)));

    std::optional<FolderLock> writer;
    if (lock == QStringLiteral("held")) {
        QVERIFY(writer.emplace(folder.path(), std::chrono::milliseconds(0)).held());
    } else if (lock == QStringLiteral("left")) {
        // A program that took the lock and was killed before it let go (the child calls nothing that allocates).
        const QByteArray lockPath = QFile::encodeName(inFolder(folder, QLatin1String(FolderLock::fileName)));
        const pid_t child = ::fork();
        if (child == 0) {
            const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT, 0666);
            ::_exit(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : 1);
        }
        int status = -1;
        QVERIFY(child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QVERIFY(QFile::exists(inFolder(folder, QLatin1String(FolderLock::fileName))));
    }
    const std::vector<CatalogueEntry> entries = RaceFolder(folder.path()).catalogue();
    QCOMPARE(entries.size(), std::size_t(1));
    QCOMPARE(QFileInfo::exists(path), !removed);
    QCOMPARE(QFileInfo::exists(inFolder(folder, QLatin1String(FolderLock::fileName))), lock == QStringLiteral("held"));
    QVERIFY(odd::isLink(link));
    QVERIFY(QFile::exists(inFolder(folder, QStringLiteral("race1.tkr"))));
    outside.verifyUntouched();
}

// Two programs on one folder: one lists it over and over (as Form6, Form7, Form8 and the analysis do on opening)
// while the other rewrites a race 200 times. No rewrite fails, no listing misses the race, nothing is left over.
void RaceFolderTest::twoWindowsOnOneFolder()
{
    TempFolder folder;
    const QString race = inFolder(folder, QStringLiteral("r.tkr"));
    saveRace(race);
    putFile(race, fileBytes(race) + "kept\r\n");
    std::atomic<bool> done{false};
    std::atomic<int> listings{0};
    std::atomic<int> missed{0};
    std::thread otherWindow([&] {
        const RaceFolder races(folder.path());
        while (!done) {
            const std::vector<CatalogueEntry> entries = races.catalogue();
            missed += entries.size() != 1 || !entries[0].readable;
            ++listings;
        }
    });
    const RaceFolder races(folder.path());
    QStringList failures;
    for (int i = 1; i <= 200; ++i) {
        PendingRewrite pending;
        FileResult result =
            races.prepareBalance(QStringLiteral("r.tkr"), QString::number(i), QString::number(2 * i), pending);
        if (result.ok)
            result = races.commit(pending);
        if (!result.ok)
            failures << result.error;
    }
    done = true;
    otherWindow.join();
    QVERIFY2(failures.isEmpty(), qPrintable(QStringLiteral("%1 failed: ").arg(failures.size()) + failures.join(u'\n')));
    QCOMPARE(missed.load(), 0);
    QVERIFY(listings.load() > 0);
    QVERIFY(fileBytes(race).endsWith(" 200 \r\n 400 \r\nkept\r\n"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name),
             QStringList({"TKR.tmp", "r.tkr"}));
}

// Inputs of the rewrite fuzz target, replayed with its checks in a folder of their own.
void RaceFolderTest::rewriteFuzzRegressions()
{
    TempFolder folder;
    const QString races = folder.filePath(QStringLiteral("races"));
    const QString outside = folder.filePath(QStringLiteral("outside"));
    QVERIFY(QDir().mkdir(races) && QDir().mkdir(outside));
    putFile(QDir(outside).filePath(QStringLiteral("victim.txt")), "not a race: must stay as it is\n");
    const odd::HangGuard guard("replaying the rewrite fuzz inputs");
    const std::vector<FuzzInput> inputs = fuzzInputs(QStringLiteral(TOKIRO_FUZZ_REWRITE_REGRESSIONS));
    for (const FuzzInput& input : inputs) {
        const QString failure = rewritecheck::rewriteCheckFailure(input.bytes, races, outside);
        QVERIFY2(failure.isEmpty(), qPrintable(input.name + QStringLiteral(": ") + failure));
    }
    QVERIFY(inputs.size() > 100);
}

void RaceFolderTest::putInOrder_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QList<int>>("order");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("kept as they are") << QStringList{"a", "b", "c"} << QList<int>{0, 1, 2}
                                      << QStringList{"a", "b", "c"};
    QTest::newRow("reversed") << QStringList{"a", "b", "c", "d"} << QList<int>{3, 2, 1, 0}
                              << QStringList{"d", "c", "b", "a"};
    QTest::newRow("one long cycle") << QStringList{"a", "b", "c", "d", "e"} << QList<int>{1, 2, 3, 4, 0}
                                    << QStringList{"b", "c", "d", "e", "a"};
    QTest::newRow("two cycles and a fixed place")
        << QStringList{"a", "b", "c", "d", "e"} << QList<int>{1, 0, 2, 4, 3} << QStringList{"b", "a", "c", "e", "d"};
    // Files gone between the listing and the read are left out, wherever they were.
    QTest::newRow("first and last gone") << QStringList{"a", "b", "c", "d", "e"} << QList<int>{3, 1, 2}
                                         << QStringList{"d", "b", "c"};
    QTest::newRow("gone, the rest cycling into its place")
        << QStringList{"a", "b", "c", "d"} << QList<int>{2, 3, 0} << QStringList{"c", "d", "a"};
    QTest::newRow("all gone") << QStringList{"a", "b"} << QList<int>{} << QStringList{};
    QTest::newRow("none") << QStringList{} << QList<int>{} << QStringList{};
}

void RaceFolderTest::putInOrder()
{
    QFETCH(QStringList, items);
    QFETCH(QList<int>, order);
    std::vector<QString> arranged(items.begin(), items.end());
    std::vector<std::size_t> indexes(order.begin(), order.end());
    RaceFolder::putInOrder(arranged, indexes);
    QTEST(QStringList(arranged.begin(), arranged.end()), "expected");
}

TOKIRO_CORE_TEST_MAIN(RaceFolderTest)

#include "race_folder_test.moc"
