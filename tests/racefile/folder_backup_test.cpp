#include "core_test_main.h"
#include "racefile/file_bytes.h"
#include "racefile/file_names.h"
#include "racefile/folder_backup.h"
#include "racefile/folder_backup_model.h"
#include "racefile/race_file.h"
#include "racefile/save_file.h"
#include "samples.h"
#include "temp_folder.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QProcess>
#include <QtTest>

#include <map>
#include <optional>
#include <thread>

#include <archive.h>
#include <archive_entry.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Backups of the race folder: what goes in, what comes back, and what is refused.
class FolderBackupTest : public QObject {
    Q_OBJECT

private slots:
    void roundTripKeepsNamesAndBytes();
    void namesInTheZipAreUtf8();
    void plainZipOfRaces_data();
    void plainZipOfRaces();
    void refused_data();
    void refused();
    void comparisonAndChoices();
    void changedSinceComparisonIsKept();
    void waitsForTheFolderLock();
    void killDuringRestoreLeavesOldOrNew();
};

namespace {

using Files = std::map<QByteArray, QByteArray>; // name bytes → content

// A temporary folder that goes with every file in it, whatever its name's bytes (QTemporaryDir leaves a name that is
// not UTF-8 behind).
class RawTempDir {
public:
    ~RawTempDir()
    {
        const QByteArray folder = fileNameBytes(dir_.path());
        if (DIR* list = ::opendir(folder.constData())) {
            while (const dirent* entry = ::readdir(list)) {
                const QByteArray name(entry->d_name);
                if (name != "." && name != ".." && entry->d_type != DT_DIR)
                    ::unlink((folder + '/' + name).constData());
            }
            ::closedir(list);
        }
    }
    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

void putRaw(const QString& folder, const QByteArray& name, const QByteArray& bytes)
{
    const QByteArray path = fileNameBytes(folder) + '/' + name;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    QVERIFY2(fd >= 0, path.constData());
    QCOMPARE(::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

// Every regular file of a folder by the bytes of its name.
Files filesOf(const QString& folder)
{
    Files files;
    DIR* dir = ::opendir(fileNameBytes(folder).constData());
    if (!dir)
        return files;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (entry->d_type != DT_REG)
            continue;
        const FileBytes read = readFileBytes(fileNameFromBytes(fileNameBytes(folder) + '/' + name), 1 << 20);
        files[name] = read.status == FileBytes::Status::Read ? read.bytes : QByteArray("(unreadable)");
    }
    ::closedir(dir);
    return files;
}

QByteArray raceBytes(int runners, const QByteArray& payout = {})
{
    return crlfLines(
        raceLines(runners, payout.isEmpty() ? QByteArray() : " 3 ", payout.isEmpty() ? QByteArray() : " 5 ", payout));
}

// What a user keeps in the race folder, with names as they come: code page 932 from Windows, spaces, a copy an
// editor left.
Files oddFolder()
{
    return {
        {QString::fromUtf8("日本ダービー.tkr").toUtf8(), raceBytes(3, " 1230 ")},
        {sjis(QStringLiteral("第７１回有馬記念.tkr")), raceBytes(5)},
        {"race 1 with spaces.tkr", raceBytes(2)},
        {"race1.tkr.Backup", "an editor's copy\r\n"},
        {"race1.tkr", raceBytes(2, " 870 ")},
        {".memo", QByteArray("\x00\x01\xff binary", 11)},
        {"empty.txt", {}},
        {"\xff\xfe odd.tkr", raceBytes(1)},
    };
}

void fill(const QString& folder, const Files& files)
{
    for (const auto& [name, bytes] : files)
        putRaw(folder, name, bytes);
}

struct ZipEntry {
    QByteArray name;
    QByteArray bytes;
    bool folder = false;
};

// A zip made by another program.
QByteArray zipOf(const std::vector<ZipEntry>& entries)
{
    QByteArray zip;
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    archive_write_set_bytes_per_block(a, 0);
    archive_write_open2(
        a, &zip, nullptr,
        [](archive*, void* data, const void* buffer, size_t length) -> la_ssize_t {
            static_cast<QByteArray*>(data)->append(static_cast<const char*>(buffer), static_cast<qsizetype>(length));
            return static_cast<la_ssize_t>(length);
        },
        nullptr, nullptr);
    for (const ZipEntry& e : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.name.constData());
        archive_entry_set_filetype(entry, e.folder ? AE_IFDIR : AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, e.bytes.size());
        archive_write_header(a, entry);
        archive_write_data(a, e.bytes.constData(), static_cast<size_t>(e.bytes.size()));
        archive_entry_free(entry);
    }
    archive_write_close(a);
    archive_write_free(a);
    return zip;
}

// The names of the zip's central directory with their general purpose flags.
std::vector<std::pair<QByteArray, quint16>> centralNames(const QByteArray& zip)
{
    std::vector<std::pair<QByteArray, quint16>> names;
    const auto u16 = [&](qsizetype at) {
        return static_cast<quint16>(static_cast<uchar>(zip[at]) | static_cast<uchar>(zip[at + 1]) << 8);
    };
    for (qsizetype at = zip.indexOf("PK\x01\x02"); at >= 0 && at + 46 <= zip.size();
         at = zip.indexOf("PK\x01\x02", at + 46)) {
        const quint16 nameLength = u16(at + 28);
        names.emplace_back(zip.mid(at + 46, nameLength), u16(at + 8));
    }
    return names;
}

RestoreComparisonModel* testedModel(std::vector<RestoreItem> items, QObject* parent)
{
    auto* model = new RestoreComparisonModel(parent);
    new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::Fatal, parent);
    model->setItems(std::move(items));
    return model;
}

class StopWaiting final : public LockWait {
public:
    int asked = 0;
    bool waitFor(const LockHolder&, std::chrono::milliseconds) override { return ++asked < 3; }
    void waitOver() override {}
};

} // namespace

