#include "screens/mark_sheet_screen.h"

#include "core/name_text.h"
#include "core/numbers.h"
#include "core/tipster_grid.h"
#include "core/tipster_paste.h"
#include "racefile/cp932.h"
#include "racefile/race_file.h"
#include "racefile/race_folder.h"
#include "racefile/race_lines.h"
#include "screens/control_table.h"
#include "screens/event_hooks.h"
#include "screens/folder_wait.h"
#include "screens/mark_typing.h"
#include "screens/race_header.h"
#include "screens/stored_name.h"
#include "screens/twips.h"

#include <QButtonGroup>
#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <functional>

namespace {
constexpr int markYellow = rgb(255, 255, 128);
constexpr int darkBlue = rgb(0, 0, 192);
constexpr double formPoint = 14.25;
constexpr int enterKey = 13;

// Runner columns: the x of runner 1 and the top of the columns, then the pitch to the left.
constexpr double sheetOriginX = 8500;
constexpr int sheetTop = 650;
constexpr int columnPitch = 400;
constexpr int spinnerLowest = 1;
constexpr int spinnerHighest = 12;

// clang-format off
#define MARK_BUTTON(NAME, CAPTION, LEFT, TOP)                                                                        \
    {.name = NAME, .kind = ControlKind::Button, .caption = CAPTION, .left = LEFT, .top = TOP, .width = 375,        \
     .height = 375, .pointSize = 12}

const ControlLine form4Layout[] = {

    // Templates of the runner columns, at the place of runner 1.
    {.name = "Label7", .kind = ControlKind::Label, .left = 8500, .top = 650, .width = 405, .height = 345,
     .fore = black, .back = peach, .pointSize = 11.25, .border = true, .align = Align::Centre},
    {.name = "Text1", .kind = ControlKind::TextEdit, .left = 8500, .top = 1000, .width = 400, .height = 2500,
     .fore = black, .back = white, .pointSize = 12, .bold = false},
    {.name = "Label8", .kind = ControlKind::Label, .left = 8500, .top = 3500, .width = 405, .height = 4005,
     .fore = black, .back = lightGreen, .pointSize = 9, .border = true},

    // The right-hand strip.
    {.name = "Label10", .kind = ControlKind::Label, .caption = "トキロ", .left = 9360, .top = 600, .width = 1575,
     .height = 495, .fore = green, .pointSize = 21.75},
    {.name = "Label11", .kind = ControlKind::Label, .caption = "Ver.2.0", .left = 9840, .top = 1110, .width = 1455,
     .height = 375, .fore = green, .pointSize = 15.75},
    {.name = "Label12", .kind = ControlKind::Label, .caption = "何点買いますか？", .left = 9240, .top = 1620,
     .width = 2535, .height = 300, .fore = cyan, .pointSize = 11.25},
    {.name = "Text2", .kind = ControlKind::LineEdit, .left = 9240, .top = 2010, .width = 495, .height = 375,
     .pointSize = 12, .align = Align::Right},
    {.name = "Label13", .kind = ControlKind::Label, .caption = "点買い", .left = 9780, .top = 2010, .width = 855,
     .height = 375, .fore = black, .back = lightGreen, .pointSize = 12, .align = Align::Centre},
    {.name = "VScroll1", .kind = ControlKind::VScroll, .left = 10680, .top = 1950, .width = 255, .height = 495},
    {.name = "Option1", .kind = ControlKind::Option, .caption = "堅実狙い", .left = 9240, .top = 2610, .width = 1815,
     .height = 330, .fore = yellow, .back = black, .pointSize = 12},
    {.name = "Option2", .kind = ControlKind::Option, .caption = "大穴狙い", .left = 9240, .top = 2970, .width = 1815,
     .height = 330, .fore = yellow, .back = black, .pointSize = 12},
    {.name = "Label14", .kind = ControlKind::Label, .caption = "マーク選択", .left = 9240, .top = 3600, .width = 1455,
     .height = 330, .fore = black, .back = markYellow, .pointSize = 12, .border = true, .align = Align::Centre},
    {.name = "Shape1", .kind = ControlKind::Shape, .left = 9240, .top = 4020, .width = 1095, .height = 1575,
     .fore = white},
    MARK_BUTTON("Command2", "◎", 9360, 4140),
    MARK_BUTTON("Command3", "○", 9840, 4140),
    MARK_BUTTON("Command4", "△", 9360, 4620),
    MARK_BUTTON("Command5", "▲", 9840, 4620),
    MARK_BUTTON("Command6", "×", 9360, 5100),
    MARK_BUTTON("Command7", "★", 9840, 5100),
    {.name = "Label9", .kind = ControlKind::Label, .caption = "◎", .left = 9615, .top = 5760, .width = 345,
     .height = 345, .fore = darkBlue, .back = lightGreen, .pointSize = 14.25, .border = true,
     .align = Align::Centre},

    // The bottom row.
    {.name = "Command8", .kind = ControlKind::Button, .caption = "ロード", .left = 600, .top = 7680, .width = 1215,
     .height = 495, .pointSize = 12},
    {.name = "Command9", .kind = ControlKind::Button, .caption = "セーブ", .left = 1920, .top = 7680, .width = 1215,
     .height = 495, .pointSize = 12},
    {.name = "Command10", .kind = ControlKind::Button, .caption = "予想します", .left = 5040, .top = 7680,
     .width = 1815, .height = 495, .pointSize = 12},
    {.name = "Command1", .kind = ControlKind::Button, .caption = "戻ります", .left = 9720, .top = 7680,
     .width = 1215, .height = 495, .pointSize = 12},
    // Our own: the tipster grid, in the free place of the right-hand strip under the current mark.
    {.name = "tipsterGridButton", .kind = ControlKind::Button, .caption = "予想家ごとの印", .left = 9240,
     .top = 6480, .width = 2295, .height = 495, .pointSize = 12},
    {.name = "Label15", .kind = ControlKind::Label,
     .caption = "［注意！］予想結果は、希望の点数よりも少ない場合があります。", .left = 600, .top = 8340,
     .width = 10575, .height = 300, .fore = orange, .pointSize = 11.25},
};

#undef MARK_BUTTON
// clang-format on

const QString saveTitle = QStringLiteral("データの保存");
const QString raceFileFilter = QStringLiteral("(*.TKR)|*.tkr");

// A runner's marks, grouped by kind in the fixed order ◎ ○ △ ▲ × ★.
QString markCaption(const RaceState& race, int runner)
{
    QString caption;
    for (int kind = 0; kind < markKindCount; ++kind)
        caption += markSymbol(kind).repeated(std::max<int>(0, race.markSheet[runner][kind]));
    return caption;
}

// The counts as numbers, for the mark label's tooltip: ◎3 ○1 △2.
QString markCounts(const RaceState& race, int runner)
{
    QStringList counts;
    for (int kind = 0; kind < markKindCount; ++kind) {
        if (const int count = race.markSheet[runner][kind]; count > 0)
            counts += markSymbol(kind) + QString::number(count);
    }
    return counts.isEmpty() ? QStringLiteral("印なし") : counts.join(u' ');
}

// The narrow, tall mark label: its symbols fill it row by row from the top, as many to a row as fit. A plain label
// cannot wrap a string of symbols, since no line break is allowed between them. It takes the focus from the keyboard
// (not from a click, which marks as before). It takes no text: the input method is off for it, so that 1..6 arrive as
// keys whatever its state, and a mark that still comes through it (◎ composed as 「まる」) counts as its key.
class MarkLabel final : public QLabel {
public:
    using QLabel::QLabel;
    std::function<bool(const QKeyEvent*)> keyPressed;
    std::function<void(int kind)> markTyped;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (!keyPressed || !keyPressed(event))
            QLabel::keyPressEvent(event);
    }
    void inputMethodEvent(QInputMethodEvent* event) override
    {
        for (const int kind : typing_.marksOf(*event)) {
            if (markTyped)
                markTyped(kind);
        }
        event->accept();
    }

