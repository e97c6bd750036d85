#include "screens/record_screen.h"

#include "core/numbers.h"
#include "racefile/race_folder.h"
#include "record/list_lines.h"
#include "record/race_record.h"
#include "screens/control_table.h"
#include "screens/page_export.h"
#include "screens/saved_race_common.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace {
constexpr double formFont = 14.25;

// Layout in twips: header block, the list across the page, the seven figures in two columns of caption and value,
// the note and "戻ります" along the bottom.
// clang-format off
const ControlLine controls[] = {
    {.name = "Label1", .kind = ControlKind::Label, .caption = "これまでの勝敗を表示します",
     .left = 600, .top = 1440, .width = 5895, .height = 495, .fore = black, .back = lightBlue, .pointSize = 18,
     .border = true, .align = Align::Centre},
    {.name = "List1", .kind = ControlKind::List, .left = 200, .top = 2040, .width = 11600, .height = 3540},
    {.name = "Label2", .kind = ControlKind::Label, .caption = "レース数", .left = 600, .top = 5760,
     .width = 2160, .height = 375},
    {.name = "Label6", .kind = ControlKind::Label, .left = 2880, .top = 5760, .width = 2040, .height = 375,
     .fore = yellow, .border = true, .align = Align::Right},
    {.name = "Label3", .kind = ControlKind::Label, .caption = "あたり！数", .left = 600, .top = 6240,
     .width = 2160, .height = 375},
    {.name = "Label7", .kind = ControlKind::Label, .left = 2880, .top = 6240, .width = 2040, .height = 375,
     .fore = yellow, .border = true, .align = Align::Right},
    {.name = "Label4", .kind = ControlKind::Label, .caption = "はずれ！数", .left = 600, .top = 6720,
     .width = 2160, .height = 375},
    {.name = "Label8", .kind = ControlKind::Label, .left = 2880, .top = 6720, .width = 2040, .height = 375,
     .fore = yellow, .border = true, .align = Align::Right},
    {.name = "Label5", .kind = ControlKind::Label, .caption = "勝率（％）", .left = 600, .top = 7200,
     .width = 2160, .height = 375},
    {.name = "Label9", .kind = ControlKind::Label, .left = 2880, .top = 7200, .width = 2040, .height = 375,
     .fore = yellow, .border = true, .align = Align::Right},
    {.name = "Label10", .kind = ControlKind::Label, .caption = "馬券金額合計", .left = 5640, .top = 5760,
     .width = 2400, .height = 375},
    {.name = "Label12", .kind = ControlKind::Label, .left = 8160, .top = 5760, .width = 2775, .height = 375,
     .fore = yellow, .border = true, .align = Align::Right},
    {.name = "Label11", .kind = ControlKind::Label, .caption = "配当金合計", .left = 5640, .top = 6240,
     .width = 2400, .height = 375},
    {.name = "Label13", .kind = ControlKind::Label, .left = 8160, .top = 6240, .width = 2775, .height = 375,
     .fore = yellow, .border = true, .align = Align::Right},
    {.name = "Label14", .kind = ControlKind::Label, .caption = "回収率（％）", .left = 5640, .top = 6720,
     .width = 2400, .height = 375},
    {.name = "Label15", .kind = ControlKind::Label, .left = 8160, .top = 6720, .width = 2775, .height = 375,
     .fore = yellow, .border = true, .align = Align::Right},
    {.name = "Label16", .kind = ControlKind::Label, .caption = "このデータはあなたの収支計算結果とは違います。",
     .left = 600, .top = 8160, .width = 8400, .height = 375, .fore = cyan, .pointSize = 12},
    {.name = "Command2", .kind = ControlKind::Button, .caption = "分析とグラフ", .left = 7680, .top = 7560,
     .width = 1815, .height = 495, .pointSize = 12},
    {.name = "Command1", .kind = ControlKind::Button, .caption = "戻ります", .left = 9720, .top = 7560,
     .width = 1215, .height = 495, .pointSize = 12},
};
// clang-format on

} // namespace

