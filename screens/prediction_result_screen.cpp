#include "screens/prediction_result_screen.h"

#include "core/numbers.h"
#include "core/proposal_text.h"
#include "prediction/prediction.h"
#include "racefile/race_folder.h"
#include "screens/control_table.h"
#include "screens/name_columns.h"
#include "screens/page_export.h"
#include "screens/race_header.h"
#include "screens/twips.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QTextDocument>

#include <algorithm>

namespace {
constexpr int lightCyan = rgb(192, 255, 255);
constexpr int titleGreen = rgb(128, 255, 128);
constexpr int ticketOrange = rgb(255, 192, 128);
constexpr int darkRed = rgb(192, 0, 0);
constexpr double formPoint = 9;

// Runner columns from right to left, and the ticket list left of them.
constexpr double tableOriginX = 7975;
constexpr int tableTop = 750;
constexpr int tableBottom = 6805 + 645; // the bottom of the last row, Label33
constexpr int cellWidth = 350;
constexpr double ticketOriginX = 6000;
constexpr int ticketPitch = 300;
constexpr double ticketWidth = 1200;
constexpr double ticketMargin = 15; // one pixel clear of the window's edge and of the table
constexpr double noteWidthTwips = 1335;
constexpr double noteHeightTwips = 495;
// The list may reach the window's bottom, but not into "必勝を祈る！！" below the table.
constexpr double windowHeight = 9000;
constexpr double prayerLeft = 1200;
constexpr double prayerRight = 4200;
constexpr double prayerTop = 7680;

// clang-format off
#define ROW_HEADER(NAME, CAPTION, TOP)                                                                               \
    {.name = NAME, .kind = ControlKind::Label, .caption = CAPTION, .left = 8325, .top = TOP, .width = 300,        \
     .height = 640, .fore = black, .back = lightGreen, .bold = false, .border = true, .align = Align::Centre,     \
     .wordWrap = true}
#define PANEL_TITLE(NAME, CAPTION, TOP)                                                                              \
    {.name = NAME, .kind = ControlKind::Label, .caption = CAPTION, .left = 9840, .top = TOP, .width = 1695,       \
     .height = 255, .fore = black, .back = lightCyan, .pointSize = 9, .border = true, .align = Align::Centre}
#define PANEL_VALUE(NAME, TOP)                                                                                       \
    {.name = NAME, .kind = ControlKind::Label, .left = 9840, .top = TOP, .width = 1695, .height = 300,             \
     .fore = black, .back = white, .pointSize = 11.25, .bold = false, .border = true, .align = Align::Centre}
// Element 0 of a runner-cell array, at the place of horse 1. The row headers wrap their captions downwards.
#define CELL(NAME, TOP, HEIGHT, BACK, POINT, FAMILY)                                                                 \
    {.name = NAME, .kind = ControlKind::Label, .left = 7975, .top = TOP, .width = 350, .height = HEIGHT,          \
     .fore = black, .back = BACK, .pointSize = POINT, .bold = false, .border = true, .align = Align::Centre,      \
     .family = FAMILY}

const ControlLine form5Layout[] = {

    CELL("Label23", 750, 255, peach, 9, gothicFamily),
    CELL("Label24", 1000, 645, lightGreen, 9, minchoFamily),
    CELL("Label25", 1645, 645, lightGreen, 9, minchoFamily),
    CELL("Label26", 2290, 645, lightGreen, 9, minchoFamily),
    CELL("Label27", 2935, 645, lightGreen, 9, minchoFamily),
    CELL("Label28", 3580, 645, lightGreen, 9, minchoFamily),
    CELL("Label29", 4225, 645, lightGreen, 9, minchoFamily),
    CELL("Label30", 4870, 645, lightGreen, 9, minchoFamily),
    CELL("Label31", 5515, 645, lightGreen, 9, minchoFamily),
    CELL("Label32", 6160, 645, lightGreen, 9, minchoFamily),
    CELL("Label33", 6805, 645, lightGreen, 9, minchoFamily),

    {.name = "Label7", .kind = ControlKind::Label, .caption = "馬番", .left = 8325, .top = 750, .width = 600,
     .height = 250, .fore = black, .back = peach, .pointSize = 9.75, .bold = false, .border = true,
     .align = Align::Centre},
    ROW_HEADER("Label9", " ◎数", 1005),
    ROW_HEADER("Label13", " ○数", 1650),
    ROW_HEADER("Label20", " 合計", 2295),
    ROW_HEADER("Label21", " 順位", 2940),
    ROW_HEADER("Label22", " 等級", 3585),
    ROW_HEADER("Label18", " ○数", 4230),
    ROW_HEADER("Label19", " 他数", 4875),
    ROW_HEADER("Label14", " 合計", 5520),
    ROW_HEADER("Label15", " 順位", 6165),
    ROW_HEADER("Label16", " 等級", 6810),
    {.name = "Label8", .kind = ControlKind::Label, .caption = "　　本　命　人　気", .left = 8625, .top = 1005,
     .width = 300, .height = 3225, .fore = black, .back = lightCyan, .pointSize = 9.75, .border = true,
     .align = Align::Centre, .wordWrap = true},
    {.name = "Label17", .kind = ControlKind::Label, .caption = "　　連　複　人　気", .left = 8625, .top = 4230,
     .width = 300, .height = 3225, .fore = black, .back = lightCyan, .pointSize = 9.75, .border = true,
     .align = Align::Centre, .wordWrap = true},

    PANEL_TITLE("Label34", "本命人気数合計", 2520),
    PANEL_VALUE("Label35", 2775),
    PANEL_TITLE("Label36", "一番人気率", 3075),
    PANEL_VALUE("Label37", 3330),
    PANEL_TITLE("Label38", "一＋二番人気率", 3630),
    PANEL_VALUE("Label39", 3885),
    PANEL_TITLE("Label40", "連複人気数合計", 4440),
    PANEL_VALUE("Label41", 4695),
    PANEL_TITLE("Label42", "一番人気率", 4995),
    PANEL_VALUE("Label43", 5250),
    PANEL_TITLE("Label44", "一＋二番人気率", 5550),
    PANEL_VALUE("Label45", 5805),

    {.name = "Label46", .kind = ControlKind::Label, .caption = "軸", .left = 9840, .top = 6480, .width = 420,
     .height = 300, .fore = black, .back = peach, .pointSize = 11.25, .bold = false, .border = true,
     .align = Align::Centre},
    {.name = "Label47", .kind = ControlKind::Label, .left = 10320, .top = 6480, .width = 1215, .height = 300,
     .fore = black, .back = lightYellow, .pointSize = 11.25, .bold = false, .border = true, .align = Align::Centre},

    {.name = "Label48", .kind = ControlKind::Label, .caption = "予想結果", .left = 600, .top = 750, .width = 1200,
     .height = 300, .fore = black, .back = titleGreen, .pointSize = 11.25, .bold = false, .border = true,
     .align = Align::Centre},
    {.name = "Label49", .kind = ControlKind::Label, .left = 600, .top = 1050, .width = 1200, .height = 300,
     .fore = black, .back = ticketOrange, .pointSize = 11.25, .border = true, .align = Align::Centre},
    {.name = "Label10", .kind = ControlKind::Label, .caption = "これだけで　ＯＫ", .left = 600, .top = 1050,
     .width = 1335, .height = 495, .fore = red, .pointSize = 12, .wordWrap = true},

    {.name = "Command1", .kind = ControlKind::Button, .caption = "戻ります", .left = 9720, .top = 7560,
     .width = 1215, .height = 495, .pointSize = 12},
    {.name = "copyProposal", .kind = ControlKind::Button, .caption = "コピー", .left = 9840, .top = 6945,
     .width = 1695, .height = 435, .pointSize = 11.25},
    {.name = "copyNote", .kind = ControlKind::Label, .left = 9720, .top = 8130, .width = 2160, .height = 330,
     .fore = yellow, .pointSize = 9.75, .bold = false, .align = Align::Centre},
    {.name = "Label50", .kind = ControlKind::Label, .caption = "必勝を祈る！！", .left = 1200, .top = 7680,
     .width = 3000, .height = 495, .fore = green, .back = darkRed, .pointSize = 20.25, .border = true,
     .align = Align::Centre},
    {.name = "Label53", .kind = ControlKind::Label, .caption = "トキロ", .left = 9960, .top = 840, .width = 1575,
     .height = 495, .fore = green, .pointSize = 21.75},
    {.name = "Label52", .kind = ControlKind::Label, .caption = "Ver.2.0", .left = 10080, .top = 1440, .width = 1455,
     .height = 375, .fore = green, .pointSize = 15.75},
    {.name = "Label51", .kind = ControlKind::Label, .caption = "©TOKIRO", .left = 10080, .top = 1920,
     .width = 1215, .height = 255, .fore = cyan, .pointSize = 14.25},
};

#undef ROW_HEADER
#undef PANEL_TITLE
#undef PANEL_VALUE
#undef CELL
// clang-format on

const char* const cellArrays[] = {"Label23", "Label24", "Label25", "Label26", "Label27", "Label28",
                                  "Label29", "Label30", "Label31", "Label32", "Label33"};
// Tops of the runner-cell rows below the top of the table.
constexpr int cellOffsets[] = {0, 250, 895, 1540, 2185, 2830, 3475, 4120, 4765, 5410, 6055};

// A label whose text, when it does not fit, is drawn shortened in the middle rather than cut at both edges. The text
// itself stays as it is.
class NarrowLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    virtual QString shortened(const QString& text) const = 0;