void FolderBackupTest::roundTripKeepsNamesAndBytes()
{
    RawTempDir source;
    RawTempDir target;
    RawTempDir place;
    const Files files = oddFolder();
    fill(source.path(), files);
    // The program's own working files stay out.
    fill(source.path(), {{".tokiro.lock", "123 host\n"},
                         {".tokiro-abcdefghijkl.tmp", "half"},
                         {"TKR.tmp", "rewrite"},
                         {".tokiro-last-saved", "race1.tkr"}});
    QVERIFY(QDir(source.path()).mkdir(QStringLiteral("sub folder")));

    const QString archive = place.filePath(backupFileName(QDate(2026, 12, 9)));
    QCOMPARE(QFileInfo(archive).fileName(), QStringLiteral("トキロ-バックアップ-2026-12-09.zip"));
    const BackupResult made = writeBackup(source.path(), archive);
    QVERIFY2(made.ok, qPrintable(made.reason));
    QCOMPARE(made.fileCount, static_cast<int>(files.size()));
    QCOMPARE(made.notIncluded, QStringList{QStringLiteral("sub folder")});

    const BackupContents contents = readBackup(archive);
    QVERIFY2(contents.ok(), qPrintable(contents.reason));
    QVERIFY(contents.ours);
    QVERIFY(contents.made.isValid());
    std::vector<RestoreItem> items = compareWithFolder(target.path(), contents.files);
    QCOMPARE(items.size(), files.size());
    for (const RestoreItem& item : items)
        QCOMPARE(item.state, RestoreState::New);
    const RestoreOutcome outcome = restoreBackup(target.path(), items, {});
    QCOMPARE(outcome.added.size(), static_cast<qsizetype>(files.size()));
    QVERIFY(outcome.failed.isEmpty());
    const Files restored = filesOf(target.path());
    for (const auto& [name, bytes] : files)
        QVERIFY2(restored.count(name) && restored.at(name) == bytes, name.toHex().constData());
    QCOMPARE(restored.size(), files.size());

    // Into the folder it came from: all the same, nothing written.
    const std::vector<RestoreItem> again = compareWithFolder(source.path(), readBackup(archive).files);
    QObject parent;
    RestoreComparisonModel* model = testedModel(again, &parent);
    QCOMPARE(model->count(RestoreState::Same), static_cast<int>(files.size()));
    const QModelIndexList race1 = model->match(model->index(0, RestoreComparisonModel::NameColumn), Qt::DisplayRole,
                                               QStringLiteral("race1.tkr"), 1, Qt::MatchExactly);
    QCOMPARE(race1.size(), 1);
    QCOMPARE(race1[0].siblingAtColumn(RestoreComparisonModel::RaceColumn).data().toString(),
             QStringLiteral("99/05/16　7R　テスト記念"));
    QCOMPARE(race1[0].siblingAtColumn(RestoreComparisonModel::StateColumn).data().toString(), QStringLiteral("同じ"));
}

