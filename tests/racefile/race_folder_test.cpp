#include "core_test_main.h"
#include "fuzz/rewrite_checks.h"
#include "odd_files.h"
#include "racefile/race_folder.h"
#include "record/list_lines.h"
#include "samples.h"
#include "temp_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

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
    void staleCopiesAreRemoved();
    void rewriteFuzzRegressions();
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
    QTest::addColumn<QString>("name");
    QTest::newRow("leading colon") << ":colon.tkr";
    QTest::newRow("markup") << "<h1>BIG <a href=\"https:example.com\">click here.tkr";
    QTest::newRow("wildcards") << "*?[a].TKR";
    QTest::newRow("leading dash, spaces, full width") << "-レース 一覧　２.tkr";
    QTest::newRow("backslash and quote") << "a\\b'c\".tkr";
}

void RaceFolderTest::anyNameWorks()
{
    QFETCH(QString, name);
    TempFolder folder;
    saveRace(inFolder(folder, name));
    const RaceFolder races(folder.path());

    const std::vector<CatalogueEntry> entries = races.catalogue();
    QCOMPARE(entries.size(), std::size_t(1));
    QCOMPARE(entries[0].fileName, name);
    QVERIFY(entries[0].readable);
    QVERIFY(resultSummaryLine(entries[0]).contains(QStringLiteral("一着：00番")));
    LoadedRace loaded;
    QVERIFY(races.read(name, loaded, ReadScope::ThroughResults).ok);
    QCOMPARE(loaded.race.runnerCount, std::int16_t(2));

    PendingRewrite pending;
    QVERIFY(races.prepareResults(name, "3", "1", "450", pending).ok);
    QVERIFY(races.commit(pending).ok);
    QVERIFY(fileBytes(inFolder(folder, name)).endsWith(" 3 \r\n 1 \r\n 450 \r\n\r\n 0 \r\n"));
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
    QTest::newRow("TKR.tmp replaced by a link to the same bytes")
        << "temp link"
        << "確認のあいだに一時ファイル「TKR.tmp」がほかから変えられたため、書き換えをやめました。"
           "レースファイルはそのままです。";
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
    } else {
        const QString decoy = outside.dir.filePath(QStringLiteral("decoy.tmp"));
        putFile(decoy, pending.rewritten);
        QVERIFY(QFile::remove(temp) && odd::makeLink(decoy, temp));
        expected = before;
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

void RaceFolderTest::staleCopiesAreRemoved()
{
    TempFolder folder;
    Outside outside;
    saveRace(inFolder(folder, QStringLiteral("race1.tkr")));
    const QByteArray copy = fileBytes(inFolder(folder, QStringLiteral("race1.tkr")));
    // Left by saves that never finished: complete copies named after the file with six letters after it.
    for (const char* name : {"race1.tkr.HffGzk", "gone.TKR.abcDEF", "TKR.tmp.PZsOwK", "TKR.tmp"})
        putFile(inFolder(folder, QString::fromLatin1(name)), copy);
    // Not ours: other names, and a link even when its name fits (what it points to is no copy of ours).
    for (const char* name : {"notes.txt.AbCdEf", "race1.tkr.HffGz", "race1.tkr.HffGz1", "race1.tkr.bak",
                             "race1.tkr.backup", "race1.tkr.BACKUP"})
        putFile(inFolder(folder, QString::fromLatin1(name)), copy);
    QVERIFY(odd::makeLink(outside.victim, inFolder(folder, QStringLiteral("race2.tkr.QwErTy"))));

    const std::vector<CatalogueEntry> entries = RaceFolder(folder.path()).catalogue();
    QCOMPARE(entries.size(), std::size_t(1));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::System, QDir::Name),
             QStringList({"TKR.tmp", "notes.txt.AbCdEf", "race1.tkr", "race1.tkr.BACKUP", "race1.tkr.HffGz",
                          "race1.tkr.HffGz1", "race1.tkr.backup", "race1.tkr.bak", "race2.tkr.QwErTy"}));
    outside.verifyUntouched();
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

TOKIRO_CORE_TEST_MAIN(RaceFolderTest)

#include "race_folder_test.moc"