    void paintEvent(QPaintEvent* event) override
    {
        const QString shown = text();
        if (fontMetrics().horizontalAdvance(shown) <= contentsRect().width()) {
            QLabel::paintEvent(event);
            return;
        }
        QFrame::paintEvent(event);
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(contentsRect(), Qt::AlignCenter, shortened(shown));
    }
};

// A runner cell holds three blanks and a number, wider than the narrow cell: the number alone is shown.
class CellLabel final : public NarrowLabel {
public:
    CellLabel(QWidget* parent, const ControlLine& control) : NarrowLabel(parent)
    {
        setGeometry(twipsRect(control.left, control.top, control.width, control.height));
        setFont(screenFont(control.pointSize, control.bold, control.family));
        setColours(this, control.fore, control.back);
        setFrameShape(QFrame::Box);
        setLineWidth(1);
        setAlignment(Qt::AlignCenter);
        setTextFormat(Qt::PlainText);
    }

protected:
    QString shortened(const QString& text) const override { return text.trimmed(); }
};

// A ticket, "3 － 7": in a list narrowed for a scroll bar the blanks give way before the numbers are cut.
class TicketLabel final : public NarrowLabel {
public:
    using NarrowLabel::NarrowLabel;

protected:
    QString shortened(const QString& text) const override { return QString(text).remove(u' '); }
};

