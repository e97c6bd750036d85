#include "screens/tipster_grid_screen.h"

#include "core/name_text.h"
#include "core/tipster_grid.h"
#include "core/tipster_paste.h"
#include "racefile/cp932.h"
#include "screens/control_table.h"
#include "screens/event_hooks.h"
#include "screens/mark_typing.h"
#include "screens/stored_name.h"
#include "screens/twips.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTextDocument>

namespace {
constexpr double formPoint = 12;
constexpr int markOrange = rgb(255, 192, 128);
constexpr int others = rgb(224, 224, 224);

// clang-format off
const ControlLine gridLayout[] = {
    {.name = "title", .kind = ControlKind::Label, .caption = "予想家ごとの印", .left = 200, .top = 600,
     .width = 2800, .height = 420, .fore = black, .back = lightBlue, .pointSize = 14.25, .border = true,
     .align = Align::Centre},
    {.name = "keysNote", .kind = ControlKind::Label,
     .caption = "印：1～6 または ◎○△▲×★　消す：0・Delete　移動：矢印・Enter　貼り付け：Ctrl+V",
     .left = 3200, .top = 600, .width = 8600, .height = 420, .fore = cyan, .pointSize = 9.75, .bold = false},
    {.name = "grid", .kind = ControlKind::Label, .left = 200, .top = 1110, .width = 11600, .height = 5700},
    {.name = "status", .kind = ControlKind::Label, .left = 200, .top = 6830, .width = 11600, .height = 450,
     .fore = orange, .pointSize = 9.75, .bold = false, .wordWrap = true},
    {.name = "nameCaption", .kind = ControlKind::Label, .caption = "予想家", .left = 200, .top = 7320,
     .width = 900, .height = 420, .fore = yellow, .align = Align::Right},
    {.name = "tipsterName", .kind = ControlKind::LineEdit, .left = 1200, .top = 7320, .width = 2100,
     .height = 420, .bold = false},
    {.name = "addTipster", .kind = ControlKind::Button, .caption = "追加", .left = 3420, .top = 7320, .width = 975,
     .height = 420},
    {.name = "renameTipster", .kind = ControlKind::Button, .caption = "名前を変える", .left = 4500, .top = 7320,
     .width = 1700, .height = 420},
    {.name = "removeTipster", .kind = ControlKind::Button, .caption = "削除", .left = 6300, .top = 7320,
     .width = 975, .height = 420},
    {.name = "moveLeft", .kind = ControlKind::Button, .caption = "← 左へ", .left = 7380, .top = 7320,
     .width = 1200, .height = 420},
    {.name = "moveRight", .kind = ControlKind::Button, .caption = "右へ →", .left = 8680, .top = 7320,
     .width = 1200, .height = 420},
    {.name = "pasteMarks", .kind = ControlKind::Button, .caption = "印を貼り付け", .left = 600, .top = 7920,
     .width = 2100, .height = 495},
    {.name = "pasteNames", .kind = ControlKind::Button, .caption = "馬名を貼り付け", .left = 2820, .top = 7920,
     .width = 2100, .height = 495},
    {.name = "back", .kind = ControlKind::Button, .caption = "戻ります", .left = 9720, .top = 7920, .width = 1215,
     .height = 495},
    {.name = "othersNote", .kind = ControlKind::Label,
     .caption = "その他：印の入力画面でクリックやキーでつけた、予想家のいない印です。",
     .left = 600, .top = 8520, .width = 7400, .height = 300, .fore = cyan, .pointSize = 9.75, .bold = false},
    {.name = "leaveNote", .kind = ControlKind::Label, .caption = "Tab：下の欄とボタンへ　Esc：戻ります",
     .left = 8100, .top = 8520, .width = 3500, .height = 300, .fore = cyan, .pointSize = 9.75, .bold = false,
     .align = Align::Right},
};
// clang-format on

QString marksText(const RaceState& race, int runner)
{
    QString text;
    for (int kind = 0; kind < markKindCount; ++kind)
        text += markSymbol(kind).repeated(marksWithoutTipster(race, runner, kind));
    return text;
}

// A tipster's name from the name box.
QString tipsterNameOf(const QString& typed)
{
    QString name = storableText(plainName(typed)).trimmed();
    fitNameLength(name);
    return name;
}

// The name cells' editor takes no more than a name's length.
class NameCellDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* box = qobject_cast<QLineEdit*>(editor))
            box->setMaxLength(maxNameLength);
        return editor;
    }
};

