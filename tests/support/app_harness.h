#pragma once

#include "app/main_window.h"
#include "scripted_dialogs.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <memory>

// The whole program in one object, as main() builds it, with scripted dialogs and an end that is only recorded.
class AppHarness {
public:
    AppHarness();

    Navigator& nav() { return window->navigator(); }

    template <typename Widget = QWidget>
    Widget* find(ScreenId id, const QString& name)
    {
        Screen* screen = nav().screen(id);
        return screen ? screen->findChild<Widget*>(name) : nullptr;
    }

    // Clicks a button of a loaded screen by object name; fails the test when it does not exist.
    bool click(ScreenId id, const QString& name)
    {
        auto* button = find<QPushButton>(id, name);
        if (!button)
            return false;
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
        return true;
    }

    Module1 module;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
    int endCalls = 0;
};
