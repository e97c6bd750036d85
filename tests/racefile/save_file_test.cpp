#include "core/system_error.h"
#include "core_test_main.h"
#include "racefile/catalogue.h"
#include "racefile/race_file.h"
#include "racefile/race_folder.h"
#include "racefile/save_file.h"
#include "samples.h"
#include "temp_folder.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>
#include <QtTest>

#include <cerrno>
#include <functional>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

// The one save helper: a failure anywhere leaves the old file whole and no half-written file behind.
class SaveFileTest : public QObject {
    Q_OBJECT

private slots:
    void replacesWholeFile();
    void failingDeviceKeepsOldFile_data();
    void failingDeviceKeepsOldFile();
    void fullDiskFailsAtFlush();
    void missingFolder();
    void reasonsInJapanese_data();
    void reasonsInJapanese();
    void failuresSaidInJapanese_data();
    void failuresSaidInJapanese();
    void waitsForHeldLock_data();
    void waitsForHeldLock();
    void lockFileSaysWhoHolds_data();
    void lockFileSaysWhoHolds();
    void rewriteStopsWaiting_data();
    void rewriteStopsWaiting();
};

namespace {

// Passes the first budget bytes on to the real device, then fails: either with an error (-1) or by taking nothing
// (a write that returns 0, as a full disk may).
class FailingDevice : public QIODevice {
public:
    FailingDevice(QIODevice& target, qint64 budget, bool returnZero)
        : target_(target), budget_(budget), returnZero_(returnZero)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        const qint64 n = std::min(size, budget_ - passed_);
        if (n <= 0) {
            setErrorString(QStringLiteral("No space left on device"));
            return returnZero_ ? 0 : -1;
        }
        const qint64 written = target_.write(data, n);
        passed_ += std::max<qint64>(written, 0);
        return written; // fewer than asked once the budget runs out
    }

private:
    QIODevice& target_;
    qint64 budget_;
    bool returnZero_;
    qint64 passed_ = 0;
};

QStringList folderEntries() { return QDir().entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name); }

// Answers a wait for the folder's lock as told, and records what it was told. Each pass lets the pause go by, as the
// screens do.
class ScriptedWait final : public LockWait {
public:
    std::function<bool(int pass)> answer; // pass counts from 1
    std::vector<LockHolder> holders;
    int overs = 0;

    bool waitFor(const LockHolder& holder, std::chrono::milliseconds pause) override
    {
        holders.push_back(holder);
        std::this_thread::sleep_for(pause);
        // Never for ever: a lock that is not let go fails the test.
        return holders.size() < 100 && answer(static_cast<int>(holders.size()));
    }
    void waitOver() override { ++overs; }
};

// The folder's lock held by this process through a handle of its own, or by another process: flock(1) holding it
// while cat waits for its input. release() lets go of it.
class HeldLock {
public:
    HeldLock(const QString& folder, bool otherProcess)
    {
        if (!otherProcess) {
            inProcess_.emplace(folder, std::chrono::milliseconds(0));
            return;
        }
        const QString path = QDir(folder).filePath(QLatin1String(FolderLock::fileName));
        process_.start(QStringLiteral("flock"), {path, QStringLiteral("cat")});
        process_.waitForStarted();
        // Taken once a try of our own finds it held.
        for (int i = 0; i < 500 && !heldByOther(path); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~HeldLock()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    bool held() const { return inProcess_ ? inProcess_->held() : process_.state() == QProcess::Running; }
    void release()
    {
        inProcess_.reset();
        if (process_.state() != QProcess::NotRunning) {
            process_.closeWriteChannel();
            process_.waitForFinished();
        }
    }

private:
    static bool heldByOther(const QString& path)
    {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0)
            return false;
        const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        ::close(fd);
        return !free;
    }

    std::optional<FolderLock> inProcess_;
    QProcess process_;
};

} // namespace

void SaveFileTest::replacesWholeFile()
{
    TempFolder folder;
    putFile(QStringLiteral("r.tkr"), QByteArray(5000, 'x'));
    QVERIFY(saveWholeFile(QStringLiteral("r.tkr"), "short").ok);
    QCOMPARE(fileBytes(QStringLiteral("r.tkr")), QByteArray("short"));
    QCOMPARE(folderEntries(), QStringList{"r.tkr"});
}