// Numbers in the result cells stand three blanks to the right.
QString cellNumber(int value) { return QStringLiteral("   ") + QString::number(value); }

QString gradeText(char grade) { return QStringLiteral("   ") + QChar::fromLatin1(grade); }

// A rate whose block has no marks at all has no value: its cell stays empty.
QString rateText(const std::optional<double>& rate) { return rate ? formatRate(*rate) : QString(); }
} // namespace

namespace {
// The names of the proposed horses, set in columns where one column cannot hold them whole.
class NameListLabel final : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QFrame::paintEvent(event);
        const QStringList lines = text().split(u'\n');
        const QRect area = contentsRect();
        const std::vector<QRect> places = columnPlaces(lines, QFontMetrics(font()), area.size());
        QPainter painter(this);
        painter.setFont(font());
        painter.setPen(palette().color(QPalette::WindowText));
        if (places.empty()) {
            painter.drawText(area, Qt::AlignLeft | Qt::AlignTop, text());
            return;
        }
        for (std::size_t i = 0; i < places.size(); ++i)
            painter.drawText(places[i].translated(area.topLeft()), Qt::AlignLeft | Qt::AlignVCenter,
                             lines[static_cast<qsizetype>(i)]);
    }
};
} // namespace

Form5::Form5(Module1& module, Navigation& navigation, Dialogs& dialogs)
    : Screen(ScreenId::Form5, module, navigation, dialogs)
{
    setFont(screenFont(formPoint, false));
    header = buildRaceHeader(this, 240, formPoint);
    // Every fixed control of the table; those the screen writes to are kept by name.
    for (const ControlLine& control : form5Layout) {
        const QString name = QString::fromUtf8(control.name);
        if (std::find(std::begin(cellArrays), std::end(cellArrays), std::string_view(control.name))
                != std::end(cellArrays)
            || name == QStringLiteral("Label49"))
            continue;
        buildControl(this, control, formPoint);
    }
    auto label = [this](const char* name) { return findChild<QLabel*>(QString::fromUtf8(name)); };
    Label10 = label("Label10");
    Label35 = label("Label35");
    Label37 = label("Label37");
    Label39 = label("Label39");
    Label41 = label("Label41");
    Label43 = label("Label43");
    Label45 = label("Label45");
    Label47 = label("Label47");
    Label48 = label("Label48");
    Label50 = label("Label50");
    Command1 = findChild<QPushButton*>(QStringLiteral("Command1"));

    Label10->setAutoFillBackground(false);
    Label10->hide();

    // Where the column of tickets ends, the list goes on in a scrolled page of the same look.
    ticketScroll = new QScrollArea(this);
    ticketScroll->setObjectName(QStringLiteral("ticketScroll"));
    ticketScroll->setFrameShape(QFrame::NoFrame);
    ticketScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ticketScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ticketScroll->setWidgetResizable(false);
    ticketPage = new QWidget;
    ticketPage->setObjectName(QStringLiteral("ticketPage"));
    setColours(ticketPage, black, black);
    ticketScroll->setWidget(ticketPage);
    setColours(ticketScroll->viewport(), black, black);
    useStandardPalette(ticketScroll->verticalScrollBar());
    ticketScroll->hide();
    Label50->hide();
    for (int row = 0; row < tableRows; ++row)
        createCell(row, 0)->hide();
    createTicket(0)->hide();

    // Our own: the horse names of the tickets, placed under the list whenever the tickets are shown.
    ticketNames = new NameListLabel(this);
    ticketNames->setObjectName(QStringLiteral("ticketNames"));
    ticketNames->setFont(screenFont(8.25, false));
    ticketNames->setTextFormat(Qt::PlainText);
    ticketNames->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setColours(ticketNames, lightYellow, noColour);
    ticketNames->hide();

    // Our own: the proposal copied as plain text (Ctrl+C, or the button), or its tickets alone for typing a bet.
    // The button's menu offers the two forms; Ctrl+C copies the whole, Ctrl+Shift+C the tickets alone.
    copyProposal = findChild<QPushButton*>(QStringLiteral("copyProposal"));
    copyNote = label("copyNote");
    copyNote->setTextFormat(Qt::PlainText);
    auto* copyMenu = new QMenu(copyProposal);
    const std::pair<bool, QKeySequence> forms[] = {{false, QKeySequence::Copy},
                                                   {true, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)}};
    for (const auto& [ticketsOnly, keys] : forms) {
        QAction* action = copyMenu->addAction(
            (ticketsOnly ? QStringLiteral("買い目だけコピー") : QStringLiteral("予想をコピー（馬名つき）"))
                + QStringLiteral("\t") + keys.toString(QKeySequence::NativeText),
            this, [this, only = ticketsOnly] { copyToClipboard(only); });
        action->setObjectName(ticketsOnly ? QStringLiteral("copyTickets") : QStringLiteral("copyWhole"));
        auto* key = new QShortcut(keys, this);
        key->setContext(Qt::WidgetWithChildrenShortcut);
        connect(key, &QShortcut::activated, action, &QAction::trigger);
    }
    copyProposal->setMenu(copyMenu);
    setTabOrder(copyProposal, Command1);
    // Our own: the result as a picture or on paper, under the race's name; the button stands under 戻ります, clear of
    // the names that a long list puts under the table, and comes after it in the tab order.
    QPushButton* pictureAndPrint =
        installPageExport(*this, dialogs, QRect(9840, 8505, 1695, 435),
                          {[this] { return QStringLiteral("予想結果　") + raceLine(this->module.race); },
                           [this] {
                               return proposedRaceFileName(this->module.race.raceDate, this->module.race.raceNumber)
                                      + QStringLiteral("_予想");
                           }});
    setTabOrder(Command1, pictureAndPrint);

    setFirstFocus(Command1);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void Form5::copyToClipboard(bool ticketsOnly)
{
    const RaceState& race = module.race;
    const PredictionResult result = runPrediction(race.markSheet, race.runnerCount, race.ticketCount);
    const QString text = ticketsOnly ? ticketsText(result) : proposalText(race, result);
    QApplication::clipboard()->setText(text);
    copyNote->setText(ticketsOnly ? QStringLiteral("買い目をコピーしました") : QStringLiteral("予想をコピーしました"));
    copyNote->setToolTip(text);
}

