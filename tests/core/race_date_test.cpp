#include "core/race_date.h"

#include <QtTest>

class RaceDateTest : public QObject {
    Q_OBJECT

private slots:
    // What a stored date text means to the analysis, in December 2026 (two-digit years in 1947..2046).
    void parseRaceDate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("yearForMonthDay");
        QTest::addColumn<QDate>("date");
        QTest::newRow("short parts") << "99/7/5" << 0 << QDate(1999, 7, 5);
        QTest::newRow("last year of the window") << "46/12/31" << 0 << QDate(2046, 12, 31);
        QTest::newRow("first year of the window") << "47/01/01" << 0 << QDate(1947, 1, 1);
        QTest::newRow("2030 and on") << "30/01/05" << 0 << QDate(2030, 1, 5);
        QTest::newRow("00 is 2000, a leap year") << "00/02/29" << 0 << QDate(2000, 2, 29);
        QTest::newRow("96 is 1996, a leap year") << "96/02/29" << 0 << QDate(1996, 2, 29);
        QTest::newRow("29 is 2029, no 29 February") << "29/02/29" << 0 << QDate();
        QTest::newRow("32 is 2032, a leap year") << "32/02/29" << 0 << QDate(2032, 2, 29);
        QTest::newRow("four-digit year, dashes") << "2024-2-29" << 0 << QDate(2024, 2, 29);
        QTest::newRow("four-digit year outside the window") << "1925/5/5" << 0 << QDate(1925, 5, 5);
        QTest::newRow("blanks around") << " 99/12/26 " << 0 << QDate(1999, 12, 26);
        QTest::newRow("和暦 kept as typed in an older race") << "令和6年5月26日" << 0 << QDate(2024, 5, 26);
        QTest::newRow("a day that does not exist, stored") << "24/02/30" << 0 << QDate();
        QTest::newRow("outside its era") << "平成32年5月1日" << 0 << QDate();
        QTest::newRow("month 13") << "99/13/01" << 0 << QDate();
        QTest::newRow("three-digit year") << "999/01/01" << 0 << QDate();
        QTest::newRow("not a date") << "ダービー" << 0 << QDate();
        QTest::newRow("empty") << "" << 0 << QDate();
        QTest::newRow("month and day, a year given") << "7/5" << 2024 << QDate(2024, 7, 5);
        QTest::newRow("month and day, no year to give") << "7/5" << 0 << QDate();
    }
    void parseRaceDate()
    {
        QFETCH(QString, text);
        QFETCH(int, yearForMonthDay);
        const RaceDateTodayForTests today(QDate(2026, 12, 9));
        QTEST(::parseRaceDate(text, yearForMonthDay), "date");
    }

    // The two-digit years move with today's date: the hundred years that end twenty years from now. What the date box
    // takes is stored with two digits and read back as itself wherever the date is read; a year outside the window is
    // refused with the window's range.
    void twoDigitYearWindow_data()
    {
        QTest::addColumn<int>("today");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::addColumn<QDate>("date");     // read back from the stored text
        QTest::addColumn<int>("first");      // for a refusal, the window's first year (its last is 99 years on)
        auto taken = [](int today, const char* typed, const char* stored, QDate date) {
            QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(today).arg(QString::fromUtf8(typed))))
                << today << QString::fromUtf8(typed) << QString::fromUtf8(stored) << date << 0;
        };
        auto refused = [](int today, const char* typed, int first) {
            QTest::newRow(qPrintable(QStringLiteral("%1: %2 refused").arg(today).arg(QString::fromUtf8(typed))))
                << today << QString::fromUtf8(typed) << QString() << QDate() << first;
        };
        taken(2026, "2030/1/5", "30/01/05", QDate(2030, 1, 5));
        taken(2026, "R12.1.5", "30/01/05", QDate(2030, 1, 5));
        taken(2026, "30/01/05", "30/01/05", QDate(2030, 1, 5));
        taken(2026, "300105", "30/01/05", QDate(2030, 1, 5));
        taken(2026, "1999/12/26", "99/12/26", QDate(1999, 12, 26));
        taken(2026, "99年12月26日", "99/12/26", QDate(1999, 12, 26));
        taken(2026, "2046/12/31", "46/12/31", QDate(2046, 12, 31));
        taken(2026, "1947/1/1", "47/01/01", QDate(1947, 1, 1));
        refused(2026, "2047/1/1", 1947);
        refused(2026, "1946/12/31", 1947);
        taken(2031, "2051/12/31", "51/12/31", QDate(2051, 12, 31));
        taken(2031, "52/1/1", "52/01/01", QDate(1952, 1, 1));
        taken(2031, "99/12/26", "99/12/26", QDate(1999, 12, 26));
        taken(2031, "R12.1.5", "30/01/05", QDate(2030, 1, 5));
        refused(2031, "1951/12/31", 1952);
        refused(2031, "2052/1/1", 1952);
        taken(2060, "99/12/26", "99/12/26", QDate(1999, 12, 26));
        taken(2060, "80/1/1", "80/01/01", QDate(2080, 1, 1));
        taken(2060, "81/1/1", "81/01/01", QDate(1981, 1, 1));
        taken(2060, "00/2/29", "00/02/29", QDate(2000, 2, 29));
        taken(2060, "2/29", "60/02/29", QDate(2060, 2, 29));
        refused(2060, "1980/12/31", 1981);
        refused(2060, "2081-01-01", 1981);
    }
    void twoDigitYearWindow()
    {
        QFETCH(int, today);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QDate, date);
        QFETCH(int, first);
        const RaceDateTodayForTests clock(QDate(today, 6, 1));
        QCOMPARE(raceDateCurrentYear(), today);
        const RaceDateEntry entry = ::enterRaceDate(typed, raceDateCurrentYear());
        QCOMPARE(entry.text, stored);
        if (stored.isEmpty()) {
            QCOMPARE(entry.problem, QStringLiteral("年は下二けたで保存するので、%1年から%2年までの日付にしてください。")
                                        .arg(first)
                                        .arg(first + 99));
            return;
        }
        QCOMPARE(::parseRaceDate(stored), date);
        QCOMPARE(fullYearOfTwoDigits(stored.left(2).toInt(), today), date.year());
    }

    // The date box: every form fans write, as YY/MM/DD, and for anything else the sentence that says why not. Month
    // and day alone are read in 2024, and two-digit years in its window, 1945..2044.
    void enterRaceDate_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("problem");
        const QString hint = QStringLiteral(
            "日付は「24/5/26」「2024年5月26日」「令和6年5月26日」「R6.5.26」「240526」のように入力してください。");
        auto date = [](const char* row, const char* typed, const char* text) {
            QTest::newRow(row) << QString::fromUtf8(typed) << QString::fromUtf8(text) << QString();
        };
        auto refused = [](const char* row, const char* typed, const QString& problem) {
            QTest::newRow(row) << QString::fromUtf8(typed) << QString() << problem;
        };
        date("slashes, short parts", "99/7/5", "99/07/05");
        date("four-digit year", "2024/5/26", "24/05/26");
        date("dashes", "24-5-26", "24/05/26");
        date("dots", "24.5.26", "24/05/26");
        date("mixed separators", "2024.05/26", "24/05/26");
        date("full-width digits and slashes", "２４／０５／２６", "24/05/26");
        date("full-width dots", "２０２４．５．２６", "24/05/26");
        date("full-width dash and minus sign", "２４－５−２６", "24/05/26");
        date("blanks anywhere, ideographic too", " 24 / 5　/ 26 ", "24/05/26");
        date("six digits", "240526", "24/05/26");
        date("eight digits", "20240526", "24/05/26");
        date("six full-width digits", "２４０５２６", "24/05/26");
        date("kanji, four-digit year", "2024年5月26日", "24/05/26");
        date("kanji, full-width digits", "２０２４年５月２６日", "24/05/26");
        date("kanji, two-digit year", "99年12月26日", "99/12/26");
        date("kanji, month and day", "5月26日", "24/05/26");
        date("slash, month and day", "5/26", "24/05/26");
        date("令和", "令和6年5月26日", "24/05/26");
        date("令和元年", "令和元年5月1日", "19/05/01");
        date("R and slashes", "R6/5/26", "24/05/26");
        date("R and dots", "R6.5.26", "24/05/26");
        date("small r, dashes", "r6-5-26", "24/05/26");
        date("full-width R", "Ｒ６．５．２６", "24/05/26");
        date("R元", "R元/5/1", "19/05/01");
        date("R and kanji", "R6年5月26日", "24/05/26");
        date("the era in one character", "㋿6年5月26日", "24/05/26");
        date("平成, its last day", "平成31年4月30日", "19/04/30");
        date("平成元年, its first day", "平成元年1月8日", "89/01/08");
        date("H and dots", "H11.12.26", "99/12/26");
        date("H, two digits", "H08/05/26", "96/05/26");
        date("昭和, its last day", "昭和64年1月7日", "89/01/07");
        date("S and slashes", "S60/5/26", "85/05/26");
        date("the day of the week", "2024年5月26日(日)", "24/05/26");
        date("the day of the week, full-width brackets", "R6.5.26（日曜）", "24/05/26");
        date("the day of the week in full", "24/5/26(日曜日)", "24/05/26");
        date("29 February 2024", "24/2/29", "24/02/29");
        date("29 February 2000, a century leap year", "00/2/29", "00/02/29");
        date("29 February 2000 in 平成", "H12.2.29", "00/02/29");
        date("29 February 1996", "1996年2月29日", "96/02/29");
        date("29 February 2028, the window's last leap day", "20280229", "28/02/29");
        date("the window's first day", "1945/1/1", "45/01/01");
        date("the window's last day", "2044/12/31", "44/12/31");
        date("after 2029", "2030/1/5", "30/01/05");
        QTest::newRow("empty") << ""
                               << ""
                               << "";
        QTest::newRow("blanks") << "  "
                                << ""
                                << "";

        refused("30 February", "24/2/30", QStringLiteral("2024年2月30日という日はありません。"));
        refused("month 13", "24/13/1", QStringLiteral("2024年13月1日という日はありません。"));
        refused("day 0", "2024年5月0日", QStringLiteral("2024年5月0日という日はありません。"));
        refused("29 February 2023", "23/2/29", QStringLiteral("2023年2月29日という日はありません。"));
        refused("29 February 1999", "99/2/29", QStringLiteral("1999年2月29日という日はありません。"));
        refused("29 February 2100, a century without", "2100/2/29",
                QStringLiteral("2100年2月29日という日はありません。"));
        refused("29 February 令和7年", "R7.2.29", QStringLiteral("2025年2月29日という日はありません。"));
        refused("six digits, no such month", "241326", QStringLiteral("2024年13月26日という日はありません。"));
        refused("平成32年", "平成32年5月1日", QStringLiteral("平成は2019年4月30日までです。"));
        refused("平成31年5月1日", "H31.5.1", QStringLiteral("平成は2019年4月30日までです。"));
        refused("令和元年4月30日", "令和元年4月30日", QStringLiteral("令和は2019年5月1日からです。"));
        refused("平成元年1月7日", "H元.1.7", QStringLiteral("平成は1989年1月8日からです。"));
        refused("another day of the week", "2024年5月26日(土)", QStringLiteral("2024年5月26日は日曜日です。"));
        refused("before the window", "1944/12/31",
                QStringLiteral("年は下二けたで保存するので、1945年から2044年までの日付にしてください。"));
        refused("after the window", "2045-01-01",
                QStringLiteral("年は下二けたで保存するので、1945年から2044年までの日付にしてください。"));
        refused("a word", "あした", hint);
        refused("year and month only", "2024/5", hint);
        refused("three-digit year", "124/5/26", hint);
        refused("seven digits", "2024526", hint);
        refused("an era year of three digits", "R100/1/1", hint);
        refused("元 without an era", "元/5/1", hint);
        refused("an unknown era letter", "T6/5/26", hint);
        refused("a number and a word", "24/5/26 晴れ", hint);
    }
    void enterRaceDate()
    {
        QFETCH(QString, typed);
        const RaceDateEntry entry = ::enterRaceDate(typed, 2024);
        QTEST(entry.text, "text");
        QTEST(entry.problem, "problem");
    }
};

QTEST_GUILESS_MAIN(RaceDateTest)
#include "race_date_test.moc"
