#include "screens/record_screen.h"

#include "core/numbers.h"
#include "prediction/prediction.h"
#include "racefile/race_folder.h"
#include "screens/control_table.h"
#include "screens/saved_race_common.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

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

const QString hitMarker = QStringLiteral("［あたり！］　");
const QString missMarker = QStringLiteral("［はずれ！］　");
// Same width as the two markers, for a file that could not be read as a race: it is shown but not counted.
const QString unreadableMarker = QStringLiteral("［読めません］");
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
    // From "戻ります" to the analysis beside it, then the list.
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, List1);
    setFirstFocus(Command1);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

QString Form7::recordLine(bool raceHit, const QString& raceDate, std::int16_t raceNumber, const QString& first,
                          const QString& second, const QString& pay, const QString& raceName)
{
    return (raceHit ? hitMarker : missMarker) + padTo(raceDate, 12)
           + padTo(QStringLiteral("第") + lastOfZeros(QString::number(raceNumber), 2)
                       + QStringLiteral("ﾚｰｽ　　馬連結果："),
                   14)
           + lastOfZeros(first, 2) + QStringLiteral(" - ") + lastOfZeros(second, 2) + QStringLiteral("     ")
           + padAtLeast(QStringLiteral("配当金：") + zeroFilled(pay, 6) + QStringLiteral("円"), 15)
           + padTo(raceName, 12);
}

void Form7::Form_Load()
{
    // The catalogue is kept locally: the shared one belongs to the result and balance screens' lists.
    // Each file is read once, for its place in the order and for its race.
    std::vector<CataloguedRace> catalogue = RaceFolder(module.raceFolder).races(ReadScope::ThroughResults);
    int raceTotal = 0;
    int hitTotal = 0;
    double stakeTotal = 0;
    double payoutTotal = 0;
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(catalogue.size()));

    for (CataloguedRace& item : catalogue) {
        const CatalogueEntry& entry = item.entry;
        LoadedRace& loaded = item.race;
        if (!item.read.ok) {
            // Predicting it from whatever race was read before would count a proposal nobody made.
            lines.append(unreadableMarker + padTo(entry.fileName, 65));
            continue;
        }
        ++raceTotal;
        module.race = std::move(loaded.race);
        const PredictionResult prediction =
            runPrediction(module.race.markSheet, module.race.runnerCount, module.race.ticketCount);

        // The result lines as the texts they hold, as the result entry list shows them.
        QString first = entry.firstPlace;
        QString second = entry.secondPlace;
        const QString pay = entry.payout;
        if (numberValue(second) < numberValue(first))
            std::swap(first, second);
        const double firstValue = numberValue(first);
        const double secondValue = numberValue(second);

        bool raceHit = false;
        for (int t = 0; t < prediction.ticketTotal; ++t) {
            if (prediction.ticketFirst[static_cast<std::size_t>(t)] + 1 == firstValue
                && prediction.ticketSecond[static_cast<std::size_t>(t)] + 1 == secondValue)
                raceHit = true;
        }
        stakeTotal += prediction.ticketTotal * 100.0;
        if (raceHit) {
            ++hitTotal;
            payoutTotal += numberValue(pay);
        }
        lines.append(recordLine(raceHit, module.race.raceDate, module.race.raceNumber, first, second, pay,
                                module.race.raceName));
    }
    // One insertion for the whole list: thousands of races must not repaint line by line.
    List1->addItems(lines);

    Label6->setText(QString::number(raceTotal));
    Label7->setText(QString::number(hitTotal));
    Label8->setText(QString::number(raceTotal - hitTotal));
    // A rate over nothing stays empty.
    Label9->setText(raceTotal > 0 ? formatPercent(100.0 * hitTotal / raceTotal) : QString());
    Label12->setText(numberText(stakeTotal) + QStringLiteral("円"));
    Label13->setText(numberText(payoutTotal) + QStringLiteral("円"));
    Label15->setText(stakeTotal != 0 ? formatPercent(100.0 * payoutTotal / stakeTotal) : QString());
}

void Form7::Form_Unload() { clearRaceState(module.race, 0); }

void Form7::Command1_Click()
{
    navigation.close(ScreenId::Form7);
    navigation.show(ScreenId::Form2);
}

// The analysis opens over this screen, which stays as it is underneath.
void Form7::Command2_Click() { navigation.show(ScreenId::Analysis); }
