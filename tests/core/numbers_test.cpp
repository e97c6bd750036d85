#include "core/numbers.h"
#include "core/race_state.h"

#include <QtTest>

#include <cmath>
#include <limits>

class NumbersTest : public QObject {
    Q_OBJECT

private slots:
    void numberValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("leading zero") << "07" << 7.0;
        QTest::newRow("yen after the digits") << "1200円" << 1200.0;
        QTest::newRow("runners") << "12頭" << 12.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("blank, sign, fraction, junk") << " -3.5x" << -3.5;
        QTest::newRow("plus sign") << "+8" << 8.0;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("second point ends it") << "1.2.3" << 1.2;
        QTest::newRow("blank inside ends it") << "12 34" << 12.0;
        QTest::newRow("sign alone") << "-" << 0.0;
        QTest::newRow("two signs") << "+-3" << 0.0;
        QTest::newRow("no exponent") << "2e1" << 2.0;
        QTest::newRow("exponent without digits") << "5e" << 5.0;
        QTest::newRow("tab before") << "\t42" << 42.0;
    }

    void numberValue()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(::numberValue(text), value);
    }

    // Numbers as people type them with a Japanese keyboard: full-width characters, thousands separators, 円.
    void typedNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind"); // TypedNumber::Kind
        QTest::addColumn<QString>("plain");
        const int empty = int(TypedNumber::Kind::Empty);
        const int number = int(TypedNumber::Kind::Number);
        const int none = int(TypedNumber::Kind::NotNumber);
        QTest::newRow("full-width digits") << "１８" << number << "18";
        QTest::newRow("full-width with zeros") << "０２" << number << "2";
        QTest::newRow("comma groups") << "1,230" << number << "1230";
        QTest::newRow("full-width comma groups") << "１，２３０" << number << "1230";
        QTest::newRow("groups and yen") << "1,234,560円" << number << "1234560";
        QTest::newRow("full-width minus and point") << "－１２．５０" << number << "-12.5";
        QTest::newRow("minus sign U+2212") << "−3" << number << "-3";
        QTest::newRow("full-width plus") << "＋４" << number << "4";
        QTest::newRow("ideographic space before") << "\u3000７" << number << "7";
        QTest::newRow("comma not between digits ends it") << "12,円" << number << "12";
        QTest::newRow("point without fraction") << "5." << number << "5";
        QTest::newRow("minus zero") << "-0.0" << number << "0";
        QTest::newRow("nine digits") << "123456789" << number << "123456789";
        QTest::newRow("twenty digits kept") << "12345678901234567890" << number << "12345678901234567890";
        QTest::newRow("empty") << "" << empty << "0";
        QTest::newRow("blanks only") << " \u3000 " << empty << "0";
        QTest::newRow("letters") << "abc" << none << "";
        QTest::newRow("yen alone") << "円" << none << "";
        QTest::newRow("point alone") << "." << none << "";
        QTest::newRow("comma first") << ",5" << none << "";
        QTest::newRow("long vowel is no minus") << "ー５" << none << "";
    }

    void typedNumber()
    {
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(QString, plain);
        const TypedNumber number = readTypedNumber(text);
        QCOMPARE(int(number.kind), kind);
        if (number.kind != TypedNumber::Kind::NotNumber) {
            QCOMPARE(number.plain, plain);
            QCOMPARE(number.value, plain.toDouble());
        }
    }

    void boxProblems()
    {
        QCOMPARE(numberBoxProblem(QString(), "配当金", "金額"), QString());
        QCOMPARE(numberBoxProblem("１，２３０円", "配当金", "金額"), QString());
        QCOMPARE(numberBoxProblem("abc", "配当金", "金額"),
                 QStringLiteral("「配当金」には金額を数で入力してください。"));
        QVERIFY(numberBoxProblem("12345678901234567890", "配当金", "金額").contains(QStringLiteral("15けた")));
        QVERIFY(heldExactly(readTypedNumber(u"999999999999999")));
    }

    // Amounts are whole yen from 0 to 999,999,999,999: anything else is refused, naming the box.
    void amountBoxProblems_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("refused");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("largest") << "999,999,999,999" << false;
        QTest::newRow("largest, full width, with 円") << "９９９９９９９９９９９９円" << false;
        QTest::newRow("one more") << "1000000000000" << true;
        QTest::newRow("2^63") << "9223372036854775808" << true;
        QTest::newRow("-1") << "-1" << true;
        QTest::newRow("a fraction") << "870.5" << true;
        QTest::newRow("zero as a fraction") << "0.0" << false;
    }

    void amountBoxProblems()
    {
        QFETCH(QString, typed);
        QFETCH(bool, refused);
        QCOMPARE(amountBoxProblem(typed, "配当金"),
                 refused ? QStringLiteral("「配当金」には0～999,999,999,999円の整数を入力してください。") : QString());
        QCOMPARE(countableYen(readTypedNumber(typed).value).has_value(), !refused);
        QCOMPARE(amountBoxProblem("abc", "配当金"), QStringLiteral("「配当金」には金額を数で入力してください。"));
    }

    void toInt16_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("result");
        QTest::newRow("2.5 to even 2") << 2.5 << true << 2;
        QTest::newRow("3.5 to even 4") << 3.5 << true << 4;
        QTest::newRow("-2.5 to even -2") << -2.5 << true << -2;
        QTest::newRow("0.5 to 0") << 0.5 << true << 0;
        QTest::newRow("2.6 up") << 2.6 << true << 3;
        QTest::newRow("32767.4 fits") << 32767.4 << true << 32767;
        QTest::newRow("32767.5 rounds to 32768") << 32767.5 << false << 0;
        QTest::newRow("-32768.5 to even -32768") << -32768.5 << true << -32768;
        QTest::newRow("-32769") << -32769.0 << false << 0;
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << false << 0;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << false << 0;
    }

    void toInt16()
    {
        QFETCH(double, value);
        QFETCH(bool, accepted);
        QFETCH(int, result);
        const std::optional<std::int16_t> converted = ::toInt16(value);
        QCOMPARE(converted.has_value(), accepted);
        if (accepted)
            QCOMPARE(int(*converted), result);
    }

    void toInt32()
    {
        QCOMPARE(::toInt32(2147483647.4), std::optional<std::int32_t>(2147483647));
        QVERIFY(!::toInt32(2147483647.5).has_value());
        QCOMPARE(::toInt32(-1.5), std::optional<std::int32_t>(-2));
    }

    void widths_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("result");
        QTest::newRow("pad short") << "pad"
                                   << "99/05/16" << 12 << "99/05/16    ";
        QTest::newRow("pad cuts") << "pad"
                                  << "ABCDEFGHIJKL" << 8 << "ABCDEFGH";
        QTest::newRow("pad full-width counts one") << "pad"
                                                   << "第07ﾚｰｽ" << 8 << "第07ﾚｰｽ  ";
        QTest::newRow("pad cuts full-width") << "pad"
                                             << "東京優駿日本ダービー記念" << 5 << "東京優駿日";
        QTest::newRow("pad empty") << "pad"
                                   << "" << 3 << "   ";
        QTest::newRow("pad zero width") << "pad"
                                        << "abc" << 0 << "";
        QTest::newRow("zeros short") << "zeros"
                                     << "7" << 2 << "07";
        QTest::newRow("zeros empty") << "zeros"
                                     << "" << 2 << "00";
        QTest::newRow("zeros keeps the last") << "zeros"
                                              << "123" << 2 << "23";
        QTest::newRow("zeros six") << "zeros"
                                   << "870" << 6 << "000870";
        QTest::newRow("zeros full-width") << "zeros"
                                          << "１２３" << 2 << "２３";
        QTest::newRow("zeros zero count") << "zeros"
                                          << "5" << 0 << "";
        QTest::newRow("fill short") << "fill"
                                    << "870" << 6 << "000870";
        QTest::newRow("fill never cuts") << "fill"
                                         << "1234560" << 6 << "1234560";
        QTest::newRow("fill after the sign") << "fill"
                                             << "-5" << 6 << "-00005";
        QTest::newRow("pad at least never cuts") << "least"
                                                 << "配当金：1234567890円" << 15 << "配当金：1234567890円";
        QTest::newRow("pad at least pads") << "least"
                                           << "ab" << 4 << "ab  ";
    }

    void widths()
    {
        QFETCH(QString, rule);
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(QString, result);
        const QString made = rule == u"pad"     ? padTo(text, width)
                             : rule == u"least" ? padAtLeast(text, width)
                             : rule == u"fill"  ? zeroFilled(text, width)
                                                : lastOfZeros(text, width);
        QCOMPARE(made, result);
    }

    void formats_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("rate") << "rate" << 5.0 / 14.0 << "0.357";
        QTest::newRow("rate half") << "rate" << 0.5 << "0.500";
        QTest::newRow("rate one") << "rate" << 1.0 << "1.000";
        QTest::newRow("percent 7.5") << "percent" << 7.5 << "07.5";
        QTest::newRow("percent 100") << "percent" << 100.0 << "100.0";
        QTest::newRow("percent 0") << "percent" << 0.0 << "00.0";
        QTest::newRow("percent two of three") << "percent" << 200.0 / 3.0 << "66.7";
        QTest::newRow("percent 250") << "percent" << 250.0 << "250.0";
        QTest::newRow("percent rounds up to 10") << "percent" << 9.96 << "10.0";
        QTest::newRow("yen negative") << "yen" << -500.0 << "-000500円";
        QTest::newRow("yen seven digits") << "yen" << 1234567.0 << "1234567円";
        QTest::newRow("yen zero") << "yen" << 0.0 << "000000円";
        QTest::newRow("yen 870") << "yen" << 870.0 << "000870円";
        QTest::newRow("yen tiny negative is zero") << "yen" << -0.2 << "000000円";
    }

    void formats()
    {
        QFETCH(QString, format);
        QFETCH(double, value);
        QFETCH(QString, text);
        const QString shown = format == u"rate"      ? formatRate(value)
                              : format == u"percent" ? formatPercent(value)
                                                     : formatYen(value);
        QCOMPARE(shown, text);
    }

    void numberText()
    {
        QCOMPARE(::numberText(7), QStringLiteral("7"));
        QCOMPARE(::numberText(-3), QStringLiteral("-3"));
        QCOMPARE(::numberText(2.5), QStringLiteral("2.5"));
        QCOMPARE(::numberText(0), QStringLiteral("0"));
        QCOMPARE(::numberText(5000000000.0), QStringLiteral("5000000000"));
        QCOMPARE(::numberText(1e20), QStringLiteral("100000000000000000000"));
        QCOMPARE(::numberText(0.00001), QStringLiteral("0.00001"));
    }

    void setRunnerCount_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("0") << 0 << true;
        QTest::newRow("1") << 1 << true;
        QTest::newRow("18") << 18 << true;
        QTest::newRow("21") << 21 << true;
        QTest::newRow("22") << 22 << false;
        QTest::newRow("-1") << -1 << false;
        QTest::newRow("32767") << 32767 << false;
    }

    void setRunnerCount()
    {
        QFETCH(int, count);
        QFETCH(bool, accepted);
        RaceState race;
        race.runnerCount = 9;
        QCOMPARE(::setRunnerCount(race, count), accepted);
        QCOMPARE(int(race.runnerCount), accepted ? count : 9);
    }

    void clearRaceStateKeepsMarksAndNames()
    {
        RaceState race;
        race.raceDate = QStringLiteral("99/05/16");
        race.raceNumber = 7;
        race.raceName = QStringLiteral("皐月賞");
        race.gradedText = QStringLiteral("ＧⅠ");
        race.courseName = QStringLiteral("中山競馬場");
        race.distanceText = QStringLiteral("2000m");
        race.runnerCount = 18;
        race.ticketCount = 12;
        race.aimMode = 1;
        race.markSheet[0][0] = 2;
        race.markSheet[20][5] = 25;
        race.runnerNames[0] = QStringLiteral("サンプル");
        race.runnerNames[20] = QStringLiteral("ラスト");

        clearRaceState(race, 0);
        QVERIFY(race.raceDate.isEmpty() && race.raceName.isEmpty() && race.gradedText.isEmpty());
        QVERIFY(race.courseName.isEmpty() && race.distanceText.isEmpty());
        QCOMPARE(int(race.raceNumber), 0);
        QCOMPARE(int(race.runnerCount), 0);
        QCOMPARE(int(race.aimMode), 0);
        QCOMPARE(int(race.ticketCount), 0);
        QCOMPARE(int(race.markSheet[0][0]), 2);
        QCOMPARE(int(race.markSheet[20][5]), 25);
        QCOMPARE(race.runnerNames[0], QStringLiteral("サンプル"));
        QCOMPARE(race.runnerNames[20], QStringLiteral("ラスト"));

        clearRaceState(race, 4);
        QCOMPARE(int(race.ticketCount), 4);
    }

    void markSymbols()
    {
        QCOMPARE(markSymbol(MarkKind::DoubleCircle), QStringLiteral("◎"));
        QCOMPARE(markSymbol(MarkKind::Star), QStringLiteral("★"));
        QString all;
        for (int kind = 0; kind < markKindCount; ++kind)
            all += markSymbol(kind);
        QCOMPARE(all, QStringLiteral("◎○△▲×★"));
        QVERIFY(markSymbol(6).isEmpty());
        QVERIFY(markSymbol(-1).isEmpty());
    }
};

QTEST_APPLESS_MAIN(NumbersTest)
#include "numbers_test.moc"