// The mark kind a key stands for: 1..6 on either keypad, or a mark typed as a character.
std::optional<int> markOfKey(const QKeyEvent* event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    if (event->key() >= Qt::Key_1 && event->key() <= Qt::Key_6)
        return event->key() - Qt::Key_1;
    const QString text = event->text();
    return text.size() == 1 ? markKindOfCharacter(text[0], true) : std::nullopt;
}

} // namespace

// The grid's data: the race's runners as rows; number, name, one column per tipster, and the marks without a tipster.
class TipsterGridModel final : public QAbstractTableModel {
public:
    explicit TipsterGridModel(Module1& module, QObject* parent) : QAbstractTableModel(parent), module_(module)
    {
        setObjectName(QStringLiteral("tipsterGrid"));
    }

    int tipsters() const { return static_cast<int>(module_.race.tipsters.columns.size()); }
    int othersColumn() const { return tipsters() + 2; }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : std::clamp<int>(module_.race.runnerCount, 0, maxRunners);
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : tipsters() + 3; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return {};
        const RaceState& race = module_.race;
        const int r = index.row();
        const int c = index.column();
        const int t = c - 2;
        if (role == Qt::DisplayRole || role == Qt::EditRole) {
            if (c == 0)
                return r + 1;
            if (c == 1)
                return race.runnerNames[static_cast<std::size_t>(r)];
            if (c == othersColumn())
                return marksText(race, r);
            return markSymbol(race.tipsters.columns[static_cast<std::size_t>(t)].marks[static_cast<std::size_t>(r)]);
        }
        if (role == Qt::TextAlignmentRole)
            return c == 1 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter) : QVariant(Qt::AlignCenter);
        if (role == Qt::BackgroundRole) {
            if (c == 0)
                return QColor::fromRgb(static_cast<QRgb>(peach));
            if (c == 1)
                return QColor(Qt::white);
            if (c == othersColumn())
                return QColor::fromRgb(static_cast<QRgb>(others));
            return repeated(t, r) ? QColor::fromRgb(static_cast<QRgb>(markOrange))
                                  : QColor::fromRgb(static_cast<QRgb>(lightGreen));
        }
        if (role == Qt::ForegroundRole)
            return QColor(Qt::black);
        // Plain text made HTML: a name that looks like markup shows as its characters and loads nothing.
        if (role == Qt::ToolTipRole && c >= 2 && c < othersColumn() && repeated(t, r))
            return Qt::convertFromPlainText(QStringLiteral("%1は%2を二頭以上につけています")
                                                .arg(race.tipsters.columns[t].name, markSymbol(markAt(t, r))));
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        if (orientation == Qt::Vertical)
            return section + 1;
        if (section == 0)
            return QStringLiteral("馬番");
        if (section == 1)
            return QStringLiteral("馬名");
        if (section == othersColumn())
            return QStringLiteral("その他");
        return module_.race.tipsters.columns[static_cast<std::size_t>(section - 2)].name;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (index.column() == 1)
            flags |= Qt::ItemIsEditable;
        return flags;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (role != Qt::EditRole || !index.isValid() || index.column() != 1)
            return false;
        module_.race.runnerNames[static_cast<std::size_t>(index.row())] = storedName(value.toString());
        emit dataChanged(index, index);
        return true;
    }

    void changed()
    {
        // A grid without runners has no cell to name.
        if (rowCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
    void reshaped()
    {
        beginResetModel();
        endResetModel();
    }

private:
    int markAt(int t, int r) const
    {
        return module_.race.tipsters.columns[static_cast<std::size_t>(t)].marks[static_cast<std::size_t>(r)];
    }
    bool repeated(int t, int r) const
    {
        const int kind = markAt(t, r);
        return kind != noMark && isGivenOnce(kind)
               && std::ranges::count(repeatedKinds(module_.race.tipsters, t, module_.race.runnerCount), kind) > 0;
    }

    Module1& module_;
};

// The table itself: marks by keys, Enter downwards, a menu of marks for the mouse. Tab and Shift+Tab leave it for the
// controls below, Esc for the mark sheet. Only the name column takes text: on a mark cell the input method is told
// that nothing is typed here, so that 1..6 reach the grid as keys whatever the input method's state (otherwise a digit
// waits in a composition the cell cannot show, and the Enter that commits it is used up).
class TipsterGridView final : public QTableView {
public:
    TipsterGridView(TipsterGridScreen* screen, QWidget* parent) : QTableView(parent), screen_(screen)
    {
        setObjectName(QStringLiteral("grid"));
        setSelectionMode(QAbstractItemView::SingleSelection);
        setSelectionBehavior(QAbstractItemView::SelectItems);
        setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                        | QAbstractItemView::AnyKeyPressed);
        setTabKeyNavigation(false);
    }

    // True on the cells that take text (the names).
    bool takesText() const { return currentIndex().column() == 1; }

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override
    {
        QTableView::currentChanged(current, previous);
        if (hasFocus())
            QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        const int tipster = screen_->tipsterOfColumn(currentIndex().column());
        if (event->matches(QKeySequence::Paste)) {
            screen_->paste();
            return;
        }
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            // From an open name cell, the delegate commits the name and closes the cell once the key is through;
            // the move waits for that.
            if (state() == QAbstractItemView::EditingState)
                QMetaObject::invokeMethod(
                    this, [this] { screen_->moveOn(); }, Qt::QueuedConnection);
            else
                screen_->moveOn();
            return;
        }
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            screen_->back();
            return;
        }
        if (tipster >= 0) {
            if (const std::optional<int> kind = markOfKey(event)) {
                screen_->giveMark(*kind);
                return;
            }
            if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace || event->key() == Qt::Key_0) {
                screen_->clearMark();
                return;
            }
        }
        QTableView::keyPressEvent(event);
    }

    void inputMethodEvent(QInputMethodEvent* event) override
    {
        if (takesText()) {
            QTableView::inputMethodEvent(event);
            return;
        }
        // Marks committed whole (◎ composed as 「まる」), each as its key; anything else is passed over.
        for (const int kind : typing_.marksOf(*event)) {
            if (screen_->tipsterOfColumn(currentIndex().column()) >= 0)
                screen_->giveMark(kind);
        }
        event->accept();
    }

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override
    {
        if (query == Qt::ImEnabled)
            return takesText();
        if (query == Qt::ImHints && !takesText())
            return QVariant(int(Qt::ImhPreferLatin | Qt::ImhNoPredictiveText));
        return QTableView::inputMethodQuery(query);
    }

    void contextMenuEvent(QContextMenuEvent* event) override
    {
        const QModelIndex at = indexAt(event->pos());
        if (screen_->tipsterOfColumn(at.column()) < 0)
            return;
        setCurrentIndex(at);
        QMenu menu(this);
        for (int kind = 0; kind < markKindCount; ++kind)
            menu.addAction(markSymbol(kind), this, [this, kind] { screen_->giveMark(kind); });
        menu.addSeparator();
        menu.addAction(QStringLiteral("消す"), this, [this] { screen_->clearMark(); });
        menu.exec(event->globalPos());
    }