void FolderBackupTest::namesInTheZipAreUtf8()
{
    RawTempDir source;
    RawTempDir place;
    fill(source.path(), oddFolder());
    // Two names the user reads alike: the second entry is told apart.
    putRaw(source.path(), sjis(QStringLiteral("日本ダービー.tkr")), "cp932 twin");
    const QString archive = place.filePath(QStringLiteral("b.zip"));
    QVERIFY(writeBackup(source.path(), archive).ok);
    QFile file(archive);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const auto names = centralNames(file.readAll());
    std::map<QByteArray, quint16> flags(names.begin(), names.end());
    QCOMPARE(names.front().first, QByteArray(".tokiro-backup"));
    for (const char* shown : {"日本ダービー.tkr", "日本ダービー (2).tkr", "第７１回有馬記念.tkr", "race1.tkr.Backup",
                              "race 1 with spaces.tkr", "\\xFF\\xFE odd.tkr"}) {
        const QByteArray name = QByteArray(shown);
        QVERIFY2(flags.count(name), shown);
        if (QString::fromUtf8(name).contains(QRegularExpression(QStringLiteral("[^\\x{0}-\\x{7f}]"))))
            QVERIFY2(flags[name] & 0x0800, shown); // the UTF-8 flag
    }
}

void FolderBackupTest::plainZipOfRaces_data()
{
    QTest::addColumn<QByteArray>("prefix");
    QTest::newRow("races at the top") << QByteArray();
    QTest::newRow("races in one folder") << QByteArray("races/");
}

void FolderBackupTest::plainZipOfRaces()
{
    QFETCH(QByteArray, prefix);
    RawTempDir place;
    std::vector<ZipEntry> entries;
    if (!prefix.isEmpty())
        entries.push_back({prefix, {}, true});
    entries.push_back({prefix + "a.tkr", raceBytes(2)});
    entries.push_back({prefix + "B.TKR", raceBytes(3)});
    putFile(place.filePath(QStringLiteral("p.zip")), zipOf(entries));
    const BackupContents contents = readBackup(place.filePath(QStringLiteral("p.zip")));
    QVERIFY2(contents.ok(), qPrintable(contents.reason));
    QVERIFY(!contents.ours);
    QCOMPARE(contents.files.size(), std::size_t{2});
    QCOMPARE(contents.files[0].name, QStringLiteral("a.tkr"));
    QCOMPARE(contents.files[1].bytes, raceBytes(3));
}

