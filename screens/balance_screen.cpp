#include "screens/balance_screen.h"

#include "core/numbers.h"
#include "racefile/race_folder.h"
#include "record/list_lines.h"
#include "record/race_record.h"
#include "screens/control_table.h"
#include "screens/event_hooks.h"
#include "screens/saved_race_common.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {
constexpr double formFont = 14.25;

// Layout in twips: header block, the list across the page, the picked race under it, the amounts in two rows of
// two (the race's stake and income, then its difference and the overall result), buttons along the bottom.
// clang-format off
const ControlLine controls[] = {
    {.name = "Label1", .kind = ControlKind::Label, .caption = "あなたの競馬収支の計算をします",
     .left = 600, .top = 1440, .width = 6735, .height = 495, .fore = black, .back = lightBlue, .pointSize = 18,
     .border = true, .align = Align::Centre},
    {.name = "List1", .kind = ControlKind::List, .left = 200, .top = 2040, .width = 11600, .height = 3300},
    {.name = "Label5", .kind = ControlKind::Label, .left = 200, .top = 5460, .width = 11600, .height = 330,
     .fore = black, .back = lightYellow},
    {.name = "Label2", .kind = ControlKind::Label, .caption = "馬券購入金額", .left = 600, .top = 6000,
     .width = 2400, .height = 420, .align = Align::Right},
    {.name = "Text1", .kind = ControlKind::LineEdit, .left = 3120, .top = 5985, .width = 2175, .height = 450,
     .align = Align::Right},
    {.name = "Label3", .kind = ControlKind::Label, .caption = "このレースの収入", .left = 5520, .top = 6000,
     .width = 2880, .height = 420, .align = Align::Right},
    {.name = "Text2", .kind = ControlKind::LineEdit, .left = 8520, .top = 5985, .width = 2175, .height = 450,
     .align = Align::Right},
    {.name = "Label4", .kind = ControlKind::Label, .caption = "差額金額", .left = 600, .top = 6600,
     .width = 2400, .height = 420, .align = Align::Right},
    {.name = "Text3", .kind = ControlKind::LineEdit, .left = 3120, .top = 6585, .width = 2175, .height = 450,
     .align = Align::Right},
    {.name = "Label6", .kind = ControlKind::Label, .caption = "総合収支結果", .left = 5520, .top = 6600,
     .width = 2880, .height = 420, .fore = yellow, .align = Align::Right},
    {.name = "Text4", .kind = ControlKind::LineEdit, .left = 8520, .top = 6585, .width = 2175, .height = 450,
     .fore = yellow, .back = black, .align = Align::Right},
    {.name = "Command2", .kind = ControlKind::Button, .caption = "書き込み", .left = 1200, .top = 7560,
     .width = 1815, .height = 495, .pointSize = 12},
    {.name = "Command3", .kind = ControlKind::Button, .caption = "分析とグラフ", .left = 7680, .top = 7560,
     .width = 1815, .height = 495, .pointSize = 12},
    {.name = "Command1", .kind = ControlKind::Button, .caption = "戻ります", .left = 9720, .top = 7560,
     .width = 1215, .height = 495, .pointSize = 12},
};
// clang-format on

QString yen(double value) { return numberText(value) + QStringLiteral("円"); }
} // namespace

Form8::Form8(Module1& module, Navigation& navigation, Dialogs& dialogs)
    : SavedRaceScreen(ScreenId::Form8, module, navigation, dialogs, controls, formFont)
{
    onEnter(List1, [this] { List1_Click(); });
    connect(List1, &QListWidget::itemClicked, this, [this] { List1_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });

    Label6 = build<QLabel>(this, controls, "Label6", formFont);
    Text4 = build<QLineEdit>(this, controls, "Text4", formFont);
    setInputMethod(Text4, false);
    // The difference and the overall result are worked out, never typed; nothing reads them back.
    Text3->setReadOnly(true);
    Text4->setReadOnly(true);
    Text4->setFocusPolicy(Qt::NoFocus);

    setTabOrder(List1, Text1);
    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Command2);
    setTabOrder(Command2, Text3);
    setTabOrder(Text3, Command3);
    setTabOrder(Command3, Command1);

    wireNumberBox(
        Text1, keyCount, [this](int keyAscii) { Text1_KeyPress(keyAscii); }, [this] { Text1_GotFocus(); });
    wireNumberBox(
        Text2, keyCount, [this](int keyAscii) { Text2_KeyPress(keyAscii); }, [this] { Text2_GotFocus(); });
    // The difference is worked out, never typed: Enter alone moves on from it.
    onKeyAscii(Text3, [this](int keyAscii) {
        Text3_KeyPress(keyAscii);
        return keyAscii == 13;
    });
}

void Form8::Form_Load()
{
    Command2->hide();
    buildBalanceList();
}

void Form8::Form_Unload() { clearRaceState(module.race, 0); }

void Form8::buildBalanceList()
{
    FolderBalance balance = balanceOfFolder(module.raceFolder);
    catalogue = std::move(balance.races);
    // One insertion for the whole list: a folder of many races must not repaint line by line.
    List1->addItems(summaryLines(catalogue, balanceSummaryLine));
    Text4->setText(yen(balance.totals.difference()));
    Command2->hide();
}

void Form8::List1_Click()
{
    if (!pickRace())
        return;

    LoadedRace loaded;
    const FileResult read = readPickedRace(loaded, ReadScope::Whole);
    if (!read.ok) {
        // Amounts that could not be read are not offered for writing back.
        showUnreadableRace(read, QStringLiteral("収支の計算"));
        return;
    }
    const double raceStake = tailAmount(loaded.tail.stake);
    const double raceIncome = tailAmount(loaded.tail.income);
    Text1->setText(yen(raceStake + 0));
    Text2->setText(yen(raceIncome + 0));
    Text3->setText(yen(raceIncome - raceStake));
    Command2->show();
    Text1->setFocus(Qt::OtherFocusReason);
}

void Form8::Text1_GotFocus() { keyCount = 0; }

void Form8::Text2_GotFocus() { keyCount = 0; }

void Form8::Text1_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        Text2->setFocus(Qt::OtherFocusReason);
    else
        applyFirstDigitRule(Text1, keyCount, keyAscii);
}

void Form8::Text2_KeyPress(int keyAscii)
{
    if (keyAscii == 13) {
        Text3->setText(numberText(numberValue(Text2->text()) - numberValue(Text1->text())));
        Command2->setFocus(Qt::OtherFocusReason);
    } else {
        applyFirstDigitRule(Text2, keyCount, keyAscii);
    }
}

void Form8::Text3_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        Command2->setFocus(Qt::OtherFocusReason);
}

void Form8::Command1_Click() { backToMenu(); }

void Form8::Command2_Click()
{
    // A box that holds no amount the program can count (whole yen, 0 up to about a trillion) is refused before
    // anything is written.
    rewritePickedRace(
        {
            {Text1, amountBoxProblem(Text1->text(), QStringLiteral("馬券購入金額"))},
            {Text2, amountBoxProblem(Text2->text(), QStringLiteral("このレースの収入"))},
        },
        [] { return QStringLiteral("データを書き換えますがよろしいですか？"); },
        [this](const RaceFolder& folder, PendingRewrite& pending) {
            return folder.prepareBalance(module.selectedRaceFile, Text1->text(), Text2->text(), pending);
        });
}

// The analysis opens over this screen, which stays as it is underneath.
void Form8::Command3_Click() { navigation.show(ScreenId::Analysis); }
