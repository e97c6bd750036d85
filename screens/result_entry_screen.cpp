#include "screens/result_entry_screen.h"

#include "core/numbers.h"
#include "core/race_date.h"
#include "core/result_paste.h"
#include "racefile/race_folder.h"
#include "record/list_lines.h"
#include "screens/control_table.h"
#include "screens/event_hooks.h"
#include "screens/saved_race_common.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {
constexpr double formFont = 14.25;

// Layout in twips: header block above, the list across the page, the picked race under it, the three boxes in
// one row and the buttons along the bottom where the other screens have theirs.
// clang-format off
const ControlLine controls[] = {
    {.name = "Label1", .kind = ControlKind::Label, .caption = "レース結果を入力します",
     .left = 600, .top = 1440, .width = 5055, .height = 495, .fore = black, .back = lightBlue, .pointSize = 18,
     .border = true, .align = Align::Centre},
    {.name = "List1", .kind = ControlKind::List, .left = 200, .top = 2040, .width = 11600, .height = 3540},
    {.name = "Label5", .kind = ControlKind::Label, .left = 200, .top = 5700, .width = 11600, .height = 330,
     .fore = black, .back = lightYellow},
    {.name = "Label2", .kind = ControlKind::Label, .caption = "一着", .left = 1200, .top = 6330, .width = 735,
     .height = 420, .align = Align::Right},
    {.name = "Text1", .kind = ControlKind::LineEdit, .left = 2040, .top = 6300, .width = 855, .height = 450,
     .align = Align::Centre},
    {.name = "Label3", .kind = ControlKind::Label, .caption = "二着", .left = 3240, .top = 6330, .width = 735,
     .height = 420, .align = Align::Right},
    {.name = "Text2", .kind = ControlKind::LineEdit, .left = 4080, .top = 6300, .width = 855, .height = 450,
     .align = Align::Centre},
    {.name = "Label4", .kind = ControlKind::Label, .caption = "配当金", .left = 5280, .top = 6330, .width = 1095,
     .height = 420, .align = Align::Right},
    {.name = "Text3", .kind = ControlKind::LineEdit, .left = 6480, .top = 6300, .width = 1575, .height = 450,
     .align = Align::Right},
    {.name = "firstName", .kind = ControlKind::Label, .left = 1200, .top = 6810, .width = 2000, .height = 330,
     .fore = yellow, .pointSize = 11.25, .bold = false, .align = Align::Centre},
    {.name = "secondName", .kind = ControlKind::Label, .left = 3240, .top = 6810, .width = 2000, .height = 330,
     .fore = yellow, .pointSize = 11.25, .bold = false, .align = Align::Centre},
    {.name = "pasteNote", .kind = ControlKind::Label, .left = 1200, .top = 7170, .width = 10600, .height = 330,
     .fore = yellow, .pointSize = 11.25, .bold = false},
    {.name = "pasteResult", .kind = ControlKind::Button, .caption = "結果を貼り付け", .left = 5280, .top = 7560,
     .width = 2415, .height = 495, .pointSize = 12},
    {.name = "Command2", .kind = ControlKind::Button, .caption = "書き込み", .left = 1200, .top = 7560,
     .width = 1815, .height = 495, .pointSize = 12},
    {.name = "Command3", .kind = ControlKind::Button, .caption = "データ削除", .left = 3240, .top = 7560,
     .width = 1815, .height = 495, .pointSize = 12},
    {.name = "Command1", .kind = ControlKind::Button, .caption = "戻ります", .left = 9720, .top = 7560,
     .width = 1215, .height = 495, .pointSize = 12},
    {.name = "dayResults", .kind = ControlKind::Button, .caption = "結果をまとめて入力", .left = 8700, .top = 1440,
     .width = 3100, .height = 495, .pointSize = 12},
};
// clang-format on

} // namespace