void FolderBackupTest::refused_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<int>("refusal");
    using R = BackupContents::Refusal;
    RawTempDir source;
    RawTempDir place;
    fill(source.path(), oddFolder());
    const QString path = place.filePath(QStringLiteral("ours.zip"));
    QVERIFY(writeBackup(source.path(), path).ok);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray ours = file.readAll();

    QTest::newRow("cut to half") << ours.left(ours.size() / 2) << int(R::NotOurs);
    QTest::newRow("last byte missing") << ours.chopped(1) << int(R::NotOurs);
    QTest::newRow("cut to its first bytes") << ours.left(30) << int(R::NotOurs);
    QByteArray flipped = ours;
    // A byte of the first race's data: its checksum no longer matches.
    const qsizetype header = ours.indexOf("race 1 with spaces.tkr") - 30;
    const auto u16 = [&](qsizetype at) { return static_cast<uchar>(ours[at]) | static_cast<uchar>(ours[at + 1]) << 8; };
    const qsizetype data = header + 30 + u16(header + 26) + u16(header + 28) + 8;
    flipped[data] = static_cast<char>(flipped[data] ^ 0x55);
    QTest::newRow("a byte changed") << flipped << int(R::Damaged);
    QTest::newRow("empty file") << QByteArray() << int(R::NotOurs);
    QTest::newRow("text") << QByteArray("24/05/26\r\n11\r\n") << int(R::NotOurs);
    QTest::newRow("someone's photos") << zipOf({{"readme.txt", "hello"}, {"photo.jpg", "\xff\xd8"}}) << int(R::NotOurs);
    QTest::newRow("races and more") << zipOf({{"a.tkr", raceBytes(2)}, {"notes.txt", "x"}}) << int(R::NotOurs);
    QTest::newRow("a name out of the folder") << zipOf({{"../a.tkr", raceBytes(2)}}) << int(R::NotOurs);
    QTest::newRow("races in two folders")
        << zipOf({{"x/a.tkr", raceBytes(2)}, {"y/b.tkr", raceBytes(2)}}) << int(R::NotOurs);
    QTest::newRow("empty zip") << zipOf({}) << int(R::NotOurs);
    const QByteArray manifest = "TOKIRO-BACKUP 1\nmade 2026-12-09T00:00:00Z\n" + QByteArray("a.tkr").toHex() + "\t"
                                + QByteArray::number(raceBytes(2).size()) + "\t0\n";
    QTest::newRow("manifest names more than it holds")
        << zipOf({{".tokiro-backup", manifest + QByteArray("b.tkr").toHex() + "\t5\t0\n"}, {"a.tkr", raceBytes(2)}})
        << int(R::Damaged);
    QTest::newRow("a file the manifest does not name")
        << zipOf({{".tokiro-backup", manifest}, {"a.tkr", raceBytes(2)}, {"b.tkr", "x"}}) << int(R::Damaged);
    QTest::newRow("manifest names a path") << zipOf(
        {{".tokiro-backup", "TOKIRO-BACKUP 1\nmade x\n" + QByteArray("../a.tkr").toHex() + "\t1\t0\n"}, {"a.tkr", "x"}})
                                           << int(R::Damaged);
    QTest::newRow("manifest names the lock")
        << zipOf({{".tokiro-backup", "TOKIRO-BACKUP 1\nmade x\n" + QByteArray(".tokiro.lock").toHex() + "\t1\t0\n"},
                  {".tokiro.lock", "x"}})
        << int(R::Damaged);
    QTest::newRow("a newer version") << zipOf({{".tokiro-backup", "TOKIRO-BACKUP 2\nmade x\n"}}) << int(R::Newer);
}

void FolderBackupTest::refused()
{
    QFETCH(QByteArray, archive);
    QFETCH(int, refusal);
    RawTempDir place;
    putFile(place.filePath(QStringLiteral("a.zip")), archive);
    const BackupContents contents = readBackup(place.filePath(QStringLiteral("a.zip")));
    QVERIFY(!contents.ok());
    QCOMPARE(int(contents.refusal), refusal);
    QVERIFY(!contents.reason.isEmpty());
    QVERIFY(contents.files.empty());
}

