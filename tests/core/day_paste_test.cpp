#include "core/day_paste.h"
#include "core/race_date.h"
#include "core_test_main.h"

#include <QtTest>

namespace {

// A race-organiser's result page as the browser copies it: breadcrumb, the race's heading, a finishing table a row a
// line with tabs, the payout table, and an advertisement under it.
QString webPage(const QString& meeting, int number, const QString& name, const QString& rows, const QString& quinella)
{
    return QStringLiteral("JRAトップ > レース結果\n"
                          "2024年5月26日（日曜） %1\n"
                          "%2R %3\n"
                          "3歳オープン 芝 2400m\n"
                          "着順\t枠番\t馬番\t馬名\t性齢\t負担重量\t騎手名\tタイム\n"
                          "%4"
                          "払戻金\n単勝\t1\t4,730円\t9番人気\n"
                          "馬連\t%5\n"
                          "ワイド\t1-5\t1,660円\t17番人気\n"
                          "広告：競馬新聞はこちら\n")
        .arg(meeting)
        .arg(number)
        .arg(name, rows, quinella);
}

const QString twoRows = QStringLiteral("1\t1\t1\tダノンデサイル\t牡3\t57.0\t横山典弘\t2:24.3\n"
                                       "2\t3\t5\tジャスティンミラノ\t牡3\t57.0\t戸崎圭太\t2:24.7\n");

// What was read of each race, a race a line: number, date, course, name, then its choices (first>second:payout) or
// ! and its error.
QString readOut(const PastedDay& day)
{
    QStringList races;
    for (const PastedRace& race : day.races) {
        QString line = QStringLiteral("%1R %2 %3 「%4」 ")
                           .arg(race.result.raceNumber)
                           .arg(race.result.date.toString(Qt::ISODate), race.result.course, race.name);
        if (!race.result.ok) {
            races += line + u'!' + race.result.error;
            continue;
        }
        QStringList choices;
        for (const ResultChoice& c : resultChoices(race.result))
            choices += QStringLiteral("%1>%2:%3")
                           .arg(c.first)
                           .arg(c.second)
                           .arg(c.payoutKnown ? QString::number(c.payout) : QStringLiteral("?"));
        races += line + choices.join(u',');
    }
    return races.join(u'\n');
}

} // namespace

class DayPasteTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { today.emplace(QDate(2024, 6, 1)); }

    void reads_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("races");
        QTest::addColumn<bool>("spreadsheet");

        QTest::newRow("two web pages, navigation between")
            << webPage(QStringLiteral("2回東京12日"), 11, QStringLiteral("東京優駿（日本ダービー）"), twoRows,
                       QStringLiteral("1-5\t6,940円\t19番人気"))
                   + QStringLiteral("1R 2R 3R 4R 5R 6R 7R 8R 9R 10R 11R 12R\n")
                   + webPage(QStringLiteral("3回京都8日"), 12, QStringLiteral("4歳以上2勝クラス"),
                             QStringLiteral("1\t2\t3\tアアア\n2\t8\t16\tイイイ\n3\t1\t1\tウウウ\n"),
                             QStringLiteral("3-16\t1,230円\t4番人気"))
            << "11R 2024-05-26 東京 「東京優駿(日本ダービー)」 1>5:6940\n"
               "12R 2024-05-26 京都 「4歳以上2勝クラス」 3>16:1230"
            << false;
        // The race numbers copied a cell a line from the page's menu, then a breadcrumb naming the race again.
        QTest::newRow("menu a cell a line, breadcrumb")
            << QStringLiteral("1R\n2R\n3R\n2024年5月26日 2回東京12日\n東京11R\n")
                   + webPage(QStringLiteral("2回東京12日"), 11, QStringLiteral("東京優駿"), twoRows,
                             QStringLiteral("1-5\t6,940円"))
            << "11R 2024-05-26 東京 「東京優駿」 1>5:6940" << false;
        // A paper's page of a day: date and course once, each race under its heading, full width, a runner that
        // stopped and one placed down by the stewards.
        QTest::newRow("newspaper day, full width")
            << QStringLiteral("２０２４年５月２６日（日）　東京競馬場\n"
                              "【１Ｒ】３歳未勝利\n１着　③アアア\n２着　⑤イイイ\n馬連　③－⑤　１，２３０円\n"
                              "【２Ｒ】３歳未勝利\n１着　⑦ウウウ\n２着　①エエエ\n中止　⑨オオオ\n"
                              "馬連　①－⑦　８８０円\n")
            << "1R 2024-05-26 東京 「3歳未勝利」 3>5:1230\n2R 2024-05-26 東京 「3歳未勝利」 7>1:880" << false;
        QTest::newRow("降着 and dead heat for second")
            << webPage(QStringLiteral("2回東京12日"), 10, QStringLiteral("むらさき賞"),
                       QStringLiteral("1\t4\t7\tアアア\n2\t2\t3\tイイイ\n2\t6\t11\tウウウ\n4(降)\t1\t1\tエエエ\n"),
                       QStringLiteral("3-7\t1,500円\t3番人気\n7-11\t2,100円\t5番人気"))
            << "10R 2024-05-26 東京 「むらさき賞」 7>3:1500,7>11:2100" << false;
        QTest::newRow("spreadsheet, header, full width, dead heat")
            << QStringLiteral("日付\t競馬場\tＲ\tレース名\t一着\t二着\t馬連配当\n"
                              "２０２４/５/２６\t東京\t１１\t日本ダービー\t１\t５\t６，９４０\n"
                              "2024/5/26\t京都\t12R\t\t3\t16\t1230円\n"
                              "2024/5/26\t京都\t12R\t\t3\t9\t2,010\n")
            << "11R 2024-05-26 東京 「日本ダービー」 1>5:6940\n12R 2024-05-26 京都 「」 3>16:1230,3>9:2010" << true;
        QTest::newRow("spreadsheet, commas, quoted amount, no header")
            << QStringLiteral("5/26,東京競馬場,11,1,5,\"6,940\"\n5/26,東京,12,8,2,\n")
            << "11R 2024-05-26 東京 「」 1>5:6940\n12R 2024-05-26 東京 「」 8>2:?" << true;
        QTest::newRow("spreadsheet, columns in another order")
            << QStringLiteral("R,場,1着,2着,日付,配当\n11,東京,1,5,24/05/26,6940\n")
            << "11R 2024-05-26 東京 「」 1>5:6940" << true;
        // A jockey's initial after the weight is no heading, nor is a number too high for a race.
        QTest::newRow("jockey R. after the weight")
            << webPage(QStringLiteral("2回東京12日"), 9, QStringLiteral("青嵐賞"),
                       QStringLiteral("1\t2\t3\tアアア\t牡4\t58\tR.ムーア\n2\t8\t16\tイイイ\t牡4\t57\t戸崎圭太\n"
                                      "3\t1\t1\tウウウ\t99R\n"),
                       QStringLiteral("3-16\t1,230円"))
            << "9R 2024-05-26 東京 「青嵐賞」 3>16:1230" << false;
        QTest::newRow("one page without a heading")
            << QStringLiteral("１着　３　アアアア\n２着　１１　イイイイ\n") << "0R   「」 3>11:?" << false;
    }

    void reads()
    {
        QFETCH(QString, text);
        QFETCH(QString, races);
        QFETCH(bool, spreadsheet);
        const PastedDay day = parsePastedDay(text);
        QVERIFY2(day.error.isEmpty(), qPrintable(day.error));
        QCOMPARE(readOut(day), races);
        QCOMPARE(day.spreadsheet, spreadsheet);
    }

    void refuses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("races"); // empty: nothing read, the paste is refused whole
        QTest::addColumn<QString>("passedOver");

        QTest::newRow("empty") << QString() << QString() << QString();
        QTest::newRow("prose") << QStringLiteral("今日は晴れ。東京11Rは楽しみ。\n") << QString() << QString();
        QTest::newRow("menu alone") << QStringLiteral("1R 2R 3R\n4R\n5R\n") << QString() << QString();
        QTest::newRow("race cancelled in a sheet")
            << QStringLiteral("2024/5/26,東京,11,中止,,\n")
            << QStringLiteral("11R 2024-05-26 東京 「」 !一着「中止」が馬番として読めません。") << QString();
        QTest::newRow("same horse twice, bad amount")
            << QStringLiteral("2024/5/26\t東京\t1\t3\t3\t500\n2024/5/26\t東京\t2\t3\t4\tたくさん\n")
            << QStringLiteral("1R 2024-05-26 東京 「」 !一着と二着が同じ馬番3です。\n"
                              "2R 2024-05-26 東京 「」 !馬連配当「たくさん」が金額として読めません。")
            << QString();
        QTest::newRow("a row without its date")
            << QStringLiteral("2024/5/26\t東京\t1\t3\t4\t500\n2024/2/30\t東京\t2\t3\t4\t500\n")
            << QStringLiteral("1R 2024-05-26 東京 「」 3>4:500")
            << QStringLiteral("2行目は日付・競馬場・レース番号が読めないため、飛ばしました。");
        QTest::newRow("page whose payout does not add up")
            << webPage(QStringLiteral("2回東京12日"), 11, QStringLiteral("東京優駿"), twoRows,
                       QStringLiteral("1-5\t1-7\t6,940円"))
            << QStringLiteral("11R 2024-05-26 東京 「東京優駿」 !馬連の払戻金で、組（2）と金額（1）の数が合いません。")
            << QString();
    }

    void refuses()
    {
        QFETCH(QString, text);
        QFETCH(QString, races);
        QFETCH(QString, passedOver);
        const PastedDay day = parsePastedDay(text);
        QCOMPARE(readOut(day), races);
        QCOMPARE(day.error.isEmpty(), !races.isEmpty());
        QCOMPARE(day.passedOver.join(u'\n'), passedOver);
    }

    void titles()
    {
        PastedRace race;
        race.firstLine = 4;
        QCOMPARE(pastedRaceTitle(race), QStringLiteral("（4行目から）"));
        race.result.date = QDate(2024, 5, 26);
        race.result.course = QStringLiteral("東京");
        race.result.raceNumber = 11;
        race.name = QStringLiteral("日本ダービー");
        QCOMPARE(pastedRaceTitle(race), QStringLiteral("2024年5月26日 東京 11R 日本ダービー"));
    }

private:
    std::optional<RaceDateTodayForTests> today;
};

TOKIRO_CORE_TEST_MAIN(DayPasteTest)
#include "day_paste_test.moc"