QLabel* Form5::createCell(int row, int index)
{
    auto* cell = new CellLabel(this, lineOf(form5Layout, cellArrays[row]));
    cell->setObjectName(QStringLiteral("%1(%2)").arg(cellArrays[row]).arg(index));
    cells[row].push_back(cell);
    return cell;
}

QLabel* Form5::createTicket(int index)
{
    const ControlLine& line = lineOf(form5Layout, "Label49");
    auto* ticket = new TicketLabel(this);
    ticket->setGeometry(twipsRect(line.left, line.top, line.width, line.height));
    ticket->setFont(screenFont(line.pointSize, line.bold, line.family));
    setColours(ticket, line.fore, line.back);
    ticket->setFrameShape(QFrame::Box);
    ticket->setLineWidth(1);
    ticket->setAlignment(Qt::AlignCenter);
    ticket->setTextFormat(Qt::PlainText);
    ticket->setObjectName(QStringLiteral("Label49(%1)").arg(index));
    Label49.push_back(ticket);
    return ticket;
}

int Form5::shownRunners() const { return std::clamp<int>(module.race.runnerCount, 0, maxRunners); }

void Form5::fillHeader() { fillRaceHeader(header, module.race); }

void Form5::Form_Load()
{
    fillHeader();
    const int runners = shownRunners();
    for (int i = 1; i < runners; ++i)
        for (int row = 0; row < tableRows; ++row)
            createCell(row, i);
    for (int i = 0; i < runners; ++i) {
        const double left = tableOriginX - cellWidth * i;
        for (int row = 0; row < tableRows; ++row) {
            QLabel* cell = cells[row][i];
            cell->move(twips(left), twips(tableTop + cellOffsets[row]));
            cell->show();
        }
        Label23[i]->setText(QString::number(i + 1));
    }
    Label50->show();
}

