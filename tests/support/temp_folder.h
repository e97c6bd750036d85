#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

// A fresh empty folder made the current folder for as long as the object lives (race files are found there).
class TempFolder {
public:
    TempFolder() : previous_(QDir::currentPath())
    {
        QVERIFY2(dir_.isValid(), "cannot make a temporary folder");
        QDir::setCurrent(dir_.path());
    }
    ~TempFolder() { QDir::setCurrent(previous_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

private:
    QString previous_;
    QTemporaryDir dir_;
};
