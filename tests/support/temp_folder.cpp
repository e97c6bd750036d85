#include "temp_folder.h"

#include <QDir>
#include <QtTest>

TempFolder::TempFolder() : previous_(QDir::currentPath())
{
    if (!dir_.isValid())
        QFAIL("cannot make a temporary folder");
    QDir::setCurrent(dir_.path());
}

TempFolder::~TempFolder() { QDir::setCurrent(previous_); }
