#include "screens/race_conditions_screen.h"

#include "core/numbers.h"
#include "core/race_card_paste.h"
#include "core/race_date.h"
#include "screens/control_table.h"
#include "screens/event_hooks.h"
#include "screens/twips.h"

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

namespace {
constexpr int navy = rgb(0, 0, 128);
constexpr double formPoint = 14.25;

// Question rows: yellow captions on the left, the boxes on the right, all 14.25 pt of normal weight.
// clang-format off
#define QUESTION(NAME, CAPTION, TOP)                                                                                 \
    {.name = NAME, .kind = ControlKind::Label, .caption = CAPTION, .left = 1080, .top = TOP, .width = 4335,        \
     .height = 360, .fore = black, .back = lightYellow, .pointSize = 14.25, .bold = false, .border = true}
#define ANSWER(NAME, TOP, WIDTH, ALIGN)                                                                               \
    {.name = NAME, .kind = ControlKind::LineEdit, .left = 5520, .top = TOP, .width = WIDTH, .height = 360,         \
     .pointSize = 14.25, .bold = false, .align = ALIGN}
// The pick lists carry the place where they appear beside their box.
#define PICK_LIST(NAME, WIDTH, HEIGHT)                                                                               \
    {.name = NAME, .kind = ControlKind::List, .left = 8800, .top = 2500, .width = WIDTH, .height = HEIGHT,         \
     .fore = navy, .back = lightYellow, .pointSize = 12}

const ControlLine form3Layout[] = {
    QUESTION("Label3", "  レース日付は？（YY/MM/DD）", 2760),
    ANSWER("Text1", 2760, 1695, Align::Left),
    QUESTION("Label4", "  何レースですか？", 3360),
    ANSWER("Text2", 3360, 495, Align::Right),
    QUESTION("Label7", "  レース名は？", 3960),
    ANSWER("Text3", 3960, 3255, Align::Left),
    QUESTION("Label8", "  重賞レースですか？", 4560),
    ANSWER("Text4", 4545, 735, Align::Left),
    QUESTION("Label5", "  どこの競馬場ですか？", 5160),
    ANSWER("Text5", 5160, 1815, Align::Left),
    QUESTION("Label6", "  走る距離は？", 5760),
    ANSWER("Text6", 5760, 975, Align::Left),
    QUESTION("Label9", "  競争馬は何頭？", 6360),
    ANSWER("Text7", 6360, 495, Align::Right),

    PICK_LIST("List1", 1500, 900),
    PICK_LIST("List2", 1800, 2600),
    PICK_LIST("List3", 1500, 2800),

    {.name = "Command2", .kind = ControlKind::Button, .caption = "次のデータ入力へ", .left = 6000, .top = 7560,
     .width = 2415, .height = 495, .pointSize = 12},
    {.name = "Command1", .kind = ControlKind::Button, .caption = "戻ります", .left = 9720, .top = 7560,
     .width = 1215, .height = 495, .pointSize = 12},
    {.name = "Command3", .kind = ControlKind::Button, .caption = "クリア", .left = 3240, .top = 7680,
     .width = 1215, .height = 375, .pointSize = 12},
    {.name = "Label1", .kind = ControlKind::Label, .caption = "レース予想の前に", .left = 1200, .top = 600,
     .width = 4575, .height = 495, .fore = green, .pointSize = 24},
    {.name = "Label2", .kind = ControlKind::Label, .caption = " いろんなデータの入力", .left = 2400, .top = 1800,
     .width = 5055, .height = 525, .fore = black, .back = lightBlue, .pointSize = 21.75, .border = true},
    {.name = "Label10", .kind = ControlKind::Label, .caption = "トキロ", .left = 7920, .top = 600, .width = 2055,
     .height = 495, .fore = green, .pointSize = 21.75},
    {.name = "Label11", .kind = ControlKind::Label, .caption = "Ver.2.0", .left = 9360, .top = 720, .width = 1455,
     .height = 375, .fore = green, .pointSize = 15.75},
    {.name = "Label12", .kind = ControlKind::Label, .caption = "©TOKIRO", .left = 8640, .top = 1320,
     .width = 2175, .height = 495, .fore = cyan, .pointSize = 15.75},
    {.name = "Label15", .kind = ControlKind::Label,
     .caption = "すでに保存されているファイルは次のページに移り［ロード］で読み込みできます。", .left = 1200,
     .top = 8160, .width = 9255, .height = 255, .fore = orange, .pointSize = 11.25},

    // Our own: the race card paste under the maker's notice, clear of the pick lists below it; the surface it read
    // beside the distance box.
    {.name = "cardPasteButton", .kind = ControlKind::Button, .caption = "出馬表を貼り付け", .left = 7800,
     .top = 1860, .width = 2895, .height = 495, .pointSize = 12},
    {.name = "surfaceLabel", .kind = ControlKind::Label, .left = 6600, .top = 5760, .width = 1095, .height = 360,
     .fore = black, .back = lightYellow, .pointSize = 14.25, .bold = false, .border = true, .align = Align::Centre},
};

#undef QUESTION
#undef ANSWER
#undef PICK_LIST
// clang-format on

const char* const gradedItems[] = {"ＧⅠ", "ＧⅡ", "ＧⅢ"};
const char* const courseItems[] = {"東京競馬場", "中山競馬場", "京都競馬場", "阪神競馬場", "函館競馬場",
                                   "札幌競馬場", "新潟競馬場", "福島競馬場", "中京競馬場", "小倉競馬場"};
const char* const distanceItems[] = {"1200m", "1400m", "1600m", "1700m", "1800m", "2000m",
                                     "2200m", "2400m", "2500m", "3000m", "3200m"};

constexpr int enterKey = 13;
const QString errorTitle = QStringLiteral("入力の確認");

// A 16-bit value shown in a box: empty for 0, which means "not given".
QString boxText(std::int16_t value) { return value == 0 ? QString() : QString::number(value); }
} // namespace

