#include "screens/twips.h"

#include <QtTest>

// The one conversion from the layout tables' twips to logical pixels (15 twips a pixel, halves away from zero); every
// screen test states its places in pixels.
class TwipsTest : public QObject {
    Q_OBJECT

private slots:
    void toPixels_data()
    {
        QTest::addColumn<double>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("nothing") << 0.0 << 0;
        QTest::newRow("one pixel") << 15.0 << 1;
        QTest::newRow("just under half") << 7.0 << 0;
        QTest::newRow("half rounds up") << 7.5 << 1;
        QTest::newRow("a third") << 8500.0 << 567;
        QTest::newRow("two thirds") << 7300.0 << 487;
        QTest::newRow("screen width") << 12000.0 << 800;
        QTest::newRow("screen height") << 9000.0 << 600;
        QTest::newRow("left of the window") << -15.0 << -1;
    }
    void toPixels()
    {
        QFETCH(double, twips);
        QTEST(::twips(twips), "pixels");
    }

    void rectAndBack()
    {
        QCOMPARE(twipsRect(2520, 6720, 7095, 375), QRect(168, 448, 473, 25));
        QCOMPARE(twipsRect(7975 - 350 * 20, 6805, 350, 645), QRect(65, 454, 23, 43));
        QCOMPARE(toTwips(800), 12000.0);
    }
};

QTEST_APPLESS_MAIN(TwipsTest)
#include "twips_test.moc"
