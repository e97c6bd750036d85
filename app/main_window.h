#pragma once

#include "app/navigator.h"

#include <QWidget>

class QStackedWidget;

// The program's one window: fixed 800 x 600 logical pixels, centred, showing the screens as pages.
class MainWindow final : public QWidget {
    Q_OBJECT
public:
    MainWindow(Module1& module, Dialogs& dialogs);
    ~MainWindow() override;

    Navigator& navigator() { return *navigator_; }
    void centreOnScreen();

    // F1: the help, open at the section of the screen in front.
    void openHelpForFront();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Module1& module_;
    QStackedWidget* pages_;
    std::unique_ptr<Navigator> navigator_;
};

// "トキロ　Ｖｅｒ．2．０"
QString windowCaption();
