#include "racefile/race_file.h"
#include "racefile/save_file.h"
#include "samples.h"
#include "temp_folder.h"

#include <QDir>
#include <QtTest>

// The one save helper: a failure anywhere leaves the old file whole and no half-written file behind.
class SaveFileTest : public QObject {
    Q_OBJECT

private slots:
    void replacesWholeFile();
    void failingDeviceKeepsOldFile_data();
    void failingDeviceKeepsOldFile();
    void fullDiskFailsAtFlush();
    void missingFolder();
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

static const RegisterTest registered([] { return std::make_unique<SaveFileTest>(); });

#include "save_file_test.moc"
