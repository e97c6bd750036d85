#include "screens/menu_screen.h"

#include "core/race_folder_choice.h"
#include "screens/caption_fit.h"
#include "screens/control_table.h"

#include <QDir>

#include <QLabel>
#include <QPushButton>

namespace {
constexpr double formFont = 14.25;

// clang-format off
const ControlLine menuControls[] = {
    {.name = "Label1", .kind = ControlKind::Label, .caption = "馬連専用馬券予想プログラム",
     .left = 1200, .top = 840, .width = 5655, .height = 375, .fore = yellow, .pointSize = 20.25},
    {.name = "Label2", .kind = ControlKind::Label, .caption = "トキロ ",
     .left = 7320, .top = 720, .width = 1815, .height = 495, .fore = green, .pointSize = 26.25},
    {.name = "Label4", .kind = ControlKind::Label, .caption = "Ver.2.0",
     .left = 9120, .top = 840, .width = 1695, .height = 375, .fore = green, .pointSize = 20.25},
    {.name = "Label3", .kind = ControlKind::Label, .caption = " おしながき",
     .left = 4200, .top = 2520, .width = 3015, .height = 555, .fore = black, .back = lightBlue, .pointSize = 24,
     .border = true},
    {.name = "Command1", .kind = ControlKind::Button, .caption = "レースを予想します",
     .left = 2760, .top = 3480, .width = 6500, .height = 600, .pointSize = 20.25},
    {.name = "Command2", .kind = ControlKind::Button, .caption = "レース結果を入力します",
     .left = 2760, .top = 4200, .width = 6500, .height = 450, .pointSize = 15.75},
    {.name = "Command3", .kind = ControlKind::Button, .caption = "これまでの勝敗を表示します",
     .left = 2760, .top = 4800, .width = 6500, .height = 450, .pointSize = 15.75},
    {.name = "Command4", .kind = ControlKind::Button, .caption = "あなたの競馬収支を計算します",
     .left = 2760, .top = 5400, .width = 6495, .height = 495, .pointSize = 15.75},
    {.name = "Command5", .kind = ControlKind::Button, .caption = "戻ります",
     .left = 9720, .top = 7560, .width = 1215, .height = 495, .pointSize = 12},
    {.name = "folderLabel", .kind = ControlKind::Label, .left = 1200, .top = 6120, .width = 9600, .height = 330,
     .fore = lightYellow, .pointSize = 11.25, .bold = false, .align = Align::Centre},
    {.name = "chooseFolder", .kind = ControlKind::Button, .caption = "レースフォルダを選ぶ",
     .left = 1200, .top = 7560, .width = 3015, .height = 495, .pointSize = 12},
    {.name = "Label5", .kind = ControlKind::Label, .caption = "制作：トキロ開発チーム　自由ソフトウェア（GPL）",
     .left = 2520, .top = 6720, .width = 7095, .height = 375, .fore = cyan, .pointSize = 14.25,
     .align = Align::Centre},
};
// clang-format on
} // namespace

Form2::Form2(Module1& module, Navigation& navigation, Dialogs& dialogs)
    : Screen(ScreenId::Form2, module, navigation, dialogs),
      Label1(build<QLabel>(this, menuControls, "Label1", formFont)),
      Label2(build<QLabel>(this, menuControls, "Label2", formFont)),
      Label4(build<QLabel>(this, menuControls, "Label4", formFont)),
      Label3(build<QLabel>(this, menuControls, "Label3", formFont)),
      Command1(build<QPushButton>(this, menuControls, "Command1", formFont)),
      Command2(build<QPushButton>(this, menuControls, "Command2", formFont)),
      Command3(build<QPushButton>(this, menuControls, "Command3", formFont)),
      Command4(build<QPushButton>(this, menuControls, "Command4", formFont)),
      Command5(build<QPushButton>(this, menuControls, "Command5", formFont)),
      Label5(build<QLabel>(this, menuControls, "Label5", formFont)),
      folderLabel(build<QLabel>(this, menuControls, "folderLabel", formFont)),
      chooseFolder(build<QPushButton>(this, menuControls, "chooseFolder", formFont))
{
    folderLabel->setTextFormat(Qt::PlainText);
    showRaceFolder();
    for (QLabel* caption : {Label1, Label2, Label4})
        keepCaptionWhole(caption);
    setFirstFocus(Command1);
    // "戻ります" comes before the last job in the tab order.
    QWidget::setTabOrder(Command1, Command2);
    QWidget::setTabOrder(Command2, Command3);
    QWidget::setTabOrder(Command3, Command5);
    QWidget::setTabOrder(Command5, Command4);
    QWidget::setTabOrder(Command4, chooseFolder);

    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form2::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form2::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form2::Command5_Click);
    connect(chooseFolder, &QPushButton::clicked, this, &Form2::chooseRaceFolder);
}