private:
    TipsterGridScreen* screen_;
    MarkTyping typing_;
};

TipsterGridScreen::TipsterGridScreen(Module1& module, Navigation& navigation, Dialogs& dialogs)
    : Screen(ScreenId::TipsterGrid, module, navigation, dialogs)
{
    header = buildRaceHeader(this, 150, formPoint);
    auto label = [this](const char* name) { return build<QLabel>(this, gridLayout, name, formPoint); };
    auto button = [this](const char* name) { return build<QPushButton>(this, gridLayout, name, formPoint); };
    title = label("title");
    keysNote = label("keysNote");

    model = new TipsterGridModel(module, this);
    grid = new TipsterGridView(this, this);
    const ControlLine& place = lineOf(gridLayout, "grid");
    grid->setGeometry(twipsRect(place.left, place.top, place.width, place.height));
    grid->setFont(screenFont(12, false));
    grid->horizontalHeader()->setFont(screenFont(10.5, true));
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(twips(330));
    grid->horizontalHeader()->setMinimumSectionSize(twips(300));
    grid->horizontalHeader()->setDefaultSectionSize(twips(900));
    useStandardPalette(grid);
    grid->setModel(model);
    grid->setItemDelegateForColumn(1, new NameCellDelegate(grid));

    status = label("status");
    nameCaption = label("nameCaption");
    tipsterName = build<QLineEdit>(this, gridLayout, "tipsterName", formPoint);
    tipsterName->setMaxLength(maxNameLength);
    addTipsterButton = button("addTipster");
    renameTipsterButton = button("renameTipster");
    removeTipsterButton = button("removeTipster");
    moveLeftButton = button("moveLeft");
    moveRightButton = button("moveRight");
    pasteMarksButton = button("pasteMarks");
    pasteNamesButton = button("pasteNames");
    backButton = button("back");
    othersNote = label("othersNote");
    label("leaveNote");

    for (QWidget* widget : std::initializer_list<QWidget*>{grid, tipsterName, addTipsterButton, renameTipsterButton,
                                                           removeTipsterButton, moveLeftButton, moveRightButton,
                                                           pasteMarksButton, pasteNamesButton, backButton})
        widget->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(grid, tipsterName);
    setTabOrder(tipsterName, addTipsterButton);
    setTabOrder(addTipsterButton, renameTipsterButton);
    setTabOrder(renameTipsterButton, removeTipsterButton);
    setTabOrder(removeTipsterButton, moveLeftButton);
    setTabOrder(moveLeftButton, moveRightButton);
    setTabOrder(moveRightButton, pasteMarksButton);
    setTabOrder(pasteMarksButton, pasteNamesButton);
    setTabOrder(pasteNamesButton, backButton);
    // From 「戻ります」 Tab comes round to the grid again, so that the screen is a ring in the order it is seen.
    setTabOrder(backButton, grid);

    onEnter(tipsterName, [this] { nameBoxEnter(); });
    connect(addTipsterButton, &QPushButton::clicked, this, [this] { addTipsterClicked(); });
    connect(renameTipsterButton, &QPushButton::clicked, this, [this] { renameTipsterClicked(); });
    connect(removeTipsterButton, &QPushButton::clicked, this, [this] { removeTipsterClicked(); });
    connect(moveLeftButton, &QPushButton::clicked, this, [this] { moveTipsterBy(-1); });
    connect(moveRightButton, &QPushButton::clicked, this, [this] { moveTipsterBy(1); });
    connect(pasteMarksButton, &QPushButton::clicked, this, [this] { pasteMarks(); });
    connect(pasteNamesButton, &QPushButton::clicked, this, [this] { pasteNames(); });
    connect(backButton, &QPushButton::clicked, this, [this] { back(); });
    connect(model, &QAbstractItemModel::dataChanged, this, [this] { say(repeatedMarksText()); });
}

