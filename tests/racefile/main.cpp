#include "samples.h"

#include <QCoreApplication>
#include <QLocale>
#include <QtTest>

// The race-file tests are four Qt Test objects in one executable; each runs in a fresh temporary current folder.
int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    int failures = 0;
    for (const auto& make : racefileTests())
        failures += QTest::qExec(make().get(), argc, argv);
    return failures == 0 ? 0 : 1;
}
