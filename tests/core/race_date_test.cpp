#include "core/race_date.h"

#include <QtTest>

class RaceDateTest : public QObject {
    Q_OBJECT

private slots:
    void parseRaceDate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("yearForMonthDay");
        QTest::addColumn<QDate>("date");
        QTest::newRow("short parts") << "99/7/5" << 0 << QDate(1999, 7, 5);
        QTest::newRow("last year of the 2000s window") << "29/12/31" << 0 << QDate(2029, 12, 31);
        QTest::newRow("first year of the 1900s window") << "30/01/01" << 0 << QDate(1930, 1, 1);
        QTest::newRow("00 is 2000, a leap year") << "00/02/29" << 0 << QDate(2000, 2, 29);
        QTest::newRow("96 is 1996, a leap year") << "96/02/29" << 0 << QDate(1996, 2, 29);
        QTest::newRow("29 is 2029, no 29 February") << "29/02/29" << 0 << QDate();
        QTest::newRow("four-digit year, dashes") << "2024-2-29" << 0 << QDate(2024, 2, 29);
        QTest::newRow("blanks around") << " 99/12/26 " << 0 << QDate(1999, 12, 26);
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
        QTEST(::parseRaceDate(text, yearForMonthDay), "date");
    }
};

QTEST_GUILESS_MAIN(RaceDateTest)
#include "race_date_test.moc"
