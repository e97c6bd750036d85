#include "core/result_paste.h"
#include "core_test_main.h"

#include <QtTest>

namespace {

QString payoutsText(const std::vector<QuinellaPayout>& paid)
{
    QStringList parts;
    for (const QuinellaPayout& p : paid)
        parts += QStringLiteral("%1-%2:%3").arg(p.low).arg(p.high).arg(p.yen);
    return parts.join(u',');
}

QString choicesText(const std::vector<ResultChoice>& choices)
{
    QStringList parts;
    for (const ResultChoice& c : choices)
        parts += QStringLiteral("%1>%2:%3")
                     .arg(c.first)
                     .arg(c.second)
                     .arg(c.payoutKnown ? QString::number(c.payout) : QStringLiteral("?"));
    return parts.join(u',');
}

// A result page of a race-organiser's site as it comes out of the browser: navigation, the race's heading, the
// finishing table a row a line with tabs between the cells, a withdrawn runner, then the payout table.
const char* webPage = "JRAトップ > レース結果 > 東京\n"
                      "2024年5月26日（日曜） 2回東京12日\n"
                      "11R 東京優駿（日本ダービー）\n"
                      "3歳オープン （国際）牡・牝（指定） 定量 芝 2400m\n"
                      "着順\t枠番\t馬番\t馬名\t性齢\t負担重量\t騎手名\tタイム\t着差\t人気\n"
                      "1\t1\t1\tダノンデサイル\t牡3\t57.0\t横山 典弘\t2:24.3\t\t9\n"
                      "2\t3\t5\tジャスティンミラノ\t牡3\t57.0\t戸崎 圭太\t2:24.7\t2 1/2\t1\n"
                      "3\t7\t13\tシンエンペラー\t牡3\t57.0\t坂井 瑠星\t2:24.8\t1/2\t3\n"
                      "取消\t8\t17\tサンプルホース\t牡3\t57.0\t松山 弘平\t\t\t\n"
                      "払戻金\n"
                      "単勝\t1\t4,730円\t9番人気\n"
                      "複勝\t1\t880円\t9番人気\n"
                      "\t5\t160円\t1番人気\n"
                      "枠連\t1-3\t2,620円\t10番人気\n"
                      "馬連\t1-5\t6,940円\t19番人気\n"
                      "ワイド\t1-5\t1,660円\t17番人気\n"
                      "広告：競馬新聞はこちら\n";

} // namespace

class ResultPasteTest : public QObject {
    Q_OBJECT
private slots:
    void reads_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("choices"); // first>second:payout, one a way the result can be written
        QTest::addColumn<QString>("payouts");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("course");
        QTest::addColumn<int>("raceNumber");

        QTest::newRow("web page, rows") << QString::fromUtf8(webPage) << "1>5:6940"
                                        << "1-5:6940" << QDate(2024, 5, 26) << "東京" << 11;
        // A web table copied a cell a line, a header of its own, a runner that stopped.
        QTest::newRow("web table, a cell a line")
            << QStringLiteral("着順\n枠\n馬番\n馬名\n性齢\n斤量\n騎手\n1\n3\n5\nドウデュース\n牡5\n58\n武豊\n"
                              "2\n6\n12\nスターズオンアース\n牝5\n56\nＣ．ルメール\n中止\n8\n16\nタイトルホルダー\n"
                              "牡6\n58\n横山和生\n")
            << "5>12:?"
            << "" << QDate() << "" << 0;
        QTest::newRow("newspaper, full width") << QStringLiteral(
            "【東京１１Ｒ】日本ダービー\n１着　①ダノンデサイル（横山典）\n２着　⑤ジャスティンミラノ（戸崎）"
            "\n３着　⑬シンエンペラー（坂井）\n馬連　①－⑤　６９４０円\n")
                                               << "1>5:6940"
                                               << "1-5:6940" << QDate() << "東京" << 11;
        QTest::newRow("newspaper, number apart")
            << QStringLiteral("１着　３　アアアア\n２着　１１　イイイイ\n") << "3>11:?"
            << "" << QDate() << "" << 0;
        QTest::newRow("spreadsheet, 馬番 before 枠番")
            << QStringLiteral("着順\t馬番\t枠番\t馬名\n1\t12\t6\tスターズオンアース\n2\t5\t3\tドウデュース\n")
            << "12>5:?"
            << "" << QDate() << "" << 0;
        QTest::newRow("dead heat for second")
            << QStringLiteral("2024/06/02 京都 5R\n着順 枠番 馬番 馬名\n1 2 3 アアア\n2 4 7 イイイ\n2 5 9 ウウウ\n"
                              "馬連 3-7 1,230円 4番人気\n3-9 2,450円 8番人気\n馬単 3→7 2,000円")
            << "3>7:1230,3>9:2450"
            << "3-7:1230,3-9:2450" << QDate(2024, 6, 2) << "京都" << 5;
        QTest::newRow("dead heat for first")
            << QStringLiteral("着順 枠番 馬番 馬名\n1 2 3 アアア\n1 4 7 イイイ\n3 5 9 ウウウ\n馬連 3-7 980円")
            << "3>7:980"
            << "3-7:980" << QDate() << "" << 0;
        QTest::newRow("demoted runner") << QStringLiteral(
            "着順 枠番 馬番 馬名\n1 4 8 オオオ\n2(降) 1 2 カカカ\n3 2 3 キキキ\n")
                                        << "8>2:?"
                                        << "" << QDate() << "" << 0;
        QTest::newRow("payouts alone, a cell a line")
            << QStringLiteral("馬連\n1 - 5\n6,940円\n19人気\nワイド\n1 - 5\n1,660円") << "1>5:6940"
            << "1-5:6940" << QDate() << "" << 0;
        QTest::newRow("table read once when copied twice")
            << QStringLiteral("着順 枠番 馬番 馬名\n1 1 1 アアア\n2 2 2 イイイ\n着順 枠番 馬番 馬名\n1 3 3 ウウウ\n"
                              "2 4 4 エエエ\n")
            << "1>2:?"
            << "" << QDate() << "" << 0;
    }

    void reads()
    {
        QFETCH(QString, text);
        const PastedResult result = parsePastedResult(text);
        QVERIFY2(result.ok, qPrintable(result.error));
        QTEST(choicesText(resultChoices(result)), "choices");
        QTEST(payoutsText(result.quinella), "payouts");
        QTEST(result.date, "date");
        QTEST(result.course, "course");
        QTEST(result.raceNumber, "raceNumber");
    }

    void refuses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("says");
        QTest::newRow("no result") << QStringLiteral("本日のおすすめ\n東京優駿の見どころ") << "読めませんでした";
        QTest::newRow("pairs and amounts apart") << QStringLiteral("馬連 1-5 3-7 6,940円") << "数が合いません";
        QTest::newRow("a horse paired with itself") << QStringLiteral("馬連 5-5 1,000円") << "5-5";
        QTest::newRow("winner alone") << QStringLiteral("着順 枠番 馬番 馬名\n1 1 1 アアア\n") << "二着";
    }

    void refuses()
    {
        QFETCH(QString, text);
        QFETCH(QString, says);
        const PastedResult result = parsePastedResult(text);
        QVERIFY(!result.ok);
        QVERIFY2(result.error.contains(says), qPrintable(result.error));
    }
};

TOKIRO_CORE_TEST_MAIN(ResultPasteTest)
#include "result_paste_test.moc"
