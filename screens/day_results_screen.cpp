#include "screens/day_results_screen.h"

#include "core/day_paste.h"
#include "racefile/race_folder.h"
#include "record/day_results.h"
#include "screens/control_table.h"
#include "screens/event_hooks.h"
#include "screens/folder_wait.h"
#include "screens/twips.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

namespace {
constexpr double formPoint = 12;

// clang-format off
const ControlLine dayLayout[] = {
    {.name = "title", .kind = ControlKind::Label, .caption = "結果をまとめて入力", .left = 200, .top = 600,
     .width = 3400, .height = 420, .fore = black, .back = lightBlue, .pointSize = 14.25, .border = true,
     .align = Align::Centre},
    {.name = "keysNote", .kind = ControlKind::Label,
     .caption = "貼り付け：Ctrl+V　チェック：Space　同着の組を選ぶ：Enter　移動：矢印",
     .left = 3800, .top = 600, .width = 8000, .height = 420, .fore = cyan, .pointSize = 9.75, .bold = false},
    {.name = "table", .kind = ControlKind::Label, .left = 200, .top = 1110, .width = 11600, .height = 5100},
    {.name = "rowNote", .kind = ControlKind::Label, .left = 200, .top = 6300, .width = 11600, .height = 660,
     .fore = yellow, .pointSize = 10.5, .bold = false, .wordWrap = true},
    {.name = "status", .kind = ControlKind::Label, .left = 200, .top = 7020, .width = 11600, .height = 660,
     .fore = orange, .pointSize = 10.5, .bold = false, .wordWrap = true},
    {.name = "pasteDay", .kind = ControlKind::Button, .caption = "貼り付け", .left = 600, .top = 7800,
     .width = 1815, .height = 495},
    {.name = "chooseDeadHeat", .kind = ControlKind::Button, .caption = "同着の組を選ぶ", .left = 2640,
     .top = 7800, .width = 2415, .height = 495},
    {.name = "writeDay", .kind = ControlKind::Button, .caption = "書き込み", .left = 5280, .top = 7800,
     .width = 1815, .height = 495},
    {.name = "back", .kind = ControlKind::Button, .caption = "戻ります", .left = 9720, .top = 7800, .width = 1215,
     .height = 495},
    {.name = "tickNote", .kind = ControlKind::Label,
     .caption = "書き込むのはチェックのある行だけです。結果の入っているレースは、チェックしたときだけ書き換えます。",
     .left = 600, .top = 8460, .width = 11200, .height = 300, .fore = cyan, .pointSize = 9.75, .bold = false},
};
// clang-format on

const QString pasteTitle = QStringLiteral("結果の貼り付け");
} // namespace