bool sameRaceDate(const QString& typed, const QString& stored)
{
    if (typed.trimmed() == stored.trimmed())
        return true;
    // 99/7/5 and 99/07/05 are one day: the date box writes the first as the second.
    const int year = raceDateCurrentYear();
    const std::optional<QString> first = normalisedRaceDate(typed, year);
    return first && first == normalisedRaceDate(stored, year);
}

Form3::Form3(Module1& module, Navigation& navigation, Dialogs& dialogs)
    : Screen(ScreenId::Form3, module, navigation, dialogs)
{
    auto label = [this](const char* name) { return build<QLabel>(this, form3Layout, name, formPoint); };
    auto box = [this](const char* name) { return build<QLineEdit>(this, form3Layout, name, formPoint); };
    auto list = [this](const char* name) { return build<QListWidget>(this, form3Layout, name, formPoint); };
    auto button = [this](const char* name) { return build<QPushButton>(this, form3Layout, name, formPoint); };

    Label1 = label("Label1");
    Label2 = label("Label2");
    Label3 = label("Label3");
    Label4 = label("Label4");
    Label5 = label("Label5");
    Label6 = label("Label6");
    Label7 = label("Label7");
    Label8 = label("Label8");
    Label9 = label("Label9");
    Label10 = label("Label10");
    Label11 = label("Label11");
    Label12 = label("Label12");
    Label15 = label("Label15");
    Text1 = box("Text1");
    Text2 = box("Text2");
    Text3 = box("Text3");
    Text4 = box("Text4");
    Text5 = box("Text5");
    Text6 = box("Text6");
    Text7 = box("Text7");
    List1 = list("List1");
    List2 = list("List2");
    List3 = list("List3");
    Command2 = button("Command2");
    Command1 = button("Command1");
    Command3 = button("Command3");
    cardPasteButton = button("cardPasteButton");
    surfaceLabel = label("surfaceLabel");
    surfaceLabel->hide();

    // Numbers and distances are typed half-width; names of races, classes and courses in kana, and the date either way
    // (「令和6年5月26日」 and 「2024年5月26日(日)」 are typed through the input method).
    setInputMethod(Text1, true);
    setInputMethod(Text2, false);
    setInputMethod(Text3, true);
    setInputMethod(Text4, true);
    setInputMethod(Text5, true);
    setInputMethod(Text6, false);
    setInputMethod(Text7, false);

    for (QListWidget* pick : {List1, List2, List3})
        pick->hide();

    // Tab order: the seven boxes, the two leaving buttons, the lists, then "クリア".
    QWidget* const tabOrder[] = {Text1,    Text2,    Text3, Text4, Text5, Text6,    Text7,
                                 Command2, Command1, List1, List2, List3, Command3, cardPasteButton};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    setFirstFocus(Text1);

    onEnter(Text1, [this] { Text1_KeyPress(enterKey); });
    onEnter(Text2, [this] { Text2_KeyPress(enterKey); });
    onEnter(Text3, [this] { Text3_KeyPress(enterKey); });
    onEnter(Text4, [this] { Text4_KeyPress(enterKey); });
    onEnter(Text5, [this] { Text5_KeyPress(enterKey); });
    onEnter(Text6, [this] { Text6_KeyPress(enterKey); });
    onEnter(Text7, [this] { Text7_KeyPress(enterKey); });
    onFocusIn(Text4, [this] { Text4_GotFocus(); });
    onFocusIn(Text5, [this] { Text5_GotFocus(); });
    onFocusIn(Text6, [this] { Text6_GotFocus(); });
    // The down arrow takes the keyboard into a box's pick list, so the lists can be used without the mouse.
    onKey(Text4, Qt::Key_Down, [this] { enterList(List1); });
    onKey(Text5, Qt::Key_Down, [this] { enterList(List2); });
    onKey(Text6, Qt::Key_Down, [this] { enterList(List3); });
    onEnter(List1, [this] { List1_KeyPress(enterKey); });
    onEnter(List2, [this] { List2_KeyPress(enterKey); });
    onEnter(List3, [this] { List3_KeyPress(enterKey); });
    connect(List1, &QListWidget::itemDoubleClicked, this, [this] { List1_DblClick(); });
    connect(List2, &QListWidget::itemDoubleClicked, this, [this] { List2_DblClick(); });
    connect(List3, &QListWidget::itemDoubleClicked, this, [this] { List3_DblClick(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(cardPasteButton, &QPushButton::clicked, this, [this] { cardPasteButton_Click(); });
    // Ctrl+V reads a race card anywhere but in a box; in a box, so does text of several lines (a box takes one).
    for (QWidget* widget : std::initializer_list<QWidget*>{this, Text1, Text2, Text3, Text4, Text5, Text6, Text7, List1,
                                                           List2, List3, Command1, Command2, Command3, cardPasteButton})
        onPaste(widget, [this, widget] {
            const QString text = QApplication::clipboard()->text();
            if (qobject_cast<QLineEdit*>(widget) && !text.contains(u'\n') && !text.contains(u'\r'))
                return false;
            pasteRaceCard(text);
            return true;
        });
}

void Form3::Form_Load()
{
    const RaceState& race = module.race;
    Text1->setText(race.raceDate);
    Text2->setText(boxText(race.raceNumber));
    Text3->setText(race.raceName);
    Text4->setText(race.gradedText);
    Text5->setText(race.courseName);
    Text6->setText(race.distanceText);
    Text7->setText(boxText(race.runnerCount));
    surface = race.surface;
    cardNames.clear();
    showSurface();

    auto fill = [](QListWidget* list, const auto& items) {
        list->clear();
        for (const char* item : items)
            list->addItem(QString::fromUtf8(item));
    };
    fill(List1, gradedItems);
    fill(List2, courseItems);
    fill(List3, distanceItems);
}

void Form3::enterList(QListWidget* list)
{
    if (!list->isVisible())
        return;
    list->setFocus(Qt::OtherFocusReason);
    if (list->selectedItems().isEmpty())
        list->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
}

void Form3::Text1_KeyPress(int keyAscii)
{
    if (keyAscii != enterKey)
        return;
    if (takeDate())
        Text2->setFocus();
}

bool Form3::takeDate()
{
    const QString typed = Text1->text();
    const RaceDateEntry entry = enterRaceDate(typed, raceDateCurrentYear());
    if (!entry.problem.isEmpty()) {
        // The text stays as typed, for the user to correct where it stands.
        dialogs.reportError(
            QStringLiteral("「レース日付は？」の「%1」は日付にできません。%2").arg(typed.trimmed(), entry.problem),
            errorTitle);
        Text1->setFocus();
        return false;
    }
    if (!entry.text.isEmpty())
        Text1->setText(entry.text);
    return true;
}

void Form3::Text2_KeyPress(int keyAscii)
{
    if (keyAscii == enterKey)
        Text3->setFocus();
}

void Form3::Text3_KeyPress(int keyAscii)
{
    if (keyAscii == enterKey)
        Text4->setFocus();
}

void Form3::Text4_KeyPress(int keyAscii)
{
    if (keyAscii != enterKey)
        return;
    List1->hide();
    Text5->setFocus();
}

void Form3::Text5_KeyPress(int keyAscii)
{
    if (keyAscii != enterKey)
        return;
    List2->hide();
    Text6->setFocus();
}

void Form3::Text6_KeyPress(int keyAscii)
{
    if (keyAscii != enterKey)
        return;
    List3->hide();
    Text7->setFocus();
}

void Form3::Text7_KeyPress(int keyAscii)
{
    if (keyAscii == enterKey)
        Command2->setFocus();
}

void Form3::Text4_GotFocus() { showList(List1); }

void Form3::Text5_GotFocus() { showList(List2); }

void Form3::Text6_GotFocus() { showList(List3); }

void Form3::showList(QListWidget* list)
{
    const ControlLine& place = lineOf(form3Layout, list->objectName().toUtf8().constData());
    // Every item shows at once, without a scroll bar: where the fonts need more than the given height, the list
    // grows downwards from its place.
    QRect shown = twipsRect(place.left, place.top, place.width, place.height);
    list->ensurePolished();
    int needed = 2 * list->frameWidth();
    for (int row = 0; row < list->count(); ++row)
        needed += list->sizeHintForRow(row);
    shown.setHeight(std::max(shown.height(), needed));
    list->setGeometry(shown);
    list->show();
    list->raise();
}

bool Form3::pickFromList(QListWidget* list, QLineEdit* box, QLineEdit* next)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty())
        return false;
    box->setText(selected.front()->text());
    list->hide();
    next->setFocus();
    return true;
}

void Form3::List1_DblClick() { pickFromList(List1, Text4, Text5); }

void Form3::List2_DblClick() { pickFromList(List2, Text5, Text6); }

void Form3::List3_DblClick() { pickFromList(List3, Text6, Text7); }

// Enter without a selected item leaves the box and the list as they are.
void Form3::List1_KeyPress(int keyAscii)
{
    if (keyAscii == enterKey)
        pickFromList(List1, Text4, Text5);
}

void Form3::List2_KeyPress(int keyAscii)
{
    if (keyAscii == enterKey)
        pickFromList(List2, Text5, Text6);
}

void Form3::List3_KeyPress(int keyAscii)
{
    if (keyAscii == enterKey)
        pickFromList(List3, Text6, Text7);
}

void Form3::Command1_Click()
{
    // The menu closes the mark sheet: ask before its unsaved marks go with it.
    if (!navigation.confirmLeavingRace())
        return;
    navigation.close(ScreenId::Form3);
    navigation.show(ScreenId::Form2);
}

void Form3::Command2_Click()
{
    // The date is read as on Enter, so that one typed and never confirmed is not stored as a typo. A date the race
    // already had is left as it is: older races keep the text they were saved with.
    if (Text1->text() != module.race.raceDate && !takeDate())
        return;
    // Both numbers are checked before anything is stored, so a refused answer leaves the race as it was.
    const TypedNumber raceNumberTyped = readTypedNumber(Text2->text());
    const std::optional<std::int16_t> raceNumber = toInt16(raceNumberTyped.value);
    if (raceNumberTyped.refused() || !raceNumber) {
        dialogs.reportError(
            raceNumberTyped.refused()
                ? QStringLiteral("「何レースですか？」にはレース番号を数で入力してください。")
                : QStringLiteral("そのレース番号は使えません。1から12までのレース番号を入力してください。"),
            errorTitle);
        Text2->setFocus();
        return;
    }
    const TypedNumber runnersTyped = readTypedNumber(Text7->text());
    const std::optional<std::int16_t> runners = toInt16(runnersTyped.value);
    if (runnersTyped.refused() || !runners || *runners < 0 || *runners > maxRunners) {
        dialogs.reportError(QStringLiteral("競争馬は 0 から %1 頭までで入力してください。").arg(maxRunners),
                            errorTitle);
        Text7->setFocus();
        return;
    }

    RaceState& race = module.race;
    // Another day or another race number is another race: a result and money kept from a race loaded on the mark
    // sheet belong to that race, not to this one. A corrected name, class, course or distance keeps them.
    if (!sameRaceDate(Text1->text(), race.raceDate) || *raceNumber != race.raceNumber)
        module.keptTailLines = TailLines{};
    race.raceDate = Text1->text();
    race.raceNumber = *raceNumber;
    race.raceName = Text3->text();
    race.gradedText = Text4->text();
    race.courseName = Text5->text();
    race.distanceText = Text6->text();
    race.surface = surface;
    // A new field size needs a fresh mark sheet; the same size keeps the marks already given. The typed number is
    // compared before it is rounded, so that 3.4 over 3 still counts as a change.
    if (runnersTyped.value != race.runnerCount) {
        navigation.close(ScreenId::Form4);
        navigation.close(ScreenId::Form5);
        setRunnerCount(race, *runners);
    }
    module.cardNames = std::move(cardNames);
    cardNames.clear();
    navigation.close(ScreenId::Form3);
    navigation.show(ScreenId::Form4);
}

void Form3::Command3_Click()
{
    if (!dialogs.confirm(QStringLiteral("データをクリアしますがよろしいですか？"), QStringLiteral("データのクリア")))
        return;
    clearRaceState(module.race, 4);
    for (QLineEdit* box : {Text1, Text2, Text3, Text4, Text5, Text6, Text7})
        box->clear();
    surface = RaceSurface::Unknown;
    cardNames.clear();
    showSurface();
    navigation.close(ScreenId::Form4);
    navigation.close(ScreenId::Form5);
}

void Form3::showSurface()
{
    surfaceLabel->setText(surfaceText(surface));
    surfaceLabel->setVisible(surface != RaceSurface::Unknown);
}

void Form3::cardPasteButton_Click() { pasteRaceCard(QApplication::clipboard()->text()); }

QString Form3::cardSummary(const PastedRaceCard& card) const
{
    const auto value = [&card](CardItem item, const QString& read) {
        const CardAnswer& answer = card.answer(item);
        if (!answer.read)
            return QStringLiteral("（読めません）") + answer.why;
        return read;
    };
    QStringList lines{QStringLiteral("貼り付けた出馬表から次のように読みました。OKで入力欄に入れます。"), QString()};
    const QString date = card.answer(CardItem::Date).read ? writtenDate(card.date) : QString();
    lines += QStringLiteral("日付：") + value(CardItem::Date, date);
    lines += QStringLiteral("レース：") + value(CardItem::RaceNumber, card.answer(CardItem::RaceNumber).text + u'R');
    lines += QStringLiteral("レース名：") + value(CardItem::RaceName, card.answer(CardItem::RaceName).text);
    const QString grade = card.answer(CardItem::Grade).text;
    lines +=
        QStringLiteral("重賞：") + value(CardItem::Grade, grade.isEmpty() ? QStringLiteral("重賞ではない") : grade);
    lines += QStringLiteral("競馬場：") + value(CardItem::Course, card.answer(CardItem::Course).text);
    QString distance = card.answer(CardItem::Distance).text;
    if (card.surface != RaceSurface::Unknown)
        distance = surfaceText(card.surface) + u' ' + distance;
    lines += QStringLiteral("距離：") + value(CardItem::Distance, distance);
    lines += QStringLiteral("頭数：") + value(CardItem::Runners, card.answer(CardItem::Runners).text + u'頭');

    QStringList names;
    QStringList scratched;
    for (const CardRunner& runner : card.runners) {
        names += QStringLiteral("%1 %2").arg(runner.number).arg(runner.name);
        if (!runner.withdrawal.isEmpty()) {
            names.back() += QStringLiteral("（%1）").arg(runner.withdrawal);
            scratched += QStringLiteral("%1番").arg(runner.number);
        }
    }
    lines += QString();
    lines += names.isEmpty() ? QStringLiteral("馬名：読めません")
                             : QStringLiteral("馬名（%1頭）：").arg(names.size()) + names.join(QStringLiteral("、"));
    const auto numbers = [](const std::vector<int>& list) {
        QStringList text;
        for (const int n : list)
            text += QString::number(n);
        return text.join(u'・') + u'番';
    };
    if (!scratched.isEmpty())
        lines +=
            QStringLiteral("%1は出走しない馬です。馬名に（取消）（除外）をつけて入れます。").arg(scratched.join(u'・'));
    if (!card.twoNames.empty())
        lines += QStringLiteral("%1は馬名が二つあるため入れません。").arg(numbers(card.twoNames));
    if (card.cutNumber != 0)
        lines += QStringLiteral("%1番の馬名は途中で切れているため入れません。").arg(card.cutNumber);
    if (!card.missing.empty())
        lines += QStringLiteral("%1の馬名は出馬表にありません。").arg(numbers(card.missing));
    const QStringList unread = card.unreadItems();
    if (!unread.isEmpty())
        lines += QStringLiteral("読めなかった%1は、入力欄に入力してください。").arg(unread.join(u'・'));
    return lines.join(u'\n');
}

void Form3::pasteRaceCard(const QString& text)
{
    const QString title = QStringLiteral("出馬表の貼り付け");
    const PastedRaceCard card = parsePastedRaceCard(text, raceDateCurrentYear());
    if (!card.ok) {
        dialogs.reportError(card.error, title);
        return;
    }
    if (!dialogs.confirm(cardSummary(card), title))
        return;

    // Every answer read goes into its box as if typed and confirmed with Enter; the others are left as they are.
    QLineEdit* const boxes[] = {Text1, Text2, Text3, Text4, Text5, Text6, Text7};
    QLineEdit* firstUnread = nullptr;
    for (int i = 0; i < cardItemCount; ++i) {
        const CardAnswer& answer = card.answers[static_cast<std::size_t>(i)];
        if (answer.read)
            boxes[i]->setText(answer.text);
        else if (!firstUnread)
            firstUnread = boxes[i];
    }
    for (QListWidget* pick : {List1, List2, List3})
        pick->hide();
    surface = card.answer(CardItem::Distance).read ? card.surface : RaceSurface::Unknown;
    showSurface();
    cardNames.clear();
    for (const CardRunner& runner : card.runners)
        cardNames.emplace_back(runner.number, runner.withdrawal.isEmpty()
                                                  ? runner.name
                                                  : runner.name + QStringLiteral("（%1）").arg(runner.withdrawal));
    // The date is checked as Enter checks it: one the box cannot take is said and left there to be corrected.
    if (card.answer(CardItem::Date).read && !takeDate())
        return;
    if (firstUnread)
        firstUnread->setFocus(Qt::OtherFocusReason);
    else
        Command2->setFocus(Qt::OtherFocusReason);
}