void Form5::Form_Activate()
{
    fillHeader();
    copyNote->clear();
    const RaceState& race = module.race;
    const PredictionResult result = runPrediction(race.markSheet, race.runnerCount, race.ticketCount);
    const int runners = std::min(shownRunners(), result.runnerCount);

    for (int i = 0; i < runners; ++i) {
        Label24[i]->setText(cellNumber(result.doubleCircleCount[i]));
        Label25[i]->setText(cellNumber(result.circleCount[i]));
        Label26[i]->setText(cellNumber(result.favScore[i]));
        Label29[i]->setText(cellNumber(result.circleCount[i]));
        Label30[i]->setText(cellNumber(result.otherMarkCount[i]));
        Label31[i]->setText(cellNumber(result.quinellaScore[i]));
        Label27[i]->setText(cellNumber(result.favRank[i] + 1));
        Label32[i]->setText(cellNumber(result.quinellaRank[i] + 1));
        // Only the two leaders of each block carry a grade; a former leader's grade must not linger.
        Label28[i]->clear();
        Label33[i]->clear();
    }
    if (runners >= 1) {
        Label28[result.favOrder[0]]->setText(gradeText(result.favTopGrade));
        Label33[result.quinellaOrder[0]]->setText(gradeText(result.quinellaTopGrade));
    }
    if (runners >= 2) {
        Label28[result.favOrder[1]]->setText(gradeText(result.favTopTwoGrade));
        Label33[result.quinellaOrder[1]]->setText(gradeText(result.quinellaTopTwoGrade));
    }

    Label35->setText(cellNumber(result.favScoreSum));
    Label37->setText(rateText(result.favTopRate));
    Label39->setText(rateText(result.favTopTwoRate));
    Label41->setText(cellNumber(result.quinellaScoreSum));
    Label43->setText(rateText(result.quinellaTopRate));
    Label45->setText(rateText(result.quinellaTopTwoRate));
    Label47->setText(QStringLiteral("%1本軸").arg(result.axisPattern));

    showTickets(result);
    showTicketNames(result);
}

