#include "core/race_card_paste.h"
#include "core_test_main.h"

#include <QtTest>

namespace {

// The seven answers as one text, "?" for an item not read: 2024/05/26|11|東京優駿|ＧⅠ|東京競馬場|2400m|18.
QString answersText(const PastedRaceCard& card)
{
    QStringList parts;
    for (const CardAnswer& a : card.answers)
        parts += a.read ? a.text : QStringLiteral("?");
    return parts.join(u'|');
}

// The runners taken: "1 ダノンデサイル 46.6/9", "17 サンプルホース 取消", joined by commas.
QString runnersText(const PastedRaceCard& card)
{
    QStringList parts;
    for (const CardRunner& r : card.runners) {
        QString part = QStringLiteral("%1 %2").arg(r.number).arg(r.name);
        if (!r.withdrawal.isEmpty())
            part += u' ' + r.withdrawal;
        if (r.winOdds > 0 || r.popularity > 0)
            part += QStringLiteral(" %1/%2").arg(oddsText(r.winOdds)).arg(r.popularity);
        parts += part;
    }
    return parts.join(u',');
}

QString numbersText(const std::vector<int>& numbers)
{
    QStringList parts;
    for (const int n : numbers)
        parts += QString::number(n);
    return parts.join(u',');
}

// A web race card copied row by row: the site's navigation, the day's races and days as links, the heading over
// three lines, the table with tabs between its cells (a scratched runner's odds cell saying 取消), an advert.
const char* webRows = "netkeiba トップ > レース > 出馬表\n"
                      "1R\t2R\t3R\t4R\t5R\t6R\t7R\t8R\t9R\t10R\t11R\t12R\n"
                      "5/25(土)\t5/26(日)\n"
                      "11R\n"
                      "東京優駿(GI)\n"
                      "15:40発走 / 芝2400m (左 A) / 天候:晴 / 馬場:良\n"
                      "2024年5月26日 2回 東京 12日目 サラ系3歳 オープン (国際) 牡・牝(指定) 定量 5頭\n"
                      "枠\t馬番\t印\t馬名\t性齢\t斤量\t騎手\t厩舎\t馬体重(増減)\tオッズ\t人気\n"
                      "1\t1\t\tダノンデサイル\t牡3\t57.0\t横山典\t美浦安田\t486(+2)\t46.6\t9\n"
                      "2\t2\t\tエコロヴァルツ\t牡3\t57.0\t岩田康\t栗東牧浦\t\t38.5\t8\n"
                      "3\t3\t◎\tジャスティンミラノ\t牡3\t57.0\t戸崎圭\t栗東友道\t\t2.2\t1\n"
                      "4\t4\t\tサンプルホース\t牡3\t57.0\t松山\t栗東池江\t\t取消\t\n"
                      "5\t5\t\tシンエンペラー\t牡3\t57.0\t坂井\t栗東矢作\t\t6.0\t3\n"
                      "この馬の予想をもっと見る（広告）\n";

} // namespace

class RaceCardPasteTest : public QObject {
    Q_OBJECT
private slots:
    void reads_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QString>("surface");
        QTest::addColumn<QString>("runners");
        QTest::addColumn<QString>("missing");

