#include "screens/saved_race_screen.h"

#include "racefile/race_folder.h"
#include "screens/event_hooks.h"
#include "screens/saved_race_common.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

SavedRaceScreen::SavedRaceScreen(ScreenId id, Module1& module, Navigation& navigation, Dialogs& dialogs,
                                 std::span<const ControlLine> controls, double formFont)
    : Screen(id, module, navigation, dialogs)
{
    buildSavedRaceHeader(this, "Label12", "Label10", "Label11");
    Label1 = build<QLabel>(this, controls, "Label1", formFont);
    List1 = build<QListWidget>(this, controls, "List1", formFont);
    Label5 = build<QLabel>(this, controls, "Label5", formFont);
    Label2 = build<QLabel>(this, controls, "Label2", formFont);
    Text1 = build<QLineEdit>(this, controls, "Text1", formFont);
    Label3 = build<QLabel>(this, controls, "Label3", formFont);
    Text2 = build<QLineEdit>(this, controls, "Text2", formFont);
    Label4 = build<QLabel>(this, controls, "Label4", formFont);
    Text3 = build<QLineEdit>(this, controls, "Text3", formFont);
    Command2 = build<QPushButton>(this, controls, "Command2", formFont);
    Command3 = build<QPushButton>(this, controls, "Command3", formFont);
    Command1 = build<QPushButton>(this, controls, "Command1", formFont);

    List1->setFont(savedRaceListFont());
    List1->setUniformItemSizes(true);
    Label5->setFont(savedRaceListFont());
    for (QLineEdit* box : {Text1, Text2, Text3})
        setInputMethod(box, false);
    setFirstFocus(List1);
    showFileNameTips(List1, [this](int row) {
        return row < static_cast<int>(catalogue.size()) ? catalogue[static_cast<std::size_t>(row)].fileName : QString();
    });

    onEnter(List1, [this] { List1_Click(); });
    connect(List1, &QListWidget::itemClicked, this, [this] { List1_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
}

void SavedRaceScreen::Command1_Click()
{
    navigation.close(screenId());
    navigation.show(ScreenId::Form2);
}

void SavedRaceScreen::relist()
{
    Label5->clear();
    Text1->clear();
    Text2->clear();
    Text3->clear();
    List1->clear();
    fillList();
    Command1->setFocus(Qt::OtherFocusReason);
}

bool SavedRaceScreen::pickRace(const QString& fileName)
{
    const auto found = std::ranges::find(catalogue, fileName, &CatalogueEntry::fileName);
    if (found == catalogue.end())
        return false;
    List1->setCurrentRow(static_cast<int>(found - catalogue.begin()));
    List1->scrollToItem(List1->currentItem(), QAbstractItemView::PositionAtCenter);
    List1_Click();
    return true;
}

const CatalogueEntry* SavedRaceScreen::pickCurrentLine()
{
    const int row = List1->currentRow();
    if (row < 0 || row >= static_cast<int>(catalogue.size()))
        return nullptr;
    const CatalogueEntry& entry = catalogue[static_cast<std::size_t>(row)];
    Label5->setText(List1->item(row)->text());
    module.selectedRaceFile = entry.fileName;
    return &entry;
}

bool SavedRaceScreen::keepUnreadablePick(const FileResult& read, const QString& title)
{
    dialogs.reportError(read.error, title);
    if (!RaceFolder(module.raceFolder).present(module.selectedRaceFile).ok) {
        relist();
        return false;
    }
    Text1->clear();
    Text2->clear();
    Text3->clear();
    Command2->hide();
    return true;
}

bool SavedRaceScreen::boxesCanBeWritten(std::initializer_list<std::pair<QLineEdit*, QString>> problems)
{
    for (const auto& [box, problem] : problems) {
        if (!problem.isEmpty()) {
            dialogs.reportError(problem, QStringLiteral("データの書き換え"));
            box->setFocus(Qt::OtherFocusReason);
            return false;
        }
    }
    return true;
}

void SavedRaceScreen::askThenChange(const std::function<FileResult()>& check, const QString& question,
                                    const QString& title, const std::function<FileResult()>& act)
{
    FileResult result = check();
    if (result.ok && dialogs.confirm(question, title))
        result = act();
    if (!result.ok)
        dialogs.reportError(result.error, title);
    relist();
}