void Form2::showRaceFolder()
{
    const QString path = QDir::toNativeSeparators(module.raceFolder);
    QString shown = path;
    const QString home = QDir::toNativeSeparators(QDir::homePath());
    if (path == home || path.startsWith(home + QDir::separator()))
        shown = u'~' + path.mid(home.size());
    const QString prefix = QStringLiteral("レースフォルダ：");
    folderLabel->setText(
        prefix
        + folderLabel->fontMetrics().elidedText(
            shown, Qt::ElideMiddle, folderLabel->width() - folderLabel->fontMetrics().horizontalAdvance(prefix)));
    folderLabel->setToolTip(path);
}

void Form2::chooseRaceFolder()
{
    const QString title = QStringLiteral("レースフォルダを選ぶ");
    QStringList others = recentRaceFolders();
    others.removeAll(QDir::cleanPath(module.raceFolder));
    QString folder;
    if (!others.isEmpty()) {
        QStringList options;
        for (const QString& other : others)
            options += QDir::toNativeSeparators(other);
        options += QStringLiteral("ほかのフォルダを選ぶ…");
        const int chosen = dialogs.choose(QStringLiteral("いまのレースフォルダ：%1\nどのフォルダのレースを使いますか？")
                                              .arg(QDir::toNativeSeparators(module.raceFolder)),
                                          title, options);
        if (chosen < 0)
            return;
        if (chosen < others.size())
            folder = others[chosen];
    }
    if (folder.isEmpty())
        folder = dialogs.openFolder(title, module.raceFolder);
    if (folder.isEmpty())
        return;
    if (!QDir::setCurrent(folder)) {
        dialogs.reportError(QStringLiteral("フォルダ「%1」に入れません。レースフォルダは変わりません。")
                                .arg(QDir::toNativeSeparators(folder)),
                            title);
        return;
    }
    // Every list, save and lock works in module.raceFolder; the file dialogs start in the current folder.
    module.raceFolder = QDir::currentPath();
    rememberRaceFolder(module.raceFolder, true);
    showRaceFolder();
}

void Form2::Form_Load()
{
    showRaceFolder();
    // Every job starts from an empty race: first the job screens go (their own unloads may clear with 0),
    // then the race is cleared with the ticket default the prediction starts from.
    for (ScreenId job : {ScreenId::Form3, ScreenId::Form4, ScreenId::Form5, ScreenId::Form6, ScreenId::Form7,
                         ScreenId::Form8, ScreenId::Analysis, ScreenId::TipsterGrid, ScreenId::DayResults})
        navigation.close(job);
    clearRaceState(module.race, 4);
}

void Form2::openJob(ScreenId job)
{
    navigation.close(ScreenId::Form2);
    navigation.show(job);
}

void Form2::Command1_Click() { openJob(ScreenId::Form3); }

void Form2::Command2_Click() { openJob(ScreenId::Form6); }

void Form2::Command3_Click() { openJob(ScreenId::Form7); }

void Form2::Command4_Click() { openJob(ScreenId::Form8); }

void Form2::Command5_Click()
{
    navigation.close(ScreenId::Form2);
    navigation.show(ScreenId::Form1);
}