void FolderBackupTest::comparisonAndChoices()
{
    RawTempDir folder;
    const QByteArray oldRace = raceBytes(2);
    const QByteArray newRace = raceBytes(2, " 870 ");
    std::vector<BackupFile> backup = {
        {QStringLiteral("same.tkr"), oldRace, 0},          {QStringLiteral("replace.tkr"), newRace, 0},
        {QStringLiteral("both.tkr"), newRace, 1700000000}, {QStringLiteral("skip.tkr"), newRace, 0},
        {QStringLiteral("new.tkr"), newRace, 0},           {QStringLiteral("sub"), "x", 0}};
    fill(folder.path(), {{"same.tkr", oldRace},
                         {"replace.tkr", oldRace},
                         {"both.tkr", oldRace},
                         {"skip.tkr", oldRace},
                         {"both (バックアップ).tkr", "taken"}});
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("sub")));

    std::vector<RestoreItem> items = compareWithFolder(folder.path(), backup);
    const std::vector<RestoreState> states = {RestoreState::Same,    RestoreState::Differs, RestoreState::Differs,
                                              RestoreState::Differs, RestoreState::New,     RestoreState::Blocked};
    for (std::size_t i = 0; i < items.size(); ++i)
        QCOMPARE(items[i].state, states[i]);
    QObject parent;
    RestoreComparisonModel* model = testedModel(items, &parent);
    QCOMPARE(model->rowCount(), 6);
    QCOMPARE(model->count(RestoreState::Differs), 3);
    // The races to decide on come first, by name.
    QCOMPARE(model->index(0, RestoreComparisonModel::NameColumn).data().toString(), QStringLiteral("both.tkr"));
    QCOMPARE(model->index(0, RestoreComparisonModel::StateColumn).data().toString(), QStringLiteral("違う"));
    QCOMPARE(model->index(5, RestoreComparisonModel::StateColumn).data().toString(), QStringLiteral("同じ"));

    const std::vector<RestoreChoice> choices = {RestoreChoice::Skip, RestoreChoice::Replace, RestoreChoice::KeepBoth,
                                                RestoreChoice::Skip, RestoreChoice::Skip,    RestoreChoice::Replace};
    const RestoreOutcome outcome = restoreBackup(folder.path(), items, choices);
    QCOMPARE(outcome.added, QStringList{QStringLiteral("new.tkr")});
    QCOMPARE(outcome.replaced, QStringList{QStringLiteral("replace.tkr")});
    QCOMPARE(outcome.keptBoth, QStringList{QStringLiteral("both (バックアップ 2).tkr")});
    QCOMPARE(outcome.skipped, QStringList{QStringLiteral("skip.tkr")});
    QCOMPARE(outcome.same, QStringList{QStringLiteral("same.tkr")});
    QCOMPARE(outcome.failed.size(), 1);
    const Files after = filesOf(folder.path());
    QCOMPARE(after.at("same.tkr"), oldRace);
    QCOMPARE(after.at("replace.tkr"), newRace);
    QCOMPARE(after.at("both.tkr"), oldRace);
    QCOMPARE(after.at(QString::fromUtf8("both (バックアップ 2).tkr").toUtf8()), newRace);
    QCOMPARE(after.at("skip.tkr"), oldRace);
    QCOMPARE(after.at("new.tkr"), newRace);
    QCOMPARE(after.size(), std::size_t{7});
    QCOMPARE(QFileInfo(folder.filePath(QStringLiteral("both (バックアップ 2).tkr"))).lastModified().toSecsSinceEpoch(),
             1700000000);
    // A name without an extension, and a hidden one.
    QCOMPARE(keptBothName(folder.path(), QStringLiteral("memo")), QStringLiteral("memo (バックアップ)"));
    QCOMPARE(keptBothName(folder.path(), QStringLiteral(".memo")), QStringLiteral(".memo (バックアップ)"));
}

void FolderBackupTest::changedSinceComparisonIsKept()
{
    RawTempDir folder;
    fill(folder.path(), {{"r.tkr", raceBytes(2)}});
    const std::vector<RestoreItem> items =
        compareWithFolder(folder.path(), {{QStringLiteral("r.tkr"), raceBytes(2, " 870 "), 0},
                                          {QStringLiteral("n.tkr"), raceBytes(3), 0}});
    // Another program writes both names while the user decides.
    fill(folder.path(), {{"r.tkr", "theirs"}, {"n.tkr", "theirs too"}});
    const RestoreOutcome outcome = restoreBackup(folder.path(), items, {RestoreChoice::Replace});
    QCOMPARE(outcome.changedMeanwhile, (QStringList{QStringLiteral("r.tkr"), QStringLiteral("n.tkr")}));
    QVERIFY(filesOf(folder.path()) == (Files{{"r.tkr", "theirs"}, {"n.tkr", "theirs too"}}));
}