int TipsterGridScreen::tipsterOfColumn(int column) const
{
    const int tipster = column - 2;
    return tipster >= 0 && tipster < model->tipsters() ? tipster : -1;
}

int TipsterGridScreen::currentTipster() const { return tipsterOfColumn(grid->currentIndex().column()); }

void TipsterGridScreen::Form_Load()
{
    fillRaceHeader(header, module.race);
    refresh();
    if (model->tipsters() > 0 && model->rowCount() > 0) {
        focusCell(0, columnOfTipster(0));
        setFirstFocus(grid);
    } else {
        setFirstFocus(tipsterName);
    }
}

void TipsterGridScreen::Form_Activate()
{
    fillRaceHeader(header, module.race);
    // What could not be read of the race's file is told first; then what needs a look in the grid.
    say(module.gridNotice.isEmpty() ? repeatedMarksText() : module.gridNotice);
}

void TipsterGridScreen::refresh()
{
    model->reshaped();
    QHeaderView* columns = grid->horizontalHeader();
    columns->resizeSection(0, twips(540));
    columns->resizeSection(1, twips(2400));
    for (int t = 0; t < model->tipsters(); ++t)
        columns->resizeSection(columnOfTipster(t), twips(900));
    columns->resizeSection(model->othersColumn(), twips(1100));
}

