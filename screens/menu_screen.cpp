#include "screens/menu_screen.h"

#include "core/race_folder_choice.h"
#include "racefile/file_names.h"
#include "racefile/folder_backup.h"
#include "racefile/folder_backup_model.h"
#include "screens/caption_fit.h"
#include "screens/control_table.h"
#include "screens/dialogs.h"
#include "screens/folder_wait.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

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
    {.name = "backupButton", .kind = ControlKind::Button, .caption = "バックアップ",
     .left = 1200, .top = 8160, .width = 3015, .height = 495, .pointSize = 12},
    {.name = "restoreButton", .kind = ControlKind::Button, .caption = "バックアップから戻す",
     .left = 4335, .top = 8160, .width = 3015, .height = 495, .pointSize = 12},
    {.name = "Label5", .kind = ControlKind::Label, .caption = "制作：トキロ開発チーム　自由ソフトウェア（GPL）",
     .left = 2520, .top = 6720, .width = 7095, .height = 375, .fore = cyan, .pointSize = 14.25,
     .align = Align::Centre},
};
// clang-format on
const QString zipFilter = QStringLiteral("zip ファイル|*.zip");
const QString unchanged = QStringLiteral("レースフォルダは何も変わっていません。");

// Names for a message: the first few, and how many more.
QString someNames(const QStringList& names)
{
    constexpr qsizetype shown = 8;
    QString text = names.first(std::min(shown, names.size())).join(QStringLiteral("、"));
    if (names.size() > shown)
        text += QStringLiteral(" ほか %1 個").arg(names.size() - shown);
    return text;
}

// What a restore did, a line per kind of outcome that happened.
QString restoreReport(const RestoreOutcome& outcome)
{
    QStringList lines;
    const auto add = [&](const QString& what, const QStringList& names) {
        if (!names.isEmpty())
            lines += QStringLiteral("%1：%2 個（%3）").arg(what).arg(names.size()).arg(someNames(names));
    };
    add(QStringLiteral("加えたファイル"), outcome.added);
    add(QStringLiteral("置き換えたファイル"), outcome.replaced);
    add(QStringLiteral("別の名前で加えたファイル"), outcome.keptBoth);
    add(QStringLiteral("いまのままにしたファイル"), outcome.skipped);
    if (!outcome.same.isEmpty())
        lines += QStringLiteral("同じ内容で、そのままのファイル：%1 個").arg(outcome.same.size());
    add(QStringLiteral("ほかのプログラムが書き換えていたため、そのままにしたファイル"), outcome.changedMeanwhile);
    add(QStringLiteral("戻せなかったファイル"), outcome.failed);
    return lines.join(u'\n');
}
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
      chooseFolder(build<QPushButton>(this, menuControls, "chooseFolder", formFont)),
      backupButton(build<QPushButton>(this, menuControls, "backupButton", formFont)),
      restoreButton(build<QPushButton>(this, menuControls, "restoreButton", formFont))
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
    QWidget::setTabOrder(chooseFolder, backupButton);
    QWidget::setTabOrder(backupButton, restoreButton);

    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form2::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form2::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form2::Command5_Click);
    connect(chooseFolder, &QPushButton::clicked, this, &Form2::chooseRaceFolder);
    connect(backupButton, &QPushButton::clicked, this, &Form2::backUpRaceFolder);
    connect(restoreButton, &QPushButton::clicked, this, &Form2::restoreRaceFolder);
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

void Form2::backUpRaceFolder()
{
    const QString title = QStringLiteral("バックアップ");
    // Not into the race folder by default: a backup beside what it backs up is lost with it.
    const QString start = backupFolder().isEmpty() ? QDir::homePath() : backupFolder();
    QString path = dialogs.saveFile(title, zipFilter, QDir(start).filePath(backupFileName(QDate::currentDate())));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive))
        path += QStringLiteral(".zip");
    const QString shownPath = QDir::toNativeSeparators(shownFileName(path));
    if (QFileInfo::exists(path)
        && !dialogs.confirm(QStringLiteral("「%1」はもうあります。置き換えますか？").arg(shownPath), title))
        return;
    rememberBackupFolder(QFileInfo(path).absolutePath());
    const BackupResult made = writeBackup(module.raceFolder, path);
    if (!made.ok) {
        dialogs.reportError(QStringLiteral("バックアップを作れませんでした。\n%1").arg(made.reason), title);
        return;
    }
    QString text = QStringLiteral("レースフォルダの %1 個のファイルを「%2」にバックアップしました。")
                       .arg(made.fileCount)
                       .arg(shownPath);
    if (!made.notIncluded.isEmpty())
        text += QStringLiteral("\n読めないため（またはファイルでないため）入れなかったもの：%1")
                    .arg(someNames(made.notIncluded));
    dialogs.inform(text, title);
}

