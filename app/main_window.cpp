#include "app/main_window.h"

#include "screens/control_table.h"
#include "screens/help_window.h"
#include "screens/twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

QString windowCaption() { return QStringLiteral("トキロ　Ｖｅｒ．2．０"); }

MainWindow::MainWindow(Module1& module, Dialogs& dialogs) : module_(module), pages_(new QStackedWidget(this))
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(windowCaption());
    setFixedSize(twips(Screen::widthTwips), twips(Screen::heightTwips));
    setColours(this, white, black);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pages_);
    navigator_ = std::make_unique<Navigator>(module, dialogs, *pages_);
    // One shortcut for the whole window, so that every screen, present and future, has F1 without wiring it.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, &MainWindow::openHelpForFront);
}

void MainWindow::openHelpForFront()
{
    const Screen* front = navigator_->front();
    const QString folder = module_.appFolder.isEmpty() ? QCoreApplication::applicationDirPath() : module_.appFolder;
    HelpWindow::openFor(this, QDir(folder).filePath(QStringLiteral("tokiro.hlp")),
                        front ? front->helpSection() : QString::fromLatin1(HelpWindow::contentsAnchor));
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