void TipsterGridScreen::focusCell(int row, int column)
{
    if (row < 0 || row >= model->rowCount() || column < 0 || column >= model->columnCount())
        return;
    grid->setCurrentIndex(model->index(row, column));
    grid->setFocus(Qt::OtherFocusReason);
}

void TipsterGridScreen::say(const QString& text) { status->setText(text); }

QString TipsterGridScreen::repeatedMarksText() const
{
    QStringList sentences;
    const RaceState& race = module.race;
    for (int t = 0; t < model->tipsters(); ++t) {
        for (const int kind : repeatedKinds(race.tipsters, t, race.runnerCount)) {
            QStringList runners;
            for (int r = 0; r < race.runnerCount; ++r) {
                if (race.tipsters.columns[static_cast<std::size_t>(t)].marks[static_cast<std::size_t>(r)] == kind)
                    runners += QStringLiteral("%1番").arg(r + 1);
            }
            sentences += QStringLiteral("%1の%2（%3）")
                             .arg(race.tipsters.columns[static_cast<std::size_t>(t)].name, markSymbol(kind),
                                  runners.join(u'・'));
        }
    }
    return sentences.isEmpty() ? QString() : QStringLiteral("二頭以上についた印：") + sentences.join(u'、');
}

void TipsterGridScreen::giveMark(int kind)
{
    const QModelIndex at = grid->currentIndex();
    const int tipster = tipsterOfColumn(at.column());
    if (tipster < 0)
        return;
    const MarkChange change = setTipsterMark(module.race, tipster, at.row(), kind);
    if (change == MarkChange::Full) {
        say(QStringLiteral("%1番の印は%2個に達しているため、これ以上つけられません。")
                .arg(at.row() + 1)
                .arg(maxMarksPerRunner));
        return;
    }
    module.gridNotice.clear();
    model->changed();
    moveOn();
}

void TipsterGridScreen::clearMark()
{
    const QModelIndex at = grid->currentIndex();
    const int tipster = tipsterOfColumn(at.column());
    if (tipster >= 0 && setTipsterMark(module.race, tipster, at.row(), noMark) == MarkChange::Done)
        model->changed();
}

void TipsterGridScreen::moveOn()
{
    const QModelIndex at = grid->currentIndex();
    if (!at.isValid())
        return;
    // Down the column; from its last runner to the top of the next tipster, as a paper is copied column by column.
    if (at.row() + 1 < model->rowCount())
        focusCell(at.row() + 1, at.column());
    else if (tipsterOfColumn(at.column() + 1) >= 0)
        focusCell(0, at.column() + 1);
}

void TipsterGridScreen::nameBoxEnter()
{
    if (!tipsterName->text().trimmed().isEmpty()) {
        addTipsterClicked();
        return;
    }
    // An empty box: the names are done, on to the marks, at the top of the first tipster who has none yet.
    for (int t = 0; t < model->tipsters(); ++t) {
        if (marksOfTipster(module.race.tipsters, t, module.race.runnerCount) == 0) {
            focusCell(0, columnOfTipster(t));
            return;
        }
    }
    if (model->tipsters() > 0)
        focusCell(0, columnOfTipster(0));
}