void Form5::showTicketNames(const PredictionResult& result)
{
    const int total = std::clamp(result.ticketTotal, 0, std::min<int>(ticketListCapacity, Label49.size()));
    // Each horse of the tickets once, in the order they first appear.
    std::vector<int> horses;
    for (int t = 0; t < total; ++t) {
        for (const int horse : {result.ticketFirst[t], result.ticketSecond[t]}) {
            if (horse >= 0 && horse < shownRunners() && std::ranges::find(horses, horse) == horses.end())
                horses.push_back(horse);
        }
    }
    QStringList lines;
    bool named = false;
    for (const int horse : horses) {
        const QString& name = module.race.runnerNames[static_cast<std::size_t>(horse)];
        named = named || !name.isEmpty();
        lines += QStringLiteral("%1 %2").arg(horse + 1, 2).arg(name);
    }
    if (!named) {
        ticketNames->hide();
        return;
    }
    // Under the last ticket (and the note, when it shows), as wide as the room left of the runner table.
    // A list that scrolls holds its note itself: the names go under the scrolled list.
    const QWidget* above = !ticketScroll->isHidden() ? static_cast<QWidget*>(ticketScroll)
                           : Label10->isVisible()    ? static_cast<QWidget*>(Label10)
                           : total > 0               ? static_cast<QWidget*>(Label49[total - 1])
                                                     : static_cast<QWidget*>(Label48);
    const int left = Label48->x();
    const int top = above->geometry().bottom() + twips(60);
    const int tableLeft = twips(tableOriginX - cellWidth * (shownRunners() - 1));
    const int bottom = Label50->isVisible() ? Label50->y() - twips(60) : height();
    const QRect underTickets(left, top, std::max(0, tableLeft - left - twips(60)), std::max(0, bottom - top));
    // Where the room left of the table is too narrow for a whole name (9 characters at 16 runners, most names from 18
    // on), the names go under the table, between 「必勝を祈る！！」 (or the tickets, where they reach that low) and
    // 「戻ります」, in columns, in a smaller size where they must.
    const int ticketsRight = std::max(Label48->geometry().right(), above->geometry().right());
    const int belowTop = twips(tableBottom + 60);
    int belowLeft = twips(prayerRight + 120);
    if (above->geometry().bottom() >= belowTop)
        belowLeft = std::max(belowLeft, ticketsRight + twips(60));
    const QRect underTable(belowLeft, belowTop, std::max(0, Command1->x() - twips(120) - belowLeft),
                           std::max(0, twips(windowHeight - 60) - belowTop));
    QRect place = underTickets;
    ticketNames->setFont(screenFont(8.25, false));
    if (columnPlaces(lines, QFontMetrics(ticketNames->font()), underTickets.size()).empty()) {
        place = underTable;
        for (const double point : {8.25, 7.5, 6.75}) {
            ticketNames->setFont(screenFont(point, false));
            if (!columnPlaces(lines, QFontMetrics(ticketNames->font()), underTable.size()).empty())
                break;
        }
    }
    ticketNames->setText(lines.join(u'\n'));
    // The names are plain text, in the tooltip too: a name that looks like markup shows as its characters.
    ticketNames->setToolTip(Qt::convertFromPlainText(ticketNames->text(), Qt::WhiteSpaceNormal));
    ticketNames->setGeometry(place);
    ticketNames->show();
}

void Form5::showTickets(const PredictionResult& result)
{
    const int total = std::clamp(result.ticketTotal, 0, ticketListCapacity);
    std::vector<std::pair<int, int>> tickets;
    for (int t = 0; t < total; ++t)
        tickets.emplace_back(result.ticketFirst[t], result.ticketSecond[t]);
    showTicketList(tickets, total < result.ticketCount && result.favScoreSum != 0);
}

