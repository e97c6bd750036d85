#include "app/main_window.h"

#include "core/twips.h"
#include "screens/control_table.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

QString windowCaption() { return QStringLiteral("トキロ　Ｖｅｒ．2．０"); }

MainWindow::MainWindow(Module1& module, Dialogs& dialogs) : pages_(new QStackedWidget(this))
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(windowCaption());
    setFixedSize(twips(Screen::widthTwips), twips(Screen::heightTwips));
    setColours(this, white, black);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pages_);
    navigator_ = std::make_unique<Navigator>(module, dialogs, *pages_);
}

MainWindow::~MainWindow() = default;

void MainWindow::centreOnScreen()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The close box closes the front screen, as if it were a window of its own.
    if (navigator_->closeFront())
        event->accept();
    else
        event->ignore();
}