    void paintEvent(QPaintEvent* event) override
    {
        QFrame::paintEvent(event);
        const QString symbols = text();
        if (symbols.isEmpty())
            return;
        QPainter painter(this);
        painter.setFont(font());
        painter.setPen(palette().color(QPalette::WindowText));
        const QFontMetrics metrics(font());
        int cell = 1;
        for (int kind = 0; kind < markKindCount; ++kind)
            cell = std::max(cell, metrics.horizontalAdvance(markSymbol(kind)));
        const QRect area = contentsRect();
        const int perRow = std::max(1, area.width() / cell);
        const int left = area.left() + (area.width() - perRow * cell) / 2;
        const int lineHeight = metrics.height();
        for (qsizetype i = 0; i < symbols.size(); ++i) {
            const int row = static_cast<int>(i) / perRow;
            const int column = static_cast<int>(i) % perRow;
            const QRect place(left + column * cell, area.top() + 2 + row * lineHeight, cell, lineHeight);
            painter.drawText(place, Qt::AlignCenter, symbols.mid(i, 1));
        }
    }

private:
    MarkTyping typing_;
};

// Asked before a race is saved where the lists of the race folder will not find it.
QString notListedQuestion(const QString& path, const RaceFolder& folder)
{
    const QFileInfo file(path);
    const QString where = file.fileName().startsWith(u'.')
                              ? QStringLiteral("「%1」のように「.」で始まる名前のファイルは").arg(file.fileName())
                              : QStringLiteral("「%1」はレースフォルダ（「%2」）ではありません。ここに保存したレースは")
                                    .arg(QDir::toNativeSeparators(file.absolutePath()),
                                         QDir::toNativeSeparators(QDir(folder.path()).absolutePath()));
    return where + QStringLiteral("、レース結果の入力・これまでの勝敗・競馬収支の一覧に出ません。保存しますか？");
}

} // namespace

