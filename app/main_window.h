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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QStackedWidget* pages_;
    std::unique_ptr<Navigator> navigator_;
};

// "トキロ　Ｖｅｒ．2．０"
QString windowCaption();
