#include "app_harness.h"
#include "race_folder.h"
#include "temp_folder.h"
#include "test_main.h"

#include "core/numbers.h"
#include "prediction/prediction.h"
#include "record/race_record.h"

#include <QLineEdit>

namespace {

// Deterministic, so that the folder is the same on every run.
class Lcg {
public:
    int below(int n)
    {
        state_ = state_ * 1103515245u + 12345u;
        return static_cast<int>((state_ >> 16) % static_cast<unsigned>(n));
    }

private:
    unsigned state_ = 12345u;
};

// Sixty races of every kind the screens meet: random marks and ticket counts, hits made on purpose, misses, races
// without a result, hand-written result and payout lines, amounts and none; and one file that cannot be read.
bool writeGeneratedFolder(const QString& folder)
{
    Lcg random;
    for (int i = 0; i < 60; ++i) {
        RaceState race = exampleRace(1 + random.below(12));
        race.raceDate = QStringLiteral("%1/%2/%3")
                            .arg(95 + i % 10 - (i % 10 > 4 ? 100 : 0), 2, 10, QLatin1Char('0'))
                            .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                            .arg(1 + i % 28, 2, 10, QLatin1Char('0'));
        race.raceNumber = static_cast<std::int16_t>(1 + i % 12);
        race.runnerCount = static_cast<std::int16_t>(5 + random.below(14));
        for (int r = 0; r < race.runnerCount; ++r) {
            for (int k = 0; k < 6; ++k)
                race.markSheet[r][k] = static_cast<std::int16_t>(random.below(4));
        }
        const PredictionResult p = runPrediction(race.markSheet, race.runnerCount, race.ticketCount);
        TailLines tail;
        switch (random.below(5)) {
        case 0: break; // no result
        case 1:
        case 2: { // a proposed pair, typed in either order
            if (p.ticketTotal == 0)
                break;
            const int t = random.below(p.ticketTotal);
            const bool swapped = random.below(2) == 1;
            const int a = (swapped ? p.ticketSecond[t] : p.ticketFirst[t]) + 1;
            const int b = (swapped ? p.ticketFirst[t] : p.ticketSecond[t]) + 1;
            tail.firstPlace = i % 7 == 0 ? txt(QString::number(a) + QStringLiteral("番")) : num(a);
            tail.secondPlace = num(b);
            tail.payout = i % 9 == 0 ? txt(QStringLiteral("%1円").arg(300 + 37 * i)) : num(300 + 37 * i);
            break;
        }
        default:
            tail.firstPlace = num(1 + random.below(race.runnerCount));
            tail.secondPlace = num(1 + random.below(race.runnerCount));
            tail.payout = num(1000 + 11 * i);
        }
        if (random.below(3) != 0) {
            tail.stake = num(100 * random.below(50));
            tail.income = num(random.below(3) == 0 ? 150 * random.below(60) : 0);
        }
        if (!writeRaceFile(QDir(folder).filePath(QStringLiteral("g%1.tkr").arg(i)), race, tail).ok)
            return false;
    }
    return writeUnreadableRace(QDir(folder).filePath(QStringLiteral("broken.tkr")));
}

QString percentLabel(std::optional<double> rate) { return rate ? formatPercent(*rate) : QString(); }

} // namespace

// The tally below the screens counts exactly what the record and balance screens show on the same folder.
class RecordScreensAgreeTest : public QObject {
    Q_OBJECT

private slots:
    void totalsEqualTheScreens()
    {
        TempFolder folder;
        QVERIFY(writeGeneratedFolder(folder.path()));
        const FolderRecord tally = tallyFolder(folder.path());
        QCOMPARE(tally.races.size(), std::size_t(61));
        // The folder holds every case the comparison is meant to cover.
        QVERIFY(tally.record.hits >= 10);
        QVERIFY(tally.record.misses() >= 10);
        QVERIFY(tally.balance.stake > 0 && tally.balance.income > 0);

        AppHarness app;
        app.nav().show(ScreenId::Form7);
        QStringList shown;
        for (const char* name : {"Label6", "Label7", "Label8", "Label9", "Label12", "Label13", "Label15"})
            shown.append(app.find<QLabel>(ScreenId::Form7, name)->text());
        const RecordTotals& r = tally.record;
        QCOMPARE(shown, (QStringList{QString::number(r.races), QString::number(r.hits), QString::number(r.misses()),
                                     percentLabel(r.strikeRatePercent()), numberText(r.stake) + u'円',
                                     numberText(r.payout) + u'円', percentLabel(r.returnRatePercent())}));

        app.nav().close(ScreenId::Form7);
        app.nav().show(ScreenId::Form8);
        QCOMPARE(app.find<QLineEdit>(ScreenId::Form8, "Text4")->text(), numberText(tally.balance.difference()) + u'円');
    }
};

TOKIRO_TEST_MAIN(RecordScreensAgreeTest)
#include "record_screens_agree_test.moc"