Form6::Form6(Module1& module, Navigation& navigation, Dialogs& dialogs)
    : SavedRaceScreen(ScreenId::Form6, module, navigation, dialogs, controls, formFont)
{
    onEnter(List1, [this] { List1_Click(); });
    connect(List1, &QListWidget::itemClicked, this, [this] { List1_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });

    firstName = build<QLabel>(this, controls, "firstName", formFont);
    secondName = build<QLabel>(this, controls, "secondName", formFont);
    pasteNote = build<QLabel>(this, controls, "pasteNote", formFont);
    pasteResult = build<QPushButton>(this, controls, "pasteResult", formFont);
    dayResults = build<QPushButton>(this, controls, "dayResults", formFont);
    connect(dayResults, &QPushButton::clicked, this, [this] {
        // The day's writes change the list: it is read again when this screen comes back.
        relistOnActivate = true;
        this->navigation.show(ScreenId::DayResults);
    });
    connect(pasteResult, &QPushButton::clicked, this, [this] { pasteResultPage(); });
    // Ctrl+V anywhere on the screen reads a result page; a plain number pasted into a box stays the box's own paste.
    for (QWidget* widget :
         std::initializer_list<QWidget*>{List1, Text1, Text2, Text3, Command2, Command3, Command1, pasteResult})
        onPaste(widget, [this, widget] {
            const QString text = QApplication::clipboard()->text();
            if (qobject_cast<QLineEdit*>(widget) && !text.contains(u'\n') && text.size() < 20)
                return false;
            pasteResultPage();
            return true;
        });
    connect(Text1, &QLineEdit::textChanged, this, [this](const QString& text) { showName(firstName, text); });
    connect(Text2, &QLineEdit::textChanged, this, [this](const QString& text) { showName(secondName, text); });
    setTabOrder(List1, Text1);
    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Text3);
    setTabOrder(Text3, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, pasteResult);
    // Before 「戻ります」, so that Tab from there still goes straight to the list.
    setTabOrder(pasteResult, dayResults);
    setTabOrder(dayResults, Command1);

    wireNumberBox(
        Text1, keyCount, [this](int keyAscii) { Text1_KeyPress(keyAscii); }, [this] { Text1_GotFocus(); });
    wireNumberBox(
        Text2, keyCount, [this](int keyAscii) { Text2_KeyPress(keyAscii); }, [this] { Text2_GotFocus(); });
    wireNumberBox(
        Text3, keyCount, [this](int keyAscii) { Text3_KeyPress(keyAscii); }, [this] { Text3_GotFocus(); });
}

void Form6::Form_Load()
{
    Command3->hide();
    Command2->hide();
    pasteResult->hide();
    buildCatalogue();
}

void Form6::Form_Activate()
{
    if (relistOnActivate) {
        relistOnActivate = false;
        listRacesAgain();
    }
}

void Form6::Form_Unload()
{
    clearRaceState(module.race, 0);
    Command2->hide();
}

void Form6::buildCatalogue()
{
    catalogue = RaceFolder(module.raceFolder).catalogue();
    // One insertion for the whole list: a folder of many races must not repaint line by line.
    List1->addItems(summaryLines(catalogue, resultSummaryLine));
    Command2->hide();
    Command3->hide();
    pasteResult->hide();
    pasteNote->clear();
}