Form4::Form4(Module1& module, Navigation& navigation, Dialogs& dialogs)
    : Screen(ScreenId::Form4, module, navigation, dialogs)
{
    auto label = [this](const char* name) { return build<QLabel>(this, form4Layout, name, formPoint); };
    auto button = [this](const char* name) { return build<QPushButton>(this, form4Layout, name, formPoint); };

    header = buildRaceHeader(this, 150, formPoint);
    Label10 = label("Label10");
    Label11 = label("Label11");
    Label12 = label("Label12");
    Text2 = build<QLineEdit>(this, form4Layout, "Text2", formPoint);
    Label13 = label("Label13");
    VScroll1 = build<QScrollBar>(this, form4Layout, "VScroll1", formPoint);
    Option1 = build<QRadioButton>(this, form4Layout, "Option1", formPoint);
    Option2 = build<QRadioButton>(this, form4Layout, "Option2", formPoint);
    Label14 = label("Label14");
    Shape1 = build<QFrame>(this, form4Layout, "Shape1", formPoint);
    Command2 = button("Command2");
    Command3 = button("Command3");
    Command4 = button("Command4");
    Command5 = button("Command5");
    Command6 = button("Command6");
    Command7 = button("Command7");
    Label9 = label("Label9");
    Command8 = button("Command8");
    Command9 = button("Command9");
    Command10 = button("Command10");
    Command1 = button("Command1");
    Label15 = label("Label15");
    tipsterGridButton = button("tipsterGridButton");

    setInputMethod(Text2, false);
    // Yellow captions on black, with the round indicator kept light so that an unselected option stays visible.
    for (QRadioButton* option : {Option1, Option2}) {
        QPalette palette = option->palette();
        palette.setColor(QPalette::Base, QColor(Qt::white));
        palette.setColor(QPalette::Text, QColor(Qt::black));
        option->setPalette(palette);
    }

    // The spinner counts 1..12, and its upper arrow raises the count: a scroll bar steps down from its top arrow,
    // so every step is turned round before it lands, and the handle is drawn with the highest count at the top.
    VScroll1->setRange(spinnerLowest, spinnerHighest);
    VScroll1->setSingleStep(1);
    VScroll1->setPageStep(1);
    VScroll1->setInvertedAppearance(true);
    connect(VScroll1, &QScrollBar::actionTriggered, this, [this](int action) {
        const int before = VScroll1->value();
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
        case QAbstractSlider::SliderPageStepAdd:
            VScroll1->setSliderPosition(std::max(spinnerLowest, before - 1));
            break;
        case QAbstractSlider::SliderSingleStepSub:
        case QAbstractSlider::SliderPageStepSub:
            VScroll1->setSliderPosition(std::min(spinnerHighest, before + 1));
            break;
        default: break;
        }
    });

    aimGroup = new QButtonGroup(this);
    aimGroup->addButton(Option1, 0);
    aimGroup->addButton(Option2, 1);

    createColumn(0);
    Label7[0]->hide();
    Text1[0]->hide();
    Label8[0]->hide();

    onEnter(Text2, [this] { Text2_KeyPress(enterKey); });
    connect(VScroll1, &QScrollBar::valueChanged, this, [this] { VScroll1_Change(); });
    connect(Option1, &QRadioButton::clicked, this, [this] { Option1_Click(); });
    connect(Option2, &QRadioButton::clicked, this, [this] { Option2_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
    connect(Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });
    connect(Command8, &QPushButton::clicked, this, [this] { Command8_Click(); });
    connect(Command9, &QPushButton::clicked, this, [this] { Command9_Click(); });
    connect(Command10, &QPushButton::clicked, this, [this] { Command10_Click(); });
    connect(tipsterGridButton, &QPushButton::clicked, this, [this] { tipsterGridButton_Click(); });
}

