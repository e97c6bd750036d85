#include "core/race_date.h"
#include "racefile/race_bytes.h"
#include "racefile/race_file.h"
#include "racefile/race_folder.h"
#include "record/day_results.h"
#include "temp_folder.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

#include <thread>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

// Lines another program keeps after the income line, which every write must leave as they are.
const QByteArray othersLines = "#ANOTHER-PROGRAM 1\r\nkept,byte,for,byte\r\n";

struct Saved {
    const char* file;
    const char* date;
    int number;
    const char* course;
    const char* name;
    int first = 0; // the result it holds; 0: none
    int second = 0;
    int payout = 0;
};

// The races of the folder the rows are matched against.
const Saved folderRaces[] = {
    {"a.tkr", "24/05/26", 11, "東京競馬場", "東京優駿"},
    {"b.tkr", "24/05/26", 11, "京都", "むらさき賞"},
    {"c.tkr", "24/05/26", 12, "東京", "目黒記念", 3, 8, 2450},
    {"d.tkr", "24/05/26", 10, "東京", "むらさき賞"},
    {"e.tkr", "24/05/26", 10, "東京", "富嶽賞"},
    {"f.tkr", "24/05/26", 9, "東京", "青嵐賞"},
    {"g.tkr", "24/05/26", 9, "東京", "青嵐賞"},
    {"h.tkr", "24/05/26", 1, "東京", "3歳未勝利", 4, 2, 760},
    {"i.tkr", "24/05/25", 11, "東京", "メイS"},
};

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeSaved(const QString& folder, const Saved& saved)
{
    RaceState race;
    race.raceDate = QString::fromUtf8(saved.date);
    race.raceNumber = static_cast<std::int16_t>(saved.number);
    race.raceName = QString::fromUtf8(saved.name);
    race.courseName = QString::fromUtf8(saved.course);
    race.distanceText = QStringLiteral("2400m");
    race.runnerCount = 16;
    race.ticketCount = 4;
    for (std::size_t r = 0; r < 16; ++r)
        race.runnerNames[r] = QStringLiteral("ウマ%1").arg(r + 1);
    TailLines tail;
    if (saved.first != 0)
        tail = {TailValue::ofNumber(saved.first), TailValue::ofNumber(saved.second), TailValue::ofNumber(saved.payout),
                TailValue::ofNumber(1000), TailValue::ofNumber(0)};
    const QString path = QDir(folder).filePath(QString::fromUtf8(saved.file));
    if (!writeRaceFile(path, race, tail).ok)
        return false;
    QFile file(path);
    return file.open(QIODevice::Append) && file.write(othersLines) == othersLines.size();
}

// A spreadsheet of the day: date, course, race number, name, 一着, 二着, 馬連配当.
QString sheet(const QStringList& rows)
{
    return QStringLiteral("日付\t場\tR\tレース名\t1着\t2着\t馬連\n") + rows.join(u'\n');
}

// What a row shows: its tick (x ticked, o tickable, - not), the saved race, what will be written, and the state.
QString rowText(const DayResultsModel& model, int row)
{
    const QChar tick = model.ticked(row) ? u'x' : model.tickable(row) ? u'o' : u'-';
    return QStringLiteral("%1 | %2 | %3 | %4")
        .arg(tick)
        .arg(model.index(row, DayResultsModel::SavedColumn).data().toString(),
             model.index(row, DayResultsModel::WrittenColumn).data().toString(), model.stateText(row));
}

// The result lines of a race file (first, second, payout) as its catalogue entry reads them.
QString resultOf(const QString& folder, const QString& file)
{
    LoadedRace loaded;
    CatalogueEntry entry;
    if (!RaceFolder(folder).read(file, loaded, ReadScope::ThroughResults, &entry).ok)
        return QStringLiteral("unreadable");
    return QStringLiteral("%1-%2 %3")
        .arg(entry.firstPlace.trimmed(), entry.secondPlace.trimmed(), entry.payout.trimmed());
}