void SaveFileTest::failingDeviceKeepsOldFile_data()
{
    QTest::addColumn<qint64>("budget");
    QTest::addColumn<bool>("returnZero");
    QTest::newRow("fails at once") << qint64(0) << false;
    QTest::newRow("fails after 1 byte") << qint64(1) << false;
    QTest::newRow("fails after 100 bytes") << qint64(100) << false;
    QTest::newRow("takes nothing after 100 bytes") << qint64(100) << true;
    QTest::newRow("fails one byte before the end") << qint64(139 * 5) << false;
}

void SaveFileTest::failingDeviceKeepsOldFile()
{
    QFETCH(qint64, budget);
    QFETCH(bool, returnZero);
    TempFolder folder;
    QVERIFY(writeRaceFile(QStringLiteral("r.tkr"), sampleRace(2), TailLines{}).ok);
    const QByteArray before = fileBytes(QStringLiteral("r.tkr"));
    const QByteArray bytes(700, 'n');
    std::unique_ptr<FailingDevice> device;
    const SaveResult saved = saveWholeFile(QStringLiteral("r.tkr"), bytes, [&](QIODevice& file) {
        device = std::make_unique<FailingDevice>(file, std::min<qint64>(budget, bytes.size() - 1), returnZero);
        return device.get();
    });
    QVERIFY(!saved.ok);
    QVERIFY(!saved.reason.isEmpty());
    QCOMPARE(fileBytes(QStringLiteral("r.tkr")), before);
    QCOMPARE(folderEntries(), QStringList{"r.tkr"}); // the save file's temporary is gone

    // The same device with room for everything saves.
    const SaveResult whole = saveWholeFile(QStringLiteral("r.tkr"), bytes, [&](QIODevice& file) {
        device = std::make_unique<FailingDevice>(file, bytes.size(), returnZero);
        return device.get();
    });
    QVERIFY2(whole.ok, qPrintable(whole.reason));
    QCOMPARE(fileBytes(QStringLiteral("r.tkr")), bytes);
}

void SaveFileTest::fullDiskFailsAtFlush()
{
    // /dev/full takes every write into the file buffer and fails when the buffer goes to disk.
    QFile full(QStringLiteral("/dev/full"));
    if (!full.open(QIODevice::WriteOnly))
        QSKIP("no /dev/full here");
    const SaveResult written = writeAllFlushed(full, QByteArray(200, 'x'));
    QVERIFY(!written.ok);
    QVERIFY(!written.reason.isEmpty());
}

void SaveFileTest::missingFolder()
{
    TempFolder folder;
    const FileResult written = writeRaceFile(QStringLiteral("no/such/folder/r.tkr"), sampleRace(1), TailLines{});
    QVERIFY(!written.ok);
    QVERIFY(written.error.contains(QStringLiteral("r.tkr")));
    QVERIFY(folderEntries().isEmpty());
    QVERIFY(QDir().entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}

void SaveFileTest::reasonsInJapanese_data()
{
    QTest::addColumn<QString>("systemText");
    QTest::addColumn<QString>("said");
    QTest::newRow("permission") << qt_error_string(EACCES) << "そのファイルやフォルダを使う許可がありません";
    QTest::newRow("read-only") << qt_error_string(EROFS) << "読み込み専用の場所なので書き込めません";
    QTest::newRow("disk full") << qt_error_string(ENOSPC) << "ディスクの空きが足りません";
    QTest::newRow("quota") << qt_error_string(EDQUOT) << "使えるディスクの容量を使い切りました";
    QTest::newRow("not found") << qt_error_string(ENOENT) << "ファイルまたはフォルダが見つかりません";
    QTest::newRow("a folder (system)") << qt_error_string(EISDIR) << "ファイルではなくフォルダです";
    QTest::newRow("a folder (QSaveFile)") << "Filename refers to a directory"
                                          << "ファイルではなくフォルダです";
    QTest::newRow("not writable (QSaveFile)") << "Existing file /x/r.tkr is not writable"
                                              << "今あるファイルに書き込む許可がありません";
    QTest::newRow("already Japanese") << "書き込みが途中で止まりました"
                                      << "書き込みが途中で止まりました";
    QTest::newRow("rare cause keeps a Japanese lead")
        << qt_error_string(EXDEV) << "システムからの説明：" + qt_error_string(EXDEV);
    QTest::newRow("nothing said") << ""
                                  << "原因はわかりません";
}

void SaveFileTest::reasonsInJapanese()
{
    QFETCH(QString, systemText);
    QFETCH(QString, said);
    QCOMPARE(japaneseReason(systemText), said);
}

void SaveFileTest::failuresSaidInJapanese_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("cause");
    QTest::newRow("save over a folder") << "save"
                                        << "ファイルではなくフォルダです";
    QTest::newRow("save into a missing folder") << "missing"
                                                << "見つかりません";
    QTest::newRow("delete a folder") << "delete"
                                     << "ファイルではなくフォルダです";
    QTest::newRow("disk full") << "full"
                               << "ディスクの空きが足りません";
}