void FolderBackupTest::waitsForTheFolderLock()
{
    RawTempDir folder;
    const std::vector<RestoreItem> items =
        compareWithFolder(folder.path(), {{QStringLiteral("n.tkr"), raceBytes(3), 0}});
    std::optional<FolderLock> other(std::in_place, folder.path(), std::chrono::milliseconds(0));
    QVERIFY(other->held());
    StopWaiting wait;
    const RestoreOutcome stopped = restoreBackup(folder.path(), items, {}, &wait);
    QVERIFY(stopped.stoppedWaiting);
    QCOMPARE(wait.asked, 3);
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("n.tkr"))));
    other.reset();
    QCOMPARE(restoreBackup(folder.path(), items, {}, &wait).added, QStringList{QStringLiteral("n.tkr")});
}

void FolderBackupTest::killDuringRestoreLeavesOldOrNew()
{
    // A folder of old races, and a backup in which every one differs, with as many new ones.
    constexpr int races = 60;
    RawTempDir source;
    RawTempDir place;
    Files oldFiles;
    Files newFiles;
    for (int i = 0; i < races; ++i) {
        const QByteArray name = QByteArray::number(10000 + i) + ".tkr";
        oldFiles[name] = raceBytes(2 + i % 10);
        newFiles[name] = raceBytes(2 + i % 10, " " + QByteArray::number(100 + i) + " ");
        newFiles["n" + name] = raceBytes(3);
    }
    fill(source.path(), newFiles);
    const QString archive = place.filePath(QStringLiteral("b.zip"));
    QVERIFY(writeBackup(source.path(), archive).ok);

    // How long an undisturbed restore takes, to kill the others at points through it.
    QElapsedTimer clock;
    {
        RawTempDir whole;
        fill(whole.path(), oldFiles);
        const std::vector<RestoreItem> items = compareWithFolder(whole.path(), readBackup(archive).files);
        clock.start();
        restoreBackup(whole.path(), items, std::vector<RestoreChoice>(items.size(), RestoreChoice::Replace));
    }
    const qint64 full = std::max<qint64>(clock.nsecsElapsed() / 1000, 1000);

    int halfWay = 0;
    for (int round = 0; round < 8; ++round) {
        RawTempDir folder;
        fill(folder.path(), oldFiles);
        QProcess child;
        child.start(QStringLiteral(TOKIRO_RESTORE_CHILD), {archive, folder.path()});
        QVERIFY(child.waitForReadyRead(10000)); // it has compared and starts writing
        std::this_thread::sleep_for(std::chrono::microseconds(full * (round + 1) / 10));
        child.kill();
        QVERIFY(child.waitForFinished(10000));

        int replaced = 0;
        const Files after = filesOf(folder.path());
        for (const auto& [name, bytes] : after) {
            if (isTemporaryCopyName(name) || name == FolderLock::fileName)
                continue;
            if (name.startsWith('n')) {
                QCOMPARE(bytes, newFiles.at(name));
                continue;
            }
            const bool isOld = bytes == oldFiles.at(name);
            QVERIFY2(isOld || bytes == newFiles.at(name), name.constData());
            replaced += !isOld;
        }
        for (const auto& [name, bytes] : oldFiles)
            QVERIFY2(after.count(name), name.constData());
        halfWay += replaced > 0 && replaced < races;
        // What the killed restore left of its copies goes with the next listing.
        sweepFolder(folder.path());
        for (const auto& [name, bytes] : filesOf(folder.path()))
            QVERIFY2(!isTemporaryCopyName(name), name.constData());
    }
    QVERIFY2(halfWay > 0, "no restore was killed half-way");
}

TOKIRO_CORE_TEST_MAIN(FolderBackupTest)
#include "folder_backup_test.moc"