void Form4::createColumn(int index)
{
    const auto arrayName = [index](const char* name) { return QStringLiteral("%1(%2)").arg(name).arg(index); };

    auto* number = static_cast<QLabel*>(buildControl(this, lineOf(form4Layout, "Label7"), formPoint));
    number->setObjectName(arrayName("Label7"));
    Label7.push_back(number);

    auto* name = static_cast<QPlainTextEdit*>(buildControl(this, lineOf(form4Layout, "Text1"), formPoint));
    name->setObjectName(arrayName("Text1"));
    // Names stack downwards in the narrow box, one character to a line.
    name->setWordWrapMode(QTextOption::WrapAnywhere);
    name->document()->setDocumentMargin(1);
    // Tab and Shift+Tab move on as in every other box, instead of typing a tab into the name.
    name->setTabChangesFocus(true);
    // The names are katakana. Qt has no portable hint for a full-width katakana conversion mode (its hints only
    // prefer latin, digits or letter cases), so the boxes keep the input method on and the user's input method
    // chooses kana; the conversion mode is left to it.
    setInputMethod(name, true);
    onEnter(name, [this, index] { Text1_KeyPress(index, enterKey); });
    // A plain text box has no maximum length of its own: what is typed or pasted beyond a name's length is cut.
    connect(name, &QPlainTextEdit::textChanged, name, [name] {
        QTextDocument* text = name->document();
        if (text->characterCount() - 1 <= maxNameLength) // the count holds the closing paragraph end
            return;
        QTextCursor excess(text);
        excess.setPosition(text->characterAt(maxNameLength - 1).isHighSurrogate() ? maxNameLength - 1 : maxNameLength);
        excess.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        excess.removeSelectedText();
    });
    Text1.push_back(name);

    const ControlLine& marks = lineOf(form4Layout, "Label8");
    auto* markLabel = new MarkLabel(this);
    markLabel->setObjectName(arrayName("Label8"));
    markLabel->setGeometry(twipsRect(marks.left, marks.top, marks.width, marks.height));
    markLabel->setFont(screenFont(marks.pointSize, marks.bold));
    markLabel->setFrameShape(QFrame::Box);
    markLabel->setLineWidth(1);
    markLabel->setCursor(Qt::PointingHandCursor);
    setColours(markLabel, marks.fore, marks.back);
    markLabel->setFocusPolicy(Qt::TabFocus);
    setInputMethod(markLabel, false);
    markLabel->keyPressed = [this, index](const QKeyEvent* event) { return Label8_KeyPress(index, event); };
    markLabel->markTyped = [this, index](int kind) {
        chooseMark(static_cast<MarkKind>(kind));
        addMark(index, currentMark);
    };
    onMousePress(markLabel, [this, index](Qt::MouseButton button) { Label8_MouseDown(index, button); });
    Label8.push_back(markLabel);
}