// Real failures, as the user reads them: the cause in Japanese and no system text in English.
void SaveFileTest::failuresSaidInJapanese()
{
    QFETCH(QString, what);
    QFETCH(QString, cause);
    TempFolder folder;
    QVERIFY(QDir().mkdir(QStringLiteral("r.tkr")));
    QString message;
    if (what == "save") {
        message = writeRaceFile(QStringLiteral("r.tkr"), sampleRace(1), TailLines{}).error;
    } else if (what == "missing") {
        message = writeRaceFile(QStringLiteral("no/r.tkr"), sampleRace(1), TailLines{}).error;
    } else if (what == "delete") {
        message = RaceFolder(folder.path()).remove(QStringLiteral("r.tkr")).error;
    } else {
        QFile full(QStringLiteral("/dev/full"));
        if (!full.open(QIODevice::WriteOnly))
            QSKIP("no /dev/full here");
        message = japaneseReason(writeAllFlushed(full, QByteArray(200, 'x')).reason);
    }
    QVERIFY2(message.contains(cause), qPrintable(message));
    QVERIFY2(!QString(message).remove(QStringLiteral("r.tkr")).contains(QRegularExpression(QStringLiteral("[A-Za-z]"))),
             qPrintable(message));
}

TOKIRO_CORE_TEST_MAIN(SaveFileTest)

// A save that finds the folder's lock held tells the one waiting who holds it, as far as known, and waits as long as it
// is told to: stopping writes nothing and leaves no copy; the lock let go lets the save go ahead. A lock that is free
// is taken without a word.
void SaveFileTest::waitsForHeldLock_data()
{
    QTest::addColumn<QString>("holder");
    QTest::addColumn<bool>("stop");
    for (const char* holder : {"free", "this process", "another process"}) {
        for (const bool stop : {true, false})
            QTest::addRow("%s, %s", holder, stop ? "stopped" : "let go") << QString::fromLatin1(holder) << stop;
    }
}

void SaveFileTest::waitsForHeldLock()
{
    QFETCH(QString, holder);
    QFETCH(bool, stop);
    TempFolder folder;
    putFile(QStringLiteral("r.tkr"), "old");
    std::optional<HeldLock> held;
    if (holder != QStringLiteral("free"))
        QVERIFY(held.emplace(folder.path(), holder == QStringLiteral("another process")).held());
    ScriptedWait wait;
    wait.answer = [&](int pass) {
        if (stop)
            return false;
        if (pass == 2)
            held->release();
        return true;
    };

    const SaveResult saved = saveWholeFile(QStringLiteral("r.tkr"), "new", {}, &wait);
    if (!held) {
        QVERIFY(saved.ok);
        QVERIFY(wait.holders.empty());
        QCOMPARE(wait.overs, 0);
        return;
    }
    QVERIFY(!wait.holders.empty());
    QCOMPARE(wait.overs, 1);
    // flock(1) writes nothing into the file; a トキロ writes its process and computer.
    const LockHolder& told = wait.holders.front();
    if (holder == QStringLiteral("this process")) {
        QCOMPARE(told.pid, QCoreApplication::applicationPid());
        QCOMPARE(told.host, QSysInfo::machineHostName());
    } else {
        QVERIFY(!told.known());
    }
    QCOMPARE(saved.ok, !stop);
    QCOMPARE(saved.stoppedWaiting, stop);
    QCOMPARE(fileBytes(QStringLiteral("r.tkr")), stop ? QByteArray("old") : QByteArray("new"));
    QVERIFY(!folderEntries().filter(QStringLiteral(".tokiro-")).size());
    if (stop)
        QCOMPARE(wait.holders.size(), std::size_t(1));
}

