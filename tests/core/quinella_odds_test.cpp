#include "core/quinella_odds.h"
#include "core_test_main.h"

#include <QtTest>

namespace {

// What was read, as 「1-2 8.5|3-7 取消」.
QString readOdds(const PastedQuinellaOdds& pasted)
{
    QStringList pairs;
    for (const QuinellaOdds& o : pasted.odds)
        pairs += QStringLiteral("%1-%2 %3")
                     .arg(o.low)
                     .arg(o.high)
                     .arg(o.tenths ? oddsText(o.tenths) : QStringLiteral("取消"));
    return pairs.join(u'|');
}

} // namespace

class QuinellaOddsTest : public QObject {
    Q_OBJECT

private slots:
    void read_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString threeRunners = QStringLiteral("1-2 8.5|1-3 12.5|2-3 102.4");
        QTest::newRow("list") << QStringLiteral("馬連オッズ\n1-2 8.5\n1-3 12.5\n2-3 102.4\n") << threeRunners;
        QTest::newRow("full width, 倍, popularity")
            << QStringLiteral("１－２　８．５倍　１人気\n１－３　１２．５倍　２人気\n２－３　１０２．４倍　３人気")
            << threeRunners;
        QTest::newRow("rank first, tabs")
            << QStringLiteral("人気\t組番\tオッズ\n1\t1-2\t8.5\n2\t1-3\t12.5\n3\t2-3\t102.4") << threeRunners;
        QTest::newRow("several to a line, order free")
            << QStringLiteral("2-3 102.4  1-3 12.5  1-2 8.5\n更新 2024-05-26 15:30") << threeRunners;
        QTest::newRow("cell by cell") << QStringLiteral("1-2\n8.5\n1-3\n12.5\n2-3\n102.4\n") << threeRunners;
        QTest::newRow("not sold") << QStringLiteral("1-2 8.5\n1-3 取消\n2-3 ---")
                                  << QStringLiteral("1-2 8.5|1-3 取消|2-3 取消");
        QTest::newRow("thousands") << QStringLiteral("1-2 1,234.5倍") << QStringLiteral("1-2 1234.5");
        QTest::newRow("blocks by the lower number")
            << QStringLiteral("馬連\n1\n2 8.5\n3 12.5 2\n2\n3 102.4\n") << threeRunners;
        QTest::newRow("blocks cell by cell") << QStringLiteral("①\n2\n8.5\n3\n12.5\n②\n3\n102.4") << threeRunners;
        QTest::newRow("grid, tabs") << QStringLiteral("\t2\t3\n1\t8.5\t12.5\n2\t\t102.4") << threeRunners;
        QTest::newRow("grid, blanks") << QStringLiteral("  2  3\n1 8.5 12.5\n2 102.4") << threeRunners;
        QTest::newRow("nothing") << QStringLiteral("東京11R 日本ダービー\n発走 15:40") << QString();
        QTest::newRow("out of the race") << QStringLiteral("1-2 8.5\n1-4 9.0") << QString();
        QTest::newRow("two odds for a pair") << QStringLiteral("1-2 8.5\n2-1 9.0") << QString();
        QTest::newRow("a pair without odds between") << QStringLiteral("1-2 8.5\n1-3 ?\n2-3 102.4") << QString();
        QTest::newRow("a grid row out of line") << QStringLiteral("  2  3\n1 8.5 12.5 4.4") << QString();
        QTest::newRow("odds below 1.0") << QStringLiteral("1-2 0.5") << QString();
    }
    void read()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const PastedQuinellaOdds pasted = parsePastedQuinellaOdds(text, 3);
        QCOMPARE(pasted.ok, !expected.isEmpty());
        QCOMPARE(pasted.error.isEmpty(), pasted.ok);
        QCOMPARE(readOdds(pasted), expected);
    }

    void prices_data()
    {
        QTest::addColumn<QList<int>>("odds"); // tenths, -1 for not known
        QTest::addColumn<int>("combined");    // hundredths, -1 for none
        QTest::addColumn<QString>("torigami");
        // Three tickets at 100 yen: a hit must pay 3.0倍 to return the 300 yen staked.
        QTest::newRow("at the boundary") << QList<int>{30, 29, 31} << 99 << QStringLiteral("-x-");
        QTest::newRow("two at 4.0") << QList<int>{40, 40} << 200 << QStringLiteral("--");
        QTest::newRow("one not known") << QList<int>{125, -1} << -1 << QStringLiteral("--");
        QTest::newRow("one not sold") << QList<int>{125, 0} << -1 << QStringLiteral("--");
        QTest::newRow("one ticket") << QList<int>{15} << 150 << QStringLiteral("-");
    }
    void prices()
    {
        QFETCH(QList<int>, odds);
        QFETCH(int, combined);
        QFETCH(QString, torigami);
        std::vector<std::optional<int>> tickets;
        for (const int o : odds)
            tickets.push_back(o < 0 ? std::nullopt : std::optional<int>(o));
        const ProposalPrices prices = proposalPrices(tickets);
        QCOMPARE(prices.combinedHundredths.value_or(-1), combined);
        QString marks;
        for (const bool t : prices.torigami)
            marks += t ? u'x' : u'-';
        QCOMPARE(marks, torigami);
    }
};

TOKIRO_CORE_TEST_MAIN(QuinellaOddsTest)
#include "quinella_odds_test.moc"