void Form4::removeColumns()
{
    while (Label7.size() > 1) {
        delete Label7.back();
        delete Text1.back();
        delete Label8.back();
        Label7.pop_back();
        Text1.pop_back();
        Label8.pop_back();
    }
    Label7[0]->hide();
    Text1[0]->hide();
    Label8[0]->hide();
    Text1[0]->clear();
    Label8[0]->clear();
}

void Form4::placeColumn(int index)
{
    const double x = sheetOriginX - columnPitch * index;
    const int top = sheetTop;
    Label7[index]->setGeometry(twipsRect(x, top, 405, 345));
    Label7[index]->setText(QString::number(index + 1));
    Label7[index]->show();
    Text1[index]->setGeometry(twipsRect(x, top + 350, 400, 2500));
    Text1[index]->clear();
    Text1[index]->show();
    Label8[index]->setGeometry(twipsRect(x, top + 2850, 405, 4005));
    Label8[index]->clear();
    Label8[index]->show();
}

// The name boxes come first, in runner order, then the mark labels in runner order, the strip on the right and the
// bottom row.
void Form4::setTabChain()
{
    std::vector<QWidget*> chain;
    for (int i = 0; i < shownRunners(); ++i)
        chain.push_back(Text1[i]);
    for (int i = 0; i < shownRunners(); ++i)
        chain.push_back(Label8[i]);
    for (QWidget* widget : std::initializer_list<QWidget*>{Text2, VScroll1, Option1, Option2, Command2, Command3,
                                                           Command4, Command5, Command6, Command7, tipsterGridButton,
                                                           Command8, Command9, Command10, Command1})
        chain.push_back(widget);
    for (std::size_t i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

int Form4::shownRunners() const { return std::clamp<int>(module.race.runnerCount, 0, maxRunners); }

void Form4::Form_Load() { openSheet(); }

void Form4::openSheet()
{
    RaceState& race = module.race;

    // A freshly opened sheet shows no race number until there is one.
    header.Label3->clear();
    fillHeader();
    Text2->setText(QString::number(race.ticketCount));
    showOnSpinner(race.ticketCount);
    selectAim();

    removeColumns();
    const int runners = shownRunners();
    for (int i = 1; i < runners; ++i)
        createColumn(i);
    for (int i = 0; i < runners; ++i)
        placeColumn(i);
    setTabChain();

    chooseMark(MarkKind::DoubleCircle);

    for (int i = 0; i < runners; ++i)
        std::fill_n(race.markSheet[i].begin(), markKindCount, std::int16_t(0));
    for (QString& name : race.runnerNames)
        name.clear();
    shownNames.assign(static_cast<std::size_t>(runners), QString());
    module.keptTailLines = TailLines{};
    module.keptAfterRace = AfterRace{};
    module.gridNotice.clear();
    // A new race starts with the tipsters of the race saved last, without their marks.
    race.tipsters = RaceFolder(module.raceFolder).carriedTipsterColumns();
    savedContent = content();

    setFirstFocus(runners > 0 ? static_cast<QWidget*>(Text1[0]) : Command10);
}

Form4::SheetContent Form4::content() const
{
    const RaceState& race = module.race;
    SheetContent sheet;
    for (int r = 0; r < shownRunners(); ++r) {
        std::array<std::int16_t, markKindCount> row{};
        std::copy_n(race.markSheet[r].begin(), markKindCount, row.begin());
        sheet.marks.push_back(row);
        sheet.names.push_back(race.runnerNames[r]);
    }
    sheet.ticketCount = race.ticketCount;
    sheet.aimMode = race.aimMode;
    sheet.tipsters = race.tipsters;
    return sheet;
}

bool Form4::hasUnsavedWork() const { return content() != savedContent; }

void Form4::fillHeader() { fillRaceHeader(header, module.race); }

void Form4::Form_Activate()
{
    fillHeader();
    // Names of a race card pasted on the race conditions screen, as if pasted here; runners beyond the count have no
    // column.
    for (const auto& [number, name] : std::exchange(module.cardNames, {})) {
        if (number >= 1 && number <= shownRunners())
            module.race.runnerNames[static_cast<std::size_t>(number - 1)] = storedName(name);
    }
    // The tipster grid may have changed marks and names meanwhile.
    for (int r = 0; r < shownRunners(); ++r) {
        showMarks(r);
        if (static_cast<std::size_t>(r) < shownNames.size() && shownNames[r] != module.race.runnerNames[r]) {
            Text1[r]->setPlainText(module.race.runnerNames[r]);
            shownNames[r] = module.race.runnerNames[r];
        }
    }
    // Whatever was typed into the ticket box without Enter gives way to the count in force.
    Text2->setText(QString::number(module.race.ticketCount));
    showOnSpinner(module.race.ticketCount);
    selectAim();
}

void Form4::selectAim() { (module.race.aimMode != 0 ? Option2 : Option1)->setChecked(true); }

// A count the spinner cannot show leaves it at its nearest end; only the spinner's own moves change the box.
void Form4::showOnSpinner(int count)
{
    const QSignalBlocker quiet(VScroll1);
    VScroll1->setValue(std::clamp(count, spinnerLowest, spinnerHighest));
}

bool Form4::takeTicketCount()
{
    const TypedNumber typed = readTypedNumber(Text2->text());
    const std::optional<std::int16_t> count = toInt16(typed.value);
    if (typed.refused() || !count) {
        dialogs.reportError(typed.refused()
                                ? QStringLiteral("「何点買いますか？」には点数を数で入力してください。")
                                : QStringLiteral("その点数は使えません。1から12までの点数を入力してください。"),
                            QStringLiteral("点買い"));
        Text2->setFocus();
        return false;
    }
    module.race.ticketCount = *count;
    return true;
}

void Form4::chooseMark(MarkKind kind)
{
    currentMark = kind;
    Label9->setText(markSymbol(kind));
}

void Form4::Command2_Click()
{
    chooseMark(MarkKind::DoubleCircle);
    Command10->setFocus();
}

void Form4::Command3_Click()
{
    chooseMark(MarkKind::Circle);
    Command10->setFocus();
}

void Form4::Command4_Click()
{
    chooseMark(MarkKind::Triangle);
    Command10->setFocus();
}

void Form4::Command5_Click()
{
    chooseMark(MarkKind::BlackTriangle);
    Command10->setFocus();
}

void Form4::Command6_Click()
{
    chooseMark(MarkKind::Cross);
    Command10->setFocus();
}

void Form4::Command7_Click()
{
    chooseMark(MarkKind::Star);
    Command10->setFocus();
}

void Form4::Label8_MouseDown(int index, Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        addMark(index, currentMark);
    else
        removeMarkOf(index, currentMark);
}

// A mark given here belongs to no tipster (the grid's 「その他」); at 25 marks nothing changes.
void Form4::addMark(int index, MarkKind kind)
{
    if (index < 0 || index >= shownRunners())
        return;
    addMarkWithoutTipster(module.race, index, static_cast<int>(kind));
    showMarks(index);
}

// A mark without a tipster goes first; a tipster's goes only when the user agrees, and from the grid too, so that the
// counts and the grid never part.
void Form4::removeMarkOf(int index, MarkKind kind)
{
    if (index < 0 || index >= shownRunners())
        return;
    const MarkRemoval removal = markToRemove(module.race, index, static_cast<int>(kind));
    if (removal.kind == MarkRemoval::Kind::FromTipster
        && !dialogs.confirm(QStringLiteral("%1番の%2は予想家「%3」の印です。予想家ごとの印からも消しますか？")
                                .arg(index + 1)
                                .arg(markSymbol(kind), module.race.tipsters.columns[removal.tipster].name),
                            QStringLiteral("印を消す")))
        return;
    removeMark(module.race, index, static_cast<int>(kind), removal);
    showMarks(index);
}

bool Form4::Label8_KeyPress(int index, const QKeyEvent* event)
{
    const int key = event->key();
    // Runner 1 stands at the right: the left arrow goes on to the next runner.
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        const int next = index + (key == Qt::Key_Left ? 1 : -1);
        if (next >= 0 && next < shownRunners())
            Label8[next]->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (key == Qt::Key_Delete) {
        removeMarkOf(index, currentMark);
        return true;
    }
    // Shift with 1..6 takes one away; the shifted digits are these keys on US and Japanese keyboards alike.
    static const std::vector<std::pair<int, int>> shifted = {
        {Qt::Key_Exclam, 0}, {Qt::Key_At, 1},      {Qt::Key_QuoteDbl, 1},    {Qt::Key_NumberSign, 2},
        {Qt::Key_Dollar, 3}, {Qt::Key_Percent, 4}, {Qt::Key_AsciiCircum, 5}, {Qt::Key_Ampersand, 5}};
    std::optional<int> kind;
    bool remove = false;
    if (key >= Qt::Key_1 && key <= Qt::Key_6) {
        kind = key - Qt::Key_1;
        remove = event->modifiers() & Qt::ShiftModifier;
    } else if (const auto found = std::ranges::find(shifted, key, &std::pair<int, int>::first);
               found != shifted.end()) {
        kind = found->second;
        remove = true;
    } else if (const QString text = event->text(); text.size() == 1) {
        kind = markKindOfCharacter(text[0], false);
    }
    if (!kind || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    chooseMark(static_cast<MarkKind>(*kind));
    if (remove)
        removeMarkOf(index, currentMark);
    else
        addMark(index, currentMark);
    return true;
}

void Form4::showMarks(int index)
{
    Label8[index]->setText(markCaption(module.race, index));
    Label8[index]->setToolTip(markCounts(module.race, index));
}

void Form4::tipsterGridButton_Click() { navigation.show(ScreenId::TipsterGrid); }

void Form4::Text1_KeyPress(int index, int keyAscii)
{
    if (keyAscii != enterKey || index < 0 || index >= shownRunners())
        return;
    // The long-vowel mark is kept as a vertical bar, which reads right in the vertical name box.
    // One line, by the rule names are read and written with: a pasted line break is dropped, a tab is a blank.
    const QString name = plainName(Text1[index]->toPlainText()).replace(QStringLiteral("ー"), QStringLiteral("｜"));
    module.race.runnerNames[index] = name;
    Text1[index]->setPlainText(name);
    if (static_cast<std::size_t>(index) < shownNames.size())
        shownNames[index] = name;
    if (index + 1 < shownRunners())
        Text1[index + 1]->setFocus();
    else
        Command10->setFocus();
}

void Form4::Text2_KeyPress(int keyAscii)
{
    if (keyAscii != enterKey)
        return;
    if (takeTicketCount())
        Command10->setFocus();
}

void Form4::VScroll1_Change()
{
    Text2->setText(QString::number(VScroll1->value()));
    takeTicketCount();
}

void Form4::Option1_Click() { module.race.aimMode = 0; }

void Form4::Option2_Click() { module.race.aimMode = 1; }

void Form4::Command10_Click()
{
    if (takeTicketCount())
        navigation.show(ScreenId::Form5);
}

void Form4::Command1_Click() { navigation.show(ScreenId::Form3); }

void Form4::Command9_Click()
{
    const RaceFolder folder(module.raceFolder);
    const QString chosen = dialogs.saveFile(QStringLiteral("トキロレースデータセーブ"), raceFileFilter,
                                            proposedRaceFileName(module.race.raceDate, module.race.raceNumber));
    if (chosen.isEmpty())
        return;
    const QString path = folder.savePath(chosen);
    if (!folder.lists(path) && !dialogs.confirm(notListedQuestion(path, folder), saveTitle))
        return;
    if (QFileInfo::exists(path)
        && !dialogs.confirm(QStringLiteral("データを上書きしますがよろしいですか？"), saveTitle))
        return;
    if (!takeTicketCount())
        return;
    FolderWait wait(dialogs);
    const FileResult written = writeRaceFile(path, module.race, module.keptTailLines, module.keptAfterRace, &wait);
    if (!written.ok) {
        dialogs.reportError(written.error, saveTitle);
        return;
    }
    savedContent = content();
    // The next new race takes its tipsters from this one; a race not remembered falls back to the newest with a grid.
    folder.rememberSaved(path);
    // A grid block that could not be read has now given way to the race's own grid.
    if (!module.race.tipsters.empty()) {
        module.keptAfterRace.unreadBlock.clear();
        module.gridNotice.clear();
    }
}

void Form4::Command8_Click()
{
    const QString chosen = dialogs.openFile(QStringLiteral("トキロレースデータロード"), raceFileFilter);
    if (chosen.isEmpty())
        return;
    LoadedRace loaded;
    const FileResult read = readRaceFile(RaceFolder(module.raceFolder).filePath(chosen), loaded);
    if (!read.ok || loaded.race.runnerCount < 0 || loaded.race.runnerCount > maxRunners) {
        dialogs.reportError(read.ok ? QStringLiteral("レースデータの頭数が正しくありません。") : read.error,
                            QStringLiteral("データの読み込み"));
        return;
    }
    // Asked only once the chosen file is known to be a race, so that a cancelled or failed load costs nothing.
    if (hasUnsavedWork()
        && !dialogs.confirm(
            QStringLiteral(
                "印や馬名などをセーブしていません。セーブせずにほかのレースを読み込みますがよろしいですか？"),
            QStringLiteral("データの破棄")))
        return;

    // The loaded race replaces the one on the sheet entirely: reopen the sheet for its runners, then fill it.
    module.race = loaded.race;
    openSheet();
    Form_Activate();
    const int runners = shownRunners();
    for (int r = 0; r < runners; ++r) {
        module.race.runnerNames[r] = loaded.race.runnerNames[r];
        Text1[r]->setPlainText(loaded.race.runnerNames[r]);
        std::copy_n(loaded.race.markSheet[r].begin(), markKindCount, module.race.markSheet[r].begin());
    }
    module.keptTailLines = loaded.tail;
    module.race.tipsters = loaded.race.tipsters;
    module.keptAfterRace = std::move(loaded.after);
    module.keptAfterRace.grid = {};
    shownNames.assign(loaded.race.runnerNames.begin(), loaded.race.runnerNames.begin() + runners);
    for (int r = 0; r < runners; ++r)
        showMarks(r);
    savedContent = content();
    // What could not be read of the grid is told now, and again on the grid; the file stays as it is until a save.
    QString notice = gridBlockProblem(module.keptAfterRace);
    if (module.keptAfterRace.readInPart)
        notice += QStringLiteral("このファイルは%1MBを超えていて、レースのあとの部分を全部は読み込めませんでした。"
                                 "残りが失われないよう、このレースはセーブできません。")
                      .arg(racelines::maxRewriteBytes >> 20);
    else if (!notice.isEmpty())
        notice += QStringLiteral("印の数はファイルのとおりに読み込み、予想家のいない印（その他）として表示します。"
                                 "予想家ごとの印を作り直してセーブするまで、ファイルのその部分はそのまま残します。");
    else if (loaded.gridMarksTaken > 0)
        notice = QStringLiteral("ファイルの印の数が予想家ごとの印より少ないため（ほかのプログラムで変えられたため）、"
                                "印の数に合わせて予想家の印を%1個はずしました。")
                     .arg(loaded.gridMarksTaken);
    module.gridNotice = notice;
    if (!notice.isEmpty())
        dialogs.reportError(notice, QStringLiteral("予想家ごとの印"));
    if (const QString surface = surfaceBlockProblem(module.keptAfterRace.surface); !surface.isEmpty())
        dialogs.reportError(surface
                                + QStringLiteral("芝・ダートの別のわからないレースとして読み込みました。ファイルのその"
                                                 "部分は、出馬表の貼り付けで芝・ダートが決まるまでそのまま残します。"),
                            QStringLiteral("芝・ダート"));
    if (runners > 0)
        Text1[0]->setFocus();
}