void Form6::List1_Click()
{
    if (!pickRace())
        return;

    // One read gives the race (to check it) and its result lines as the texts they hold.
    LoadedRace loaded;
    CatalogueEntry held;
    const FileResult read = readPickedRace(loaded, ReadScope::ThroughResults, &held);
    pickedRunnerCount = read.ok ? loaded.race.runnerCount : 0;
    pickedNames.assign(loaded.race.runnerNames.begin(), loaded.race.runnerNames.begin() + pickedRunnerCount);
    pickedDate = read.ok ? parseRaceDate(loaded.race.raceDate) : QDate();
    pickedCourse = read.ok ? loaded.race.courseName.trimmed() : QString();
    pickedNumber = read.ok ? loaded.race.raceNumber : 0;
    pasteNote->clear();
    if (!read.ok) {
        // A damaged file keeps no result that could be corrected, but it can still be deleted.
        if (showUnreadableRace(read, QStringLiteral("レース結果の入力"))) {
            Command3->show();
            Command3->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
    Text1->setText(lastOfZeros(held.firstPlace, 2));
    Text2->setText(lastOfZeros(held.secondPlace, 2));
    // A payout is shown whole, however many digits it has.
    Text3->setText(zeroFilled(held.payout, 6));
    Command3->show();
    Command2->show();
    pasteResult->show();
    Text1->setFocus(Qt::OtherFocusReason);
}

void Form6::showName(QLabel* label, const QString& number)
{
    const double horse = numberValue(number);
    const bool named = horse >= 1 && horse <= static_cast<double>(pickedNames.size()) && horse == int(horse);
    label->setText(named ? pickedNames[static_cast<std::size_t>(horse) - 1] : QString());
}

void Form6::Text1_GotFocus() { keyCount = 0; }

void Form6::Text2_GotFocus() { keyCount = 0; }

void Form6::Text3_GotFocus() { keyCount = 0; }

void Form6::Text1_KeyPress(int keyAscii)
{
    if (keyAscii == 13) {
        // A horse number keeps its last two digits, as it always has.
        Text1->setText(lastOfZeros(plainIfNumber(Text1->text()), 2));
        Text2->setFocus(Qt::OtherFocusReason);
    } else {
        applyFirstDigitRule(Text1, keyCount, keyAscii);
    }
}

void Form6::Text2_KeyPress(int keyAscii)
{
    if (keyAscii == 13) {
        Text2->setText(lastOfZeros(plainIfNumber(Text2->text()), 2));
        Text3->setFocus(Qt::OtherFocusReason);
    } else {
        applyFirstDigitRule(Text2, keyCount, keyAscii);
    }
}

void Form6::Text3_KeyPress(int keyAscii)
{
    if (keyAscii == 13) {
        // A payout is filled to six digits but never cut.
        Text3->setText(zeroFilled(plainIfNumber(Text3->text()), 6));
        Command2->setFocus(Qt::OtherFocusReason);
    } else {
        applyFirstDigitRule(Text3, keyCount, keyAscii);
    }
}

QString Form6::resultWarnings() const
{
    const double first = numberValue(Text1->text());
    const double second = numberValue(Text2->text());
    QStringList warnings;
    auto tooLarge = [this, &warnings](const QString& place, double horse) {
        if (horse > pickedRunnerCount)
            warnings += QStringLiteral("%1の馬番%2は、このレースの出走頭数（%3頭）より大きい数です。")
                            .arg(place, numberText(horse))
                            .arg(pickedRunnerCount);
    };
    tooLarge(QStringLiteral("一着"), first);
    tooLarge(QStringLiteral("二着"), second);
    if (first == second && first != 0)
        warnings += QStringLiteral("一着と二着が同じ馬番%1です。").arg(numberText(first));
    return warnings.join(u'\n');
}

void Form6::Command1_Click() { backToMenu(); }

void Form6::Command2_Click()
{
    // A box that holds no number, or a payout that is not an amount the program can count, is refused before
    // anything is written. A result that cannot be is named in the question; the user may still write it.
    rewritePickedRace(
        {
            {Text1, numberBoxProblem(Text1->text(), QStringLiteral("一着"), QStringLiteral("馬番"))},
            {Text2, numberBoxProblem(Text2->text(), QStringLiteral("二着"), QStringLiteral("馬番"))},
            {Text3, amountBoxProblem(Text3->text(), QStringLiteral("配当金"))},
        },
        [this] {
            const QString warnings = resultWarnings();
            const QString question = QStringLiteral("データを書き換えますがよろしいですか？");
            return warnings.isEmpty() ? question : warnings + u'\n' + question;
        },
        [this](const RaceFolder& folder, PendingRewrite& pending) {
            return folder.prepareResults(module.selectedRaceFile, Text1->text(), Text2->text(), Text3->text(), pending);
        });
}

void Form6::Command3_Click() { deletePickedRace(); }

QString Form6::otherRaceOf(const PastedResult& result) const
{
    QStringList differences;
    if (result.date.isValid() && pickedDate.isValid() && result.date != pickedDate)
        differences += QStringLiteral("日付：貼り付けたのは%1、このレースは%2")
                           .arg(writtenDate(result.date), writtenDate(pickedDate));
    if (!result.course.isEmpty() && !pickedCourse.isEmpty() && !pickedCourse.contains(result.course))
        differences += QStringLiteral("競馬場：貼り付けたのは%1、このレースは%2").arg(result.course, pickedCourse);
    if (result.raceNumber != 0 && pickedNumber != 0 && result.raceNumber != pickedNumber)
        differences +=
            QStringLiteral("レース番号：貼り付けたのは%1R、このレースは%2R").arg(result.raceNumber).arg(pickedNumber);
    return differences.join(u'\n');
}

void Form6::pasteResultPage()
{
    const QString title = QStringLiteral("結果の貼り付け");
    if (module.selectedRaceFile.isEmpty() || !Command2->isVisible()) {
        dialogs.reportError(QStringLiteral("先に一覧から結果を入力するレースを選んでください。"), title);
        return;
    }
    const PastedResult result = parsePastedResult(QApplication::clipboard()->text());
    if (!result.ok) {
        dialogs.reportError(result.error, title);
        return;
    }
    const QString other = otherRaceOf(result);
    if (!other.isEmpty()
        && !dialogs.confirm(QStringLiteral("貼り付けた結果は、選んだレースとは別のレースのもののようです。\n") + other
                                + QStringLiteral("\nこのまま入力欄に入れますか？"),
                            title))
        return;
    const std::vector<ResultChoice> choices = resultChoices(result);
    std::size_t picked = 0;
    if (choices.size() > 1) {
        // A dead heat pays more than one pair; the file keeps one, which the user names.
        QStringList options;
        for (const ResultChoice& choice : choices)
            options += QStringLiteral("一着 %1、二着 %2（配当金 %3）")
                           .arg(choice.first)
                           .arg(choice.second)
                           .arg(choice.payoutKnown ? QLocale().toString(qint64(choice.payout)) + u'円'
                                                   : QStringLiteral("不明"));
        const int chosen = dialogs.choose(QStringLiteral("同着です。記録する組をひとつ選んでください。"
                                                         "ファイルには選んだ組だけが残ります。"),
                                          title, options);
        if (chosen < 0)
            return;
        picked = static_cast<std::size_t>(chosen);
    }
    const ResultChoice& choice = choices[picked];
    Text1->setText(lastOfZeros(QString::number(choice.first), 2));
    Text2->setText(lastOfZeros(QString::number(choice.second), 2));
    if (choice.payoutKnown)
        Text3->setText(zeroFilled(QString::number(choice.payout), 6));
    QString note = QStringLiteral("貼り付けから一着 %1、二着 %2").arg(choice.first).arg(choice.second);
    note += choice.payoutKnown ? QStringLiteral("、配当金 %1円").arg(QLocale().toString(qint64(choice.payout)))
                               : QStringLiteral("（馬連の配当金は見つからず、配当金の欄はそのまま）");
    if (result.firsts.empty())
        note += QStringLiteral("。着順表がないので小さい馬番を一着に");
    pasteNote->setText(note + QStringLiteral("。「書き込み」で保存します。"));
    keyCount = 0;
    Command2->setFocus(Qt::OtherFocusReason);
}