void Form5::showTicketList(const std::vector<std::pair<int, int>>& tickets, bool shortNote)
{
    const int total = static_cast<int>(tickets.size());
    while (static_cast<int>(Label49.size()) < total)
        createTicket(static_cast<int>(Label49.size()));

    double left = ticketOriginX - ticketPitch * shownRunners() - 100;
    double width = ticketWidth;
    double noteWidth = noteWidthTwips;
    const double tableLeft = tableOriginX - cellWidth * (shownRunners() - 1);
    const bool narrowed = left < 0;
    if (narrowed) {
        // From 20 runners on, that place starts left of the window and the first horse number of every ticket is
        // lost: the list moves to the window's edge and narrows to the room left of the table.
        left = ticketMargin;
        width = std::min(width, tableLeft - 2 * ticketMargin);
        noteWidth = std::min(noteWidth, tableLeft - 2 * ticketMargin);
    }
    Label48->setGeometry(twipsRect(left, tableTop, width, 300));
    Label48->show();

    // The note, narrowed, wraps within its width and grows downwards to hold its lines.
    Label10->resize(twips(noteWidth), twips(noteHeightTwips));
    if (narrowed)
        Label10->resize(Label10->width(), std::max(Label10->height(), Label10->heightForWidth(Label10->width())));
    const double noteHeight = shortNote ? toTwips(Label10->height()) : 0;

    // A list longer than its column scrolls, with its scroll bar right of the tickets where the table leaves room
    // for it, else within the column's width.
    const double listTop = tableTop + 300;
    const double scrollBar = toTwips(ticketScroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    const bool barBeside = left + width + scrollBar <= tableLeft - ticketMargin;
    const double scrolledWidth = barBeside ? width + scrollBar : width;
    auto bottomFor = [&](double columnWidth) {
        const bool underPrayer = left < prayerRight && left + columnWidth > prayerLeft;
        return underPrayer ? prayerTop : windowHeight;
    };
    const bool fits = listTop + ticketPitch * total + noteHeight <= bottomFor(width);

    QWidget* holder = this;
    double ticketLeft = left;
    double ticketTop = listTop;
    double ticketWidthShown = width;
    if (fits) {
        ticketScroll->hide();
    } else {
        const int rows = static_cast<int>((bottomFor(scrolledWidth) - listTop) / ticketPitch);
        ticketScroll->setGeometry(twipsRect(left, listTop, scrolledWidth, ticketPitch * rows));
        holder = ticketPage;
        ticketLeft = 0;
        ticketTop = 0;
        ticketWidthShown = barBeside ? width : width - scrollBar;
        // The note keeps to the width of the tickets above it, wrapping to more lines where it must.
        const int noteShown = twips(ticketWidthShown);
        Label10->resize(noteShown, std::max(twips(noteHeightTwips), Label10->heightForWidth(noteShown)));
        ticketPage->resize(twips(ticketWidthShown), twips(ticketPitch * total) + (shortNote ? Label10->height() : 0));
    }

    for (int t = 0; t < total; ++t) {
        QLabel* ticket = Label49[t];
        if (ticket->parentWidget() != holder)
            ticket->setParent(holder);
        ticket->setGeometry(twipsRect(ticketLeft, ticketTop + ticketPitch * t, ticketWidthShown, 300));
        ticket->setText(QStringLiteral("%1 － %2").arg(tickets[t].first + 1).arg(tickets[t].second + 1));
        ticket->show();
    }
    // A shorter list than last time leaves no stale tickets behind.
    for (std::size_t t = total; t < Label49.size(); ++t) {
        Label49[t]->hide();
        Label49[t]->clear();
    }

    if (shortNote) {
        if (Label10->parentWidget() != holder)
            Label10->setParent(holder);
        Label10->move(twips(ticketLeft), twips(ticketTop + total * ticketPitch));
        Label10->show();
    } else {
        Label10->hide();
    }
    if (!fits) {
        ticketScroll->verticalScrollBar()->setValue(0);
        ticketScroll->show();
        ticketScroll->raise();
    }
}

void Form5::Command1_Click()
{
    navigation.close(ScreenId::Form5);
    navigation.show(ScreenId::Form4);
}