DayResultsScreen::DayResultsScreen(Module1& module, Navigation& navigation, Dialogs& dialogs)
    : Screen(ScreenId::DayResults, module, navigation, dialogs)
{
    auto label = [this](const char* name) { return build<QLabel>(this, dayLayout, name, formPoint); };
    auto button = [this](const char* name) { return build<QPushButton>(this, dayLayout, name, formPoint); };
    title = label("title");
    keysNote = label("keysNote");

    model = new DayResultsModel(this);
    table = new QTableView(this);
    table->setObjectName(QStringLiteral("table"));
    const ControlLine& place = lineOf(dayLayout, "table");
    table->setGeometry(twipsRect(place.left, place.top, place.width, place.height));
    table->setFont(screenFont(10.5, false));
    table->horizontalHeader()->setFont(screenFont(10.5, true));
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(twips(330));
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(false);
    // Tab leaves the table for the buttons, as on every screen; the arrows move between the rows.
    table->setTabKeyNavigation(false);
    table->setAttribute(Qt::WA_InputMethodEnabled, false);
    useStandardPalette(table);
    table->setModel(model);
    QHeaderView* columns = table->horizontalHeader();
    const int widths[] = {630, 3000, 2400, 2850};
    for (int c = 0; c < 4; ++c)
        columns->resizeSection(c, twips(widths[c]));
    columns->setStretchLastSection(true);

    rowNote = label("rowNote");
    status = label("status");
    pasteButton = button("pasteDay");
    chooseButton = button("chooseDeadHeat");
    writeButton = button("writeDay");
    backButton = button("back");
    label("tickNote");
    setFirstFocus(pasteButton);

    for (QWidget* widget : std::initializer_list<QWidget*>{table, pasteButton, chooseButton, writeButton, backButton}) {
        widget->setFocusPolicy(Qt::StrongFocus);
        onPaste(widget, [this] {
            paste();
            return true;
        });
    }
    setTabOrder(table, pasteButton);
    setTabOrder(pasteButton, chooseButton);
    setTabOrder(chooseButton, writeButton);
    setTabOrder(writeButton, backButton);
    setTabOrder(backButton, table);

    onKey(table, Qt::Key_Space, [this] { toggleTick(); });
    // The table takes no text, so an input method switched on hands it Space as a key; a blank committed all the same
    // (full width, as a Japanese input method gives it) ticks as Space does.
    onInputMethod(table, [this](const QInputMethodEvent* event) {
        const QString committed = event->commitString();
        if (!committed.isEmpty() && committed.trimmed().isEmpty())
            toggleTick();
    });
    onEnter(table, [this] {
        if (model->needsChoice(table->currentIndex().row()))
            chooseDeadHeat();
        else
            toggleTick();
    });
    connect(table, &QAbstractItemView::doubleClicked, this, [this] { chooseDeadHeat(); });
    connect(pasteButton, &QPushButton::clicked, this, [this] { paste(); });
    connect(chooseButton, &QPushButton::clicked, this, [this] { chooseDeadHeat(); });
    connect(writeButton, &QPushButton::clicked, this, [this] { write(); });
    connect(backButton, &QPushButton::clicked, this, [this] { back(); });
    connect(model, &QAbstractItemModel::dataChanged, this, [this] { showRow(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { showRow(); });
    connect(table->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { showRow(); });
}

void DayResultsScreen::Form_Load()
{
    say(QStringLiteral("結果のページ（いくつ続けても）か、日付・競馬場・レース番号・一着・二着・馬連配当の表を"
                       "コピーして「貼り付け」を押してください。"));
    showRow();
}

void DayResultsScreen::say(const QString& text) { status->setText(text); }

void DayResultsScreen::showRow()
{
    const int row = table->currentIndex().row();
    rowNote->setText(model->stateText(row));
    chooseButton->setEnabled(model->needsChoice(row));
    writeButton->setEnabled(model->tickedCount() > 0);
}

void DayResultsScreen::paste()
{
    const PastedDay day = parsePastedDay(QApplication::clipboard()->text());
    if (!day.error.isEmpty()) {
        dialogs.reportError(day.error, pasteTitle);
        return;
    }
    // The folder is listed afresh: races saved or written since the screen opened count.
    const RaceFolder folder(module.raceFolder);
    model->load(day, folder.catalogue(), folder);
    int matched = 0;
    int deadHeats = 0;
    for (int row = 0; row < model->rowCount(); ++row) {
        matched += model->tickable(row) || model->needsChoice(row);
        deadHeats += model->needsChoice(row);
    }
    QString text = QStringLiteral("%1レースを読みました。保存したレースが決まったもの %2、チェックしたもの %3。")
                       .arg(model->rowCount())
                       .arg(matched)
                       .arg(model->tickedCount());
    if (deadHeats > 0)
        text += QStringLiteral("同着が%1レースあります。組を選んでください。").arg(deadHeats);
    if (!day.passedOver.isEmpty())
        text += u'\n' + day.passedOver.join(u' ');
    say(text);
    table->setCurrentIndex(model->index(0, DayResultsModel::PastedColumn));
    table->setFocus(Qt::OtherFocusReason);
    showRow();
}

void DayResultsScreen::toggleTick()
{
    const int row = table->currentIndex().row();
    if (!model->tickable(row)) {
        if (model->needsChoice(row))
            chooseDeadHeat();
        return;
    }
    model->setData(model->index(row, DayResultsModel::TickColumn), model->ticked(row) ? Qt::Unchecked : Qt::Checked,
                   Qt::CheckStateRole);
}

void DayResultsScreen::chooseDeadHeat()
{
    const int row = table->currentIndex().row();
    if (!model->needsChoice(row))
        return;
    const int chosen = dialogs.choose(QStringLiteral("同着です。書き込む組をひとつ選んでください。"
                                                     "レースファイルには選んだ組の一着・二着・配当金だけが残ります。"),
                                      QStringLiteral("同着"), model->choices(row));
    if (chosen >= 0)
        model->choose(row, chosen);
}

void DayResultsScreen::write()
{
    const QString writeTitle = QStringLiteral("データの書き換え");
    const int count = model->tickedCount();
    if (count == 0) {
        dialogs.reportError(QStringLiteral("チェックのある行がないため、書き込むレースがありません。"), writeTitle);
        return;
    }
    if (!dialogs.confirm(QStringLiteral("チェックした%1レースの結果を書き込みますがよろしいですか？").arg(count),
                         writeTitle))
        return;
    FolderWait wait(dialogs);
    const DayResultsModel::Written written = model->writeTicked(module.raceFolder, &wait);
    QString text = QStringLiteral("%1レースの結果を書き込みました。").arg(written.count);
    say(text);
    if (!written.notWritten.isEmpty()) {
        text += QStringLiteral("\n\n書き込まなかったレース：\n") + written.notWritten.join(u'\n');
        dialogs.reportError(text, QStringLiteral("結果の書き込み"));
    }
    showRow();
}

void DayResultsScreen::back()
{
    navigation.close(ScreenId::DayResults);
    navigation.show(ScreenId::Form6);
}
