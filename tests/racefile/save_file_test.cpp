#include "core/system_error.h"
#include "core_test_main.h"
#include "racefile/catalogue.h"
#include "racefile/race_file.h"
#include "racefile/race_folder.h"
#include "racefile/save_file.h"
#include "samples.h"
#include "temp_folder.h"

#include <QDir>
#include <QRegularExpression>
#include <QtTest>

#include <cerrno>

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

#include "save_file_test.moc"
