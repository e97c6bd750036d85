#include "core/proposal_text.h"
#include "core/race_state.h"
#include "core/tipster_grid.h"
#include "core_test_main.h"
#include "prediction/prediction.h"

#include <QtTest>

namespace {

// Six runners, the first four named; ◎ on 3 twice, ○ on 5, △ on 1 and 6.
RaceState handMadeRace(bool withGrid)
{
    RaceState race;
    race.raceDate = QStringLiteral("24/05/26");
    race.raceNumber = 11;
    race.raceName = QStringLiteral("東京優駿");
    race.gradedText = QStringLiteral("ＧⅠ");
    race.courseName = QStringLiteral("東京");
    race.runnerCount = 6;
    race.ticketCount = 3;
    for (int r = 0; r < 4; ++r)
        race.runnerNames[static_cast<std::size_t>(r)] = QStringLiteral("ウマ%1").arg(r + 1);
    if (withGrid) {
        addTipster(race, QStringLiteral("本紙"));
        addTipster(race, QStringLiteral("記者Ａ"));
        setTipsterMark(race, 0, 2, 0);
        setTipsterMark(race, 0, 4, 1);
        setTipsterMark(race, 0, 0, 2);
        setTipsterMark(race, 1, 2, 0);
        addMarkWithoutTipster(race, 5, 2);
    } else {
        race.markSheet[2][0] = 2;
        race.markSheet[4][1] = 1;
        race.markSheet[0][2] = 1;
        race.markSheet[5][2] = 1;
    }
    return race;
}

} // namespace

class ProposalTextTest : public QObject {
    Q_OBJECT
private slots:
    void copiedText_data()
    {
        QTest::addColumn<bool>("withGrid");
        QTest::addColumn<QString>("marks");
        QTest::newRow("marks per runner") << false << QStringLiteral("1 ウマ1　△\n3 ウマ3　◎2\n5　○\n6　△\n");
        QTest::newRow("marks per tipster") << true << QStringLiteral("本紙：◎3 ○5 △1\n記者Ａ：◎3\nその他：6 △\n");
    }
    void copiedText()
    {
        QFETCH(bool, withGrid);
        QFETCH(QString, marks);
        const RaceState race = handMadeRace(withGrid);
        const PredictionResult result = runPrediction(race.markSheet, race.runnerCount, race.ticketCount);
        QCOMPARE(proposalText(race, result),
                 QStringLiteral("2024年5月26日 東京 11R 東京優駿 ＧⅠ\n【印】\n") + marks
                     + QStringLiteral("【馬連 3点　1本軸】\n3-5　ウマ3 － 5番\n1-3　ウマ1 － ウマ3\n"
                                      "3-6　ウマ3 － 6番\n"));
        QCOMPARE(ticketsText(result), QStringLiteral("3-5, 1-3, 3-6"));
    }
};

TOKIRO_CORE_TEST_MAIN(ProposalTextTest)
#include "proposal_text_test.moc"