Form7::Form7(Module1& module, Navigation& navigation, Dialogs& dialogs)
    : Screen(ScreenId::Form7, module, navigation, dialogs)
{
    buildSavedRaceHeader(this, "Label19", "Label17", "Label18");
    Label1 = build<QLabel>(this, controls, "Label1", formFont);
    List1 = build<QListWidget>(this, controls, "List1", formFont);
    Label2 = build<QLabel>(this, controls, "Label2", formFont);
    Label6 = build<QLabel>(this, controls, "Label6", formFont);
    Label3 = build<QLabel>(this, controls, "Label3", formFont);
    Label7 = build<QLabel>(this, controls, "Label7", formFont);
    Label4 = build<QLabel>(this, controls, "Label4", formFont);
    Label8 = build<QLabel>(this, controls, "Label8", formFont);
    Label5 = build<QLabel>(this, controls, "Label5", formFont);
    Label9 = build<QLabel>(this, controls, "Label9", formFont);
    Label10 = build<QLabel>(this, controls, "Label10", formFont);
    Label12 = build<QLabel>(this, controls, "Label12", formFont);
    Label11 = build<QLabel>(this, controls, "Label11", formFont);
    Label13 = build<QLabel>(this, controls, "Label13", formFont);
    Label14 = build<QLabel>(this, controls, "Label14", formFont);
    Label15 = build<QLabel>(this, controls, "Label15", formFont);
    Label16 = build<QLabel>(this, controls, "Label16", formFont);
    Command2 = build<QPushButton>(this, controls, "Command2", formFont);
    Command1 = build<QPushButton>(this, controls, "Command1", formFont);

    List1->setFont(savedRaceListFont());
    List1->setUniformItemSizes(true);
    // Top to bottom and left to right: the list, the analysis, "戻ります" (where the focus starts), round to the list.
    setTabOrder(List1, Command2);
    setTabOrder(Command2, Command1);
    showFileNameTips(List1, [this](int row) { return fileNames.value(row); });
    setFirstFocus(Command1);
    // Our own: the record as a picture or on paper, headed by the race folder; the button stands left of the others,
    // and comes before them in the tab order.
    QPushButton* pictureAndPrint =
        installPageExport(*this, dialogs, QRect(5640, 7560, 1815, 495),
                          {[this] {
                               return QStringLiteral("これまでの勝敗　レースフォルダ：%1（%2レース）")
                                   .arg(QDir::toNativeSeparators(this->module.raceFolder), Label6->text());
                           },
                           [] { return QStringLiteral("これまでの勝敗"); }});
    setTabOrder(List1, pictureAndPrint);
    setTabOrder(pictureAndPrint, Command2);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void Form7::Form_Load()
{
    const RecordList record = recordListOf(module.raceFolder);
    // One insertion for the whole list: thousands of races must not repaint line by line.
    List1->addItems(record.lines);
    fileNames = record.fileNames;

    const RecordTotals& totals = record.totals;
    Label6->setText(QString::number(totals.races));
    Label7->setText(QString::number(totals.hits));
    Label8->setText(QString::number(totals.misses()));
    // A rate over nothing stays empty.
    Label9->setText(totals.strikeRatePercent() ? formatPercent(*totals.strikeRatePercent()) : QString());
    Label12->setText(numberText(totals.stake) + QStringLiteral("円"));
    Label13->setText(numberText(totals.payout) + QStringLiteral("円"));
    Label15->setText(totals.returnRatePercent() ? formatPercent(*totals.returnRatePercent()) : QString());

    // The record is made by going through the races in the shared race state, which keeps the last one read.
    LoadedRace loaded;
    if (!record.lastCounted.isEmpty()
        && RaceFolder(module.raceFolder).read(record.lastCounted, loaded, ReadScope::ThroughResults).ok)
        module.race = std::move(loaded.race);
}

void Form7::Form_Unload() { clearRaceState(module.race, 0); }

void Form7::Command1_Click()
{
    navigation.close(ScreenId::Form7);
    navigation.show(ScreenId::Form2);
}

// The analysis opens over this screen, which stays as it is underneath.
void Form7::Command2_Click() { navigation.show(ScreenId::Analysis); }