void Form2::restoreRaceFolder()
{
    const QString title = QStringLiteral("バックアップから戻す");
    const QString path = dialogs.openFileIn(title, zipFilter, backupFolder());
    if (path.isEmpty())
        return;
    const QString shownPath = QDir::toNativeSeparators(shownFileName(path));
    const BackupContents contents = readBackup(path);
    if (!contents.ok()) {
        QString why;
        switch (contents.refusal) {
        case BackupContents::Refusal::CannotOpen: why = QStringLiteral("「%1」を開けません（%2）。"); break;
        case BackupContents::Refusal::Damaged:
            why = QStringLiteral("「%1」は壊れているため、戻せません（%2）。");
            break;
        case BackupContents::Refusal::NotOurs:
            why = QStringLiteral("「%1」はトキロのバックアップではありません（%2）。");
            break;
        case BackupContents::Refusal::Newer:
        case BackupContents::Refusal::None: why = QStringLiteral("「%1」は戻せません（%2）。"); break;
        }
        dialogs.reportError(why.arg(shownPath, contents.reason) + u'\n' + unchanged, title);
        return;
    }

    RestoreComparisonModel comparison;
    comparison.setItems(compareWithFolder(module.raceFolder, contents.files));
    const int fresh = comparison.count(RestoreState::New);
    const int differing = comparison.count(RestoreState::Differs);
    QString text = QStringLiteral("「%1」").arg(shownPath);
    if (contents.made.isValid())
        text += QStringLiteral("（%1 に作成）")
                    .arg(contents.made.toLocalTime().toString(QStringLiteral("yyyy年M月d日 H:mm")));
    text += QStringLiteral("には %1 個のファイルがあります。レースフォルダと比べると：\n"
                           "新しい %2 個、同じ %3 個、違う %4 個、戻せない %5 個。\n")
                .arg(comparison.rowCount())
                .arg(fresh)
                .arg(comparison.count(RestoreState::Same))
                .arg(differing)
                .arg(comparison.count(RestoreState::Blocked));
    text += fresh + differing == 0 ? QStringLiteral("戻すものはありません。")
                                   : QStringLiteral("「戻す」で新しいファイルを加えます。違うファイルは一つずつ、"
                                                    "どうするかを尋ねます。");
    if (!dialogs.reviewRestore(comparison, text, title) || fresh + differing == 0)
        return;

    const std::vector<RestoreItem>& items = comparison.items();
    std::vector<RestoreChoice> choices(items.size(), RestoreChoice::Skip);
    for (int row = 0; row < comparison.rowCount(); ++row) {
        const RestoreItem& item = comparison.itemAt(row);
        if (item.state != RestoreState::Differs)
            continue;
        const QString name = shownFileName(item.file.name);
        const QString race = item.race.isEmpty() ? QString() : QStringLiteral("（%1）").arg(item.race);
        const int chosen = dialogs.choose(
            QStringLiteral("「%1」%2は、レースフォルダのものとバックアップのもので内容が違います。どうしますか？")
                .arg(name, race),
            title,
            {QStringLiteral("バックアップのもので置き換える"),
             QStringLiteral("両方残す（バックアップのものは「%1」として）")
                 .arg(shownFileName(keptBothName(module.raceFolder, item.file.name))),
             QStringLiteral("レースフォルダのものをそのまま残す")});
        if (chosen < 0) {
            dialogs.inform(QStringLiteral("戻すのをやめました。") + unchanged, title);
            return;
        }
        choices[static_cast<std::size_t>(&item - items.data())] = chosen == 0   ? RestoreChoice::Replace
                                                                  : chosen == 1 ? RestoreChoice::KeepBoth
                                                                                : RestoreChoice::Skip;
    }

    FolderWait wait(dialogs);
    const RestoreOutcome outcome = restoreBackup(module.raceFolder, items, choices, &wait);
    if (outcome.stoppedWaiting) {
        dialogs.inform(QStringLiteral("待つのをやめたため、何も戻していません。") + unchanged, title);
        return;
    }
    const QString report = QStringLiteral("バックアップから戻しました。\n") + restoreReport(outcome);
    if (outcome.failed.isEmpty())
        dialogs.inform(report, title);
    else
        dialogs.reportError(report, title);
}