// The kill test's writer: writes one of two results into every race of the folder, turn about, until it is killed.
int writeForEver(const QString& folder)
{
    const RaceFolder races(folder);
    for (int round = 0;; ++round) {
        std::vector<DayWrite> writes;
        for (const CatalogueEntry& entry : races.catalogue()) {
            const bool odd = round % 2 == 1;
            writes.push_back({entry.fileName, odd ? QStringLiteral("1") : QStringLiteral("7"),
                              odd ? QStringLiteral("5") : QStringLiteral("2"),
                              odd ? QStringLiteral("6940") : QStringLiteral("880"), entry.firstPlace, entry.secondPlace,
                              entry.payout});
        }
        writeDayResults(folder, writes);
    }
}

} // namespace

class DayResultsTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TempFolder> folder;
    std::unique_ptr<DayResultsModel> model;
    std::unique_ptr<QAbstractItemModelTester> tester;
    std::optional<RaceDateTodayForTests> today;

    void load(const QString& text)
    {
        const RaceFolder races(folder->path());
        model->load(parsePastedDay(text), races.catalogue(), races);
    }

private slots:
    void initTestCase() { today.emplace(QDate(2024, 6, 1)); }

    void init()
    {
        folder = std::make_unique<TempFolder>();
        for (const Saved& saved : folderRaces)
            QVERIFY(writeSaved(folder->path(), saved));
        model = std::make_unique<DayResultsModel>();
        tester = std::make_unique<QAbstractItemModelTester>(model.get(),
                                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
    }

    void cleanup()
    {
        tester.reset();
        model.reset();
        folder.reset();
    }

    void rows_data()
    {
        QTest::addColumn<QString>("row");   // the pasted row, after the date column
        QTest::addColumn<QString>("shown"); // rowText

        QTest::newRow("matched, no result yet")
            << "東京\t11\t\t1\t5\t6,940"
            << "x | 24/05/26 11R 東京優駿 | 一着 1　二着 5　6,940円 | 書き込みます。";
        QTest::newRow("course decides") << "京都\t11\t\t3\t4\t500"
                                        << "x | 24/05/26 11R むらさき賞 | 一着 3　二着 4　500円 | 書き込みます。";
        QTest::newRow("already holds another result")
            << "東京\t12\t\t1\t2\t1000"
            << "o | 24/05/26 12R 目黒記念 | 一着 1　二着 2　1,000円 | "
               "別の結果が入っています（一着 3、二着 8、配当金 2450円）。チェックすると書き換えます。";
        QTest::newRow("already holds the same") << "東京\t1\t\t4\t2\t760"
                                                << "o | 24/05/26 1R 3歳未勝利 | 一着 4　二着 2　760円 | "
                                                   "同じ結果が入っています。";
        QTest::newRow("name decides") << "東京\t10\tむらさき賞\t6\t9\t2,000"
                                      << "x | 24/05/26 10R むらさき賞 | 一着 6　二着 9　2,000円 | 書き込みます。";
        QTest::newRow("name does not decide")
            << "東京\t9\t青嵐賞\t6\t9\t2,000"
            << "- | 2件 | 一着 6　二着 9　2,000円 | "
               "あてはまる保存したレースが2件あり、決められません（24/05/26 9R 青嵐賞、24/05/26 9R 青嵐賞）。";
        QTest::newRow("no saved race") << "中山\t11\t\t1\t2\t300"
                                       << "- | なし | 一着 1　二着 2　300円 | "
                                          "この日付・競馬場・レース番号の保存したレースがありません。";
        QTest::newRow("not read")
            << "東京\t11\t\t取消\t2\t300"
            << "- | 24/05/26 11R 東京優駿 |  | 結果が読めません：一着「取消」が馬番として読めません。";
        QTest::newRow("payout not given") << "東京\t11\t\t1\t5\t"
                                          << "x | 24/05/26 11R 東京優駿 | 一着 1　二着 5　配当金は今のまま | "
                                             "書き込みます。";
    }

    void rows()
    {
        QFETCH(QString, row);
        QFETCH(QString, shown);
        load(sheet({QStringLiteral("2024/5/26\t") + row}));
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(rowText(*model, 0), shown);
    }

    // Only the ticked races are written, each through the folder's rewrite: their result lines change, every other
    // byte of theirs stays, and the other races are not touched at all.
    void writesTheTickedRaces()
    {
        load(sheet(
            {QStringLiteral("2024/5/26\t東京\t11\t\t1\t5\t6940"), QStringLiteral("2024/5/26\t東京\t12\t\t1\t2\t1000"),
             QStringLiteral("2024/5/26\t京都\t11\t\t3\t4\t500"), QStringLiteral("2024/5/26\t東京\t9\t\t1\t2\t100")}));
        QCOMPARE(model->rowCount(), 4);
        QVERIFY(model->tickable(1) && !model->ticked(1));
        QVERIFY(model->setData(model->index(1, DayResultsModel::TickColumn), Qt::Checked, Qt::CheckStateRole));
        QVERIFY(model->setData(model->index(2, DayResultsModel::TickColumn), Qt::Unchecked, Qt::CheckStateRole));
        // No saved race: cannot be ticked.
        QVERIFY(!model->setData(model->index(3, DayResultsModel::TickColumn), Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(model->tickedCount(), 2);

        std::map<QString, QByteArray> before;
        for (const Saved& saved : folderRaces)
            before[QString::fromUtf8(saved.file)] = readBytes(folder->filePath(QString::fromUtf8(saved.file)));
        const DayResultsModel::Written written = model->writeTicked(folder->path());
        QCOMPARE(written.count, 2);
        QCOMPARE(written.notWritten.size(), 2);
        QVERIFY(written.notWritten[0].startsWith(QStringLiteral("2024年5月26日 京都 11R：チェックがないため")));
        QCOMPARE(resultOf(folder->path(), "a.tkr"), QStringLiteral("1-5 6940"));
        QCOMPARE(resultOf(folder->path(), "c.tkr"), QStringLiteral("1-2 1000"));
        QCOMPARE(model->stateText(0), QStringLiteral("書き込みました。"));
        QVERIFY(!model->tickable(0));
        for (const auto& [file, bytes] : before) {
            const QByteArray now = readBytes(folder->filePath(file));
            if (file != QStringLiteral("a.tkr") && file != QStringLiteral("c.tkr")) {
                QCOMPARE(now, bytes);
                continue;
            }
            QVERIFY(now.endsWith(othersLines));
            // The same bytes as the result entry's write of that result gives.
            QByteArray expected;
            const std::array<double, 3> values =
                file == QStringLiteral("a.tkr") ? std::array<double, 3>{1, 5, 6940} : std::array<double, 3>{1, 2, 1000};
            QVERIFY(rewrittenRaceBytes(bytes, file, RewrittenLines::Results, values, expected).ok);
            QCOMPARE(now, expected);
        }
    }

    // A page copied twice is one race: the second row cannot be ticked.
    void pastedTwice()
    {
        const QString page =
            QStringLiteral("【東京１１Ｒ】東京優駿\n１着　①アア\n２着　⑤イイ\n馬連　①－⑤　６９４０円\n");
        load(QStringLiteral("２０２４年５月２６日\n") + page + page);
        QCOMPARE(model->rowCount(), 2);
        QVERIFY(model->ticked(0));
        QCOMPARE(rowText(*model, 1),
                 QStringLiteral("- | 24/05/26 11R 東京優駿 | 一着 1　二着 5　6,940円 | "
                                "同じレースが上の行にも貼り付けられています。上の行だけを書き込みます。"));
    }

    // A dead heat is never written as one pair by itself: the row waits for the pair to keep, then writes it alone.
    void deadHeatWaitsForAChoice()
    {
        load(sheet({QStringLiteral("2024/5/26\t東京\t11\t\t1\t5\t6940"),
                    QStringLiteral("2024/5/26\t東京\t11\t\t1\t7\t3,100")}));
        QCOMPARE(model->rowCount(), 1);
        QVERIFY(model->needsChoice(0));
        QVERIFY(!model->tickable(0));
        QCOMPARE(model->choices(0), QStringList({QStringLiteral("一着 1、二着 5（配当金 6,940円）"),
                                                 QStringLiteral("一着 1、二着 7（配当金 3,100円）")}));
        QCOMPARE(rowText(*model, 0),
                 QStringLiteral("- | 24/05/26 11R 東京優駿 | 同着：1-5 か 1-7 | "
                                "同着です。書き込む組を選んでください（選ぶまで書き込みません）。"));
        QCOMPARE(model->writeTicked(folder->path()).count, 0);
        QCOMPARE(resultOf(folder->path(), "a.tkr"), QStringLiteral("- "));
        model->choose(0, 1);
        QCOMPARE(rowText(*model, 0),
                 QStringLiteral("x | 24/05/26 11R 東京優駿 | 一着 1　二着 7　3,100円 | "
                                "同着：選んだ組だけを書き込みます（1-5 は残りません）。書き込みます。"));
        QCOMPARE(model->writeTicked(folder->path()).count, 1);
        QCOMPARE(resultOf(folder->path(), "a.tkr"), QStringLiteral("1-7 3100"));
    }

    // A race whose result another program changed after the paste keeps that change.
    void changedSincePasteIsKept()
    {
        load(sheet({QStringLiteral("2024/5/26\t東京\t11\t\t1\t5\t6940")}));
        Saved changed = folderRaces[0];
        changed.first = 9;
        changed.second = 10;
        changed.payout = 12340;
        QVERIFY(writeSaved(folder->path(), changed));
        const DayResultsModel::Written written = model->writeTicked(folder->path());
        QCOMPARE(written.count, 0);
        QCOMPARE(written.notWritten,
                 QStringList(QStringLiteral("2024年5月26日 東京 11R：書き込めませんでした："
                                            "貼り付けたあとで、このレースの結果がほかから変えられました。")));
        QCOMPARE(resultOf(folder->path(), "a.tkr"), QStringLiteral("9-10 12340"));
    }

    // A writer killed at any moment leaves every race whole: as it was or as written, never in between.
    void killedWhileWritingLeavesEveryRaceWhole()
    {
        const QStringList files = QDir(folder->path()).entryList({QStringLiteral("*.tkr")});
        // The three forms a race can have: as saved, and with either result.
        std::map<QString, std::vector<QByteArray>> forms;
        for (const QString& file : files) {
            const QByteArray saved = readBytes(folder->filePath(file));
            QByteArray one;
            QByteArray other;
            QVERIFY(rewrittenRaceBytes(saved, file, RewrittenLines::Results, {1, 5, 6940}, one).ok);
            QVERIFY(rewrittenRaceBytes(saved, file, RewrittenLines::Results, {7, 2, 880}, other).ok);
            forms[file] = {saved, one, other};
        }
        const QByteArray self = QCoreApplication::applicationFilePath().toLocal8Bit();
        const QByteArray where = QFile::encodeName(folder->path());
        int changedFiles = 0;
        for (int kill = 0; kill < 15; ++kill) {
            char* argv[] = {const_cast<char*>(self.constData()), const_cast<char*>("--write-for-ever"),
                            const_cast<char*>(where.constData()), nullptr};
            pid_t child = -1;
            QCOMPARE(::posix_spawn(&child, self.constData(), nullptr, nullptr, argv, environ), 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(100 + QRandomGenerator::global()->bounded(300)));
            ::kill(child, SIGKILL);
            int status = 0;
            ::waitpid(child, &status, 0);
            for (const QString& file : files) {
                const QByteArray now = readBytes(folder->filePath(file));
                const std::vector<QByteArray>& allowed = forms[file];
                QVERIFY2(std::find(allowed.begin(), allowed.end(), now) != allowed.end(), qPrintable(file));
                changedFiles += now != allowed.front();
            }
        }
        // The writer did write (else the test proved nothing), and listing the folder sweeps its copies away.
        QVERIFY(changedFiles > 0);
        QCOMPARE(RaceFolder(folder->path()).catalogue().size(), std::size(folderRaces));
        for (const QString& name : QDir(folder->path()).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(name.endsWith(QStringLiteral(".tkr")) || name == RaceFolder::tempFileName, qPrintable(name));
    }
};

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--write-for-ever") == 0)
        return writeForEver(QString::fromLocal8Bit(argv[2]));
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    DayResultsTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "day_results_test.moc"