void TipsterGridScreen::addTipsterClicked()
{
    const QString name = tipsterNameOf(tipsterName->text());
    if (name.isEmpty()) {
        say(QStringLiteral("予想家の名前を入れてから「追加」を押してください。"));
        tipsterName->setFocus();
        return;
    }
    if (!addTipster(module.race, name)) {
        say(QStringLiteral("予想家は%1人までです。").arg(maxTipsters));
        return;
    }
    refresh();
    tipsterName->clear();
    grid->setCurrentIndex(model->index(0, columnOfTipster(model->tipsters() - 1)));
    say(QStringLiteral("予想家「%1」を加えました。続けて名前を入れて Enter で次の予想家、空のまま Enter で印の入力へ。")
            .arg(name));
    tipsterName->setFocus();
}

void TipsterGridScreen::renameTipsterClicked()
{
    const int tipster = currentTipster();
    const QString name = tipsterNameOf(tipsterName->text());
    if (tipster < 0 || name.isEmpty()) {
        say(QStringLiteral("名前を変える予想家の列を選び、新しい名前を入れてください。"));
        return;
    }
    module.race.tipsters.columns[static_cast<std::size_t>(tipster)].name = name;
    tipsterName->clear();
    model->reshaped();
    focusCell(0, columnOfTipster(tipster));
}

void TipsterGridScreen::removeTipsterClicked()
{
    const int tipster = currentTipster();
    if (tipster < 0) {
        say(QStringLiteral("削除する予想家の列を選んでください。"));
        return;
    }
    const TipsterColumn& column = module.race.tipsters.columns[static_cast<std::size_t>(tipster)];
    const int marks = marksOfTipster(module.race.tipsters, tipster, module.race.runnerCount);
    if (marks > 0
        && !dialogs.confirm(
            QStringLiteral("予想家「%1」の印（%2個）も消えます。削除しますか？").arg(column.name).arg(marks),
            QStringLiteral("予想家の削除")))
        return;
    removeTipster(module.race, tipster);
    refresh();
    if (model->tipsters() > 0)
        focusCell(0, columnOfTipster(std::min(tipster, model->tipsters() - 1)));
    else
        tipsterName->setFocus();
}

void TipsterGridScreen::moveTipsterBy(int step)
{
    const int tipster = currentTipster();
    const int row = std::max(0, grid->currentIndex().row());
    if (tipster < 0 || !moveTipster(module.race, tipster, tipster + step))
        return;
    refresh();
    focusCell(row, columnOfTipster(tipster + step));
}

void TipsterGridScreen::paste()
{
    if (grid->currentIndex().column() == 1)
        pasteNames();
    else
        pasteMarks();
}

void TipsterGridScreen::pasteMarks()
{
    const PastedMarks pasted = parsePastedMarks(QApplication::clipboard()->text(), module.race.runnerCount);
    if (!pasted.ok) {
        say(pasted.error);
        return;
    }
    if (!pasted.table.empty()) {
        pasteMarkTable(pasted.table);
        return;
    }
    const int tipster = currentTipster();
    if (tipster < 0) {
        say(QStringLiteral("貼り付ける予想家の列を選んでください。"));
        return;
    }
    const QString name = module.race.tipsters.columns[static_cast<std::size_t>(tipster)].name;
    if (marksOfTipster(module.race.tipsters, tipster, module.race.runnerCount) > 0
        && !dialogs.confirm(QStringLiteral("予想家「%1」の印を、貼り付ける印で置き換えますか？").arg(name),
                            QStringLiteral("印の貼り付け")))
        return;
    if (!setTipsterColumn(module.race, tipster, pasted.marks)) {
        say(QStringLiteral("印が%1個をこえる馬ができるため、貼り付けませんでした。").arg(maxMarksPerRunner));
        return;
    }
    model->changed();
    const QString repeated = repeatedMarksText();
    // What was read, as a paper prints it, so that a misread paste shows at once.
    say(QStringLiteral("予想家「%1」の印を貼り付けました：%2").arg(name, marksAsPrinted(pasted.marks))
        + (repeated.isEmpty() ? QString() : u' ' + repeated));
    focusCell(0, columnOfTipster(tipster));
}