        QTest::newRow("web card, rows") << QString::fromUtf8(webRows) << "2024/05/26|11|東京優駿|ＧⅠ|東京競馬場|2400m|5"
                                        << "芝"
                                        << "1 ダノンデサイル 46.6/9,2 エコロヴァルツ 38.5/8,3 ジャスティンミラノ 2.2/1,"
                                           "4 サンプルホース 取消,5 シンエンペラー 6.0/3"
                                        << "";
        // The same site's table copied a cell a line; the heading on one line each; a runner excluded before the
        // race, its numbers kept.
        QTest::newRow("web card, a cell a line")
            << QStringLiteral("2024年6月2日(日)\n京都11R\n鳴尾記念(GⅢ)\nダ1,800m\n枠\n馬番\n馬名\n性齢\n騎手\nオッズ\n"
                              "人気\n1\n1\nアアアアア\n牡4\n武豊\n3.5\n1\n2\n2\nイイイイイ\n牝5\n川田\n12.0\n4\n"
                              "3\n3\nウウウウウ\n牡6\n除外\n")
            << "2024/06/02|11|鳴尾記念|ＧⅢ|京都競馬場|1800m|3"
            << "ダート"
            << "1 アアアアア 3.5/1,2 イイイイイ 12.0/4,3 ウウウウウ 除外"
            << "";
        // A newspaper's full-width page: circled horse numbers, blanks between the cells, odds and popularity at
        // the row's end without a header saying so.
        QTest::newRow("newspaper, full width")
            << QStringLiteral(
                   "２０２４年５月２６日（日）　２回東京１２日\n東京１１Ｒ　東京優駿（ＧⅠ）　芝２４００ｍ　"
                   "４頭\n１　①　ダノンデサイル　牡３　５７　横山典　４６．６　９\n２　②　エコロヴァルツ　牡３"
                   "　５７　岩田康　３８．５　８\n取消　３　③　サンプルホース　牡３　５７　松山\n")
            << "2024/05/26|11|東京優駿|ＧⅠ|東京競馬場|2400m|4"
            << "芝"
            << "1 ダノンデサイル 46.6/9,2 エコロヴァルツ 38.5/8,3 サンプルホース 取消"
            << "4";
        // A spreadsheet of keys and values, then the runners with their columns named.
        QTest::newRow("spreadsheet") << QStringLiteral(
            "日付\t2024/05/26\n競馬場\t東京\nレース\t11\nレース名\t東京優駿\n距離\t2400\n"
            "頭数\t2\n馬番\t馬名\t単勝\t人気\n1\tダノンデサイル\t46.6\t9\n2\tエコロヴァルツ\t\t\n")
                                     << "2024/05/26|11|東京優駿|?|東京競馬場|2400m|2"
                                     << ""
                                     << "1 ダノンデサイル 46.6/9,2 エコロヴァルツ"
                                     << "";
        // An ungraded race: the class read as 「not graded」, the race name the class itself.
        QTest::newRow("ungraded, jump") << QStringLiteral(
            "2024年4月13日(土) 3回中山7日\n中山1R 障害4歳以上未勝利 障害・芝3200m 2頭\n"
            "1 1 アアアアア 牡4 60\n2 2 イイイイイ 牡5 60\n")
                                        << "2024/04/13|1|障害4歳以上未勝利||中山競馬場|3200m|2"
                                        << "障害"
                                        << "1 アアアアア,2 イイイイイ"
                                        << "";
        // The heading alone: no runner rows, the count as printed.
        QTest::newRow("heading alone, JRA's order")
            << QStringLiteral("令和6年5月26日(日)\n第11競走 東京優駿\n2,400メートル（芝・左）\n出走頭数 18頭\n")
            << "2024/05/26|11|東京優駿|?|?|2400m|18"
            << "芝"
            << "" << numbersText({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18});
    }
    void reads()
    {
        QFETCH(QString, text);
        QFETCH(QString, answers);
        QFETCH(QString, surface);
        QFETCH(QString, runners);
        QFETCH(QString, missing);
        const PastedRaceCard card = parsePastedRaceCard(text, 2024);
        QVERIFY2(card.ok, qPrintable(card.error));
        QCOMPARE(answersText(card), answers);
        QCOMPARE(surfaceText(card.surface), surface);
        QCOMPARE(runnersText(card), runners);
        QCOMPARE(numbersText(card.missing), missing);
    }

    // What cannot be told for sure is left unread, with the reason; a paste that names nothing is refused.
    void leavesUnread_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QString>("why"); // the reasons given, joined by |
        QTest::addColumn<QString>("runners");

        QTest::newRow("two dates, two distances")
            << QStringLiteral("2024年5月26日\n11R ダービー\n芝2400m\n2024年6月2日\n芝1600m\n")
            << "?|11|ダービー|?|?|?|?"
            << "日付が「2024年5月26日」と「2024年6月2日」の二通りあるため読みませんでした。|"
               "距離が「2400」と「1600」の二通りあるため読みませんでした。"
            << "";
        QTest::newRow("count below the table")
            << QStringLiteral("11R テスト 2頭\n1 1 アアアアア\n2 2 イイイイイ\n3 3 ウウウウウ\n")
            << "?|11|テスト|?|?|?|?"
            << "「2頭」とありますが、出馬表には3番の馬までいるため読みませんでした。"
            << "1 アアアアア,2 イイイイイ,3 ウウウウウ";
        QTest::newRow("too many runners") << QStringLiteral("11R テスト 22頭\n") << "?|11|テスト|?|?|?|?"
                                          << "22頭は多すぎます（21頭まで）。"
                                          << "";
        QTest::newRow("no such day, a number named twice differently")
            << QStringLiteral("2024年2月30日\n1 1 アアアアア\n1 1 イイイイイ\n2 2 ウウウウウ\n") << "?|?|?|?|?|?|2"
            << "「2024年2月30日」は日付として読めないため読みませんでした。"
            << "2 ウウウウウ";
    }
    void leavesUnread()
    {
        QFETCH(QString, text);
        QFETCH(QString, answers);
        QFETCH(QString, why);
        QFETCH(QString, runners);
        const PastedRaceCard card = parsePastedRaceCard(text, 2024);
        QVERIFY2(card.ok, qPrintable(card.error));
        QCOMPARE(answersText(card), answers);
        QStringList reasons;
        for (const CardAnswer& a : card.answers)
            if (!a.why.isEmpty())
                reasons += a.why;
        QCOMPARE(reasons.join(u'|'), why);
        QCOMPARE(runnersText(card), runners);
    }

    void refuses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error");
        QTest::newRow("empty") << QStringLiteral(" \n\t\n") << QStringLiteral("貼り付ける文字がありません。");
        QTest::newRow("no card") << QStringLiteral("今日はいい天気です。\n競馬新聞はこちら\n")
                                 << QStringLiteral("出馬表のレースも出走馬も読めませんでした。");
    }
    void refuses()
    {
        QFETCH(QString, text);
        QFETCH(QString, error);
        const PastedRaceCard card = parsePastedRaceCard(text, 2024);
        QVERIFY(!card.ok);
        QVERIFY2(card.error.contains(error), qPrintable(card.error));
        QVERIFY(card.runners.empty());
    }

    // The last name, cut by the end of the copy while the rows go on after their names, is not taken.
    void cutName()
    {
        const PastedRaceCard card =
            parsePastedRaceCard(QStringLiteral("1 1 アアアアア 牡4 武豊\n2 2 イイイイイ 牝5 川田\n3 3 ウウウ"), 2024);
        QVERIFY(card.ok);
        QCOMPARE(card.cutNumber, 3);
        QCOMPARE(runnersText(card), QStringLiteral("1 アアアアア,2 イイイイイ"));
        QCOMPARE(card.answer(CardItem::Runners).text, QStringLiteral("3"));
    }
};

TOKIRO_CORE_TEST_MAIN(RaceCardPasteTest)
#include "race_card_paste_test.moc"