// What the lock file says is only believed when it makes sense: a process number and a name on one line, not a
// process of this computer that has ended.
void SaveFileTest::lockFileSaysWhoHolds_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<qint64>("pid");
    QTest::addColumn<QString>("host");
    qint64 ended = 0;
    {
        QProcess process;
        process.start(QStringLiteral("true"), {});
        process.waitForStarted();
        ended = process.processId();
        process.waitForFinished();
    }
    const QByteArray here = QSysInfo::machineHostName().toUtf8();
    QTest::newRow("another computer") << QByteArray("4242 other-pc\n") << qint64(4242) << "other-pc";
    QTest::newRow("this process") << QByteArray::number(QCoreApplication::applicationPid()) + ' ' + here + '\n'
                                  << QCoreApplication::applicationPid() << QString::fromUtf8(here);
    QTest::newRow("ended here") << QByteArray::number(ended) + ' ' + here + '\n' << qint64(0) << QString();
    QTest::newRow("control characters") << QByteArray("77 a\x1b[2Jb\tc\n") << qint64(77) << "a[2Jbc";
    QTest::newRow("empty") << QByteArray() << qint64(0) << QString();
    QTest::newRow("no line end") << QByteArray("4242 other-pc") << qint64(0) << QString();
    QTest::newRow("not a number") << QByteArray("x12 other-pc\n") << qint64(0) << QString();
    QTest::newRow("zero") << QByteArray("0 other-pc\n") << qint64(0) << QString();
}

void SaveFileTest::lockFileSaysWhoHolds()
{
    QFETCH(QByteArray, content);
    QFETCH(qint64, pid);
    QFETCH(QString, host);
    TempFolder folder;
    putFile(QLatin1String(FolderLock::fileName), content);
    const LockHolder holder = FolderLock::holderOf(folder.path());
    QCOMPARE(holder.pid, pid);
    QCOMPARE(holder.host, host);
}

// A rewrite's two writes ("TKR.tmp", then the race file) wait alike; a wait stopped at either leaves the race file and
// says so.
void SaveFileTest::rewriteStopsWaiting_data()
{
    QTest::addColumn<bool>("atCommit");
    QTest::newRow("prepare") << false;
    QTest::newRow("commit") << true;
}

void SaveFileTest::rewriteStopsWaiting()
{
    QFETCH(bool, atCommit);
    TempFolder folder;
    const QByteArray race = crlfLines(raceLines(2));
    putFile(QStringLiteral("r.tkr"), race);
    ScriptedWait wait;
    wait.answer = [](int) { return false; };
    const RaceFolder races(folder.path(), &wait);
    PendingRewrite pending;
    std::optional<HeldLock> held;
    if (!atCommit)
        QVERIFY(held.emplace(folder.path(), false).held());
    FileResult result = races.prepareResults(QStringLiteral("r.tkr"), QStringLiteral("1"), QStringLiteral("2"),
                                             QStringLiteral("350"), pending);
    QCOMPARE(result.ok, atCommit);
    if (atCommit) {
        QVERIFY(held.emplace(folder.path(), false).held());
        result = races.commit(pending);
    }
    QVERIFY(!result.ok);
    QCOMPARE(result.error, QStringLiteral("待つのをやめたため、書き換えをやめました。レースファイルはそのままです。"));
    QCOMPARE(wait.overs, 1);
    QCOMPARE(fileBytes(QStringLiteral("r.tkr")), race);
    QCOMPARE(QFile::exists(RaceFolder::tempFileName), atCommit);
}

#include "save_file_test.moc"
