#include "screens/title_screen.h"

#include "screens/caption_fit.h"
#include "screens/control_table.h"
#include "screens/help_window.h"
#include "screens/twips.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

#include <utility>

namespace {
constexpr double formFont = 14.25;

// Image1 has no place of its own: the load centres it on the window.
// clang-format off
const ControlLine titleControls[] = {
    {.name = "Label1", .kind = ControlKind::Label, .caption = "馬連専用馬券予想プログラム",
     .left = 1920, .top = 360, .width = 6375, .height = 375, .fore = yellow, .pointSize = 20.25},
    {.name = "Label2", .kind = ControlKind::Label, .caption = "トキロ  Ver.2.0",
     .left = 3840, .top = 1080, .width = 5415, .height = 615, .fore = green, .pointSize = 27.75},
    {.name = "Image1", .kind = ControlKind::Picture},
    {.name = "Label3", .kind = ControlKind::Label, .caption = "制作：トキロ開発チーム　自由ソフトウェア（GPL）",
     .left = 2520, .top = 6720, .width = 7095, .height = 375, .fore = cyan, .align = Align::Centre},
    {.name = "Command1", .kind = ControlKind::Button, .caption = "始めます",
     .left = 5160, .top = 7440, .width = 1815, .height = 615, .pointSize = 15.75},
    {.name = "Command3", .kind = ControlKind::Button, .caption = "ヘルプ",
     .left = 1200, .top = 7560, .width = 1095, .height = 495},
    {.name = "Command2", .kind = ControlKind::Button, .caption = "終ります",
     .left = 9720, .top = 7560, .width = 1215, .height = 495, .pointSize = 12},
};
// clang-format on

constexpr int pictureWidth = 7000;
constexpr int pictureHeight = 4000;
constexpr int frameInterval = 500; // ms
} // namespace

Form1::Form1(Module1& module, Navigation& navigation, Dialogs& dialogs)
    : Screen(ScreenId::Form1, module, navigation, dialogs),
      Label1(build<QLabel>(this, titleControls, "Label1", formFont)),
      Label2(build<QLabel>(this, titleControls, "Label2", formFont)),
      Image1(build<QLabel>(this, titleControls, "Image1", formFont)),
      Label3(build<QLabel>(this, titleControls, "Label3", formFont)),
      Command1(build<QPushButton>(this, titleControls, "Command1", formFont)),
      Command3(build<QPushButton>(this, titleControls, "Command3", formFont)),
      Command2(build<QPushButton>(this, titleControls, "Command2", formFont)),
      Timer1(new QTimer(this))
{
    keepCaptionWhole(Label1);
    keepCaptionWhole(Label2);
    Image1->hide();
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(frameInterval);
    setFirstFocus(Command1);

    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
}

void Form1::Form_Load()
{
    module.appFolder = QCoreApplication::applicationDirPath();
    frame = 0;
    Image1->setGeometry(twipsRect((widthTwips - pictureWidth) / 2.0, (heightTwips - pictureHeight) / 2.0 - 400,
                                  pictureWidth, pictureHeight));
    Image1->show();
    loadPicture(QStringLiteral("uma01.jpg"));
    Timer1->start();
}

void Form1::Form_Unload()
{
    // Leaving the title early must not let the animation run on.
    Timer1->stop();
}

void Form1::Timer1_Timer()
{
    switch (frame) {
    case 0:
        loadPicture(QStringLiteral("uma02.jpg"));
        frame = 1;
        break;
    case 1:
        loadPicture(QStringLiteral("uma03.jpg"));
        frame = 2;
        break;
    case 2:
        loadPicture(QStringLiteral("uma04.jpg"));
        frame = 3;
        break;
    case 3: Timer1->stop(); break;
    default: break;
    }
}

void Form1::Command1_Click()
{
    navigation.close(ScreenId::Form1);
    navigation.show(ScreenId::Form2);
}

void Form1::Command2_Click() { navigation.endProgram(); }

void Form1::Command3_Click()
{
    HelpWindow::openFor(this, QDir(module.appFolder).filePath(QStringLiteral("tokiro.hlp")));
}

void Form1::loadPicture(const QString& fileName)
{
    // A missing or broken picture leaves an empty black box; the title and its buttons stay usable.
    // The picture on show goes before the next is decoded, and the next is decoded straight into the label's pixmap:
    // QPixmap::load would keep every picture of the animation in the pixmap cache for as long as the program runs.
    Image1->clear();
    QImage picture(QDir(module.appFolder).filePath(fileName));
    if (!picture.isNull())
        Image1->setPixmap(QPixmap::fromImage(std::move(picture)));
}