void TipsterGridScreen::pasteMarkTable(const std::vector<PastedMarkColumn>& table)
{
    // Worked out on a copy, so that a table refused half way changes nothing.
    RaceState trial = module.race;
    std::vector<int> targets;
    QStringList replaced;
    QStringList added;
    for (const PastedMarkColumn& column : table) {
        const auto& columns = trial.tipsters.columns;
        const auto same = std::find_if(columns.begin(), columns.end(), [&column](const TipsterColumn& c) {
            return tipsterIdentity(c.name) == tipsterIdentity(column.tipster);
        });
        int tipster = static_cast<int>(same - columns.begin());
        if (same == columns.end()) {
            if (!addTipster(trial, storableText(column.tipster).trimmed())) {
                say(QStringLiteral("予想家は%1人までです。表の予想家を加えるとこえるため、貼り付けませんでした。")
                        .arg(maxTipsters));
                return;
            }
            added += column.tipster;
        } else if (marksOfTipster(trial.tipsters, tipster, trial.runnerCount) > 0) {
            replaced += QStringLiteral("「%1」").arg(same->name);
        }
        targets.push_back(tipster);
    }
    if (!replaced.isEmpty()
        && !dialogs.confirm(
            QStringLiteral("予想家%1の印を、貼り付ける表の印で置き換えますか？").arg(replaced.join(u'、')),
            QStringLiteral("印の貼り付け")))
        return;
    QStringList read;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (!setTipsterColumn(trial, targets[i], table[i].marks)) {
            say(QStringLiteral("印が%1個をこえる馬ができるため、貼り付けませんでした。").arg(maxMarksPerRunner));
            return;
        }
        read += QStringLiteral("%1 %2個")
                    .arg(trial.tipsters.columns[static_cast<std::size_t>(targets[i])].name)
                    .arg(marksOfTipster(trial.tipsters, targets[i], trial.runnerCount));
    }
    module.race.tipsters = std::move(trial.tipsters);
    module.race.markSheet = trial.markSheet;
    refresh();
    // Each tipster's count while it fits the two lines under the grid; the sum when there are many.
    const QString addedText =
        added.isEmpty() ? QString() : QStringLiteral("新しく加えた予想家：%1。").arg(added.join(u'、'));
    QString text = QStringLiteral("%1人の予想家の印を貼り付けました（%2）。").arg(table.size()).arg(read.join(u'・'));
    if (text.size() + addedText.size() > 100) {
        int marks = 0;
        for (const int t : targets)
            marks += marksOfTipster(module.race.tipsters, t, module.race.runnerCount);
        text = QStringLiteral("%1人の予想家の印を貼り付けました（合わせて%2個）。").arg(table.size()).arg(marks);
    }
    say(text + addedText);
    focusCell(0, columnOfTipster(targets.front()));
}

void TipsterGridScreen::pasteNames()
{
    const PastedNames pasted = parsePastedNames(QApplication::clipboard()->text(), module.race.runnerCount);
    // A paste refused, or one that names nobody, changes nothing; what was taken and what was not is said, and a
    // name longer than a name can be is shortened and named.
    QStringList shortened;
    for (const PastedName& name : pasted.names) {
        bool cut = false;
        module.race.runnerNames[static_cast<std::size_t>(name.number - 1)] = storedName(name.name, &cut);
        if (cut)
            shortened += QStringLiteral("%1番").arg(name.number);
    }
    if (!pasted.names.empty())
        model->changed();
    say(pasted.report
        + (shortened.isEmpty() ? QString()
                               : QStringLiteral("%1の馬名は長すぎるため、%2文字までにしました。")
                                     .arg(shortened.join(u'・'))
                                     .arg(maxNameLength)));
}

// Esc pressed anywhere on the screen that did not use it (a box with a composition, an open name cell) leaves it.
void TipsterGridScreen::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        back();
        return;
    }
    Screen::keyPressEvent(event);
}

void TipsterGridScreen::back()
{
    navigation.close(ScreenId::TipsterGrid);
    navigation.show(ScreenId::Form4);
}
